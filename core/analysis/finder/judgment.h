// judgment.h: whether a run of one width holds pictures, and what kind, from the statistics
// of its bytes at that width.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "analysis/finder/cells.h"
#include "analysis/graphics_finder.h"

namespace pelorin::finder {

inline constexpr std::int64_t kJudgedBytes = 2048;  // enough to judge a region by
inline constexpr std::int64_t kColumnRows = 12;  // rows enough to judge each byte column on its own

// The stretch's statistics at one width, over its bytes.
struct Judgment {
  double correlation = 0;        // continuity one row down against that at other distances
  double exactCorrelation = 0;   // of the bits one row apart
  double worstBit = 0;           // the least correlated bit that varies
  std::int64_t inked = 0;        // bytes neither 0 nor 0xFF
  double maskedShare = 0;        // pairs of the best phase whose mask clears the graphic
  std::int32_t maskedPhase = 0;  // where the pairs of that phase begin: 0 or 1
  bool maskFirst = false;        // the first byte of those pairs is the mask
  bool font = false;
  bool tiles = false;
  std::int32_t blankRow = 0;        // of a font: where in each 8 bytes, from the start, the
  std::int32_t characterStart = 0;  // blank row lies, and where each character begins
  double text = 0;     // share of bytes that are letters, digits, blanks or punctuation
  double letters = 0;  // share of bytes that are letters
  double runs = 0;     // share of inked bytes equal to the byte before
  double ragged = 0;   // ink edges per byte that starts a run, as likely by chance as not
};

// Ink edges per byte that starts a run of equal bytes, blank bytes left out: about 3.5 for
// random bytes, 1 or 2 for the whole shapes of pictures.
double Ragged(const std::uint8_t* p, std::int64_t length);
// How far fewer unmatched bits the pairs inside 8-byte characters have than those across
// their edges, in standard deviations.
double TileEdges(const std::uint8_t* p, std::int64_t length);
// 1 - the bits unmatched one row down / those unmatched at other distances, from the cells.
double Continuity(const std::vector<Cell>& cells, std::int64_t origin, std::int64_t start,
                  std::int64_t length, std::int32_t width);
// The statistics of the bytes at the width.
Judgment Judge(const std::uint8_t* p, std::int64_t length, std::int32_t width, double continuity,
               double ragged);
// The share of rows in which some column steps evenly, as a table's numbers do.
double Counting(const std::uint8_t* p, std::int64_t length, std::int32_t width);
// 1 - unmatched pixels of neighbouring bytes that change / of bytes 5, 7 or 9 apart.
double Changes(const std::uint8_t* p, std::int64_t length);

// The bytes at the start (or the end) of a run that are a font of their own, 8-byte characters
// each with a blank row and a clear spacing column, judged a font at width 1; 0 where fewer
// than kLeastFontBytes are, or the whole run is.
std::int64_t FontAt(const std::uint8_t* p, std::int64_t length, bool fromEnd);

// The judgment of bytes at width 1 as a font's characters.
Judgment JudgeCharacters(const std::uint8_t* p, std::int64_t length);

// The rows of a region before or after a table of its width: the stretch of rows in which
// rows that step evenly in some column are fewest against the others, as a byte offset and
// a length, where the rows left out are a table's, most of them stepping evenly; the whole
// region otherwise.
std::pair<std::int64_t, std::int64_t> WithoutTable(const std::uint8_t* p, std::int64_t length,
                                                   std::int32_t width);

// Whether the run's bytes are mask and graphic bytes alternating.
bool Masked(const Judgment& j);

// What the run holds, from its judgment at its stored width.
GraphicsKind KindOf(const Judgment& j, std::int32_t width);

}  // namespace pelorin::finder
