// other_fillers.h: what the second maker of planted images lays around its graphics: real Z80
// code, packed screens, level maps, music tables, colours, pointers, blank runs and messages.
#pragma once

#include <cstdint>
#include <vector>

#include "other_drawing.h"

namespace pelorin::other {

// A stretch of 256 to 2,048 bytes of one of the pieces of code.
Bytes Z80Code(const std::vector<Bytes>& code, Dice& dice);

// Packed as games pack their screens: runs of a byte after a marker byte, or repeats of what
// came before as an offset and a length, eight choices to a flag byte.
Bytes PackRuns(const Bytes& plain, std::uint8_t marker);
Bytes PackRepeats(const Bytes& plain);

// Rooms of tile numbers: walls, platforms, ladders and things to take, a byte or half a byte
// to a tile.
Bytes LevelMap(Dice& dice);
// The note periods of the sound chip, tunes as note, length and instrument, volume envelopes
// and the beeper's pitch and length pairs.
Bytes MusicTables(Dice& dice);
// Colours of the screen's cells in runs: paper and ink pairs, bright here and there.
Bytes AttributeRuns(Dice& dice);
// Addresses of records, frames or routines, two bytes each.
Bytes PointerTable(Dice& dice);
// Zeros mostly; now and then another byte over and over.
Bytes BlankRun(Dice& dice);
// Messages, menus and a high-score table, ended as games end them.
Bytes Messages(Dice& dice);
// A loader in the machine's BASIC: its lines tokenised, numbers with their hidden form.
Bytes BasicLoader(Dice& dice);

}  // namespace pelorin::other
