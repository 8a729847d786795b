// view_offset.h: browsing a file: how far the View commands move the view offset, the offset
// typed into "Go to offset..", the window title that shows it, and which file byte a pixel
// of the screen shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "converter_state.h"
#include "screen/placement.h"
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

// The offset after the step, for a source of `sourceLength` bytes shown at `width`. Backward
// steps stop at 0; a forward step that would reach or pass the end is refused, and the
// offset stays.
std::int64_t SteppedOffset(std::int64_t offset, std::int64_t sourceLength, std::int32_t width,
                           ViewStep step);

// The text "Go to offset.." offers: the offset in decimal.
Text DefaultOffsetText(std::int64_t offset);

// The offset an answer of "Go to offset.." asks for, read as the colour entry reads its
// answer (decimal, "$" or "#" hexadecimal, "%" binary; a wrong character is reported and
// what was read before it counts) but in 64 bits. An offset at or past the end goes to the
// last byte. Nothing for an empty answer (a cancelled dialog).
std::optional<std::int64_t> OffsetAnswer(const Text& answer, std::int64_t sourceLength,
                                         const ReportError& reportError);

// A position or offset as the titles and the converter show it: upper-case hexadecimal
// digits, and "D ($H)" with the decimal first: "6912 ($1B00)".
Text HexText(std::int64_t value);
Text PositionText(std::int64_t position);

// "Pelorin,W", and " @ D ($H)" after it while the offset is not 0: "Pelorin,3 @ 6912 ($1B00)".
Text ViewTitle(std::int32_t width, std::int64_t offset);

// The title at a region of graphics found: "Pelorin,W @ D ($H) graphics K of N" for the
// region numbered `number` (from 1) of `count`, the offset as ViewTitle shows it; with none
// found, "Pelorin,W graphics none".
Text GraphicsTitle(std::int32_t width, std::int64_t offset, std::size_t number, std::size_t count);

// "Pelorin,W byte B ($H)" for a located byte, "Pelorin,W byte none" for none.
Text LocatedByteTitle(std::int32_t width, std::optional<std::int64_t> position);

// The position in the source file (view offset included) of the sprite byte that placement
// wrote last into the pixel byte under pixel (x, y), or nothing where no sprite byte lies
// (the byte was only cleared, nothing is loaded, or the pixel is off the screen). Worked
// out from the layout when asked, so that placement pays nothing for it.
std::optional<std::int64_t> LocateByte(const ConverterState& state, std::int32_t x, std::int32_t y);

}  // namespace pelorin
