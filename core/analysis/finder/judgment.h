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
  int bitsUsed = 0;    // pixel columns of the byte that hold ink in some rows
  double runs = 0;     // share of inked bytes equal to the byte before
  double ragged = 0;   // ink edges per byte that starts a run, as likely by chance as not
};

// The width of a run's rows: its width, or half of it where the bytes half a row on continue
// at least as well as those a row on, as the rows of a sheet half as wide do (two of its rows
// side by side continue two rows down, less well than one row down), and so on.
std::int32_t RowWidth(const std::vector<Cell>& cells, std::int64_t origin, std::int64_t start,
                      std::int64_t length, std::int32_t width);

// The bytes at the start (or the end) of a run that are a font of their own, 8-byte characters
// each with a blank row and a clear spacing column, judged a font at width 1; 0 where fewer
// than kLeastFontBytes are, or the whole run is.
std::int64_t FontAt(const std::uint8_t* p, std::int64_t length, bool fromEnd);

// The judgment of bytes at width 1 as a font's characters.
Judgment JudgeCharacters(const std::uint8_t* p, std::int64_t length);

// Whether the region of the bytes, with the evidence `score` of its run, holds pictures: its
// evidence enough for how ragged its bytes are, and its statistics a picture's; `j` then
// holds them. `cells` from `origin` measured the bytes.
bool JudgeRun(const std::uint8_t* data, const std::vector<Cell>& cells, std::int64_t origin,
              const GraphicsRegion& region, double score, Judgment& j);

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
