// converter_messages.cpp: the converter's lines on the error stream and its progress line.
#include "converter_messages.h"

namespace pelorin {

namespace {
constexpr std::size_t kFewFiles = 4;  // done before a progress line would be read
}

Messages::Messages(const Console& console, bool quiet, std::size_t totalFiles)
    : console_(console),
      quiet_(quiet),
      showProgress_(!quiet && console.errorIsTerminal && totalFiles > kFewFiles),
      total_(totalFiles) {}

void Messages::Error(const Text& text) {
  ClearProgress();
  console_.error(u"pelorin-convert: " + text + u"\n");
}

void Messages::Note(const Text& text) {
  if (quiet_) return;
  ClearProgress();
  console_.error(u"pelorin-convert: " + text + u"\n");
}

void Messages::Output(const Text& text) {
  ClearProgress();  // on a terminal the two streams share one screen
  console_.output(text + u"\n");
}

void Messages::Progress(std::size_t done) {
  if (!showProgress_ || total_ == 0) return;
  // One update per percent: a thousand files need not write to the terminal a thousand times.
  const std::size_t percent = done * 100 / total_;
  if (progressLength_ != 0 && percent == shownPercent_ && done != total_) return;
  shownPercent_ = percent;
  const Text line = u"pelorin-convert: " + DecimalText(static_cast<long long>(done)) + u" of " +
                    DecimalText(static_cast<long long>(total_)) + u" files";
  // Carriage return: the line is rewritten in place. It never grows shorter, so no
  // characters of the previous one remain.
  console_.error(u"\r" + line);
  progressLength_ = line.size();
}

void Messages::ClearProgress() {
  if (progressLength_ == 0) return;
  Text blank(progressLength_ + 2, u' ');  // back to the start, blanks over the line, back
  blank.front() = blank.back() = u'\r';
  console_.error(blank);
  progressLength_ = 0;
}

}  // namespace pelorin
