// bounds.h: where a run of one width begins and ends, to the byte, and a font's to the
// character.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/finder/judgment.h"
#include "analysis/finder/weighing.h"

namespace pelorin::finder {

struct Found {
  GraphicsRegion region;
  double score;
};

// The stored bytes the region's rows repeat at: a row of its width, twice as many bytes when
// masked, a whole sprite when stored by columns, a screen.
std::int64_t StoredUnit(const GraphicsRegion& region);

// The region cut to whole units at its end.
void WholeUnits(GraphicsRegion& region);

// The byte where a run's evidence begins and the byte after its last row, found from how
// well each byte continues into the one a row down, around the cells' coarse bounds.
Found BoundRun(const std::uint8_t* data, std::int64_t available, std::int64_t origin,
               const std::vector<double>& usualAround, const Segment& segment);

// The width of a run's rows, which the division found at `width`: the narrowest width that
// divides it at which the rows stand out of the widths beside them nearly as well and continue
// better one row down than two (or, at half of it, are no mask and graphic pairs), as the rows
// of frames stored one after another do, which also repeat a frame on; `width` where none does.
std::int32_t RowWidth(const std::uint8_t* data, const std::vector<Cell>& cells,
                      const Evidence& evidence, std::int64_t origin, std::int64_t start,
                      std::int64_t length, std::int32_t width);

// The width of rows stored right to left every other row, as some engines draw them: half the
// region's width, where each half-row mirrored, in bytes or in pairs of bytes (always in pairs
// where `pairs` are a mask and its graphic), continues into the next better than the rows two
// apart do (the region's start then moved onto a row); the region's width otherwise.
std::int32_t SerpentineWidth(const std::uint8_t* data, GraphicsRegion& region, bool pairs);

// A picture goes on over rows filled the same, as the ground below hills is, though they hold
// no edges to measure: the region, at its stored width, takes in the runs of two or more
// identical rows that are not blank right after its end, as many bytes as it holds at most.
void TakeFilledRows(const std::uint8_t* data, std::int64_t available, GraphicsRegion& region);

// A font starts and ends with whole characters: where its evidence began and ended inside a
// character, or on bytes before or after it that are no characters, its bounds move to the
// nearest characters, and take in those just outside as far as they look like its characters,
// the space that most fonts begin with included.
void TakeWholeCharacters(const std::uint8_t* data, std::int64_t available, GraphicsRegion& region,
                         const Judgment& j);

}  // namespace pelorin::finder
