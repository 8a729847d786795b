// output_files.cpp: output naming and the guard that keeps outputs off the inputs.
#include "output_files.h"

namespace pelorin {

namespace {

#ifdef _WIN32
constexpr std::u16string_view kSeparators = u"\\/:";  // a drive, as in C:name, ends a folder too
constexpr char16_t kSeparator = u'\\';
#else
constexpr std::u16string_view kSeparators = u"/";
constexpr char16_t kSeparator = u'/';
#endif

}  // namespace

Text FileName(const Text& path) {
  const std::size_t last = path.find_last_of(kSeparators);
  return last == Text::npos ? path : path.substr(last + 1);
}

Text OutputBase(const Text& input, const Text& outputFolder) {
  if (outputFolder.empty()) return input;
  Text base = outputFolder;
  if (kSeparators.find(base.back()) == std::u16string_view::npos) base += kSeparator;
  return base + FileName(input);
}

OutputGuard::OutputGuard(const std::vector<Text>& inputs) {
  for (const Text& input : inputs)
    if (const auto identity = platform::QueryFileIdentity(input)) inputs_.insert(*identity);
}

Text OutputGuard::Refusal(const Text& output, const Text& input) const {
  // An output that does not exist yet cannot be an input or an earlier output.
  const auto identity = platform::QueryFileIdentity(output);
  if (!identity) return {};
  if (inputs_.contains(*identity)) return u"would replace an input file: " + output;
  const auto earlier = written_.find(*identity);
  if (earlier != written_.end() && earlier->second != platform::QueryFileIdentity(input))
    return u"already written from another input: " + output;
  return {};
}

void OutputGuard::Record(const Text& output, const Text& input) {
  const auto identity = platform::QueryFileIdentity(output);
  const auto source = platform::QueryFileIdentity(input);
  if (identity && source) written_[*identity] = *source;
}

}  // namespace pelorin
