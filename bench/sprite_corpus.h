// sprite_corpus.h: files of sprite graphics drawn in code, each labelled with the strip width
// at which it shows its pictures: the yardstick of the width guess.
#pragma once

#include <cstdint>
#include <vector>

namespace pelorin {

enum class SpriteKind {
  kSheet,       // unrelated sprites one after another, filled and outlined shapes
  kAnimation,   // frames of one sprite, each a little different from the last
  kText,        // lines of text in an 8 x 8 font, or the font itself at width 1
  kBlank,       // sprites with wide blank margins and blank sprites among them
  kDithered,    // shapes filled with rows alternating 0xAA / 0x55
  kMasked,      // mask byte, graphic byte, mask byte, ...: labelled with the interleaved width
  kWideSparse,  // wide sprites, mostly blank, a few small shapes in each
};

inline constexpr SpriteKind kSpriteKinds[] = {
    SpriteKind::kSheet,    SpriteKind::kAnimation, SpriteKind::kText,      SpriteKind::kBlank,
    SpriteKind::kDithered, SpriteKind::kMasked,    SpriteKind::kWideSparse};

const char* SpriteKindName(SpriteKind kind);

struct SpriteFile {
  std::vector<std::uint8_t> bytes;
  std::int32_t width;  // the strip width that shows the pictures
  SpriteKind kind;
};

// One file of the kind, the same for the same seed on every platform: sprites 8 to 32 rows
// high, a random count of them, and sometimes a few bytes of header before the first.
SpriteFile MakeSpriteFile(SpriteKind kind, std::uint32_t seed);

// The kind chosen by the seed too, so that a run of seeds covers every kind.
SpriteFile MakeSpriteFile(std::uint32_t seed);

// Graphics stored as real programs store them, labelled with the width at which the stored
// bytes form rows.
enum class StoredKind {
  kFont,           // 8 x 8 characters of strokes, 8 bytes each: width 1
  kTileSet,        // 16 x 16 tiles stored as four 8 x 8 characters each: width 1
  kColumns,        // sprites stored column by column, each 8-pixel column top to bottom: 1
  kMaskedColumns,  // the same, graphic and mask bytes alternating: width 2
  kSerpentine,     // sprites whose odd rows are stored right to left: the sprite's width
};

inline constexpr StoredKind kStoredKinds[] = {StoredKind::kFont, StoredKind::kTileSet,
                                              StoredKind::kColumns, StoredKind::kMaskedColumns,
                                              StoredKind::kSerpentine};

// What the graphics are followed by: the picture at their start is still theirs.
enum class Followed { kByNothing, kByCode, kByOtherSprites };

const char* StoredKindName(StoredKind kind);

SpriteFile MakeStoredFile(StoredKind kind, Followed followed, std::uint32_t seed);

}  // namespace pelorin
