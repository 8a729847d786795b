// planted_images.cpp: drawing the graphics, making the data around them, and laying both out
// as a Spectrum's memory.
#include "planted_images.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "drawing.h"

namespace pelorin {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Each random draw is a statement of its own: draws within one expression or argument list come
// in an order each compiler picks. The statements keep the order that made the images the
// bench was tuned on (the last argument drawn first), so that the seeds keep their images.

constexpr std::int64_t kRomBytes = 16384;
constexpr std::int64_t kRomFont = 0x3D00;
constexpr std::int64_t kScreenAddress = 16384;
constexpr std::int64_t kScreenSize = 6912;

enum class Shape { kEllipse, kRectangle, kTriangle, kDiamond };
enum class Fill { kSolid, kOutline, kDither };

bool Inside(Shape shape, double u, double v) {
  if (u < 0 || u >= 1 || v < 0 || v >= 1) return false;
  switch (shape) {
    case Shape::kEllipse:
      return (u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5) < 0.25;
    case Shape::kRectangle:
      return true;
    case Shape::kTriangle:
      return std::abs(u - 0.5) * 2 < v;
    case Shape::kDiamond:
      return std::abs(u - 0.5) + std::abs(v - 0.5) < 0.5;
  }
  return false;
}

void DrawShape(Canvas& canvas, Shape shape, int x0, int y0, int w, int h, Fill fill) {
  const auto inside = [&](int x, int y) {
    return Inside(shape, (x + 0.5 - x0) / w, (y + 0.5 - y0) / h);
  };
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      if (!inside(x, y)) continue;
      const bool edge =
          !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      if (fill == Fill::kSolid || edge || (fill == Fill::kDither && (x + y) % 2 == 0))
        canvas.Set(x, y);
    }
}

Shape RandomShape(Random& random) {
  return static_cast<Shape>(random.Between(0, 3));
}

// One to three shapes, solid, outlined or dithered, and a few pixels of detail: a figure.
void DrawFigure(Random& random, Canvas& canvas, int x0, int y0, int w, int h) {
  const int shapes = random.Between(1, 3);
  for (int i = 0; i < shapes; ++i) {
    const int sw = random.Between(std::max(2, w / 3), w);
    const int sh = random.Between(std::max(2, h / 3), h);
    const int roll = random.Between(1, 10);
    const Fill fill = roll <= 5 ? Fill::kSolid : roll <= 9 ? Fill::kOutline : Fill::kDither;
    const int y = y0 + random.Between(0, h - sh);
    const int x = x0 + random.Between(0, w - sw);
    const Shape shape = RandomShape(random);
    DrawShape(canvas, shape, x, y, sw, sh, fill);
  }
  for (int i = random.Between(0, 4); i > 0; --i) {
    const bool on = random.Chance(50);
    const int y = y0 + random.Between(0, h - 1);
    const int x = x0 + random.Between(0, w - 1);
    canvas.Set(x, y, on);
  }
}

// The frames of one sprite set: unrelated sprites, or one sprite moving a little each frame.
std::vector<Canvas> DrawFrames(Random& random, int columns, int rows) {
  // At least 96 bytes: a sprite set of a game has a few frames of a few rows.
  const int count = std::max(random.Between(2, 10), (96 + columns * rows - 1) / (columns * rows));
  std::vector<Canvas> frames;
  if (random.Chance(50)) {
    for (int i = 0; i < count; ++i) {
      Canvas frame(columns, rows);
      DrawFigure(random, frame, 0, 0, frame.Width(), rows);
      frames.push_back(frame);
    }
    return frames;
  }
  Canvas base(columns, rows);
  DrawFigure(random, base, 1, 1, std::max(2, base.Width() - 2), std::max(2, rows - 2));
  for (int i = 0; i < count; ++i) {
    Canvas frame(columns, rows);
    const int dx = random.Between(-2, 2), dy = random.Between(-1, 1);
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < frame.Width(); ++x) frame.Set(x, y, base.Get(x - dx, y - dy));
    // A limb or a detail moves: a small patch of the frame drawn anew.
    if (random.Chance(60)) {
      const int w = std::min(frame.Width(), random.Between(2, 6));
      const int h = std::min(rows, random.Between(2, 6));
      const int x0 = random.Between(0, frame.Width() - w), y0 = random.Between(0, rows - h);
      for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) frame.Set(x, y, false);
      DrawShape(frame, RandomShape(random), x0, y0, w, h, Fill::kSolid);
    }
    frames.push_back(frame);
  }
  return frames;
}

// A small width more often than a large one, as sprites are.
int SpriteColumns(Random& random, int most) {
  return random.Chance(60) ? random.Between(1, std::min(most, 4)) : random.Between(1, most);
}

Bytes DrawSprites(Random& random, std::int32_t& width) {
  width = SpriteColumns(random, 16);
  const int rows = random.Between(8, 32);
  Bytes bytes;
  for (const Canvas& frame : DrawFrames(random, width, rows)) frame.AppendRows(bytes);
  return bytes;
}

void AppendPair(Bytes& bytes, std::uint8_t graphic, std::uint8_t mask, bool maskFirst) {
  bytes.push_back(maskFirst ? mask : graphic);
  bytes.push_back(maskFirst ? graphic : mask);
}

// A block of graphics drawn, and what the truth says of how it is stored.
struct Planted {
  Bytes bytes;
  std::int32_t width;
  PlantedKind kind;
  MaskOrder masks = MaskOrder::kNotMasked;
  std::int32_t columnHeight = 0;
  std::int32_t columns = 0;
  std::int64_t lead = 0;  // bytes drawn before the block: the padding before the first column
};

Bytes DrawMasked(Random& random, Planted& planted) {
  const int columns = SpriteColumns(random, 8);
  planted.width = 2 * columns;
  const int rows = random.Between(8, 32);
  const bool maskFirst = random.Chance(50);
  planted.masks = maskFirst ? MaskOrder::kMaskFirst : MaskOrder::kGraphicFirst;
  Bytes bytes;
  for (const Canvas& frame : DrawFrames(random, columns, rows)) {
    const Canvas mask = MaskOf(frame);
    for (int y = 0; y < rows; ++y)
      for (int column = 0; column < columns; ++column)
        AppendPair(bytes, frame.Byte(column, y), mask.Byte(column, y), maskFirst);
  }
  return bytes;
}

// Each 8-pixel column of each frame top to bottom, then the next; some engines pad every
// column with blank rows below it (and one before the first) to shift sprites down. A column
// starts on its first drawn row and its height counts the blank rows below it; the lone
// padding before the first column belongs to no sprite, and the block starts after it.
Bytes DrawColumns(Random& random, bool masked, Planted& planted) {
  const int columns = random.Between(1, 4);
  const int rows = random.Between(8, 24);
  const int padding = random.Chance(40) ? 8 : 0;
  const bool maskFirst = random.Chance(50);
  if (masked) planted.masks = maskFirst ? MaskOrder::kMaskFirst : MaskOrder::kGraphicFirst;
  planted.columnHeight = rows + padding;
  planted.columns = columns;
  Bytes bytes;
  const auto blank = [&](int count) {
    for (int i = 0; i < count; ++i) {
      if (masked)
        AppendPair(bytes, 0, 0xFF, maskFirst);
      else
        bytes.push_back(0);
    }
  };
  blank(padding);
  planted.lead = std::ssize(bytes);
  for (const Canvas& frame : DrawFrames(random, columns, rows)) {
    const Canvas mask = MaskOf(frame);
    for (int column = 0; column < columns; ++column) {
      for (int y = 0; y < rows; ++y) {
        if (masked)
          AppendPair(bytes, frame.Byte(column, y), mask.Byte(column, y), maskFirst);
        else
          bytes.push_back(frame.Byte(column, y));
      }
      blank(padding);
    }
  }
  return bytes;
}

// Glyphs of strokes on an 8 x 8 grid, the last row and column blank as in most fonts.
std::vector<Bytes> DrawStrokeFont(Random& random, int count) {
  std::vector<Bytes> glyphs{Bytes(8, 0)};  // the space
  while (static_cast<int>(glyphs.size()) < count) {
    Canvas glyph(1, 8);
    for (int s = random.Between(2, 4); s > 0; --s) {
      const int a = random.Between(1, 6), from = random.Between(0, 3), to = random.Between(4, 6);
      const bool down = random.Chance(50);
      for (int t = from; t <= to; ++t) glyph.Set(down ? a : t, down ? t : a);
    }
    Bytes rows;
    glyph.AppendRows(rows);
    glyphs.push_back(rows);
  }
  return glyphs;
}

Bytes DrawFont(const PlantingMaterial& material, Random& random) {
  const int count = random.Between(59, 96);
  Bytes bytes;
  if (!material.fonts.empty() && random.Chance(75)) {
    const auto pick =
        static_cast<std::size_t>(random.Between(0, static_cast<int>(material.fonts.size()) - 1));
    const Bytes& font = material.fonts[pick];
    const auto glyphBytes = static_cast<std::size_t>(material.fontHeights[pick]);
    bytes.assign(font.begin(), font.begin() + static_cast<std::ptrdiff_t>(
                                                  glyphBytes * static_cast<std::size_t>(count)));
    return bytes;
  }
  for (const Bytes& glyph : DrawStrokeFont(random, count))
    bytes.insert(bytes.end(), glyph.begin(), glyph.end());
  return bytes;
}

// One 8 x 8 tile of a game's scenery.
Bytes DrawTile(Random& random) {
  Canvas tile(1, 8);
  // Mostly drawn things; a rough texture, a pattern or a blank square now and then.
  constexpr int kStyles[] = {4, 4, 4, 0, 0, 1, 1, 2, 2, 5, 5, 3, 6, 7, 8, 9};
  switch (kStyles[random.Between(0, static_cast<int>(std::size(kStyles)) - 1)]) {
    case 0:  // bricks
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tile.Set(x, y, y % 4 == 3 || x == ((y / 4) % 2 ? 3 : 7));
      break;
    case 1:  // a frame
      DrawShape(tile, Shape::kRectangle, 0, 0, 8, 8, Fill::kOutline);
      DrawShape(tile, RandomShape(random), 2, 2, 4, 4, Fill::kSolid);
      break;
    case 2:  // grass or water over ground
      for (int x = 0; x < 8; ++x)
        for (int y = random.Between(0, 4); y < 8; ++y) tile.Set(x, y, y > 5 || random.Chance(70));
      break;
    case 3:  // a dither with a border
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tile.Set(x, y, (x + y) % 2 == 0 || y == 0);
      break;
    case 4: {  // a shape
      const Fill fill = random.Chance(50) ? Fill::kSolid : Fill::kOutline;
      const int h = random.Between(5, 8);
      const int w = random.Between(5, 8);
      const int y = random.Between(0, 2);
      const int x = random.Between(0, 2);
      DrawShape(tile, RandomShape(random), x, y, w, h, fill);
      break;
    }
    case 5:  // a ladder or a pillar
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
          tile.Set(x, y, x == 1 || x == 6 || (y % 3 == 0 && x > 1 && x < 6));
      break;
    case 6: {  // a rough texture, as stone or earth
      const int density = random.Between(30, 80);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tile.Set(x, y, random.Chance(density));
      break;
    }
    case 7:  // diagonal stripes
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tile.Set(x, y, (x + y) % 4 < 2);
      break;
    case 8:  // a symmetric pattern
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
          const bool on = random.Chance(50);
          tile.Set(x, y, on);
          tile.Set(7 - x, y, on);
          tile.Set(x, 7 - y, on);
          tile.Set(7 - x, 7 - y, on);
        }
      break;
    default:  // blank, as the first tile of many sets
      break;
  }
  Bytes bytes;
  tile.AppendRows(bytes);
  return bytes;
}

Bytes DrawTiles(Random& random) {
  const int count = random.Chance(10) ? random.Between(2, 6) : random.Between(8, 48);
  Bytes bytes;
  for (int i = 0; i < count; ++i) {
    const Bytes tile = DrawTile(random);
    bytes.insert(bytes.end(), tile.begin(), tile.end());
  }
  return bytes;
}

// Text in the given glyphs, 8 rows to a line of characters.
void DrawTextLine(Random& random, Canvas& canvas, const std::vector<Bytes>& glyphs, int y,
                  int firstColumn, int columns) {
  for (int column = firstColumn; column < firstColumn + columns && column < canvas.columns;
       ++column) {
    const Bytes& glyph = glyphs[static_cast<std::size_t>(
        random.Chance(15) ? 0 : random.Between(1, static_cast<int>(glyphs.size()) - 1))];
    for (int row = 0; row < 8; ++row) canvas.PutByte(column, y + row, glyph[row]);
  }
}

std::vector<Bytes> PictureGlyphs(const PlantingMaterial& material, Random& random) {
  if (material.rom.empty()) return DrawStrokeFont(random, 64);
  std::vector<Bytes> glyphs;
  for (int i = 0; i < 96; ++i)
    glyphs.emplace_back(material.rom.begin() + kRomFont + i * 8,
                        material.rom.begin() + kRomFont + i * 8 + 8);
  return glyphs;
}

// A scene: a frame, large shapes, a ground line, a line of text.
Canvas DrawScene(const PlantingMaterial& material, Random& random, int columns, int rows) {
  Canvas canvas(columns, rows);
  if (random.Chance(50))
    DrawShape(canvas, Shape::kRectangle, 0, 0, canvas.Width(), rows, Fill::kOutline);
  // Things all over it, one for every 400 pixels or so, large and small.
  for (int i = std::max(2, canvas.Width() * rows / 400); i > 0; --i) {
    const int w = random.Between(6, canvas.Width() / 3), h = random.Between(6, rows / 3 + 6);
    const int roll = random.Between(1, 10);
    const int y = random.Between(0, std::max(0, rows - h));
    const int x = random.Between(0, canvas.Width() - w);
    DrawShape(canvas, RandomShape(random), x, y, w, h,
              roll <= 4   ? Fill::kSolid
              : roll <= 8 ? Fill::kOutline
                          : Fill::kDither);
  }
  if (random.Chance(60)) {  // hills: ground below a gently rolling line, filled or shaded
    const int ground = random.Between(rows / 2, rows - 1);
    const double wave = random.Between(1, 4), period = random.Between(16, 96);
    const bool shaded = random.Chance(25);
    for (int x = 0; x < canvas.Width(); ++x)
      for (int y = ground + static_cast<int>(wave * std::sin(x * 6.283185307 / period)); y < rows;
           ++y)
        canvas.Set(x, y, !shaded || (x + y) % 2 == 0);
  }
  if (rows >= 16 && random.Chance(60)) {
    const int line = random.Between(1, columns / 2);
    const int column = random.Between(0, columns - line);
    const int y = random.Between(0, rows - 8);
    DrawTextLine(random, canvas, PictureGlyphs(material, random), y, column, line);
  }
  return canvas;
}

Bytes DrawPicture(const PlantingMaterial& material, Random& random, std::int32_t& width) {
  width = random.Chance(25) ? random.Between(12, 16) : random.Between(17, 31);
  Bytes bytes;
  DrawScene(material, random, width, random.Between(24, 96)).AppendRows(bytes);
  return bytes;
}

// The whole screen in the machine's order: line y at the offset its bits give, then the
// colours of the 32 x 24 cells.
Bytes DrawScreen(const PlantingMaterial& material, Random& random) {
  const Canvas canvas = DrawScene(material, random, 32, 192);
  Bytes bytes(kScreenSize, 0);
  for (int y = 0; y < 192; ++y) {
    const int line = (y & 7) * 256 + ((y >> 3) & 7) * 32 + (y >> 6) * 2048;
    for (int column = 0; column < 32; ++column)
      bytes[static_cast<std::size_t>(line + column)] = canvas.Byte(column, y);
  }
  const std::uint8_t paper = static_cast<std::uint8_t>(random.Between(0, 7) << 3);
  for (int cell = 0; cell < 768; ++cell) {
    const int band = cell / 32 / random.Between(4, 8);
    bytes[static_cast<std::size_t>(6144 + cell)] =
        static_cast<std::uint8_t>(paper | ((band + cell / 256) % 7 + 1) | (band % 2 ? 64 : 0));
  }
  return bytes;
}

// What lies around the graphics.

Bytes RealCode(const PlantingMaterial& material, Random& random) {
  const int length = random.Between(256, 4096);
  Bytes bytes;
  if (material.rom.empty()) {
    for (int i = 0; i < length; ++i) bytes.push_back(random.Byte());
    return bytes;
  }
  const int from = random.Between(0, static_cast<int>(kRomFont) - length);
  bytes.assign(material.rom.begin() + from, material.rom.begin() + from + length);
  return bytes;
}

constexpr const char* kWords[] = {
    "the",   "of",    "press", "key",   "to",     "start", "game",  "over",   "you",   "have",
    "found", "a",     "door",  "in",    "castle", "lives", "score", "high",   "level", "enter",
    "name",  "well",  "done",  "ready", "player", "one",   "two",   "select", "fire",  "left",
    "right", "up",    "down",  "pause", "sound",  "on",    "off",   "time",   "bonus", "magic",
    "sword", "chest", "gold",  "is",    "locked", "need",  "the",   "lamp",   "dark",  "room"};

Bytes Text(Random& random) {
  const int length = random.Between(64, 1024);
  const int ending = random.Between(0, 2);  // zero-terminated, top bit set, or none
  Bytes bytes;
  bool capital = true;
  while (static_cast<int>(bytes.size()) < length) {
    const std::string word = kWords[random.Between(0, static_cast<int>(std::size(kWords)) - 1)];
    for (std::size_t i = 0; i < word.size(); ++i)
      bytes.push_back(static_cast<std::uint8_t>(capital && i == 0 ? word[i] - 32 : word[i]));
    capital = false;
    if (random.Chance(15)) {
      bytes.push_back(random.Chance(50) ? '.' : '!');
      if (ending == 0) bytes.push_back(0);
      if (ending == 1) bytes.back() |= 0x80;
      capital = true;
    } else {
      bytes.push_back(' ');
    }
  }
  return bytes;
}

Bytes ZeroRun(Random& random) {
  const std::uint8_t fill = random.Chance(85) ? 0 : random.Chance(50) ? 0xFF : random.Byte();
  return Bytes(static_cast<std::size_t>(random.Between(16, 2048)), fill);
}

void PutWord(Bytes& bytes, int value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

// The tables games keep: counts, addresses, screen line addresses, sines, records, scores,
// colours and level maps.
Bytes NumberTable(Random& random, const char*& kind) {
  Bytes bytes;
  const int entries = random.Between(16, 256);
  const int table = random.Between(0, 7);
  constexpr const char* kTables[] = {"counts",  "addresses", "line addresses", "sines",
                                     "records", "scores",    "colours",        "level map"};
  kind = kTables[table];
  switch (table) {
    case 0: {  // a count with a step
      const int step = random.Between(1, 8), first = random.Between(0, 255);
      for (int i = 0; i < entries; ++i)
        bytes.push_back(static_cast<std::uint8_t>(first + i * step));
      break;
    }
    case 1: {  // addresses: a jump table, or one entry per record of a fixed size
      int address = random.Between(0x6000, 0xF000);
      const int step = random.Chance(50) ? random.Between(1, 64) : 0;
      for (int i = 0; i < entries / 2; ++i) {
        PutWord(bytes, address & 0xFFFF);
        address += step != 0 ? step : random.Between(3, 120);
      }
      break;
    }
    case 2:  // the address of each screen line
      for (int y = 0; y < 192; ++y)
        PutWord(bytes, 0x4000 + (y & 7) * 256 + ((y >> 3) & 7) * 32 + (y >> 6) * 2048);
      break;
    case 3: {  // a sine table
      const double amplitude = random.Between(20, 127), period = random.Between(32, 256);
      for (int i = 0; i < entries; ++i)
        bytes.push_back(static_cast<std::uint8_t>(
            std::lround(128 + amplitude * std::sin(i * 6.283185307 / period))));
      break;
    }
    case 4: {  // records: place, speed, kind, frame, an address
      const int size = random.Between(4, 10);
      for (int i = 0; i < entries / size + 1; ++i)
        for (int field = 0; field < size; ++field)
          bytes.push_back(field < 2   ? random.Byte()
                          : field < 4 ? static_cast<std::uint8_t>(random.Between(0, 15))
                                      : static_cast<std::uint8_t>(random.Between(0, 255) & 0x8F));
      break;
    }
    case 5:  // scores in binary-coded decimal
      for (int i = 0; i < entries; ++i) {
        const int tens = random.Between(0, 9);
        const int units = random.Between(0, 9);
        bytes.push_back(static_cast<std::uint8_t>(tens << 4 | units));
      }
      break;
    case 6: {  // colours
      const std::uint8_t paper = static_cast<std::uint8_t>(random.Between(0, 7) << 3);
      for (int i = 0; i < entries; ++i) {
        const int ink = random.Between(0, 7);
        const int bright = random.Chance(30) ? 64 : 0;
        bytes.push_back(static_cast<std::uint8_t>(paper | ink | bright));
      }
      break;
    }
    default: {  // a level map of tile numbers, in runs
      const int columns = random.Between(16, 32), tiles = random.Between(4, 40);
      for (int i = 0; i < entries * 4;) {
        const auto tile =
            static_cast<std::uint8_t>(random.Chance(40) ? 0 : random.Between(1, tiles));
        for (int run = random.Between(1, columns / 2); run > 0; --run, ++i) bytes.push_back(tile);
      }
      break;
    }
  }
  return bytes;
}

// Packed data as games load it: deflated text, code and pictures, as random as packed data is.
Bytes Compressed(const PlantingMaterial& material, Random& random) {
  Bytes plain;
  while (plain.size() < 8192) {
    const Bytes part = random.Chance(50) ? Text(random) : RealCode(material, random);
    plain.insert(plain.end(), part.begin(), part.end());
  }
  uLongf size = compressBound(static_cast<uLong>(plain.size()));
  Bytes packed(size);
  compress2(packed.data(), &size, plain.data(), static_cast<uLong>(plain.size()), 9);
  packed.resize(std::min<std::size_t>(size, static_cast<std::size_t>(random.Between(256, 4096))));
  return packed;
}

Bytes Filler(const PlantingMaterial& material, Random& random, const char*& kind) {
  switch (random.Between(0, 9)) {
    case 0:
    case 1:
    case 2:
      kind = "code";
      return RealCode(material, random);
    case 3:
    case 4:
      kind = "text";
      return Text(random);
    case 5:
    case 6:
      kind = "blank";
      return ZeroRun(random);
    case 7:
    case 8:
      return NumberTable(random, kind);
    default:
      kind = "packed";
      return Compressed(material, random);
  }
}

Planted DrawGraphics(const PlantingMaterial& material, Random& random) {
  Planted planted{{}, 1, PlantedKind::kSprites};
  switch (random.Between(0, 7)) {
    case 0:
      planted.kind = PlantedKind::kFont;
      planted.bytes = DrawFont(material, random);
      break;
    case 1:
      planted.kind = PlantedKind::kTiles;
      planted.bytes = DrawTiles(random);
      break;
    case 2:
    case 3:
      planted.bytes = DrawSprites(random, planted.width);
      break;
    case 4:
      planted.kind = PlantedKind::kMasked;
      planted.bytes = DrawMasked(random, planted);
      break;
    case 5: {
      const bool masked = random.Chance(50);
      planted.kind = masked ? PlantedKind::kMaskedColumns : PlantedKind::kColumns;
      planted.width = masked ? 2 : 1;
      planted.bytes = DrawColumns(random, masked, planted);
      break;
    }
    default:
      planted.kind = PlantedKind::kPicture;
      planted.bytes = DrawPicture(material, random, planted.width);
      break;
  }
  return planted;
}

Bytes ReadGzip(const std::filesystem::path& path) {
  Bytes out;
  const gzFile file = gzopen(path.string().c_str(), "rb");
  if (file == nullptr) return out;
  std::uint8_t buffer[8192];
  for (int n; (n = gzread(file, buffer, sizeof buffer)) > 0;)
    out.insert(out.end(), buffer, buffer + n);
  gzclose(file);
  return out;
}

std::uint32_t Little32(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// The glyphs 32 to 127 of a PC screen font 8 pixels wide, version 1 or 2; nothing otherwise.
bool ReadConsoleFont(const Bytes& file, Bytes& glyphs, std::int32_t& height) {
  std::size_t header = 0, glyphBytes = 0;
  std::uint32_t count = 0;
  if (file.size() > 4 && file[0] == 0x36 && file[1] == 0x04) {
    header = 4;
    glyphBytes = file[3];
    count = (file[2] & 1) ? 512 : 256;
  } else if (file.size() > 32 && Little32(file, 0) == 0x864AB572u && Little32(file, 28) == 8) {
    header = Little32(file, 8);
    count = Little32(file, 16);
    glyphBytes = Little32(file, 20);
  } else {
    return false;
  }
  if (count < 128 || glyphBytes < 8 || glyphBytes > 16 || file.size() < header + 128 * glyphBytes)
    return false;
  glyphs.assign(file.begin() + static_cast<std::ptrdiff_t>(header + 32 * glyphBytes),
                file.begin() + static_cast<std::ptrdiff_t>(header + 128 * glyphBytes));
  height = static_cast<std::int32_t>(glyphBytes);
  return true;
}

}  // namespace

const char* PlantedKindName(PlantedKind kind) {
  switch (kind) {
    case PlantedKind::kRomFont:
      return "ROM font";
    case PlantedKind::kFont:
      return "font";
    case PlantedKind::kTiles:
      return "tiles";
    case PlantedKind::kSprites:
      return "sprites";
    case PlantedKind::kMasked:
      return "masked";
    case PlantedKind::kColumns:
      return "columns";
    case PlantedKind::kMaskedColumns:
      return "masked columns";
    case PlantedKind::kPicture:
      return "picture";
    case PlantedKind::kScreen:
      return "screen";
  }
  return "?";
}

SpriteLayout LayoutOf(const PlantedBlock& block) {
  SpriteLayout layout;
  if (block.kind == PlantedKind::kScreen) layout.screen = ScreenLayout::kSpectrumScreen;
  layout.masks = block.masks;
  layout.columnHeight = block.columnHeight;
  return layout;
}

std::int32_t ShownWidth(const PlantedBlock& block) {
  if (block.columnHeight > 0) return block.columns;
  return block.masks == MaskOrder::kNotMasked ? block.width : block.width / 2;
}

PlantingMaterial LoadPlantingMaterial() {
  namespace fs = std::filesystem;
  PlantingMaterial material;
  std::ifstream rom("/usr/share/spectrum-roms/opense.rom", std::ios::binary);
  material.rom.assign(std::istreambuf_iterator<char>(rom), {});
  if (material.rom.size() != kRomBytes) material.rom.clear();
  std::error_code error;
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator("/usr/share/consolefonts", error))
    if (entry.path().string().ends_with(".psf.gz")) paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());  // the directory's order is the file system's
  for (const fs::path& path : paths) {
    Bytes glyphs;
    std::int32_t height = 0;
    if (!ReadConsoleFont(ReadGzip(path), glyphs, height)) continue;
    material.fonts.push_back(std::move(glyphs));
    material.fontHeights.push_back(height);
  }
  return material;
}

PlantedImage MakePlantedImage(const PlantingMaterial& material, std::uint32_t seed) {
  // The seed is mixed first: started from the seed itself, the numbers of one seed would be
  // those of the seed before it, a step on, and neighbouring seeds would make alike images.
  Random random(Random::Mix(seed));
  const std::int64_t size = seed % 3 == 2 ? 147456 : 65536;
  PlantedImage image;
  Bytes& bytes = image.bytes;
  bytes.assign(static_cast<std::size_t>(kRomBytes), 0);
  image.fillers.push_back({0, kRomBytes, "ROM"});
  if (!material.rom.empty()) {
    bytes = material.rom;
    image.blocks.push_back({kRomFont, 768, 1, PlantedKind::kRomFont, MaskOrder::kNotMasked, 0, 0});
  }
  // The screen as the game left it: a picture, or cleared to one colour.
  if (random.Chance(50)) {
    const Bytes screen = DrawScreen(material, random);
    bytes.insert(bytes.end(), screen.begin(), screen.end());
    image.blocks.push_back(
        {kScreenAddress, kScreenSize, 16, PlantedKind::kScreen, MaskOrder::kNotMasked, 0, 0});
  } else {
    image.fillers.push_back({kScreenAddress, kScreenSize, "cleared screen"});
    bytes.insert(bytes.end(), 6144, 0);
    bytes.insert(bytes.end(), 768, static_cast<std::uint8_t>(random.Between(0, 7) << 3 | 7));
  }

  std::vector<Planted> graphics;
  std::int64_t graphicsBytes = 0;
  for (int count = random.Between(3, 8); count > 0; --count) {
    graphics.push_back(DrawGraphics(material, random));
    graphicsBytes += std::ssize(graphics.back().bytes);
  }
  // Fillers between the graphics, in about the room left; sometimes none, so that two
  // blocks of graphics meet as a font and its tiles do.
  const std::int64_t room = size - std::ssize(bytes) - graphicsBytes;
  const std::int64_t share = room / static_cast<std::int64_t>(graphics.size() + 1);
  const auto fill = [&](std::int64_t target) {
    while (std::ssize(bytes) < target) {
      const char* kind = "";
      Bytes filler = Filler(material, random, kind);
      filler.resize(static_cast<std::size_t>(
          std::min<std::int64_t>(std::ssize(filler), target - std::ssize(bytes))));
      image.fillers.push_back({std::ssize(bytes), std::ssize(filler), kind});
      bytes.insert(bytes.end(), filler.begin(), filler.end());
    }
  };
  for (const Planted& planted : graphics) {
    if (!random.Chance(15)) fill(std::ssize(bytes) + random.Between(share / 3, share * 5 / 3));
    if (std::ssize(bytes) + std::ssize(planted.bytes) > size) break;
    image.blocks.push_back({std::ssize(bytes) + planted.lead,
                            std::ssize(planted.bytes) - planted.lead, planted.width, planted.kind,
                            planted.masks, planted.columnHeight, planted.columns});
    bytes.insert(bytes.end(), planted.bytes.begin(), planted.bytes.end());
  }
  fill(size);
  bytes.resize(static_cast<std::size_t>(size));
  std::sort(image.blocks.begin(), image.blocks.end(),
            [](const PlantedBlock& a, const PlantedBlock& b) { return a.start < b.start; });
  return image;
}

}  // namespace pelorin
