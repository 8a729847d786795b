// converter_messages.cpp: the converter's lines on the error stream and its progress line.
#include "converter_messages.h"

#include <algorithm>

namespace pelorin {

namespace {
constexpr std::size_t kFewFiles = 4;  // done before a progress line would be read
constexpr std::int64_t kMebibyte = 1 << 20;
constexpr std::int64_t kLongSearch = 32 * kMebibyte;  // searched before a progress line is read
}  // namespace

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

void Messages::Warning(const Text& file, const Text& text) {
  if (quiet_) return;
  ClearProgress();
  console_.error(file + u": warning: " + text + u"\n");
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
  ShowProgress(u"pelorin-convert: " + DecimalText(static_cast<long long>(done)) + u" of " +
               DecimalText(static_cast<long long>(total_)) + u" files");
}

void Messages::SearchProgress(std::int64_t searched, std::int64_t total) {
  if (quiet_ || !console_.errorIsTerminal || total < kLongSearch) return;
  // One update per mebibyte, and the line never grows shorter while the total stays.
  if (progressLength_ != 0 && searched / kMebibyte == shownSearched_) return;
  shownSearched_ = searched / kMebibyte;
  ShowProgress(u"pelorin-convert: searched " + DecimalText(shownSearched_) + u" of " +
               DecimalText(total / kMebibyte) + u" MiB");
}

void Messages::ShowProgress(const Text& line) {
  // Carriage return: the line is rewritten in place, blanks over what a longer one left.
  Text shown = u"\r" + line;
  if (line.size() < progressLength_) shown += Text(progressLength_ - line.size(), u' ');
  console_.error(shown);
  progressLength_ = std::max(progressLength_, line.size());
}

void Messages::ClearProgress() {
  if (progressLength_ == 0) return;
  Text blank(progressLength_ + 2, u' ');  // back to the start, blanks over the line, back
  blank.front() = blank.back() = u'\r';
  console_.error(blank);
  progressLength_ = 0;
}

}  // namespace pelorin
