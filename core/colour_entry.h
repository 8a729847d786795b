// colour_entry.h: the typed fill attribute: its default text and how an answer is applied.
#pragma once

#include <cstdint>

#include "screen/canvas_painter.h"
#include "converter_state.h"

namespace pelorin {

// "$" and the attribute as two upper-case hexadecimal digits: $47 at start.
Text DefaultColourText(std::uint8_t fillAttribute);

// Reads the answer as ReadAttribute does and sets fillAttribute to it, then redraws. An
// empty answer (a cancelled dialog) does nothing. A wrong character is reported and ends the
// reading; what was read before it still counts.
void ApplyColourAnswer(ConverterState& state, const Text& answer, CanvasPainter& painter,
                       const ReportError& reportError);

}  // namespace pelorin
