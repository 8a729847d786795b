// layouts.cpp: a run's layout told from its bytes: where its pairs and rows begin, which byte
// of a pair is the mask, and whether its sprites are stored column by column.
//
// Pixels side by side in a row continue from one byte into the next: the last pixel of a byte
// and the first of the byte to its right are often both set, where a shape crosses their
// seam. The seams between the last byte of a row and the first of the next are no seams of
// the picture: that place in the row is where its rows begin. Sprites stored by columns hold
// their seams one column height apart, and across the seam between two sprites none.
#include "analysis/finder/layouts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace pelorin::finder {

namespace {

constexpr std::int64_t kLookedBytes = 4096;  // rows enough to tell the layout by
// A place stands out from the others where its count lies this many standard deviations away
// from theirs, as counts that chance alone spreads.
constexpr double kStandsOut = 3.0;
// Sprites stored by columns: the heights of a column looked at, and the most columns.
constexpr std::int32_t kLeastColumnHeight = 8;
constexpr std::int32_t kMostColumnHeight = 64;
constexpr std::int32_t kMostColumns = 8;
// The rows of a character: the most blank rows below a column that engines pad it with.
constexpr std::int32_t kCharacterRows = 8;
// The share of the shapes at a column's right edge that go on into the next column.
constexpr double kGoesOn = 0.5;
// A stretch of masked pairs: what a pair of two inked bytes that share pixels costs it, against
// one that shares none, and the fewest pairs of two inked bytes that make one.
constexpr double kSharedCost = 4;
constexpr std::int64_t kLeastMaskedPairs = 16;

// The graphic bytes of a run: every byte, or one of each pair.
struct Graphic {
  const std::uint8_t* first;  // the first graphic byte
  std::int64_t count;
  std::int32_t step;  // 2 when masked

  std::uint8_t operator[](std::int64_t k) const { return first[k * step]; }
};

// Both pixels at the seam of `left` and `right` set: a shape crossing from one into the other.
std::int32_t Seam(std::uint8_t left, std::uint8_t right) {
  return (left & 1) & (right >> 7);
}

// The place in `period` after the one whose seams with the byte `lag` on hold by far the
// fewest inked pairs, `unit` graphic bytes to a place: where rows (or sprites) begin, counted
// in places from the first; and by how many standard deviations it stands out, below
// kStandsOut where no place does.
struct Beginning {
  std::int64_t at = 0;
  double deviations = 0;
};

Beginning BeginningOf(const Graphic& g, std::int64_t period, std::int64_t lag, std::int64_t unit) {
  std::vector<double> seams(static_cast<std::size_t>(period), 0);
  std::int64_t place = 0, inPlace = 0;  // k / unit % period, counted along
  for (std::int64_t k = 0; k + lag < g.count; ++k) {
    seams[static_cast<std::size_t>(place)] += Seam(g[k], g[k + lag]);
    if (++inPlace == unit) {
      inPlace = 0;
      if (++place == period) place = 0;
    }
  }
  const auto fewest = std::min_element(seams.begin(), seams.end());
  double others = 0;
  for (const double s : seams) others += s;
  others = (others - *fewest) / static_cast<double>(period - 1);
  return {((fewest - seams.begin()) + 1) % period, (others - *fewest) / std::sqrt(others + 1)};
}

// A blank graphic byte: 0, with its mask all set when masked.
bool BlankAt(const std::uint8_t* p, bool masked, bool maskFirst) {
  if (!masked) return *p == 0;
  return p[maskFirst ? 1 : 0] == 0 && p[maskFirst ? 0 : 1] == 0xFF;
}

// The height of the columns of sprites stored by columns: the distance at which graphic bytes
// share the most seams, where that stands far above the other distances and most shapes
// that reach a column's right edge go on there; 0 otherwise.
std::int32_t ColumnHeight(const Graphic& g) {
  std::array<double, kMostColumnHeight + 1> seams{};
  double rightEdges = 0;
  // Only bytes whose last pixel is set can share a seam: each looked at once, against the byte
  // at every distance.
  for (std::int64_t k = 0; k + kMostColumnHeight < g.count; ++k) {
    if ((g[k] & 1) == 0) continue;
    ++rightEdges;
    for (std::int32_t lag = kLeastColumnHeight; lag <= kMostColumnHeight; ++lag)
      seams[static_cast<std::size_t>(lag)] += g[k + lag] >> 7;
  }
  const auto first = seams.begin() + kLeastColumnHeight;
  const auto most = std::max_element(first, seams.end());
  std::vector<double> others(first, seams.end());
  std::nth_element(others.begin(), others.begin() + std::ssize(others) / 2, others.end());
  const double usual = others[others.size() / 2];
  if (*most - usual < kStandsOut * std::sqrt(usual + 1) || *most < kGoesOn * rightEdges) return 0;
  return static_cast<std::int32_t>(most - seams.begin());
}

// How many columns each sprite has: the count of column heights whose place of seams that no
// shape crosses, where one sprite ends and the next begins, stands out the most.
std::int32_t SpriteColumns(const Graphic& g, std::int32_t height) {
  std::int32_t best = 2;
  double most = 0;
  for (std::int32_t columns = 2; columns <= kMostColumns; ++columns) {
    const double deviations = BeginningOf(g, columns, height, height).deviations;
    if (deviations > most) {
      most = deviations;
      best = columns;
    }
  }
  return best;
}

// Which byte of each pair is the mask: the one set at the edges of the sprites' boxes, which
// show what lies behind; failing that, the one with more pixels set. `rowBytes` stored bytes
// make a row, `height` rows a column (1 by rows).
bool MaskFirst(const std::uint8_t* p, std::int64_t length, std::int64_t rowBytes,
               std::int32_t height) {
  std::int64_t edges[2] = {}, bits[2] = {};
  for (std::int64_t row = 0; (row + 1) * rowBytes <= length; ++row) {
    const std::uint8_t* first = p + row * rowBytes;
    const std::uint8_t* last = first + rowBytes - 2;
    const bool columnEdge = height > 1 && (row % height == 0 || row % height == height - 1);
    for (int k = 0; k < 2; ++k) {
      edges[k] += columnEdge ? BitsOfByte(first[k]) : (first[k] >> 7) + (last[k] & 1);
      bits[k] += BitsOfByte(first[k]);
    }
  }
  if (edges[0] != edges[1]) return edges[0] > edges[1];
  return bits[0] > bits[1];
}

// The row, counted from `p`, at which the columns of sprites stored by columns `height` rows
// high begin: the row after the padding below each column, where the rows blank in every
// column are found, a character's rows of them the padding and the rest the figures' own,
// above and below them; 0 where no row is blank in every column.
std::int32_t ColumnStart(const std::uint8_t* p, std::int64_t rows, std::int32_t height,
                         std::int32_t step, bool masked, bool maskFirst) {
  if (rows < 2 * std::int64_t{height}) return 0;
  std::vector<std::uint8_t> blank(static_cast<std::size_t>(height), 1);
  for (std::int64_t k = 0; k < rows; ++k)
    blank[static_cast<std::size_t>(k % height)] &= BlankAt(p + k * step, masked, maskFirst);
  // The longest run of blank rows, going round the column.
  std::int32_t longest = 0, end = 0;
  for (std::int32_t row = 0, run = 0; row < 2 * height; ++row) {
    run = blank[static_cast<std::size_t>(row % height)] ? run + 1 : 0;
    if (run > longest && run <= height) {
      longest = run;
      end = (row + 1) % height;
    }
  }
  if (longest == 0 || longest == height) return 0;
  // The rest are the figures' own: as likely below them as above, half taken for each.
  const std::int32_t padding = std::min(longest, kCharacterRows);
  const std::int32_t below = (longest - padding) / 2;
  return (end - longest + below + padding + height) % height;
}

// The one place among each sprite's `columns` columns, counted from the first looked at, whose
// graphic bytes are blank in every whole sprite; -1 where none or more than one is.
std::int32_t BlankColumn(const Graphic& g, std::int32_t columns, std::int32_t height) {
  const std::int64_t sprites = g.count / (std::int64_t{columns} * height);
  if (sprites < 2) return -1;
  std::int32_t found = -1;
  for (std::int32_t place = 0; place < columns; ++place) {
    bool blank = true;
    for (std::int64_t s = 0; s < sprites && blank; ++s)
      for (std::int64_t k = (s * columns + place) * height; k < (s * columns + place + 1) * height;
           ++k)
        blank = blank && g[k] == 0;
    if (!blank) continue;
    if (found >= 0) return -1;
    found = place;
  }
  return found;
}

}  // namespace

std::pair<std::int64_t, std::int64_t> MaskedStretch(const std::uint8_t* p, std::int64_t length) {
  std::pair<std::int64_t, std::int64_t> best{0, 0};
  double bestSum = 0;
  std::int64_t bestPairs = 0;
  for (std::int64_t phase = 0; phase < 2; ++phase) {
    double sum = 0;
    std::int64_t first = phase, pairs = 0;
    for (std::int64_t i = phase; i + 1 < length; i += 2) {
      const std::uint8_t a = p[i], b = p[i + 1];
      const bool both = a != 0 && b != 0;
      if (sum <= 0) {
        sum = 0;
        first = i;
        pairs = 0;
      }
      sum += !both ? 0 : (a & b) == 0 ? 1 : -kSharedCost;
      pairs += both && (a & b) == 0;
      if (sum > bestSum) {
        bestSum = sum;
        best = {first, i + 2 - first};
        bestPairs = pairs;
      }
    }
  }
  if (bestPairs < kLeastMaskedPairs || best.second + 2 >= length) return {0, 0};
  return best;
}

void SetLayout(const std::uint8_t* data, std::int64_t available, const Judgment& j,
               GraphicsRegion& region) {
  const bool masked = Masked(j);
  const std::int32_t step = masked ? 2 : 1;
  if (masked) {
    region.start += j.maskedPhase;
    region.length -= j.maskedPhase;
  }
  const std::int64_t looked = std::min(region.length, kLookedBytes);
  const std::int32_t across = region.width / step;
  const auto graphic = [&](int k) { return Graphic{data + region.start + k, looked / step, step}; };
  // Which byte of each pair is the graphic: where rows hold more than one, the one whose rows
  // begin where shapes stop crossing the seams. A mask's shapes cross them there the most.
  int maskFirst = -1;
  Beginning row;
  if (across > 1) {
    row = BeginningOf(graphic(0), across, 1, 1);
    if (masked) {
      const Beginning second = BeginningOf(graphic(1), across, 1, 1);
      maskFirst = second.deviations > row.deviations;
      if (maskFirst) row = second;
      if (std::max(row.deviations, second.deviations) < kStandsOut) maskFirst = -1;
    }
  }
  std::int32_t height = 0, columns = across;
  if (across > 1) {
    // The partial row before the start is taken in whole.
    if (row.deviations >= kStandsOut && row.at > 0) {
      const std::int64_t back = (across - row.at) * step;
      const bool room = region.start >= back;
      region.start += room ? -back : row.at * step;
      region.length += room ? back : -row.at * step;
    }
  } else if ((height = ColumnHeight(graphic(0))) > 0) {
    columns = SpriteColumns(graphic(0), height);
    // Columns of a character's height are characters side by side, as a tile set holds: shown
    // as they are stored, one above the other.
    if (looked / step < 2 * std::int64_t{columns} * height || height == kCharacterRows) height = 0;
  }
  if (masked && maskFirst < 0) {
    const std::int64_t rowBytes = height > 0 ? 2 : 2 * std::int64_t{across};
    maskFirst = MaskFirst(data + region.start,
                          std::min({region.length, available - region.start, kLookedBytes}),
                          rowBytes, std::max(height, 1));
  }
  if (masked)
    region.layout.masks = maskFirst == 1 ? MaskOrder::kMaskFirst : MaskOrder::kGraphicFirst;
  region.width = across;
  if (height == 0) return;
  // Sprites by columns: a column begins on its first row, after the rows blank in every
  // column, which are the blank rows below the one before (a character's rows at most, as
  // engines shift sprites down by less than one) and its own blank rows above its figure.
  const std::int32_t first =
      ColumnStart(data + region.start, looked / step, height, step, masked, maskFirst == 1);
  if (first > 0) {
    const bool back = 2 * first > height && region.start >= (height - first) * step;
    const std::int64_t move = back ? -(height - first) * step : first * step;
    region.start += move;
    region.length -= move;
  }
  const Graphic shifted{data + region.start + (maskFirst == 1 ? 1 : 0), looked / step, step};
  Beginning sprite = BeginningOf(shifted, columns, height, height);
  // A column blank in every sprite is the room a sprite shifted right moves into: its last.
  const std::int32_t room = BlankColumn(shifted, columns, height);
  if (room >= 0) sprite = {(room + 1) % columns, kStandsOut};
  if (sprite.deviations >= kStandsOut && sprite.at > 0) {
    const std::int64_t back = (columns - sprite.at) * height * step;
    const bool room = region.start >= back;
    region.start += room ? -back : sprite.at * height * step;
    region.length += room ? back : -sprite.at * height * step;
  }
  region.layout.columnHeight = height;
  region.width = columns;
  region.kind = GraphicsKind::kSprites;
}

}  // namespace pelorin::finder
