// main.cpp: pelorin-convert's entry point: the arguments as text, and the standard streams.
#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "run_converter.h"

namespace {

int Run(const std::vector<pelorin::Text>& arguments) {
  using pelorin::platform::StandardStream;
  using pelorin::platform::WriteStandardStream;
  // An answer that did not reach its reader (a full disk, a closed pipe) was not given.
  bool outputLost = false;
  const pelorin::Console console{
      [&](const pelorin::Text& text) {
        outputLost |= !WriteStandardStream(StandardStream::kOutput, text);
      },
      [](const pelorin::Text& text) { WriteStandardStream(StandardStream::kError, text); },
      pelorin::platform::IsTerminal(StandardStream::kError)};
  const int status = pelorin::RunConverter(arguments, console);
  if (!outputLost) return status;
  WriteStandardStream(StandardStream::kError, u"pelorin-convert: error writing: standard output\n");
  return std::max(status, pelorin::kExitSomeFailed);
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
