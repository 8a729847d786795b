// other_drawing.h: what the second maker of planted images draws with, kept apart from the
// first one's: its own random numbers, a picture held as the bytes it is stored in, lines,
// rings, filled polygons, shading by an ordered dither, masks and letters drawn from strokes.
#pragma once

#include <cstdint>
#include <vector>

namespace pelorin::other {

using Bytes = std::vector<std::uint8_t>;

// A permuted congruential generator: a 64-bit state stepped by multiplication, each output
// a shifted and rotated part of it. The same numbers on every compiler; every draw is to be
// a statement of its own, as the order of draws in one expression is the compiler's.
class Dice {
 public:
  explicit Dice(std::uint64_t seed);
  std::uint32_t Roll();
  // 0 to count - 1, each as likely as the others.
  int Below(int count);
  // From low to high, both included.
  int Range(int low, int high) { return low + Below(high - low + 1); }
  bool Odds(int percent) { return Below(100) < percent; }

 private:
  std::uint64_t state_ = 0;
  std::uint64_t increment_;
};

// A picture as it is stored: `wide` bytes to a row, the leftmost pixel in the top bit.
struct Bitmap {
  Bitmap(int wide, int tall);
  int Pixels() const { return wide * 8; }
  bool Ink(int x, int y) const;
  // Pixels outside the picture are left alone.
  void Plot(int x, int y, bool ink = true);
  std::uint8_t Byte(int column, int y) const {
    return bytes[static_cast<std::size_t>(y * wide + column)];
  }

  int wide;
  int tall;
  Bytes bytes;  // row after row
};

void Line(Bitmap& bitmap, int x0, int y0, int x1, int y1);
// An ellipse's outline, or the whole of it.
void Ring(Bitmap& bitmap, int cx, int cy, int rx, int ry);
void Disc(Bitmap& bitmap, int cx, int cy, int rx, int ry, bool ink = true);

struct Point {
  int x, y;
};

void Outline(Bitmap& bitmap, const std::vector<Point>& corners);
// Inside by the even-odd rule, row by row.
void FillPolygon(Bitmap& bitmap, const std::vector<Point>& corners, bool ink = true);

// Shading: the 4 x 4 ordered dither, so that `level` of 16 pixels are inked in any 4 x 4
// square. A box shaded evenly, or darker from one side to the other.
bool Shade(int x, int y, int level);
void ShadeBox(Bitmap& bitmap, int x0, int y0, int w, int h, int level);
void ShadeRamp(Bitmap& bitmap, int x0, int y0, int w, int h, bool across);
// A ball lit from the upper left: light near the highlight, dark at the rim.
void ShadedBall(Bitmap& bitmap, int cx, int cy, int r);
// Parallel lines `gap` pixels apart, slanting one way or the other, clipped to a box.
void Hatch(Bitmap& bitmap, int x0, int y0, int w, int h, int gap, bool rising);

// The mask of a graphic: clear where the graphic's ink lies within `reach` pixels (0: the
// ink alone), set where the background shows through.
Bitmap MaskFor(const Bitmap& graphic, int reach);

// Letters drawn from strokes on a 5 x 7 grid, scaled to a cell.
struct LetterStyle {
  int height;   // rows of the letter; the cell has one blank row below it
  int width;    // pixels across the letter, strokes included
  bool bold;    // each stroke doubled to the right
  bool italic;  // leaning right, a pixel for every few rows up
};

inline constexpr int kLetterDesigns = 46;

// Draws design `design` (0 to kLetterDesigns - 1) with its top left at x, y; returns the
// pixels it took across, for proportional spacing.
int DrawLetter(Bitmap& bitmap, int design, int x, int y, const LetterStyle& style);

}  // namespace pelorin::other
