// judgment.cpp: the statistics of a run at its width, and what they say of it.
#include "analysis/finder/judgment.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pelorin::finder {

namespace {

// A table: how much a row that steps evenly weighs against one that does not; the share of
// the rows left out that must step evenly.
constexpr std::int64_t kTableRowCost = 3;
constexpr double kTableShare = 0.6;
constexpr double kMaskedShare = 0.9;       // of pairs whose mask clears the graphic
constexpr std::uint32_t kMaskedPairs = 8;  // pairs of two inked bytes enough to tell
// The fewest bytes of characters at a run's end that make a font of their own.
constexpr std::int64_t kLeastFontBytes = 256;

// Words of counts up to `most` in each byte added up, a count for each place in 8, spilled
// before a byte can overflow: the judgment's counts taken eight bytes at a time.
class PlaceCounts {
 public:
  explicit PlaceCounts(int most = 1) : words_(255 / most), left_(words_) {}
  void Add(std::uint64_t counts) {
    lanes_ += counts;
    if (--left_ == 0) Spill();
  }
  std::int64_t At(std::size_t place) {
    Spill();
    return counts_[place];
  }
  std::int64_t Total() {
    Spill();
    std::int64_t total = 0;
    for (const std::int64_t count : counts_) total += count;
    return total;
  }

 private:
  void Spill() {
    for (std::size_t k = 0; k < 8; ++k)
      counts_[k] += static_cast<std::int64_t>(lanes_ >> (8 * k) & 0xFF);
    lanes_ = 0;
    left_ = words_;
  }
  std::array<std::int64_t, 8> counts_{};
  std::uint64_t lanes_ = 0;
  int words_;  // added between spills
  int left_;
};

// Ink edges per byte that starts a run of equal bytes, blank bytes left out: about 3.5 for
// random bytes, 1 or 2 for the whole shapes of pictures.
}  // namespace

double Ragged(const std::uint8_t* p, std::int64_t length) {
  if (length <= 0) return 0;
  std::int64_t starts = p[0] != 0, edges = p[0] != 0 ? BitsOfByte((p[0] ^ (p[0] >> 1)) & 0x7F) : 0;
  PlaceCounts started, edged(7);
  std::int64_t i = 1;
  for (; i + 8 <= length; i += 8) {
    const std::uint64_t word = Load(p + i);
    const std::uint64_t starting = ~ZeroBytes(word) & ~ZeroBytes(word ^ Load(p + i - 1)) & kOnes;
    started.Add(starting);
    edged.Add(BitsPerByte((word ^ word >> 1) & 0x7F7F7F7F7F7F7F7Full & starting * 0xFF));
  }
  starts += started.Total();
  edges += edged.Total();
  for (; i < length; ++i) {
    const std::uint32_t b = p[i];
    const std::uint32_t starting = (b != 0) & (b != p[i - 1]);
    starts += starting;
    edges += starting * BitsOfByte((b ^ (b >> 1)) & 0x7F);
  }
  return starts > 0 ? static_cast<double>(edges) / starts : 0;
}

namespace {

// What each byte is, for the counts Judge takes in one pass, 12 bits to a count (it judges
// kJudgedBytes at most): neither 0 nor 0xFF; printable, as text is (top bit set or not); a
// letter; clear in its leftmost or rightmost pixel; not 0.
constexpr std::array<std::uint64_t, 256> MakeByteFacts() {
  std::array<std::uint64_t, 256> facts{};
  for (int v = 0; v < 256; ++v) {
    const int b = v & 0x7F;
    const bool partial = v != 0 && v != 0xFF;
    const bool printable = (v >= 0x20 && v < 0x7F) || (v > 0xA0 && b >= 0x21 && b < 0x7F);
    const bool letter = (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
    const bool sideClear = (v & 0x01) == 0 || (v & 0x80) == 0;
    facts[static_cast<std::size_t>(v)] =
        static_cast<std::uint64_t>(partial) | static_cast<std::uint64_t>(printable) << 12 |
        static_cast<std::uint64_t>(letter) << 24 | static_cast<std::uint64_t>(sideClear) << 36 |
        static_cast<std::uint64_t>(v != 0) << 48;
  }
  return facts;
}
constexpr std::array<std::uint64_t, 256> kByteFacts = MakeByteFacts();

// Tiles and characters 1 byte wide, 8 rows each: their rows continue from one byte to the
// next but at the edges of each 8, the same place in all of them. How many unmatched bits
// fewer the pairs inside have than the edges' rate gives them, in standard deviations; near
// 0 where no place in each 8 stands out, as in code.
}  // namespace

double TileEdges(const std::uint8_t* p, std::int64_t length) {
  // Counted as whole numbers, 8 pairs a word: a count for each place in a byte of it, added
  // up before a byte can overflow.
  std::array<std::int64_t, 8> unmatchedAt{}, pairsAt{};
  const auto spill = [&](std::uint64_t& bits, std::uint64_t& counted) {
    for (std::size_t k = 0; k < 8; ++k) {
      unmatchedAt[k] += static_cast<std::int64_t>(bits >> (8 * k) & 0xFF);
      pairsAt[k] += static_cast<std::int64_t>(counted >> (8 * k) & 0xFF);
    }
    bits = counted = 0;
  };
  const std::int64_t pairCount = std::max<std::int64_t>(length - 1, 0);
  std::uint64_t bits = 0, counted = 0;
  for (std::int64_t i = 0; i + 8 <= pairCount; i += 8) {
    const std::uint64_t x = Load(p + i), y = Load(p + i + 1);
    const std::uint64_t edges = EdgeBytes(x) | EdgeBytes(y);
    bits += BitsPerByte(((x & ~WidenWord(y)) | (y & ~WidenWord(x))) & edges);
    counted += edges & 0x0101010101010101ull;
    if (i % (8 * 31) == 8 * 30) spill(bits, counted);  // 31 words of 8 bits at most
  }
  spill(bits, counted);
  for (std::int64_t i = pairCount / 8 * 8; i < pairCount; ++i) {
    if (!Partial(p[i]) && !Partial(p[i + 1])) continue;
    unmatchedAt[static_cast<std::size_t>(i % 8)] += PairUnmatched(p[i], p[i + 1]);
    pairsAt[static_cast<std::size_t>(i % 8)] += 1;
  }
  std::array<double, 8> unmatched{}, pairs{};
  for (std::size_t k = 0; k < 8; ++k) {
    unmatched[k] = static_cast<double>(unmatchedAt[k]);
    pairs[k] = static_cast<double>(pairsAt[k]);
  }
  std::size_t edge = 0;
  for (std::size_t k = 1; k < 8; ++k)
    if (unmatched[k] * pairs[edge] > unmatched[edge] * pairs[k]) edge = k;
  if (pairs[edge] == 0) return 0;
  const double rate = unmatched[edge] / pairs[edge];
  double inside = 0, insidePairs = 0;
  for (std::size_t k = 0; k < 8; ++k)
    if (k != edge) {
      inside += unmatched[k];
      insidePairs += pairs[k];
    }
  return (rate * insidePairs - inside) / std::sqrt(rate * insidePairs + 1);
}

namespace {

// Each bit of a byte moved to the lowest bit of its own byte of a word, so that adding the
// words of up to 255 bytes counts each bit apart.
constexpr std::array<std::uint64_t, 256> MakeSpread() {
  std::array<std::uint64_t, 256> spread{};
  for (int b = 0; b < 256; ++b)
    for (int k = 0; k < 8; ++k) spread[b] |= static_cast<std::uint64_t>((b >> k) & 1) << (8 * k);
  return spread;
}
constexpr std::array<std::uint64_t, 256> kSpread = MakeSpread();

// How many of the `count` bytes have each bit set; byte i is p[i], or p[i] ^ p[i + lag].
std::array<std::int64_t, 8> BitCounts(const std::uint8_t* p, std::int64_t count, std::int32_t lag) {
  std::array<std::int64_t, 8> counts{};
  // Eight bytes a word: bits j and j + 4 of each byte counted in the low and the high half of
  // that byte of the sum for j, added up before a half can overflow.
  std::array<std::uint64_t, 4> halves{};
  const auto spill = [&] {
    for (std::size_t j = 0; j < 4; ++j) {
      constexpr std::uint64_t kLow = 0x0F0F0F0F0F0F0F0Full, kBytes = 0x0101010101010101ull;
      counts[j] += static_cast<std::int64_t>((halves[j] & kLow) * kBytes >> 56);
      counts[j + 4] += static_cast<std::int64_t>((halves[j] >> 4 & kLow) * kBytes >> 56);
      halves[j] = 0;
    }
  };
  std::int64_t i = 0;
  for (int words = 0; i + 8 <= count; i += 8) {
    const std::uint64_t word = lag == 0 ? Load(p + i) : Load(p + i) ^ Load(p + i + lag);
    for (std::size_t j = 0; j < 4; ++j) halves[j] += word >> j & 0x1111111111111111ull;
    if (++words == 15) {
      spill();
      words = 0;
    }
  }
  spill();
  for (; i < count; ++i) {
    const std::uint64_t spread = kSpread[lag == 0 ? p[i] : p[i] ^ p[i + lag]];
    for (std::size_t k = 0; k < 8; ++k)
      counts[k] += static_cast<std::int64_t>(spread >> (8 * k) & 1);
  }
  return counts;
}

// How much better the bytes of a stretch continue one row down than at the distances that
// are no multiple of 8 (characters 8 rows high are alike at those, row for row) and no row
// nor near one: 1 - the bits unmatched one row down / those unmatched there, from the cells
// of the stretch's first kJudgedBytes. Width 1 takes the better of 1 and 8 rows down.
}  // namespace

double Continuity(const std::vector<Cell>& cells, std::int64_t origin, std::int64_t start,
                  std::int64_t length, std::int32_t width) {
  const auto first = static_cast<std::size_t>(std::max<std::int64_t>(0, (start - origin) / kCell));
  const auto end = std::min(
      cells.size(), static_cast<std::size_t>(
                        (start - origin + std::min(length, kJudgedBytes) + kCell - 1) / kCell));
  // 32 bits are enough for kJudgedBytes of cells, and add more at once.
  std::array<std::int32_t, kMaxLag + 1> unmatched{};
  for (std::size_t c = first; c < end; ++c)
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) unmatched[lag] += cells[c].unmatched[lag];
  double base = 0;
  int lags = 0;
  for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
    if (lag % 8 == 0 || std::abs(lag - width) <= 1 || lag == 2 * width) continue;
    base += static_cast<double>(unmatched[lag]);
    ++lags;
  }
  base /= lags;
  const double continued =
      static_cast<double>(width == 1 ? std::min(unmatched[1], unmatched[8]) : unmatched[width]);
  return base > 0 ? 1 - continued / base : 0;
}

// `continuity`: how much better the bytes continue one row down than at other distances
// (1 - unmatched one row down / unmatched elsewhere), from the cells that measured them.
Judgment Judge(const std::uint8_t* p, std::int64_t length, std::int32_t width, double continuity,
               double ragged) {
  Judgment j;
  length = std::min(length, kJudgedBytes);
  j.correlation = continuity;
  j.ragged = ragged;
  const std::int64_t pairs = length - width;
  std::uint64_t facts = 0;
  static_assert(kJudgedBytes < 4096);
  for (std::int64_t i = 0; i < length; ++i) facts += kByteFacts[p[i]];
  const auto count = [&](int field) {
    return static_cast<std::int64_t>(facts >> (12 * field) & 0xFFF);
  };
  const std::int64_t nonzero = count(4);
  PlaceCounts repeated;
  std::int64_t i = 1;
  for (; i + 8 <= length; i += 8) {
    const std::uint64_t word = Load(p + i);
    repeated.Add(~ZeroBytes(word) & ZeroBytes(word ^ Load(p + i - 1)) & kOnes);
  }
  std::int64_t repeats = repeated.Total();
  for (; i < length; ++i) repeats += (p[i] != 0) & (p[i] == p[i - 1]);
  j.inked = count(0);
  const std::array<std::int64_t, 8> set = BitCounts(p, length, 0);
  const std::array<std::int64_t, 8> differ = BitCounts(p, std::max<std::int64_t>(pairs, 0), width);
  double chanceAll = 0, differAll = 0;
  for (int k = 0; k < 8; ++k) {
    chanceAll += 2.0 * set[k] / length * (1 - static_cast<double>(set[k]) / length);
    differAll += pairs > 0 ? static_cast<double>(differ[k]) / pairs : 0;
  }
  j.exactCorrelation = chanceAll > 0 ? 1 - differAll / chanceAll : 0;
  j.worstBit = 1;
  for (int k = 0; k < 8; ++k) {
    const double q = 2.0 * set[k] / length * (1 - static_cast<double>(set[k]) / length);
    if (q >= 0.1)
      j.worstBit =
          std::min(j.worstBit, 1 - (pairs > 0 ? static_cast<double>(differ[k]) / pairs : 0) / q);
  }
  j.text = static_cast<double>(count(1)) / length;
  j.letters = static_cast<double>(count(2)) / length;
  j.runs = nonzero > 0 ? static_cast<double>(repeats) / nonzero : 0;
  if (width % 2 == 0) {
    for (int phase = 0; phase < 2; ++phase) {
      std::uint32_t clear = 0, counted = 0;
      std::int64_t firstBits = 0, secondBits = 0;
      for (std::int64_t i = phase; i + 1 < length; i += 2) {
        const std::uint32_t a = p[i], b = p[i + 1];
        // The mask clears what the graphic sets: they share no pixel. Pairs with a blank byte
        // tell nothing, as a number and its zero high byte share none either.
        const bool both = (a != 0) & (b != 0);
        counted += both;
        clear += both & ((a & b) == 0);
        firstBits += BitsOfByte(a);
        secondBits += BitsOfByte(b);
      }
      const double share = counted >= kMaskedPairs ? static_cast<double>(clear) / counted : 0;
      if (share > j.maskedShare) {
        j.maskedShare = share;
        j.maskedPhase = phase;
        // The mask keeps what lies around the shape: it has the more pixels set.
        j.maskFirst = firstBits > secondBits;
      }
    }
  }
  if (width == 1 && length >= 16) {
    // Letters stand apart: a blank row at one place in most characters, and a blank column.
    std::int64_t blankRows[8] = {};
    PlaceCounts blankAt;
    std::int64_t at = 0;
    for (; at + 8 <= length; at += 8) blankAt.Add(ZeroBytes(Load(p + at)));
    for (std::size_t k = 0; k < 8; ++k) blankRows[k] = blankAt.At(k);
    for (; at < length; ++at) blankRows[at % 8] += p[at] == 0;
    const std::int64_t glyphs = length / 8;
    const auto most = std::max_element(std::begin(blankRows), std::end(blankRows));
    const auto blank = static_cast<std::int32_t>(most - std::begin(blankRows));
    j.blankRow = blank;
    // Where each character begins: at its blank row, which is the first as in the
    // machine's own font, or between two blank rows (the last of one character and the
    // first of the next) when the one after is blank too.
    const bool blankAfter = blankRows[(blank + 1) % 8] * 10 >= glyphs * 6;
    j.characterStart = blankAfter ? (blank + 1) % 8 : blank;
    j.font = *most * 10 >= glyphs * 6 && count(3) * 10 >= length * 9;
    j.tiles = !j.font;
  }
  return j;
}

namespace {

// Whether the byte at `p`, read as a number down its column, steps from the row above as it
// steps to the row below: by the same, or by 4 or more give or take 1. A step of 128 is the
// top bit turning on and off, as a dither at the edge of a column does, not a count.
// Worked out on bytes without branches, so that a run of places is tested at once: 4 or more
// either way is a step 3 on that is 7 or more; the step changes by 1 at most where one
// further on it is 2 at most and the sign stays.
bool StepsEvenly(const std::uint8_t* p, std::int32_t width) {
  const auto step = static_cast<std::uint8_t>(p[width] - p[0]);
  const auto next = static_cast<std::uint8_t>(p[2 * width] - p[width]);
  const bool counts = (step & 0x7F) != 0;
  const bool large = static_cast<std::uint8_t>(step + 3) >= 7;
  const bool near = static_cast<std::uint8_t>(next - step + 1) <= 2;
  const bool sameSign = ((next ^ step) & 0x80) == 0;
  return counts & ((next == step) | (large & near & sameSign));
}

// Each byte of the row read as a number down its column: in a table the numbers of some
// column go up or down by a step that stays or changes little (counts, addresses, sines),
// where the bytes of a picture leap from one shape to the next. The share of rows in which
// the column that does so most steps evenly.
}  // namespace

double Counting(const std::uint8_t* p, std::int64_t length, std::int32_t width) {
  const std::int64_t rows = length / width;
  if (rows < kColumnRows) return 0;
  // Every place tested in one run, then added up by column.
  std::array<std::uint8_t, kJudgedBytes> even;
  const std::int64_t places = std::min(rows - 2, kJudgedBytes / width) * width;
  for (std::int64_t i = 0; i < places; ++i)
    even[static_cast<std::size_t>(i)] = StepsEvenly(p + i, width);
  std::array<std::int32_t, kMaxStripWidth> stepped{};
  for (std::int64_t i = 0; i < places; i += width)
    for (std::int32_t column = 0; column < width; ++column)
      stepped[static_cast<std::size_t>(column)] += even[static_cast<std::size_t>(i + column)];
  return static_cast<double>(*std::max_element(stepped.begin(), stepped.begin() + width)) /
         static_cast<double>(rows - 2);
}

// Of bytes 1 wide: how much fewer pixels a byte that changes from the one before leaves
// unmatched than one that differs from a byte 5, 7 or 9 on (1 - the ratio): the rows of a
// sprite change little where they change, the numbers of a level map leap. Those bytes lie
// beyond the next block of a sprite drawn in pixels two or three rows high, whose rows so
// near are alike as well.
double Changes(const std::uint8_t* p, std::int64_t length) {
  std::int64_t next = 0, nextPairs = 0, apart = 0, apartPairs = 0;
  // Eight places at a time: a pair of equal bytes leaves no pixel unmatched, so only the count
  // of pairs needs to leave them out.
  const auto sum = [](std::uint64_t counts) {
    return static_cast<std::int64_t>(counts * kOnes >> 56);
  };
  std::int64_t i = 0;
  for (; i + 8 + 9 <= length; i += 8) {
    const std::uint64_t x = Load(p + i), wx = WidenWord(x);
    for (const int lag : {1, 5, 7, 9}) {
      const std::uint64_t y = Load(p + i + lag);
      const std::int64_t bits = sum(BitsPerByte((x & ~WidenWord(y)) | (y & ~wx)));
      const std::int64_t pairs = sum(~ZeroBytes(x ^ y) & kOnes);
      (lag == 1 ? next : apart) += bits;
      (lag == 1 ? nextPairs : apartPairs) += pairs;
    }
  }
  for (; i + 9 < length; ++i) {
    if (p[i] != p[i + 1]) {
      next += PairUnmatched(p[i], p[i + 1]);
      ++nextPairs;
    }
    for (const int lag : {5, 7, 9}) {
      if (p[i] == p[i + lag]) continue;
      apart += PairUnmatched(p[i], p[i + lag]);
      ++apartPairs;
    }
  }
  if (nextPairs == 0 || apart == 0) return 1;
  return 1 - (static_cast<double>(next) / nextPairs) / (static_cast<double>(apart) / apartPairs);
}

std::int64_t FontAt(const std::uint8_t* p, std::int64_t length, bool fromEnd) {
  // Characters: 8 bytes with a blank row and a clear spacing column at one side, the same side
  // for all of them.
  std::int64_t best = 0;
  for (const std::uint8_t spacing : {std::uint8_t{0x80}, std::uint8_t{0x01}}) {
    std::int64_t count = 0;
    for (std::int64_t k = 0; (count + 1) * 8 <= length; ++count) {
      const std::uint8_t* c = fromEnd ? p + length - (count + 1) * 8 : p + count * 8;
      bool character = std::find(c, c + 8, 0) != c + 8;
      for (k = 0; k < 8 && character; ++k) character = (c[k] & spacing) == 0;
      if (!character) break;
    }
    best = std::max(best, count * 8);
  }
  if (best < kLeastFontBytes || best >= length) return 0;
  const std::uint8_t* font = fromEnd ? p + length - best : p;
  return JudgeCharacters(font, best).font ? best : 0;
}

Judgment JudgeCharacters(const std::uint8_t* p, std::int64_t length) {
  return Judge(p, length, 1, 1, Ragged(p, std::min(length, kJudgedBytes)));
}

// The rows of a region before or after a table of its width: the stretch of rows in which
// rows that step evenly in some column are fewest against the others, as a byte offset and
// a length, where the rows left out are a table's, most of them stepping evenly; the whole
// region otherwise.
std::pair<std::int64_t, std::int64_t> WithoutTable(const std::uint8_t* p, std::int64_t length,
                                                   std::int32_t width) {
  const std::int64_t rows = length / width;
  if (rows < kColumnRows) return {0, length};
  // Every place tested in one run, as Counting has them, then each row's columns looked over.
  std::vector<std::uint8_t> even(static_cast<std::size_t>((rows - 2) * width));
  for (std::size_t i = 0; i < even.size(); ++i) even[i] = StepsEvenly(p + i, width);
  std::vector<std::uint8_t> steps(static_cast<std::size_t>(rows), 0);
  std::int64_t stepping = 0;
  for (std::int64_t r = 1; r + 1 < rows; ++r) {
    const std::uint8_t* row = even.data() + (r - 1) * width;
    std::uint8_t any = 0;
    for (std::int32_t column = 0; column < width; ++column) any |= row[column];
    steps[static_cast<std::size_t>(r)] = any;
    stepping += any;
  }
  std::int64_t sum = 0, bestSum = -1, first = 0, bestFirst = 0, bestEnd = 0, inside = 0;
  for (std::int64_t r = 0, counted = 0; r < rows; ++r) {
    if (sum <= 0) {
      sum = 0;
      first = r;
      counted = 0;
    }
    sum += steps[static_cast<std::size_t>(r)] ? -kTableRowCost : 1;
    counted += steps[static_cast<std::size_t>(r)];
    if (sum > bestSum) {
      bestSum = sum;
      bestFirst = first;
      bestEnd = r + 1;
      inside = counted;
    }
  }
  const std::int64_t outside = rows - (bestEnd - bestFirst);
  if (outside == 0 || (stepping - inside) < kTableShare * static_cast<double>(outside))
    return {0, length};
  return {bestFirst * width, (bestEnd - bestFirst) * width};
}

bool Masked(const Judgment& j) {
  return j.maskedShare >= kMaskedShare;
}

GraphicsKind KindOf(const Judgment& j, std::int32_t width) {
  if (Masked(j)) width /= 2;
  if (width == 1 && !Masked(j)) return j.font ? GraphicsKind::kFont : GraphicsKind::kTiles;
  return width > 16 ? GraphicsKind::kPicture : GraphicsKind::kSprites;
}

}  // namespace pelorin::finder
