// typed_number.cpp: reading typed numbers in their notations and writing hexadecimal.
#include "typed_number.h"

#include <limits>

#include "platform/platform.h"

namespace pelorin {

namespace {

constexpr std::u16string_view kHexDigits = u"0123456789ABCDEF";

// Hands each digit's value to `add` in order; the first character that is no digit is
// reported, upper-cased, and ends the reading.
template <typename Add>
void ReadDigits(std::u16string_view text, std::u16string_view digits,
                const ReportError& reportError, Add add) {
  for (const char16_t typed : text) {
    const char16_t c = platform::UpperCase(typed);
    const std::size_t digit = digits.find(c);
    if (digit == std::u16string_view::npos) {
      reportError(Text{u"Wrong character:"} + c);
      return;
    }
    add(static_cast<std::uint32_t>(digit));
  }
}

}  // namespace

char16_t HexDigit(std::uint32_t value) {
  return kHexDigits[value & 15];
}

std::int32_t ParseNumber(std::u16string_view text, std::int32_t base, std::u16string_view digits,
                         const ReportError& reportError) {
  std::uint32_t result = 0;  // unsigned, so that overflow wraps as the answer expects
  ReadDigits(text, digits, reportError, [&](std::uint32_t digit) {
    result = result * static_cast<std::uint32_t>(base) + digit;
  });
  return static_cast<std::int32_t>(result);
}

std::optional<std::int64_t> ParseLargeNumber(std::u16string_view text, std::int32_t base,
                                             std::u16string_view digits,
                                             const ReportError& reportError) {
  constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
  std::int64_t result = 0;
  bool fits = true;
  ReadDigits(text, digits, reportError, [&](std::uint32_t digit) {
    if (result > (kLargest - digit) / base) fits = false;
    if (fits) result = result * base + digit;
  });
  if (!fits) return std::nullopt;
  return result;
}

NumberNotation NotationOf(std::u16string_view answer) {
  if (!answer.empty() && (answer[0] == u'$' || answer[0] == u'#'))
    return {16, kHexDigits, answer.substr(1)};
  if (!answer.empty() && answer[0] == u'%') return {2, u"01", answer.substr(1)};
  return {10, u"0123456789", answer};
}

std::uint8_t ReadAttribute(std::u16string_view text, const ReportError& reportError) {
  const NumberNotation notation = NotationOf(text);
  return static_cast<std::uint8_t>(
      ParseNumber(notation.body, notation.base, notation.digits, reportError) & 255);
}

TypedOffset ReadOffset(std::u16string_view text, const ReportError& reportError) {
  // Hex viewers write "0x"; the colour entry's forms, which lack it, stay as they are.
  const bool zeroX = text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X');
  const NumberNotation notation =
      zeroX ? NumberNotation{16, kHexDigits, text.substr(2)} : NotationOf(text);
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

Text HexText(std::int64_t value) {
  Text text;
  do {
    text.insert(text.begin(), HexDigit(static_cast<std::uint32_t>(value & 15)));
    value >>= 4;
  } while (value > 0);
  return text;
}

Text PositionText(std::int64_t position) {
  return DecimalText(position) + u" ($" + HexText(position) + u")";
}

Text ByteHexText(std::uint8_t value) {
  return Text{HexDigit(value >> 4), HexDigit(value)};
}

}  // namespace pelorin
