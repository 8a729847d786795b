// typed_number.h: numbers as the user types them (the fill colour, an offset, a height) and
// as the titles write them: the one place that reads and writes digits.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "converter_state.h"

namespace pelorin {

// The upper-case hexadecimal digit of a value from 0 to 15.
char16_t HexDigit(std::uint32_t value);

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

// An attribute as the colour entry reads it: decimal, "$" or "#" hexadecimal, "%" binary;
// only the low 8 bits count. A wrong character is reported and what was read before it
// counts.
std::uint8_t ReadAttribute(std::u16string_view text, const ReportError& reportError);

// An offset as typed into "Go to offset.." or given to the converter's --offset: decimal,
// hexadecimal after "$", "#", "0x" or "0X", binary after "%", in 64 bits; a prefix alone is
// 0. A character that is no digit is reported as the colour entry reports it.
struct TypedOffset {
  std::int64_t value = 0;
  bool wrongCharacter = false;  // the value then counts for nothing
  bool past64Bits = false;      // past the end of any file
};
TypedOffset ReadOffset(std::u16string_view text, const ReportError& reportError);

// A position or offset as the titles and the converter show it: upper-case hexadecimal
// digits, and "D ($H)" with the decimal first: "6912 ($1B00)". A byte is two digits: "3C".
Text HexText(std::int64_t value);
Text PositionText(std::int64_t position);
Text ByteHexText(std::uint8_t value);

}  // namespace pelorin
