// colour_entry.cpp: the colour entry's default text and the reading of typed numbers.
#include "colour_entry.h"

#include "platform.h"
#include "redraw.h"

namespace pelorin {

namespace {
constexpr std::u16string_view kHexDigits = u"0123456789ABCDEF";
}

Text DefaultColourText(std::uint8_t fillAttribute) {
  return Text{u'$', kHexDigits[fillAttribute >> 4], kHexDigits[fillAttribute & 15]};
}

std::int32_t ParseNumber(std::u16string_view text, std::int32_t base, std::u16string_view digits,
                         const ReportError& reportError) {
  std::uint32_t result = 0;  // unsigned, so that overflow wraps as the answer expects
  for (const char16_t typed : text) {
    const char16_t c = platform::UpperCase(typed);
    const std::size_t digit = digits.find(c);
    if (digit == std::u16string_view::npos) {
      reportError(Text{u"Wrong character:"} + c);
      break;
    }
    result = result * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
  }
  return static_cast<std::int32_t>(result);
}

void ApplyColourAnswer(ConverterState& state, const Text& answer, CanvasPainter& painter,
                       const ReportError& reportError) {
  if (answer.empty()) return;
  const std::u16string_view text = answer;
  std::int32_t value;
  if (text[0] == u'$' || text[0] == u'#') {
    value = ParseNumber(text.substr(1), 16, kHexDigits, reportError);
  } else if (text[0] == u'%') {
    value = ParseNumber(text.substr(1), 2, u"01", reportError);
  } else {
    value = ParseNumber(text, 10, u"0123456789", reportError);
  }
  state.fillAttribute = static_cast<std::uint8_t>(value & 255);
  Redraw(state, painter);
}

}  // namespace pelorin
