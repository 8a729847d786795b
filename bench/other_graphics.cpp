// other_graphics.cpp: drawing the second maker's sprites, fonts, tiles, pictures and screens,
// and storing them as games store them.
#include "other_graphics.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace pelorin::other {

namespace {

constexpr double kTurn = 6.283185307179586;

PlantedBlock Truth(PlantedKind kind, std::int32_t width) {
  return {0, 0, width, kind, MaskOrder::kNotMasked, 0, 0};
}

Drawn Finish(Bytes bytes, PlantedBlock truth) {
  truth.length = std::ssize(bytes);
  return {std::move(bytes), truth};
}

// What one set of frames shows, drawn once for the set so that its frames are alike.
enum class Figure { kWalker, kShip, kBall, kItems, kBlob, kRobot };

struct Look {
  Figure figure;
  bool filled;
  int shade;               // a dither level, 4 to 12 of 16
  std::vector<int> radii;  // the ship's and the blob's corners, in hundredths of the frame
};

Look MakeLook(Dice& dice, Figure figure) {
  Look look{figure, false, 8, {}};
  look.filled = dice.Odds(55);
  look.shade = dice.Range(4, 12);
  const int corners = figure == Figure::kBlob ? dice.Range(7, 14) : dice.Range(3, 7);
  for (int i = 0; i < corners; ++i) {
    const int radius = dice.Range(figure == Figure::kBlob ? 70 : 45, 100);
    look.radii.push_back(radius);
  }
  return look;
}

Figure AnyFigure(Dice& dice) {
  constexpr Figure kMoving[] = {Figure::kWalker, Figure::kShip, Figure::kBall, Figure::kBlob,
                                Figure::kRobot};
  return kMoving[dice.Below(static_cast<int>(std::size(kMoving)))];
}

std::vector<Point> Corners(const Look& look, int cx, int cy, int rx, int ry, double turn) {
  std::vector<Point> corners;
  const auto count = static_cast<double>(look.radii.size());
  for (std::size_t i = 0; i < look.radii.size(); ++i) {
    const double angle = kTurn * static_cast<double>(i) / count + turn;
    const double r = look.radii[i] / 100.0;
    corners.push_back({cx + static_cast<int>(std::lround(rx * r * std::cos(angle))),
                       cy + static_cast<int>(std::lround(ry * r * std::sin(angle)))});
  }
  return corners;
}

void DrawWalker(Bitmap& frame, const Look& look, int t) {
  const int w = frame.Pixels(), h = frame.tall;
  const int cx = w / 2;
  const int head = std::max(1, h / 9);
  const int bob = t % 2;
  const int top = 2 * head + 2 + bob;
  const int hip = top + std::max(2, h * 2 / 5);
  const int half = std::max(1, w / 6);
  const std::vector<Point> body{
      {cx - half, top}, {cx + half, top}, {cx + half, hip}, {cx - half, hip}};
  if (look.filled) {
    FillPolygon(frame, body);
    ShadeBox(frame, cx - half + 1, top + 1, 2 * half - 1, hip - top - 1, look.shade);
  }
  Outline(frame, body);
  Ring(frame, cx, head + bob, head, head);
  constexpr int kSwing[] = {0, 1, 2, 1};
  const int swing = kSwing[t % 4] * std::max(1, w / 10);
  Line(frame, cx - 1, hip, cx - half - swing, h - 1);
  Line(frame, cx + 1, hip, cx + half + swing, h - 1);
  Line(frame, cx - half, top + 1, cx - half - std::max(1, w / 8), top + h / 5 - swing);
  Line(frame, cx + half, top + 1, cx + half + std::max(1, w / 8), top + h / 5 + swing);
}

void DrawShip(Bitmap& frame, const Look& look, int t) {
  const int cx = frame.Pixels() / 2, cy = frame.tall / 2;
  const std::vector<Point> corners =
      Corners(look, cx, cy, frame.Pixels() / 2 - 1, frame.tall / 2 - 1, t * 0.4);
  if (look.filled) {
    FillPolygon(frame, corners);
    Disc(frame, cx, cy, std::max(1, frame.Pixels() / 10), std::max(1, frame.tall / 10), false);
  } else {
    Outline(frame, corners);
    Ring(frame, cx, cy, std::max(1, frame.Pixels() / 10), std::max(1, frame.tall / 10));
  }
}

void DrawBall(Bitmap& frame, const Look& look, int t) {
  const int r = std::max(2, std::min(frame.Pixels(), frame.tall) / 2 - 1);
  const int room = std::max(0, frame.tall - 2 * r - 2);
  const int bounce = static_cast<int>(std::lround(room * std::abs(std::sin(t * 0.7))));
  const int cy = frame.tall - 1 - r - bounce;
  if (look.filled) {
    ShadedBall(frame, frame.Pixels() / 2, cy, r);
  } else {
    Ring(frame, frame.Pixels() / 2, cy, r, r);
    Disc(frame, frame.Pixels() / 2 - r / 3, cy - r / 3, std::max(1, r / 4), std::max(1, r / 4));
  }
}

// One small thing in a frame much larger than it: a coin, a key, a gem, a heart or a star.
void DrawItem(Bitmap& frame, Dice& dice) {
  const int size = dice.Range(4, 8);
  const int x = dice.Range(0, std::max(0, frame.Pixels() - size - 1));
  const int y = dice.Range(0, std::max(0, frame.tall - size - 1));
  const int r = size / 2;
  switch (dice.Below(5)) {
    case 0:
      Ring(frame, x + r, y + r, r, r);
      Line(frame, x + r, y + 2, x + r, y + size - 2);
      break;
    case 1:
      Ring(frame, x + 2, y + 2, 2, 2);
      Line(frame, x + 4, y + 2, x + size, y + 2);
      Line(frame, x + size - 1, y + 2, x + size - 1, y + 4);
      break;
    case 2:
      Outline(frame, {{x + r, y}, {x + size, y + r}, {x + r, y + size}, {x, y + r}});
      break;
    case 3:
      Disc(frame, x + r / 2, y + r / 2, r / 2, r / 2);
      Disc(frame, x + r + r / 2, y + r / 2, r / 2, r / 2);
      FillPolygon(frame, {{x - 1, y + r / 2}, {x + size + 1, y + r / 2}, {x + r, y + size}});
      break;
    default:
      Line(frame, x, y + r, x + size, y + r);
      Line(frame, x + r, y, x + r, y + size);
      Line(frame, x + 1, y + 1, x + size - 1, y + size - 1);
      Line(frame, x + size - 1, y + 1, x + 1, y + size - 1);
      break;
  }
}

void DrawBlob(Bitmap& frame, const Look& look, int t) {
  const int cx = frame.Pixels() / 2, cy = frame.tall / 2;
  const int rx = frame.Pixels() / 2 - 1, ry = frame.tall / 2 - 1;
  FillPolygon(frame, Corners(look, cx, cy, rx, ry, t * 0.15));
  // Shaded below, eyes and a mouth cut out above: a creature seen in the light.
  for (int y = cy + ry / 3; y < frame.tall; ++y)
    for (int x = 0; x < frame.Pixels(); ++x)
      if (frame.Ink(x, y) && !Shade(x, y, 16 - look.shade / 2)) frame.Plot(x, y, false);
  const int eye = std::max(1, rx / 5);
  Disc(frame, cx - rx / 3, cy - ry / 3, eye, eye, false);
  Disc(frame, cx + rx / 3, cy - ry / 3, eye, eye, false);
  for (int x = cx - rx / 3; x <= cx + rx / 3; ++x) frame.Plot(x, cy + (t % 2), false);
}

void DrawRobot(Bitmap& frame, const Look& look, int t) {
  const int w = frame.Pixels(), h = frame.tall;
  const int left = w / 5, right = w - 1 - w / 5, top = h / 3, bottom = h - 1 - h / 6;
  if (look.filled) ShadeRamp(frame, left, top, right - left, bottom - top, t % 2 == 0);
  Outline(frame, {{left, top}, {right, top}, {right, bottom}, {left, bottom}});
  const int neck = w / 2;
  Outline(frame, {{neck - w / 8, 1}, {neck + w / 8, 1}, {neck + w / 8, top}, {neck - w / 8, top}});
  frame.Plot(neck - w / 16, top / 2);
  frame.Plot(neck + w / 16, top / 2);
  const int arm = (t % 3) * h / 8;
  Line(frame, left, top + 2, 0, top + h / 6 - arm);
  Line(frame, right, top + 2, w - 1, top + h / 6 + arm - h / 8);
  const int wheel = std::max(1, h / 12);
  Ring(frame, left + wheel, h - 1 - wheel, wheel, wheel);
  Ring(frame, right - wheel, h - 1 - wheel, wheel, wheel);
}

Bitmap DrawFrame(Dice& dice, const Look& look, int wide, int tall, int t) {
  Bitmap frame(wide, tall);
  switch (look.figure) {
    case Figure::kWalker:
      DrawWalker(frame, look, t);
      break;
    case Figure::kShip:
      DrawShip(frame, look, t);
      break;
    case Figure::kBall:
      DrawBall(frame, look, t);
      break;
    case Figure::kItems:
      DrawItem(frame, dice);
      break;
    case Figure::kBlob:
      DrawBlob(frame, look, t);
      break;
    case Figure::kRobot:
      DrawRobot(frame, look, t);
      break;
  }
  return frame;
}

void Append(Bytes& bytes, const Bitmap& bitmap) {
  bytes.insert(bytes.end(), bitmap.bytes.begin(), bitmap.bytes.end());
}

// Copies `from` into `to` moved right by `shift` pixels.
void Blit(Bitmap& to, const Bitmap& from, int shift) {
  for (int y = 0; y < from.tall; ++y)
    for (int x = 0; x < from.Pixels(); ++x)
      if (from.Ink(x, y)) to.Plot(x + shift, y);
}

void PutPair(Bytes& bytes, std::uint8_t graphic, std::uint8_t mask, bool maskFirst) {
  bytes.push_back(maskFirst ? mask : graphic);
  bytes.push_back(maskFirst ? graphic : mask);
}

MaskOrder OrderOf(bool maskFirst) {
  return maskFirst ? MaskOrder::kMaskFirst : MaskOrder::kGraphicFirst;
}

}  // namespace

Drawn DrawSpriteSet(Dice& dice) {
  int wide = dice.Range(1, 4);
  int tall = dice.Range(12, 32);
  int frames = dice.Range(2, 8);
  Figure figure = AnyFigure(dice);
  int shifts = 0;
  switch (dice.Below(7)) {
    case 0:  // an animation, as chosen above
      break;
    case 1:  // sparse: one small thing in each large frame
      figure = Figure::kItems;
      wide = dice.Range(2, 6);
      tall = dice.Range(16, 32);
      frames = dice.Range(3, 10);
      break;
    case 2:  // dense: a creature that fills its frame
      figure = Figure::kBlob;
      tall = dice.Range(8, 24);
      break;
    case 3:  // a single 16 x 16 sprite
      wide = 2;
      tall = 16;
      frames = 1;
      break;
    case 4:  // sprites of 8 rows
      wide = dice.Range(1, 2);
      tall = 8;
      frames = dice.Range(4, 16);
      break;
    case 5: {  // one sprite shifted 2 or 1 pixels at a time, a byte wider to take the shift
      constexpr int kShifts[] = {4, 8};
      shifts = kShifts[dice.Below(2)];
      wide = dice.Range(1, 3);
      break;
    }
    default:  // large sprites
      wide = dice.Range(5, 10);
      tall = dice.Range(24, 48);
      frames = dice.Range(1, 4);
      break;
  }
  const Look look = MakeLook(dice, figure);
  Bytes bytes;
  if (shifts > 0) {
    const Bitmap sprite = DrawFrame(dice, look, wide, tall, 0);
    for (int shift = 0; shift < shifts; ++shift) {
      Bitmap copy(wide + 1, tall);
      Blit(copy, sprite, shift * 8 / shifts);
      Append(bytes, copy);
    }
    return Finish(std::move(bytes), Truth(PlantedKind::kSprites, wide + 1));
  }
  for (int t = 0; t < frames; ++t) Append(bytes, DrawFrame(dice, look, wide, tall, t));
  return Finish(std::move(bytes), Truth(PlantedKind::kSprites, wide));
}

Drawn DrawMaskedSet(Dice& dice) {
  const int wide = dice.Range(1, 4);
  const int tall = dice.Range(8, 32);
  const int frames = dice.Range(1, 8);
  const int reach = dice.Range(0, 1);
  const bool maskFirst = dice.Odds(50);
  const Figure figure = AnyFigure(dice);
  const Look look = MakeLook(dice, figure);
  Bytes bytes;
  for (int t = 0; t < frames; ++t) {
    const Bitmap graphic = DrawFrame(dice, look, wide, tall, t);
    const Bitmap mask = MaskFor(graphic, reach);
    for (int y = 0; y < tall; ++y)
      for (int column = 0; column < wide; ++column)
        PutPair(bytes, graphic.Byte(column, y), mask.Byte(column, y), maskFirst);
  }
  PlantedBlock truth = Truth(PlantedKind::kMasked, 2 * wide);
  truth.masks = OrderOf(maskFirst);
  return Finish(std::move(bytes), truth);
}

Drawn DrawColumnSprites(Dice& dice, bool masked) {
  const int wide = dice.Range(1, 4);
  const int tall = dice.Range(8, 24);
  const int frames = dice.Range(1, 8);
  const int padding = dice.Odds(50) ? 8 : 0;
  const bool spare = dice.Odds(30);  // a blank column after each frame, room to shift into
  const bool maskFirst = dice.Odds(50);
  const int reach = dice.Range(0, 1);
  const Look look = MakeLook(dice, AnyFigure(dice));
  Bytes bytes;
  const auto put = [&](std::uint8_t graphic, std::uint8_t mask) {
    if (masked)
      PutPair(bytes, graphic, mask, maskFirst);
    else
      bytes.push_back(graphic);
  };
  for (int t = 0; t < frames; ++t) {
    const Bitmap graphic = DrawFrame(dice, look, wide, tall, t);
    const Bitmap mask = MaskFor(graphic, reach);
    for (int column = 0; column < wide + (spare ? 1 : 0); ++column) {
      for (int y = 0; y < tall; ++y)
        if (column < wide)
          put(graphic.Byte(column, y), mask.Byte(column, y));
        else
          put(0, 0xFF);
      for (int y = 0; y < padding; ++y) put(0, 0xFF);
    }
  }
  PlantedBlock truth =
      Truth(masked ? PlantedKind::kMaskedColumns : PlantedKind::kColumns, masked ? 2 : 1);
  if (masked) truth.masks = OrderOf(maskFirst);
  truth.columnHeight = tall + padding;
  truth.columns = wide + (spare ? 1 : 0);
  return Finish(std::move(bytes), truth);
}

Drawn DrawFontBlock(Dice& dice, const Bytes& charset) {
  const int count = dice.Range(40, 96);
  Bytes bytes;
  if (!charset.empty() && dice.Odds(25)) {
    const auto end = std::min<std::size_t>(charset.size(), static_cast<std::size_t>(count) * 8);
    bytes.assign(charset.begin(), charset.begin() + static_cast<std::ptrdiff_t>(end));
    return Finish(std::move(bytes), Truth(PlantedKind::kFont, 1));
  }
  const bool wideFont = dice.Odds(15);  // a title font two bytes wide
  constexpr int kHeights[] = {6, 7, 8, 8, 8, 9, 10, 12, 14, 16};
  LetterStyle style{};
  style.height =
      wideFont ? dice.Range(12, 16) : kHeights[dice.Below(static_cast<int>(std::size(kHeights)))];
  style.bold = dice.Odds(wideFont ? 70 : 30);
  style.italic = style.height <= 10 && dice.Odds(25);
  const int lean = style.italic ? (style.height - 2) / 3 : 0;
  style.width = wideFont ? dice.Range(10, 15) : dice.Range(4, 7 - lean);
  const bool proportional = dice.Odds(30);
  const int margin = proportional ? 0 : dice.Range(0, (wideFont ? 16 : 8) - style.width - lean);
  const int wide = wideFont ? 2 : 1;
  for (int glyph = 0; glyph < count; ++glyph) {
    Bitmap cell(wide, style.height);
    if (glyph > 0) {  // the first is the space
      const int design = (glyph - 1) % kLetterDesigns;
      const int variant = (glyph - 1) / kLetterDesigns;
      LetterStyle drawn = style;
      int top = 0;
      if (variant == 1) {  // small letters: two thirds high, on the same line
        drawn.height = std::max(4, style.height * 2 / 3);
        top = style.height - drawn.height;
      } else if (variant == 2) {  // accented: a bar above a shorter letter
        drawn.height = std::max(4, style.height - 2);
        top = 2;
        Line(cell, margin + 1, 0, margin + style.width - 2, 0);
      }
      DrawLetter(cell, design, margin, top, drawn);
    }
    Append(bytes, cell);
  }
  return Finish(std::move(bytes), Truth(PlantedKind::kFont, wide));
}

namespace {

enum class TileStyle { kBricks, kGrass, kDither, kPlanks, kWater, kStones, kPipe, kCrate, kSpikes };
constexpr int kTileStyles = 9;

void DrawTileStyle(Bitmap& tile, TileStyle style, Dice& dice) {
  const int w = tile.Pixels(), h = tile.tall;
  switch (style) {
    case TileStyle::kBricks: {
      const int course = dice.Range(2, 4) * h / 8;
      const int brick = dice.Range(3, 8) * w / 8;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const int shift = (y / course) % 2 ? brick / 2 : 0;
          tile.Plot(x, y, y % course != course - 1 && (x + shift) % brick != brick - 1);
        }
      break;
    }
    case TileStyle::kGrass: {
      const int soil = h - dice.Range(1, h / 3);
      ShadeBox(tile, 0, soil, w, h - soil, dice.Range(6, 12));
      for (int x = 0; x < w; x += dice.Range(1, 2)) {
        const int blade = dice.Range(1, soil);
        const int lean = dice.Range(-1, 1);
        Line(tile, x, soil, x + lean, soil - blade);
      }
      break;
    }
    case TileStyle::kDither:
      ShadeBox(tile, 0, 0, w, h, dice.Range(2, 14));
      break;
    case TileStyle::kPlanks: {
      const int gap = dice.Range(3, 5);
      for (int y = 0; y < h; y += gap) Line(tile, 0, y, w - 1, y);
      for (int knots = dice.Range(1, 4); knots > 0; --knots) {
        const int x = dice.Range(0, w - 1);
        const int y = dice.Range(0, h - 1);
        tile.Plot(x, y);
      }
      break;
    }
    case TileStyle::kWater: {
      const double period = dice.Range(4, 8);
      const int amplitude = dice.Range(1, 2);
      for (int base = 1; base < h; base += 3 + amplitude)
        for (int x = 0; x < w; ++x)
          tile.Plot(x,
                    base + static_cast<int>(std::lround(amplitude * std::sin(kTurn * x / period))));
      break;
    }
    case TileStyle::kStones:
      for (int stones = dice.Range(2, 5) * w / 8; stones > 0; --stones) {
        const int r = dice.Range(1, 3);
        const int x = dice.Range(0, w - 1);
        const int y = dice.Range(0, h - 1);
        Ring(tile, x, y, r, r);
      }
      break;
    case TileStyle::kPipe: {
      const int a = dice.Range(0, w / 4);
      const int b = w - 1 - dice.Range(0, w / 4);
      Line(tile, a, 0, a, h - 1);
      Line(tile, b, 0, b, h - 1);
      Line(tile, a + 2, 0, a + 2, h - 1);
      for (int x = a; x <= b; ++x) tile.Plot(x, h / 2);
      break;
    }
    case TileStyle::kCrate:
      Outline(tile, {{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}});
      Line(tile, 1, 1, w - 2, h - 2);
      if (dice.Odds(50)) Line(tile, w - 2, 1, 1, h - 2);
      break;
    case TileStyle::kSpikes: {
      const int spike = dice.Range(2, 4) * w / 8;
      for (int x = 0; x < w; x += spike) {
        const int tip = h - dice.Range(h / 2, h);
        FillPolygon(tile, {{x, h}, {x + spike / 2, tip}, {x + spike, h}});
      }
      break;
    }
  }
}

}  // namespace

Drawn DrawTileSet(Dice& dice) {
  const int roll = dice.Below(10);
  const bool large = roll >= 6;
  const bool asCharacters = roll >= 8;
  const int count = large ? dice.Range(4, 24) : dice.Range(4, 64);
  // A set keeps to a few styles, as a game's scenery does.
  std::vector<TileStyle> styles;
  for (int n = dice.Range(2, 5); n > 0; --n)
    styles.push_back(static_cast<TileStyle>(dice.Below(kTileStyles)));
  const bool topThenBottom = dice.Odds(50);
  Bytes bytes;
  for (int i = 0; i < count; ++i) {
    Bitmap tile(large ? 2 : 1, large ? 16 : 8);
    const int blank = dice.Below(100);
    if (i > 0 || blank >= 50)
      DrawTileStyle(tile,
                    styles[static_cast<std::size_t>(dice.Below(static_cast<int>(styles.size())))],
                    dice);
    if (!asCharacters) {
      Append(bytes, tile);
      continue;
    }
    // Four characters: left and right of the top, then of the bottom; or down the left first.
    for (int part = 0; part < 4; ++part) {
      const int column = topThenBottom ? part % 2 : part / 2;
      const int half = topThenBottom ? part / 2 : part % 2;
      for (int y = 8 * half; y < 8 * half + 8; ++y) bytes.push_back(tile.Byte(column, y));
    }
  }
  return Finish(std::move(bytes), Truth(PlantedKind::kTiles, large && !asCharacters ? 2 : 1));
}

namespace {

// Large flat areas: a sky left blank, a sun, mountains, the ground, a house.
void DrawFlatScene(Bitmap& bitmap, Dice& dice, int x0, int y0, int w, int h) {
  const int ground = y0 + h - dice.Range(h / 6, h / 3);
  const int sun = dice.Range(3, std::max(3, h / 6));
  const int sunX = dice.Range(x0 + sun, x0 + w - sun - 1);
  if (dice.Odds(50))
    Disc(bitmap, sunX, y0 + sun + 1, sun, sun);
  else
    Ring(bitmap, sunX, y0 + sun + 1, sun, sun);
  std::vector<Point> ridge{{x0, ground}};
  for (int x = x0; x < x0 + w; x += dice.Range(8, 32)) {
    const int peak = dice.Range(y0 + h / 4, ground - 1);
    ridge.push_back({x, peak});
  }
  ridge.push_back({x0 + w - 1, ground});
  if (dice.Odds(50))
    FillPolygon(bitmap, ridge);
  else
    Outline(bitmap, ridge);
  if (dice.Odds(60))
    ShadeBox(bitmap, x0, ground, w, y0 + h - ground, dice.Range(8, 16));
  else
    ShadeBox(bitmap, x0, ground, w, y0 + h - ground, 16);
  if (w >= 48 && h >= 24 && dice.Odds(60)) {
    const int size = dice.Range(10, std::min(32, h / 2));
    const int x = dice.Range(x0, x0 + w - size - 1);
    const int base = ground;
    FillPolygon(bitmap, {{x - 2, base - size},
                         {x + size / 2, base - size - size / 2},
                         {x + size + 2, base - size}});
    Outline(bitmap, {{x, base - size}, {x + size, base - size}, {x + size, base}, {x, base}});
    Disc(bitmap, x + size / 3, base - size / 2, 1, 1);
  }
}

// Busy detail: hatching, rings, shaded balls, ramps, lines and words everywhere.
void DrawBusyScene(Bitmap& bitmap, Dice& dice, int x0, int y0, int w, int h) {
  for (int things = std::max(4, w * h / 180); things > 0; --things) {
    const int size = dice.Range(4, std::max(4, std::min(w, h) / 3));
    const int x = dice.Range(x0, x0 + std::max(0, w - size - 1));
    const int y = dice.Range(y0, y0 + std::max(0, h - size - 1));
    switch (dice.Below(6)) {
      case 0: {
        const int gap = dice.Range(2, 4);
        const bool rising = dice.Odds(50);
        Hatch(bitmap, x, y, size, size, gap, rising);
        break;
      }
      case 1:
        Ring(bitmap, x + size / 2, y + size / 2, size / 2, size / 2);
        break;
      case 2:
        ShadedBall(bitmap, x + size / 2, y + size / 2, size / 2);
        break;
      case 3:
        ShadeRamp(bitmap, x, y, size, size / 2 + 1, dice.Odds(50));
        break;
      case 4: {
        const int toX = dice.Range(x0, x0 + w - 1);
        const int toY = dice.Range(y0, y0 + h - 1);
        Line(bitmap, x, y, toX, toY);
        break;
      }
      default: {
        const LetterStyle small{7, 5, false, false};
        int at = x;
        for (int letters = dice.Range(2, 6); letters > 0 && at + 6 < x0 + w; --letters) {
          const int design = dice.Below(26);
          at += DrawLetter(bitmap, design, at, y, small) + 1;
        }
        break;
      }
    }
  }
}

}  // namespace

Drawn DrawPictureBlock(Dice& dice) {
  const int wide = dice.Range(8, 31);
  const int tall = dice.Range(16, 128);
  Bitmap picture(wide, tall);
  if (dice.Odds(50))
    DrawFlatScene(picture, dice, 0, 0, picture.Pixels(), tall);
  else
    DrawBusyScene(picture, dice, 0, 0, picture.Pixels(), tall);
  return Finish(picture.bytes, Truth(PlantedKind::kPicture, wide));
}

Bytes DrawLoadingScreen(Dice& dice) {
  Bitmap screen(32, 192);
  Outline(screen, {{0, 0}, {255, 0}, {255, 191}, {0, 191}});
  if (dice.Odds(50)) Outline(screen, {{2, 2}, {253, 2}, {253, 189}, {2, 189}});
  // The title, in large letters across the top.
  LetterStyle title{};
  title.height = dice.Range(14, 24);
  title.width = dice.Range(10, 16);
  title.bold = dice.Odds(70);
  title.italic = dice.Odds(30);
  const int letters = dice.Range(4, std::min(9, 220 / (title.width + 2)));
  int x = (256 - letters * (title.width + 2)) / 2;
  for (int i = 0; i < letters; ++i) {
    const int design = dice.Below(26);
    DrawLetter(screen, design, x, 6, title);
    x += title.width + 2;
  }
  const int pictureTop = 6 + title.height + dice.Range(4, 12);
  const int pictureBottom = dice.Range(150, 172);
  if (dice.Odds(50))
    DrawFlatScene(screen, dice, 8, pictureTop, 240, pictureBottom - pictureTop);
  else
    DrawBusyScene(screen, dice, 8, pictureTop, 240, pictureBottom - pictureTop);
  const LetterStyle small{7, 5, false, false};
  x = dice.Range(8, 64);
  for (int words = dice.Range(2, 4); words > 0; --words) {
    for (int count = dice.Range(2, 7); count > 0 && x < 240; --count) {
      const int design = dice.Below(36);
      x += DrawLetter(screen, design, x, 180, small) + 1;
    }
    x += 6;
  }
  // The display file: line y at 0 1 0 y7 y6 y2 y1 y0 y5 y4 y3 x4 x3 x2 x1 x0 of the address.
  Bytes bytes(6912, 0);
  for (int y = 0; y < 192; ++y)
    for (int column = 0; column < 32; ++column) {
      const int at = (y & 0xC0) << 5 | (y & 0x07) << 8 | (y & 0x38) << 2 | column;
      bytes[static_cast<std::size_t>(at)] = screen.Byte(column, y);
    }
  // Colours: a pair for the title's rows, the picture's bands of rows with runs of a second
  // pair across them, a pair for the line at the foot.
  const auto pair = [&](bool brighter) {
    const int paper = dice.Below(8);
    const int offset = dice.Range(1, 7);
    const int bright = brighter && dice.Odds(60) ? 0x40 : 0;
    return static_cast<std::uint8_t>(bright | paper << 3 | (paper + offset) % 8);
  };
  const std::uint8_t titleColour = pair(true);
  const std::uint8_t footColour = pair(false);
  std::uint8_t band = pair(false);
  const std::uint8_t accent = pair(true);
  for (int row = 0; row < 24; ++row) {
    std::uint8_t* cells = &bytes[static_cast<std::size_t>(6144 + row * 32)];
    const int y = row * 8;
    if (y < pictureTop) {
      std::fill(cells, cells + 32, titleColour);
      continue;
    }
    if (y >= pictureBottom) {
      std::fill(cells, cells + 32, footColour);
      continue;
    }
    if (dice.Odds(20)) band = pair(false);
    std::fill(cells, cells + 32, band);
    for (int runs = dice.Range(0, 3); runs > 0; --runs) {
      const int length = dice.Range(2, 8);
      const int from = dice.Range(1, 31 - length);
      std::fill(cells + from, cells + from + length, accent);
    }
  }
  return bytes;
}

}  // namespace pelorin::other
