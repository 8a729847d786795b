// colour_answer_fuzz.cpp: applying arbitrary typed answers to the colour entry.
#include <cstdint>
#include <cstdlib>

#include "colour_entry.h"
#include "screen/pixel_buffer.h"
#include "fuzz_check.h"

// Input: the answer as UTF-16 units, two bytes each.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  Text answer;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    answer += static_cast<char16_t>(data[i] | data[i + 1] << 8);

  ConverterState state;
  state.fillAttribute = 0x5A;
  state.spriteData = {0xF0};
  state.spriteLength = 1;
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  std::vector<Text> messages;
  ApplyColourAnswer(state, answer, painter, [&](const Text& m) { messages.push_back(m); });

  Check(messages.size() <= 1);
  if (!messages.empty()) {
    Check(messages[0].size() == 17 && messages[0].compare(0, 16, u"Wrong character:") == 0);
  }
  if (answer.empty()) {
    Check(state.fillAttribute == 0x5A && buffer.PixelAt(0, 0) == 0xFFFFFF);
    return 0;
  }
  // Every attribute cell holds the new attribute, and the canvas shows it.
  Check(state.screen[kScreenBytes - 1] == state.fillAttribute);
  Check(buffer.PixelAt(0, 0) == InkTable[state.fillAttribute]);
  Check(buffer.PixelAt(4, 0) == PaperTable[state.fillAttribute]);
  return 0;
}
