// command_line.cpp: splitting the command line.
#include "command_line.h"

namespace pelorin {

std::vector<Text> SplitCommandLine(std::u16string_view line) {
  std::vector<Text> tokens;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && line[i] == u' ') ++i;
    if (i == line.size()) break;
    if (line[i] == u'"') {
      const std::size_t start = i + 1;
      const std::size_t close = line.find(u'"', start);
      const std::size_t end = close == std::u16string_view::npos ? line.size() : close;
      tokens.emplace_back(line.substr(start, end - start));
      i = close == std::u16string_view::npos ? line.size() : close + 1;
    } else {
      const std::size_t blank = line.find(u' ', i);
      const std::size_t end = blank == std::u16string_view::npos ? line.size() : blank;
      tokens.emplace_back(line.substr(i, end - i));
      i = end;
    }
  }
  return tokens;
}

std::int32_t ArgumentCount(std::u16string_view commandLine) {
  const std::size_t tokens = SplitCommandLine(commandLine).size();
  return tokens == 0 ? 0 : static_cast<std::int32_t>(tokens - 1);
}

Text ArgumentAt(std::u16string_view commandLine, std::int32_t index) {
  const std::vector<Text> tokens = SplitCommandLine(commandLine);
  if (index < 0 || static_cast<std::size_t>(index) + 1 >= tokens.size()) return {};
  return tokens[static_cast<std::size_t>(index) + 1];
}

}  // namespace pelorin
