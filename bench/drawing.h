// drawing.h: what the generators of labelled files draw with: numbers that come out the same
// on every compiler, and a picture held one flag per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelorin {

// splitmix64: the same numbers on every compiler, unlike the standard distributions. Each
// generator chooses how a seed becomes the starting state.
class Random {
 public:
  explicit Random(std::uint64_t state) : state_(state) {}
  std::uint64_t Next() { return Mix(state_ += 0x9E3779B97F4A7C15ull); }
  // From low to high, both included.
  int Between(int low, int high) {
    return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Next()); }

  static std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t state_;
};

// A picture being drawn, one flag per pixel, 8 pixels to a byte column.
struct Canvas {
  Canvas(int byteWidth, int height)
      : columns(byteWidth),
        rows(height),
        pixels(static_cast<std::size_t>(byteWidth * 8 * height)) {}
  int Width() const { return columns * 8; }
  bool Get(int x, int y) const {
    return x >= 0 && y >= 0 && x < Width() && y < rows && pixels[Index(x, y)];
  }
  void Set(int x, int y, bool on = true) {
    if (x >= 0 && y >= 0 && x < Width() && y < rows) pixels[Index(x, y)] = on;
  }
  std::uint8_t Byte(int column, int y) const {
    std::uint8_t byte = 0;
    for (int bit = 0; bit < 8; ++bit)
      if (Get(column * 8 + bit, y)) byte |= static_cast<std::uint8_t>(0x80 >> bit);
    return byte;
  }
  void PutByte(int column, int y, std::uint8_t byte) {
    for (int bit = 0; bit < 8; ++bit) Set(column * 8 + bit, y, (byte & (0x80 >> bit)) != 0);
  }
  // Row after row, each row left to right.
  void AppendRows(std::vector<std::uint8_t>& bytes) const {
    for (int y = 0; y < rows; ++y)
      for (int column = 0; column < columns; ++column) bytes.push_back(Byte(column, y));
  }
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * Width() + x); }

  int columns;
  int rows;
  std::vector<bool> pixels;
};

// The mask of a graphic: set where the background shows, a pixel clear of the graphic.
inline Canvas MaskOf(const Canvas& graphic) {
  Canvas mask(graphic.columns, graphic.rows);
  for (int y = 0; y < graphic.rows; ++y)
    for (int x = 0; x < graphic.Width(); ++x) {
      bool near = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) near = near || graphic.Get(x + dx, y + dy);
      mask.Set(x, y, !near);
    }
  return mask;
}

}  // namespace pelorin
