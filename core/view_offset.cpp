// view_offset.cpp: the View commands' offsets and the answers of the offset and height
// dialogs.
#include "view_offset.h"

#include <algorithm>
#include <cstdlib>

#include "typed_number.h"

namespace pelorin {

std::int64_t SteppedOffset(std::int64_t offset, std::int64_t sourceLength, std::int32_t width,
                           ViewStep step, const SpriteLayout& layout) {
  const std::int32_t w = ClampStripWidth(width);
  std::int64_t move = 0;
  switch (step) {
    case ViewStep::kNextScreen:
      move = ScreenStoredStep(layout, w);
      break;
    case ViewStep::kPreviousScreen:
      move = -ScreenStoredStep(layout, w);
      break;
    case ViewStep::kNextRow:
      move = RowStoredStep(layout, w);
      break;
    case ViewStep::kPreviousRow:
      move = -RowStoredStep(layout, w);
      break;
    case ViewStep::kNextByte:
      move = 1;
      break;
    case ViewStep::kPreviousByte:
      move = -1;
      break;
    case ViewStep::kStartOfFile:
      return 0;
  }
  if (move < 0) return std::max<std::int64_t>(offset + move, 0);
  return offset + move >= sourceLength ? offset : offset + move;
}

std::int64_t WheeledOffset(std::int64_t offset, std::int64_t sourceLength, std::int32_t width,
                           std::int32_t notches, bool byScreens, const SpriteLayout& layout) {
  const bool forward = notches > 0;
  const ViewStep step = byScreens ? (forward ? ViewStep::kNextScreen : ViewStep::kPreviousScreen)
                                  : (forward ? ViewStep::kNextRow : ViewStep::kPreviousRow);
  const std::int32_t steps = std::abs(notches) * (byScreens ? 1 : 3);
  for (std::int32_t i = 0; i < steps; ++i)
    offset = SteppedOffset(offset, sourceLength, width, step, layout);
  return offset;
}

Text DefaultOffsetText(std::int64_t offset) {
  return DecimalText(offset);
}

std::optional<std::int64_t> OffsetAnswer(const Text& answer, std::int64_t sourceLength,
                                         const ReportError& reportError) {
  if (answer.empty()) return std::nullopt;
  const TypedOffset typed = ReadOffset(answer, reportError);
  if (typed.wrongCharacter) return std::nullopt;
  if (typed.past64Bits || typed.value >= sourceLength)
    return std::max<std::int64_t>(sourceLength - 1, 0);
  return typed.value;
}

std::optional<std::int32_t> ColumnHeightAnswer(const Text& answer, const ReportError& reportError) {
  if (answer.empty()) return std::nullopt;
  const TypedOffset typed = ReadOffset(answer, reportError);
  if (typed.wrongCharacter) return std::nullopt;
  return typed.past64Bits
             ? kMaxColumnHeight
             : static_cast<std::int32_t>(std::min<std::int64_t>(typed.value, kMaxColumnHeight));
}

}  // namespace pelorin
