// fake_platform.h: a stand-in for the core's file layer that can make reads and writes
// fall short or fail on demand, for the failures a real disk rarely shows.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <vector>

#include "platform/text.h"

namespace pelorin::fake {

struct FileSystem {
  std::map<Text, std::vector<std::uint8_t>> files;
  std::optional<std::int64_t> reportedSize;  // the size query's answer instead of the truth
  std::int64_t deliverAtMost = std::numeric_limits<std::int64_t>::max();
  bool readFails = false;
  std::int64_t writeAtMost = std::numeric_limits<std::int64_t>::max();
  bool writeFails = false;
  bool closeFails = false;
  std::vector<std::int32_t> readRequests;  // the sizes asked for, one entry per request
  std::vector<std::int32_t> writeRequests;
};

// The one fake file system; every test starts by resetting it.
FileSystem& Files();

}  // namespace pelorin::fake
