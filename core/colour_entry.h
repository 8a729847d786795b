// colour_entry.h: the typed fill attribute: its default text and how an answer is read.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "screen/canvas_painter.h"
#include "converter_state.h"

namespace pelorin {

// "$" and the attribute as two upper-case hexadecimal digits: $47 at start.
Text DefaultColourText(std::uint8_t fillAttribute);

// Reads the answer, decimal, or hexadecimal after "$" or "#", or binary after "%", and sets
// fillAttribute to its low 8 bits, then redraws. An empty answer (a cancelled dialog) does
// nothing. A wrong character is reported and ends the reading; what was read before it
// still counts.
void ApplyColourAnswer(ConverterState& state, const Text& answer, CanvasPainter& painter,
                       const ReportError& reportError);

// The number written in the text with the given base and digits (upper-case), in 32-bit
// arithmetic that wraps. A character that is no digit is reported as "Wrong character:"
// and the character upper-cased, and the value read before it is returned.
std::int32_t ParseNumber(std::u16string_view text, std::int32_t base, std::u16string_view digits,
                         const ReportError& reportError);

// How a typed number is written: its first character picks the base ("$" or "#"
// hexadecimal, "%" binary, anything else decimal, the whole text), the rest is the digits.
struct NumberNotation {
  std::int32_t base;
  std::u16string_view digits;  // upper-case, in order of value
  std::u16string_view body;    // the text that holds the number
};
NumberNotation NotationOf(std::u16string_view answer);

// ParseNumber for counts that need all 64 bits: read the same way, but nothing for a number
// too large to hold.
std::optional<std::int64_t> ParseLargeNumber(std::u16string_view text, std::int32_t base,
                                             std::u16string_view digits,
                                             const ReportError& reportError);

}  // namespace pelorin
