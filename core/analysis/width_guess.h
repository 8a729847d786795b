// width_guess.h: guessing the strip width at which a run of bytes looks like pictures.
#pragma once

#include <array>
#include <cstdint>

#include "screen/screen.h"

namespace pelorin {

struct WidthGuess {
  // The candidate widths, best first: ranked[0] is the guess. Only the first `count`
  // entries are used, and there is always at least one.
  std::array<std::int32_t, kMaxStripWidth> ranked{kMinStripWidth};
  std::int32_t count = 1;
  // True when the bytes gave no good reason for the first width: too few of them to hold
  // two rows at any width (the guess is then width 1 alone), nothing in them repeats from
  // row to row at any width (a blank or a noisy run), or the runner-up scores as well.
  bool unsure = true;
};

// Scores every width from 1 to 31 on the picture that starts at the first byte, as the
// screen lays it out from there, and ranks them: what follows further on (code, graphics of
// another width) does not outweigh it. A width is a candidate only when the bytes hold at
// least two rows at it. The same bytes give the same guess.
WidthGuess GuessStripWidth(const std::uint8_t* bytes, std::int32_t length);

}  // namespace pelorin
