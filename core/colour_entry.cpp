// colour_entry.cpp: the colour entry's default text and the reading of typed numbers.
#include "colour_entry.h"

#include <limits>

#include "platform/platform.h"
#include "redraw.h"

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

Text DefaultColourText(std::uint8_t fillAttribute) {
  return Text{u'$', kHexDigits[fillAttribute >> 4], kHexDigits[fillAttribute & 15]};
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

void ApplyColourAnswer(ConverterState& state, const Text& answer, CanvasPainter& painter,
                       const ReportError& reportError) {
  if (answer.empty()) return;
  const NumberNotation notation = NotationOf(answer);
  const std::int32_t value =
      ParseNumber(notation.body, notation.base, notation.digits, reportError);
  state.fillAttribute = static_cast<std::uint8_t>(value & 255);
  Redraw(state, painter);
}

}  // namespace pelorin
