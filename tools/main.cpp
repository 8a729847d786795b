// main.cpp: pelorin-convert's entry point: the arguments as text, and the standard streams.
#include <vector>

#include "platform/platform.h"
#include "run_converter.h"

namespace {

int Run(const std::vector<pelorin::Text>& arguments) {
  using pelorin::platform::StandardStream;
  const pelorin::Console console{
      [](const pelorin::Text& text) {
        pelorin::platform::WriteStandardStream(StandardStream::kOutput, text);
      },
      [](const pelorin::Text& text) {
        pelorin::platform::WriteStandardStream(StandardStream::kError, text);
      },
      pelorin::platform::IsTerminal(StandardStream::kError)};
  return pelorin::RunConverter(arguments, console);
}

}  // namespace

#ifdef _WIN32
// Built with -municode: the arguments arrive as UTF-16, so any file name survives.
int wmain(int argc, wchar_t** argv) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");
  std::vector<pelorin::Text> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  return Run(arguments);
}
#else
// Linux file names are bytes; the conversion to text gives every one of them back unchanged.
int main(int argc, char** argv) {
  std::vector<pelorin::Text> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(pelorin::Utf8ToText(argv[i]));
  return Run(arguments);
}
#endif
