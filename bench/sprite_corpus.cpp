// sprite_corpus.cpp: drawing the labelled sprite files.
#include "sprite_corpus.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "drawing.h"

namespace pelorin {

namespace {

// Each random draw is a statement of its own: draws within one expression or argument list come
// in an order each compiler picks. The statements keep the order that made the images the
// bench was tuned on (the last argument drawn first), so that the seeds keep their images.

enum class Shape { kEllipse, kRectangle, kTriangle };

struct Box {
  int x, y, w, h;
};

bool Inside(Shape shape, const Box& b, int x, int y) {
  const double u = (x + 0.5 - b.x) / b.w;  // 0..1 across the box
  const double v = (y + 0.5 - b.y) / b.h;
  if (u < 0 || u >= 1 || v < 0 || v >= 1) return false;
  switch (shape) {
    case Shape::kEllipse:
      return (u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5) < 0.25;
    case Shape::kRectangle:
      return true;
    case Shape::kTriangle:
      return std::abs(u - 0.5) * 2 < v;
  }
  return false;
}

// Draws a shape filled, outlined, or filled with the one-pixel checkerboard.
enum class Fill { kSolid, kOutline, kDither };

void DrawShape(Canvas& canvas, Shape shape, const Box& box, Fill fill) {
  for (int y = box.y; y < box.y + box.h; ++y) {
    for (int x = box.x; x < box.x + box.w; ++x) {
      if (!Inside(shape, box, x, y)) continue;
      const bool edge = !Inside(shape, box, x - 1, y) || !Inside(shape, box, x + 1, y) ||
                        !Inside(shape, box, x, y - 1) || !Inside(shape, box, x, y + 1);
      if (fill == Fill::kSolid || edge || (fill == Fill::kDither && (x + y) % 2 == 0))
        canvas.Set(x, y);
    }
  }
}

Box RandomBox(Random& random, int width, int height, int minPart) {
  const int w = random.Between(std::min(width, std::max(2, width * minPart / 100)), width);
  const int h = random.Between(std::min(height, std::max(2, height * minPart / 100)), height);
  return {random.Between(0, width - w), random.Between(0, height - h), w, h};
}

Shape RandomShape(Random& random) {
  return static_cast<Shape>(random.Between(0, 2));
}

// One to three shapes, solid or outlined (or dithered), and a few pixels of detail.
Canvas DrawSprite(Random& random, int columns, int rows, Fill fill, int minPart) {
  Canvas canvas(columns, rows);
  const int shapes = random.Between(1, 3);
  for (int i = 0; i < shapes; ++i) {
    const Fill f = fill == Fill::kDither ? (i == 0 ? Fill::kDither : Fill::kOutline)
                                         : (random.Chance(50) ? Fill::kSolid : Fill::kOutline);
    const Box box = RandomBox(random, canvas.Width(), rows, minPart);
    DrawShape(canvas, RandomShape(random), box, f);
  }
  const int details = random.Between(0, 4);
  for (int i = 0; i < details; ++i) {
    const bool on = random.Chance(50);
    const int y = random.Between(0, rows - 1);
    const int x = random.Between(0, canvas.Width() - 1);
    canvas.Set(x, y, on);
  }
  return canvas;
}

void DrawSheet(Random& random, int width, std::vector<std::uint8_t>& bytes, Fill fill) {
  const int count = random.Between(2, 12);
  const int rows = random.Between(8, 32);
  for (int i = 0; i < count; ++i) DrawSprite(random, width, rows, fill, 40).AppendRows(bytes);
}

void DrawAnimation(Random& random, int width, std::vector<std::uint8_t>& bytes) {
  const int frames = random.Between(3, 12);
  const int rows = random.Between(8, 32);
  const Canvas base = DrawSprite(random, width, rows, Fill::kSolid, 30);
  for (int frame = 0; frame < frames; ++frame) {
    // The frame moves a pixel or two and a few of its pixels change, as a walking figure's do.
    Canvas moved(width, rows);
    const int dx = random.Between(-2, 2);
    const int dy = random.Between(-1, 1);
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < moved.Width(); ++x) moved.Set(x, y, base.Get(x - dx, y - dy));
    const int changes = random.Between(0, width * rows / 4);
    for (int i = 0; i < changes; ++i) {
      const int x = random.Between(0, moved.Width() - 1);
      const int y = random.Between(0, rows - 1);
      moved.Set(x, y, !moved.Get(x, y));
    }
    moved.AppendRows(bytes);
  }
}

// A font of 8 x 8 glyphs made of strokes: the last row and the last column stay blank, so
// that letters stand apart, as they do in the machine's own font.
std::vector<Canvas> MakeFont(Random& random) {
  std::vector<Canvas> glyphs;
  glyphs.emplace_back(1, 8);  // the space
  for (int g = 0; g < 40; ++g) {
    Canvas glyph(1, 8);
    const int strokes = random.Between(2, 4);
    for (int s = 0; s < strokes; ++s) {
      if (random.Chance(50)) {
        const int x = random.Between(1, 6);
        const int top = random.Between(1, 4);
        const int bottom = random.Between(top + 2, 6);
        for (int y = top; y <= bottom; ++y) glyph.Set(x, y);
      } else {
        const int y = random.Between(1, 6);
        const int left = random.Between(1, 4);
        const int right = random.Between(left + 1, 6);
        for (int x = left; x <= right; ++x) glyph.Set(x, y);
      }
    }
    glyphs.push_back(glyph);
  }
  return glyphs;
}

void DrawText(Random& random, int width, std::vector<std::uint8_t>& bytes) {
  const std::vector<Canvas> font = MakeFont(random);
  if (width == 1) {  // the font itself, glyph after glyph
    for (const Canvas& glyph : font) glyph.AppendRows(bytes);
    return;
  }
  const int lines = random.Between(2, 10);
  for (int line = 0; line < lines; ++line) {
    std::vector<int> letters;
    const int used = random.Between(width / 2, width);
    for (int i = 0; i < width; ++i)
      letters.push_back(i < used && random.Chance(85) ? random.Between(1, 40) : 0);
    for (int y = 0; y < 8; ++y)
      for (int letter : letters) bytes.push_back(font[static_cast<std::size_t>(letter)].Byte(0, y));
  }
}

void DrawBlank(Random& random, int width, std::vector<std::uint8_t>& bytes) {
  const int count = random.Between(3, 12);
  const int rows = random.Between(8, 32);
  for (int i = 0; i < count; ++i) {
    if (random.Chance(30)) {
      bytes.insert(bytes.end(), static_cast<std::size_t>(width * rows), 0);  // a blank sprite
      continue;
    }
    Canvas sprite(width, rows);
    // One shape in a part of the sprite, the rest of it blank.
    const Box area = RandomBox(random, sprite.Width(), rows, 20);
    Canvas shape = DrawSprite(random, std::max(1, area.w / 8), area.h, Fill::kSolid, 50);
    for (int y = 0; y < shape.rows; ++y)
      for (int x = 0; x < shape.Width(); ++x) sprite.Set(area.x + x, area.y + y, shape.Get(x, y));
    sprite.AppendRows(bytes);
  }
}

void DrawMasked(Random& random, int spriteWidth, std::vector<std::uint8_t>& bytes) {
  const int count = random.Between(2, 10);
  const int rows = random.Between(8, 32);
  for (int i = 0; i < count; ++i) {
    const Canvas graphic = DrawSprite(random, spriteWidth, rows, Fill::kOutline, 40);
    const Canvas mask = MaskOf(graphic);
    for (int y = 0; y < rows; ++y)
      for (int column = 0; column < spriteWidth; ++column) {
        bytes.push_back(mask.Byte(column, y));
        bytes.push_back(graphic.Byte(column, y));
      }
  }
}

void DrawWideSparse(Random& random, int width, std::vector<std::uint8_t>& bytes) {
  const int count = random.Between(2, 8);
  const int rows = random.Between(8, 32);
  for (int i = 0; i < count; ++i) {
    Canvas sprite(width, rows);
    const int shapes = random.Between(1, 3);
    for (int s = 0; s < shapes; ++s) {
      const int w = random.Between(4, std::min(32, sprite.Width()));
      const int h = random.Between(3, rows);
      const Box box{random.Between(0, sprite.Width() - w), random.Between(0, rows - h), w, h};
      const Fill fill = random.Chance(50) ? Fill::kSolid : Fill::kOutline;
      DrawShape(sprite, RandomShape(random), box, fill);
    }
    sprite.AppendRows(bytes);
  }
}

// Tiles drawn 16 x 16 and stored as their top left, top right, bottom left and bottom right
// characters, each top to bottom.
void DrawTileSet(Random& random, std::vector<std::uint8_t>& bytes) {
  const int tiles = random.Between(8, 24);
  for (int i = 0; i < tiles; ++i) {
    const Canvas tile = DrawSprite(random, 2, 16, Fill::kSolid, 60);
    for (int half = 0; half < 2; ++half)
      for (int column = 0; column < 2; ++column)
        for (int y = 8 * half; y < 8 * half + 8; ++y) bytes.push_back(tile.Byte(column, y));
  }
}

// Sprites 2 to 4 bytes wide stored one 8-pixel column after another, top to bottom; masked,
// each graphic byte followed by its mask byte.
void DrawColumns(Random& random, bool masked, std::vector<std::uint8_t>& bytes) {
  const int count = random.Between(3, 10);
  const int columns = random.Between(2, 4);
  const int rows = random.Between(16, 32);
  for (int i = 0; i < count; ++i) {
    const Canvas graphic = DrawSprite(random, columns, rows, Fill::kOutline, 40);
    const Canvas mask = MaskOf(graphic);
    for (int column = 0; column < columns; ++column)
      for (int y = 0; y < rows; ++y) {
        bytes.push_back(graphic.Byte(column, y));
        if (masked) bytes.push_back(mask.Byte(column, y));
      }
  }
}

// Sprites whose odd rows are stored right to left, byte by byte or, masked, in graphic and
// mask pairs. Returns the width at which the stored bytes form rows.
int DrawSerpentine(Random& random, std::vector<std::uint8_t>& bytes) {
  const int count = random.Between(2, 8);
  const int columns = random.Between(2, 4);
  const int rows = random.Between(16, 32);
  const bool masked = random.Chance(50);
  for (int i = 0; i < count; ++i) {
    const Canvas graphic = DrawSprite(random, columns, rows, Fill::kSolid, 40);
    const Canvas mask = MaskOf(graphic);
    for (int y = 0; y < rows; ++y)
      for (int step = 0; step < columns; ++step) {
        const int column = y % 2 == 0 ? step : columns - 1 - step;
        bytes.push_back(graphic.Byte(column, y));
        if (masked) bytes.push_back(mask.Byte(column, y));
      }
  }
  return masked ? 2 * columns : columns;
}

}  // namespace

const char* SpriteKindName(SpriteKind kind) {
  switch (kind) {
    case SpriteKind::kSheet:
      return "sheet";
    case SpriteKind::kAnimation:
      return "animation";
    case SpriteKind::kText:
      return "text";
    case SpriteKind::kBlank:
      return "blank areas";
    case SpriteKind::kDithered:
      return "dithered";
    case SpriteKind::kMasked:
      return "masked";
    case SpriteKind::kWideSparse:
      return "wide sparse";
  }
  return "?";
}

SpriteFile MakeSpriteFile(SpriteKind kind, std::uint32_t seed) {
  Random random(seed * 0x9E3779B97F4A7C15ull + 1);
  SpriteFile file{{}, random.Between(1, 31), kind};
  // A length, a load address or a name: something else before the first sprite.
  if (random.Chance(30)) {
    const int header = random.Between(1, 16);
    for (int i = 0; i < header; ++i) file.bytes.push_back(static_cast<std::uint8_t>(random.Next()));
  }
  switch (kind) {
    case SpriteKind::kSheet:
      DrawSheet(random, file.width, file.bytes, Fill::kSolid);
      break;
    case SpriteKind::kAnimation:
      DrawAnimation(random, file.width, file.bytes);
      break;
    case SpriteKind::kText:
      DrawText(random, file.width, file.bytes);
      break;
    case SpriteKind::kBlank:
      DrawBlank(random, file.width, file.bytes);
      break;
    case SpriteKind::kDithered:
      DrawSheet(random, file.width, file.bytes, Fill::kDither);
      break;
    case SpriteKind::kMasked: {
      const int spriteWidth = random.Between(1, 15);
      file.width = 2 * spriteWidth;
      DrawMasked(random, spriteWidth, file.bytes);
      break;
    }
    case SpriteKind::kWideSparse:
      file.width = random.Between(12, 31);
      DrawWideSparse(random, file.width, file.bytes);
      break;
  }
  return file;
}

SpriteFile MakeSpriteFile(std::uint32_t seed) {
  constexpr std::size_t kinds = std::size(kSpriteKinds);
  return MakeSpriteFile(kSpriteKinds[seed % kinds], seed);
}

const char* StoredKindName(StoredKind kind) {
  switch (kind) {
    case StoredKind::kFont:
      return "font";
    case StoredKind::kTileSet:
      return "tile set";
    case StoredKind::kColumns:
      return "columns";
    case StoredKind::kMaskedColumns:
      return "masked columns";
    case StoredKind::kSerpentine:
      return "serpentine";
  }
  return "?";
}

SpriteFile MakeStoredFile(StoredKind kind, Followed followed, std::uint32_t seed) {
  Random random(seed * 0x9E3779B97F4A7C15ull + 1);
  SpriteFile file{{}, 1, SpriteKind::kSheet};
  switch (kind) {
    case StoredKind::kFont:
      for (const Canvas& glyph : MakeFont(random)) glyph.AppendRows(file.bytes);
      break;
    case StoredKind::kTileSet:
      DrawTileSet(random, file.bytes);
      break;
    case StoredKind::kColumns:
    case StoredKind::kMaskedColumns:
      DrawColumns(random, kind == StoredKind::kMaskedColumns, file.bytes);
      file.width = kind == StoredKind::kMaskedColumns ? 2 : 1;
      break;
    case StoredKind::kSerpentine:
      file.width = DrawSerpentine(random, file.bytes);
      break;
  }
  // As much again of what follows, and at least a screen's worth.
  const std::size_t end = file.bytes.size() + std::max<std::size_t>(file.bytes.size(), 6912);
  if (followed == Followed::kByCode) {
    while (file.bytes.size() < end) file.bytes.push_back(static_cast<std::uint8_t>(random.Next()));
  } else if (followed == Followed::kByOtherSprites) {
    const int width = file.width + random.Between(1, 8);
    while (file.bytes.size() < end) DrawSheet(random, width, file.bytes, Fill::kSolid);
  }
  return file;
}

}  // namespace pelorin
