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

Text OutputBase(const Text& input, const Text& outputFolder) {
  if (outputFolder.empty()) return input;
  Text base = outputFolder;
  if (kSeparators.find(base.back()) == std::u16string_view::npos) base += kSeparator;
  return base + platform::FileNamePart(input);
}

OutputGuard::OutputGuard(const std::vector<Text>& inputs) {
  for (const Text& input : inputs)
    if (const auto identity = platform::QueryFileIdentity(input)) {
      inputs_.insert(*identity);
      inputNamed_.emplace(input, *identity);
    }
}

Text OutputGuard::Refusal(const Text& output, const Text& input) const {
  // An output that does not exist yet cannot be an input or an earlier output.
  const auto identity = platform::QueryFileIdentity(output);
  if (!identity) return {};
  if (inputs_.contains(*identity)) return u"would replace an input file: " + output;
  const auto earlier = written_.find(*identity);
  const auto source = inputNamed_.find(input);
  if (earlier != written_.end() &&
      (source == inputNamed_.end() || earlier->second != source->second))
    return u"already written from another input: " + output;
  return {};
}

void OutputGuard::Record(const Text& output, const Text& input) {
  const auto identity = platform::QueryFileIdentity(output);
  const auto source = inputNamed_.find(input);
  if (identity && source != inputNamed_.end()) written_[*identity] = source->second;
}

}  // namespace pelorin
