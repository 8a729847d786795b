// colour_entry.cpp: the colour entry's default text and its answer.
#include "colour_entry.h"

#include "redraw.h"
#include "typed_number.h"

namespace pelorin {

Text DefaultColourText(std::uint8_t fillAttribute) {
  return Text{u'$', HexDigit(fillAttribute >> 4), HexDigit(fillAttribute)};
}

void ApplyColourAnswer(ConverterState& state, const Text& answer, CanvasPainter& painter,
                       const ReportError& reportError) {
  if (answer.empty()) return;
  state.fillAttribute = ReadAttribute(answer, reportError);
  Redraw(state, painter);
}

}  // namespace pelorin
