// output_files.h: where each output goes, and the rules that keep outputs off the inputs.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "platform/platform.h"
#include "platform/text.h"

namespace pelorin {

// The path that Save appends ".scr" (and the converter ".png") to: the input itself, or
// with an output folder, the input's file name inside that folder.
Text OutputBase(const Text& input, const Text& outputFolder);

// Refuses any output that is one of the inputs, however either is spelt, and any output
// that a different input of the same run has already written (two inputs of one name sent
// to one folder), so that nothing the user gave or got is lost without a word.
class OutputGuard {
 public:
  explicit OutputGuard(const std::vector<Text>& inputs);

  // Why `output` may not be written for `input`; empty text when it may.
  Text Refusal(const Text& output, const Text& input) const;
  // Notes that `output` now holds what was made from `input`.
  void Record(const Text& output, const Text& input);

 private:
  std::set<platform::FileIdentity> inputs_;
  std::map<Text, platform::FileIdentity> inputNamed_;  // each input that exists, as given
  std::map<platform::FileIdentity, platform::FileIdentity> written_;  // output -> its input
};

}  // namespace pelorin
