// view_offset.cpp: the View commands' offsets, the title, and locating a byte on the screen.
#include "view_offset.h"

#include <algorithm>

#include "colour_entry.h"
#include "redraw.h"
#include "screen/screen.h"

namespace pelorin {

Text HexText(std::int64_t value) {
  constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  Text text;
  do {
    text.insert(text.begin(), kDigits[value & 15]);
    value >>= 4;
  } while (value > 0);
  return text;
}

Text PositionText(std::int64_t position) {
  return DecimalText(position) + u" ($" + HexText(position) + u")";
}

std::int64_t SteppedOffset(std::int64_t offset, std::int64_t sourceLength, std::int32_t width,
                           ViewStep step) {
  const std::int64_t w = std::clamp(width, kMinStripWidth, kMaxStripWidth);
  std::int64_t move = 0;
  switch (step) {
    case ViewStep::kNextScreen:
      move = ScreenStep(static_cast<std::int32_t>(w));
      break;
    case ViewStep::kPreviousScreen:
      move = -ScreenStep(static_cast<std::int32_t>(w));
      break;
    case ViewStep::kNextRow:
      move = w;
      break;
    case ViewStep::kPreviousRow:
      move = -w;
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

Text DefaultOffsetText(std::int64_t offset) {
  return DecimalText(offset);
}

std::optional<std::int64_t> OffsetAnswer(const Text& answer, std::int64_t sourceLength,
                                         const ReportError& reportError) {
  if (answer.empty()) return std::nullopt;
  const NumberNotation notation = NotationOf(answer);
  const std::int64_t offset =
      ParseLargeNumber(notation.body, notation.base, notation.digits, reportError);
  if (offset >= sourceLength) return std::max<std::int64_t>(sourceLength - 1, 0);
  return offset;
}

Text ViewTitle(std::int32_t width, std::int64_t offset) {
  const Text title = u"Pelorin," + DecimalText(width);
  return offset == 0 ? title : title + u" @ " + PositionText(offset);
}

Text GraphicsTitle(std::int32_t width, std::int64_t offset, std::size_t number, std::size_t count) {
  if (count == 0) return ViewTitle(width, 0) + u" graphics none";
  return ViewTitle(width, offset) + u" graphics " + DecimalText(static_cast<long long>(number)) +
         u" of " + DecimalText(static_cast<long long>(count));
}

Text LocatedByteTitle(std::int32_t width, std::optional<std::int64_t> position) {
  return u"Pelorin," + DecimalText(width) + u" byte " +
         (position ? PositionText(*position) : Text{u"none"});
}

std::optional<std::int64_t> LocateByte(const ConverterState& state, std::int32_t x,
                                       std::int32_t y) {
  if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) return std::nullopt;
  const std::int64_t width = std::clamp(state.stripWidth, kMinStripWidth, kMaxStripWidth);
  const std::int64_t length = PlacedSpriteBytes(state);
  const std::int32_t target = LineAddressTable[y] + x / 8;
  // Sprite byte k lands at line (k / width) mod 192, horizontal offset (k / width / 192) *
  // width + k mod width. Each line start at or before the target gives the one byte of its
  // line that lands there; bytes come in order, so the largest index present wrote last.
  std::optional<std::int64_t> last;
  for (int line = 0; line < kScreenHeight; ++line) {
    const std::int64_t along = target - LineAddressTable[line];
    if (along < 0) continue;
    const std::int64_t k = (along / width * kScreenHeight + line) * width + along % width;
    if (k < length && (!last || k > *last)) last = k;
  }
  if (!last) return std::nullopt;
  return state.viewOffset + *last;
}

}  // namespace pelorin
