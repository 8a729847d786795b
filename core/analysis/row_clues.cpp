// row_clues.cpp: mask and graphic pairs, and the ends of half-rows, told from the bytes.
#include "analysis/row_clues.h"

#include <array>
#include <cmath>

#include "screen/screen.h"

namespace pelorin {

namespace {

constexpr std::int64_t kLeastMaskPairs = 8;  // pairs of two inked bytes enough to tell masks by
// A count stands out below what chance gives where it is as unlikely as a count three standard
// deviations below the mean: one time in 741.
constexpr double kUnlikely = 0.00135;

// The chance that a count which chance spreads about `mean` is `count` or fewer.
double AtMost(std::int64_t count, double mean) {
  double term = std::exp(-mean), sum = term;
  for (std::int64_t k = 1; k <= count && sum < kUnlikely; ++k) {
    term *= mean / static_cast<double>(k);
    sum += term;
  }
  return sum;
}

}  // namespace

bool MaskPairs(const std::uint8_t* bytes, std::int64_t length) {
  for (std::int64_t phase = 0; phase < 2; ++phase) {
    std::int64_t inked = 0, apart = 0;
    for (std::int64_t k = phase; k + 1 < length; k += 2) {
      const bool both = bytes[k] != 0 && bytes[k + 1] != 0;
      inked += both;
      apart += both && (bytes[k] & bytes[k + 1]) == 0;
    }
    if (inked >= kLeastMaskPairs && 10 * apart >= 9 * inked) return true;
  }
  return false;
}

bool HalfRowsEnd(const std::uint8_t* bytes, std::int64_t length, std::int32_t width) {
  if (width < 4 || width > kMaxStripWidth || width % 2 != 0) return false;
  std::array<std::int64_t, kMaxStripWidth> crossed{};
  for (std::int64_t k = 0, place = 0; k + 1 < length; ++k) {
    crossed[static_cast<std::size_t>(place)] += (bytes[k] & 1) & (bytes[k + 1] >> 7);
    if (++place == width) place = 0;
  }
  const std::int64_t ends = crossed[static_cast<std::size_t>(width / 2 - 1)] +
                            crossed[static_cast<std::size_t>(width - 1)];
  std::int64_t all = 0;
  for (std::int32_t place = 0; place < width; ++place)
    all += crossed[static_cast<std::size_t>(place)];
  // Two places' worth of the others' crossings, against the ends'.
  const double others = 2.0 * static_cast<double>(all - ends) / (width - 2);
  return static_cast<double>(ends) < others && AtMost(ends, others) < kUnlikely;
}

}  // namespace pelorin
