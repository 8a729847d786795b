// view_offset.cpp: the View commands' offsets, the title, and locating a byte on the screen.
#include "view_offset.h"

#include <algorithm>
#include <cstdlib>

#include "colour_entry.h"
#include "redraw.h"
#include "screen/screen.h"

namespace pelorin {

namespace {

constexpr char16_t kDigits[] = u"0123456789ABCDEF";

Text LayoutTitle(std::int32_t width, const SpriteLayout& layout) {
  if (layout.screen == ScreenLayout::kSpectrumScreen) return u"Pelorin screen";
  Text title = u"Pelorin," + DecimalText(width);
  if (IsMasked(layout)) title += layout.showMasks ? u" masks" : u" masked";
  if (HasColumns(layout)) title += u" columns " + DecimalText(layout.columnHeight);
  return title;
}

}  // namespace

Text HexText(std::int64_t value) {
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
                           ViewStep step, const SpriteLayout& layout) {
  const std::int32_t w = std::clamp(width, kMinStripWidth, kMaxStripWidth);
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

TypedOffset ReadOffset(std::u16string_view text, const ReportError& reportError) {
  // Hex viewers write "0x"; the colour entry's forms, which lack it, stay as they are.
  const bool zeroX = text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X');
  const NumberNotation notation =
      zeroX ? NumberNotation{16, kDigits, text.substr(2)} : NotationOf(text);
  TypedOffset typed;
  const std::optional<std::int64_t> value =
      ParseLargeNumber(notation.body, notation.base, notation.digits, [&](const Text& message) {
        typed.wrongCharacter = true;
        reportError(message);
      });
  typed.value = value.value_or(0);
  typed.past64Bits = !value;
  return typed;
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

Text ViewTitle(std::int32_t width, std::int64_t offset, const SpriteLayout& layout) {
  const Text title = LayoutTitle(width, layout);
  return offset == 0 ? title : title + u" @ " + PositionText(offset);
}

Text GraphicsTitle(std::int32_t width, std::int64_t offset, std::size_t number, std::size_t count,
                   const SpriteLayout& layout) {
  if (count == 0) return ViewTitle(width, 0, layout) + u" graphics none";
  return ViewTitle(width, offset, layout) + u" graphics " +
         DecimalText(static_cast<long long>(number)) + u" of " +
         DecimalText(static_cast<long long>(count));
}

Text LocatedByteTitle(const ConverterState& state, std::optional<std::int64_t> position) {
  const Text title = ViewTitle(state.stripWidth, state.viewOffset, state.layout) + u" byte ";
  if (!position) return title + u"none";
  const std::uint8_t value =
      state.spriteData[static_cast<std::size_t>(*position - state.viewOffset)];
  return title + PositionText(*position) + u" = $" + kDigits[value >> 4] + kDigits[value & 15];
}

std::optional<std::int64_t> LocateByte(const ConverterState& state, std::int32_t x,
                                       std::int32_t y) {
  if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) return std::nullopt;
  const std::int32_t target = LineAddressTable[y] + x / 8;
  const std::int64_t held = HeldSpriteBytes(state);
  if (state.layout.screen == ScreenLayout::kSpectrumScreen) {
    if (target >= held) return std::nullopt;
    return state.viewOffset + target;
  }
  const std::int32_t width = std::clamp(state.stripWidth, kMinStripWidth, kMaxStripWidth);
  const std::int64_t length = PlacedSpriteBytes(state);
  // Laid-out byte k lands at line (k / width) mod 192, horizontal offset (k / width / 192) *
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
  const std::int64_t stored =
      Rearranges(state.layout) ? StoredIndex(state.layout, width, *last) : *last;
  if (stored >= held) return std::nullopt;
  return state.viewOffset + stored;
}

}  // namespace pelorin
