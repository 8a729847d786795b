// converter_messages.h: what pelorin-convert tells its user: errors, warnings and, on a
// terminal, a progress line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/text.h"

namespace pelorin {

// Where the converter's text goes: the process's standard streams, or a test's strings.
struct Console {
  std::function<void(const Text&)> output;
  std::function<void(const Text&)> error;
  bool errorIsTerminal = false;
};

// Errors and notes are single lines on the error stream, prefixed with the program's name. The
// progress line is shown only on a terminal, only for more than a few files, and is cleared before
// any other line so that the two never mix.
class Messages {
 public:
  Messages(const Console& console, bool quiet, std::size_t totalFiles);
  Messages(const Messages&) = delete;
  Messages& operator=(const Messages&) = delete;
  ~Messages() { ClearProgress(); }

  void Error(const Text& text);
  // Anything else worth knowing (a warning, a summary); not shown when quiet.
  void Note(const Text& text);
  // What the user should know of a file that was read all the same, as "FILE: warning:
  // TEXT"; not shown when quiet.
  void Warning(const Text& file, const Text& text);
  // A line of what was asked for, on the output stream, quiet or not.
  void Output(const Text& text);
  // `done` of the files are finished.
  void Progress(std::size_t done);
  // `searched` of the `total` bytes of a file are searched for graphics: shown for a file
  // large enough to take a while, in whole mebibytes.
  void SearchProgress(std::int64_t searched, std::int64_t total);

 private:
  void ClearProgress();
  void ShowProgress(const Text& line);

  const Console& console_;
  bool quiet_;
  bool showProgress_;
  std::size_t total_;
  std::size_t shownPercent_ = 0;
  std::size_t progressLength_ = 0;   // characters of the progress line now shown; 0: none
  std::int64_t shownSearched_ = -1;  // mebibytes of the search progress line now shown
};

}  // namespace pelorin
