// view_offset.h: browsing a file: how far the View commands and the wheel move the view
// offset, the offset typed into "Go to offset.." or given to the converter, the window title
// that shows it, and which file byte a pixel of the screen shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "converter_state.h"
#include "screen/layout.h"
#include "platform/text.h"

namespace pelorin {

enum class ViewStep {
  kNextScreen,
  kPreviousScreen,
  kNextRow,
  kPreviousRow,
  kNextByte,
  kPreviousByte,
  kStartOfFile,
};

// The offset after the step, for a source of `sourceLength` bytes shown at `width` through
// the layout. Steps move through the stored bytes: a row is the stored bytes of one laid-out
// row, a screen those of what one screen shows (RowStoredStep, ScreenStoredStep); a byte is
// a byte. Backward steps stop at 0; a forward step that would reach or pass the end is
// refused, and the offset stays.
std::int64_t SteppedOffset(std::int64_t offset, std::int64_t sourceLength, std::int32_t width,
                           ViewStep step, const SpriteLayout& layout = {});

// The offset after `notches` turns of the mouse wheel, forward when positive: three Next
// rows each, or one Next screen each `byScreens`, every step within the limits of its item.
std::int64_t WheeledOffset(std::int64_t offset, std::int64_t sourceLength, std::int32_t width,
                           std::int32_t notches, bool byScreens, const SpriteLayout& layout = {});

// The text "Go to offset.." offers: the offset in decimal.
Text DefaultOffsetText(std::int64_t offset);

// An offset as typed into "Go to offset.." or given to the converter's --offset: decimal,
// hexadecimal after "$", "#", "0x" or "0X", binary after "%", in 64 bits; a prefix alone is
// 0. A character that is no digit is reported as the colour entry reports it.
struct TypedOffset {
  std::int64_t value = 0;
  bool wrongCharacter = false;  // the value then counts for nothing
  bool past64Bits = false;      // past the end of any file
};
TypedOffset ReadOffset(std::u16string_view text, const ReportError& reportError);

// The offset an answer of "Go to offset.." asks for (ReadOffset); an offset at or past the
// end goes to the last byte. Nothing for an empty answer (a cancelled dialog) or a wrong
// character: the view stays where it is.
std::optional<std::int64_t> OffsetAnswer(const Text& answer, std::int64_t sourceLength,
                                         const ReportError& reportError);

// The sprite height an answer of "Stored by columns.." asks for, read as offsets are; 0
// turns the columns off, and more than 192 rows is 192. Nothing for an empty answer or a
// wrong character: the layout stays as it is.
std::optional<std::int32_t> ColumnHeightAnswer(const Text& answer, const ReportError& reportError);

// A position or offset as the titles and the converter show it: upper-case hexadecimal
// digits, and "D ($H)" with the decimal first: "6912 ($1B00)".
Text HexText(std::int64_t value);
Text PositionText(std::int64_t position);

// "Pelorin,W", then the layout's steps that are on (" masked", or " masks" while they are
// shown; " columns H"), and " @ D ($H)" while the offset is not 0:
// "Pelorin,3 masked columns 24 @ 6912 ($1B00)". The screen layout has no width:
// "Pelorin screen @ 16384 ($4000)".
Text ViewTitle(std::int32_t width, std::int64_t offset, const SpriteLayout& layout = {});

// The title at a region of graphics found: "Pelorin,W @ D ($H) graphics K of N" for the
// region numbered `number` (from 1) of `count`, the rest as ViewTitle shows it; with none
// found, "Pelorin,W graphics none".
Text GraphicsTitle(std::int32_t width, std::int64_t offset, std::size_t number, std::size_t count,
                   const SpriteLayout& layout = {});

// The view's title with the located byte after it, its position and value:
// "Pelorin,2 @ 6912 ($1B00) byte 6953 ($1B29) = $3C", or "... byte none" for none. The
// position is one LocateByte gave for this state.
Text LocatedByteTitle(const ConverterState& state, std::optional<std::int64_t> position);

// The position in the source file (view offset included) of the stored byte behind the
// pixel byte under pixel (x, y): through the layout's steps, the one that placement wrote
// last there. Nothing where no sprite byte lies (the byte was only cleared, or laid out as
// a zero past the end, nothing is loaded, or the pixel is off the screen). Worked out from
// the layout when asked, so that placement pays nothing for it.
std::optional<std::int64_t> LocateByte(const ConverterState& state, std::int32_t x, std::int32_t y);

}  // namespace pelorin
