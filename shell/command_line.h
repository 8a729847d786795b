// command_line.h: the program's parameters, split from its command line.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace pelorin {

// Splits at blanks (the space character only; a tab is an ordinary character). A token
// that starts with a double quote runs to the next double quote or the end, without the
// quotes, and the next token may follow the closing quote at once. A double quote inside
// an unquoted token is an ordinary character, and so is a backslash everywhere. Token 0 is
// the program's own name.
std::vector<Text> SplitCommandLine(std::u16string_view commandLine);

// The number of parameters: tokens after the program's name.
std::int32_t ArgumentCount(std::u16string_view commandLine);

// Parameter `index` (0-based), or the empty text when there is no such parameter.
Text ArgumentAt(std::u16string_view commandLine, std::int32_t index);

}  // namespace pelorin
