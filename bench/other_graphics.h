// other_graphics.h: the graphics the second maker plants, each with what the truth says of
// how it is stored.
#pragma once

#include "other_drawing.h"
#include "planted_images.h"

namespace pelorin::other {

struct Drawn {
  Bytes bytes;
  PlantedBlock truth;  // its start is the image's to set
};

// Frames row after row: animations, sparse and dense sprites, a single 16 x 16 sprite, sprites
// of 8 rows, shifted copies of one sprite, large sprites.
Drawn DrawSpriteSet(Dice& dice);
// Frames row after row, each graphic byte beside its mask byte, either one first.
Drawn DrawMaskedSet(Dice& dice);
// Frames column after column, with or without masks, with or without blank rows below each
// column and a blank column after each frame.
Drawn DrawColumnSprites(Dice& dice, bool masked);
// Letters of 6 to 16 rows, plain, bold, leaning or proportional, or a wide title font; or the
// glyphs of `charset` (eight bytes each, from the space on) when it is not empty.
Drawn DrawFontBlock(Dice& dice, const Bytes& charset);
// 8 x 8 tiles, or 16 x 16 ones stored row by row or as four 8 x 8 characters.
Drawn DrawTileSet(Dice& dice);
// A picture 8 to 31 bytes wide: large flat areas, or busy detail.
Drawn DrawPictureBlock(Dice& dice);
// A loading screen in the machine's display-file order, 6,912 bytes with its colours: a
// title in large letters over a picture, colours in runs of paper and ink pairs.
Bytes DrawLoadingScreen(Dice& dice);

}  // namespace pelorin::other
