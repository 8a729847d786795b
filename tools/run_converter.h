// run_converter.h: pelorin-convert from its arguments to its exit status.
#pragma once

#include <vector>

#include "converter_messages.h"
#include "platform/text.h"

namespace pelorin {

constexpr int kExitConverted = 0;       // every output written
constexpr int kExitSomeFailed = 1;      // at least one file could not be read or written
constexpr int kExitBadCommandLine = 2;  // nothing was attempted

// Runs the whole conversion the arguments ask for (the program's name left out). The
// process's entry point hands in the standard streams; tests hand in strings.
int RunConverter(const std::vector<Text>& arguments, const Console& console);

}  // namespace pelorin
