// other_drawing.cpp: the second maker's numbers, lines, shapes, shading, masks and letters.
#include "other_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pelorin::other {

Dice::Dice(std::uint64_t seed) : increment_((seed << 1) | 1) {
  Roll();
  state_ += 0x853C49E6748FEA9Bull ^ (seed * 0xA0761D6478BD642Full);
  Roll();
}

std::uint32_t Dice::Roll() {
  const std::uint64_t old = state_;
  state_ = old * 6364136223846793005ull + increment_;
  const auto shifted = static_cast<std::uint32_t>(((old >> 18) ^ old) >> 27);
  const auto rotation = static_cast<std::uint32_t>(old >> 59);
  return (shifted >> rotation) | (shifted << ((32 - rotation) & 31));
}

int Dice::Below(int count) {
  // Outputs past the last whole multiple of count are drawn again, so that none is favoured.
  const auto n = static_cast<std::uint32_t>(count);
  const std::uint32_t skip = (0u - n) % n;
  for (;;) {
    const std::uint32_t roll = Roll();
    if (roll >= skip) return static_cast<int>(roll % n);
  }
}

Bitmap::Bitmap(int wide_, int tall_)
    : wide(wide_), tall(tall_), bytes(static_cast<std::size_t>(wide_ * tall_), 0) {}

bool Bitmap::Ink(int x, int y) const {
  if (x < 0 || y < 0 || x >= Pixels() || y >= tall) return false;
  return (Byte(x / 8, y) & (0x80 >> (x % 8))) != 0;
}

void Bitmap::Plot(int x, int y, bool ink) {
  if (x < 0 || y < 0 || x >= Pixels() || y >= tall) return;
  std::uint8_t& byte = bytes[static_cast<std::size_t>(y * wide + x / 8)];
  const auto bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
  byte = ink ? static_cast<std::uint8_t>(byte | bit) : static_cast<std::uint8_t>(byte & ~bit);
}

void Line(Bitmap& bitmap, int x0, int y0, int x1, int y1) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  for (int error = dx + dy;;) {
    bitmap.Plot(x0, y0);
    if (x0 == x1 && y0 == y1) return;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

namespace {

// Half the width of an ellipse's row `dy` rows from its middle.
int HalfRow(int rx, int ry, int dy) {
  if (ry == 0) return rx;
  const double t = 1.0 - static_cast<double>(dy * dy) / (ry * ry + ry);
  return t <= 0 ? -1 : static_cast<int>(std::lround(rx * std::sqrt(t)));
}

}  // namespace

void Ring(Bitmap& bitmap, int cx, int cy, int rx, int ry) {
  // The pixels of the ellipse with a neighbour outside it.
  const auto inside = [&](int dx, int dy) {
    return std::abs(dy) <= ry && std::abs(dx) <= HalfRow(rx, ry, dy);
  };
  for (int dy = -ry; dy <= ry; ++dy)
    for (int dx = -rx; dx <= rx; ++dx)
      if (inside(dx, dy) && (!inside(dx - 1, dy) || !inside(dx + 1, dy) || !inside(dx, dy - 1) ||
                             !inside(dx, dy + 1)))
        bitmap.Plot(cx + dx, cy + dy);
}

void Disc(Bitmap& bitmap, int cx, int cy, int rx, int ry, bool ink) {
  for (int dy = -ry; dy <= ry; ++dy) {
    const int half = HalfRow(rx, ry, dy);
    for (int x = -half; x <= half; ++x) bitmap.Plot(cx + x, cy + dy, ink);
  }
}

void Outline(Bitmap& bitmap, const std::vector<Point>& corners) {
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Point& a = corners[i];
    const Point& b = corners[(i + 1) % corners.size()];
    Line(bitmap, a.x, a.y, b.x, b.y);
  }
}

void FillPolygon(Bitmap& bitmap, const std::vector<Point>& corners, bool ink) {
  for (int y = 0; y < bitmap.tall; ++y) {
    std::vector<double> crossings;
    const double row = y + 0.5;
    for (std::size_t i = 0; i < corners.size(); ++i) {
      const Point& a = corners[i];
      const Point& b = corners[(i + 1) % corners.size()];
      if ((a.y <= row) == (b.y <= row)) continue;
      crossings.push_back(a.x + (row - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
      for (int x = static_cast<int>(std::ceil(crossings[i] - 0.5));
           x <= static_cast<int>(std::floor(crossings[i + 1] - 0.5)); ++x)
        bitmap.Plot(x, y, ink);
  }
}

bool Shade(int x, int y, int level) {
  static constexpr int kOrder[4][4] = {
      {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return kOrder[y & 3][x & 3] < level;
}

void ShadeBox(Bitmap& bitmap, int x0, int y0, int w, int h, int level) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) bitmap.Plot(x, y, Shade(x, y, level));
}

void ShadeRamp(Bitmap& bitmap, int x0, int y0, int w, int h, bool across) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      const int level = across ? 16 * (x - x0) / std::max(1, w) : 16 * (y - y0) / std::max(1, h);
      bitmap.Plot(x, y, Shade(x, y, level + 1));
    }
}

void ShadedBall(Bitmap& bitmap, int cx, int cy, int r) {
  const double lx = cx - r * 0.4, ly = cy - r * 0.4;
  for (int y = cy - r; y <= cy + r; ++y)
    for (int x = cx - r; x <= cx + r; ++x) {
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > r * r) continue;
      const double light = std::hypot(x - lx, y - ly) / (1.4 * r);
      const int level = std::clamp(static_cast<int>(light * 17), 0, 16);
      bitmap.Plot(x, y, Shade(x, y, level));
    }
}

void Hatch(Bitmap& bitmap, int x0, int y0, int w, int h, int gap, bool rising) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x)
      if (((rising ? x + y : x - y + 4096) % gap) == 0) bitmap.Plot(x, y);
}

Bitmap MaskFor(const Bitmap& graphic, int reach) {
  Bitmap mask(graphic.wide, graphic.tall);
  for (int y = 0; y < graphic.tall; ++y)
    for (int x = 0; x < graphic.Pixels(); ++x) {
      bool covered = false;
      for (int dy = -reach; dy <= reach && !covered; ++dy)
        for (int dx = -reach; dx <= reach && !covered; ++dx)
          covered = std::abs(dx) + std::abs(dy) <= reach && graphic.Ink(x + dx, y + dy);
      mask.Plot(x, y, !covered);
    }
  return mask;
}

namespace {

// Each letter as strokes through points of a 5 x 7 grid (x 0-4, y 0-6): "x,y x,y ..." joined
// by lines, strokes parted by ';'. Capitals, digits, then a few signs.
constexpr const char* kDesigns[kLetterDesigns] = {
    "0,6 0,2 2,0 4,2 4,6;0,4 4,4",
    "0,6 0,0 3,0 4,1 4,2 3,3 0,3;3,3 4,4 4,5 3,6 0,6",
    "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5",
    "0,0 0,6 3,6 4,5 4,1 3,0 0,0",
    "4,0 0,0 0,6 4,6;0,3 3,3",
    "4,0 0,0 0,6;0,3 3,3",
    "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5 4,3 2,3",
    "0,0 0,6;4,0 4,6;0,3 4,3",
    "1,0 3,0;2,0 2,6;1,6 3,6",
    "4,0 4,5 3,6 1,6 0,5",
    "0,0 0,6;4,0 0,4;1,3 4,6",
    "0,0 0,6 4,6",
    "0,6 0,0 2,3 4,0 4,6",
    "0,6 0,0 4,6 4,0",
    "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0",
    "0,6 0,0 3,0 4,1 4,2 3,3 0,3",
    "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0;2,4 4,6",
    "0,6 0,0 3,0 4,1 4,2 3,3 0,3;2,3 4,6",
    "4,1 3,0 1,0 0,1 0,2 1,3 3,3 4,4 4,5 3,6 1,6 0,5",
    "0,0 4,0;2,0 2,6",
    "0,0 0,5 1,6 3,6 4,5 4,0",
    "0,0 0,3 2,6 4,3 4,0",
    "0,0 0,6 2,4 4,6 4,0",
    "0,0 4,6;4,0 0,6",
    "0,0 2,3 4,0;2,3 2,6",
    "0,0 4,0 0,6 4,6",
    "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0;4,1 0,5",
    "1,1 2,0 2,6;1,6 3,6",
    "0,1 1,0 3,0 4,1 4,2 0,6 4,6",
    "0,0 4,0 2,2 3,2 4,3 4,5 3,6 1,6 0,5",
    "3,6 3,0 0,4 4,4",
    "4,0 0,0 0,2 3,2 4,3 4,5 3,6 0,6",
    "3,0 1,0 0,1 0,5 1,6 3,6 4,5 4,4 3,3 0,3",
    "0,0 4,0 4,1 1,6",
    "1,3 0,2 0,1 1,0 3,0 4,1 4,2 3,3 1,3 0,4 0,5 1,6 3,6 4,5 4,4 3,3",
    "4,3 1,3 0,2 0,1 1,0 3,0 4,1 4,5 3,6 1,6",
    "2,0 2,4;2,6 2,6",
    "0,1 1,0 3,0 4,1 4,2 2,4;2,6 2,6",
    "2,5 2,6 1,6",
    "2,2 2,2;2,5 2,5",
    "0,3 4,3",
    "2,1 2,5;0,3 4,3",
    "4,0 0,6",
    "3,0 1,2 1,4 3,6",
    "1,0 3,2 3,4 1,6",
    "0,1 4,5;0,5 4,1;2,0 2,6",
};

std::vector<std::vector<Point>> Strokes(const char* design) {
  std::vector<std::vector<Point>> strokes(1);
  for (const char* c = design; *c != '\0';) {
    if (*c == ';') {
      strokes.emplace_back();
      ++c;
      continue;
    }
    if (*c == ' ') {
      ++c;
      continue;
    }
    char* end = nullptr;
    const int x = static_cast<int>(std::strtol(c, &end, 10));
    const int y = static_cast<int>(std::strtol(end + 1, &end, 10));
    strokes.back().push_back({x, y});
    c = end;
  }
  return strokes;
}

}  // namespace

int DrawLetter(Bitmap& bitmap, int design, int x, int y, const LetterStyle& style) {
  const int across = std::max(1, style.width - (style.bold ? 2 : 1));
  const int down = std::max(1, style.height - 1);
  int right = 0;
  const auto place = [&](Point p) {
    const int py = static_cast<int>(std::lround(p.y * down / 6.0));
    const int lean = style.italic ? (down - py) / 3 : 0;
    return Point{static_cast<int>(std::lround(p.x * across / 4.0)) + lean, py};
  };
  for (const std::vector<Point>& stroke : Strokes(kDesigns[design])) {
    for (std::size_t i = 0; i < stroke.size(); ++i) {
      const Point a = place(stroke[i]);
      const Point b = place(stroke[i + 1 < stroke.size() ? i + 1 : i]);
      for (int thick = 0; thick <= (style.bold ? 1 : 0); ++thick)
        Line(bitmap, x + a.x + thick, y + a.y, x + b.x + thick, y + b.y);
      right = std::max({right, a.x, b.x});
    }
  }
  return right + 1 + (style.bold ? 1 : 0);
}

}  // namespace pelorin::other
