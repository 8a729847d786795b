// run_process.h: running the built pelorin-convert as its own process, as a user would.
#pragma once

#include <string>
#include <vector>

#include "platform/text.h"
#include "tool_test_support.h"

namespace pelorin {

struct ProcessResult {
  bool started = false;
  bool unprivileged = false;  // it ran as a user without special rights
  int exitCode = -1;
  std::string output;  // the bytes written to its standard output
  std::string error;   // and to its standard error
};

// Runs the exe with these arguments; its output and error streams go to files in `folder`.
// `unprivileged`: on POSIX, when the tests run as root (as CI does), the converter runs as
// the user nobody, for whom file permissions count; result.unprivileged says whether it
// could.
ProcessResult RunConverterExe(const std::vector<Text>& arguments, const ScratchFolder& folder,
                              bool unprivileged = false);

}  // namespace pelorin
