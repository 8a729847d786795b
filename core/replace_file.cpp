// replace_file.cpp: a whole file written under a temporary name and renamed into place.
#include "replace_file.h"

#include "platform/platform.h"

namespace pelorin {

bool ReplaceFileWith(const Text& path, std::span<const std::uint8_t> bytes) {
  return platform::WriteWholeFile(path, bytes);
}

}  // namespace pelorin
