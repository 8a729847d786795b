// sprite_file.h: reading a sprite file into the state and writing the screen file.
#pragma once

#include <cstdint>

#include "canvas_painter.h"
#include "converter_state.h"
#include "screen.h"

namespace pelorin {

// The number of leading bytes of a sprite that can reach the screen at the given strip
// width: one past the last byte whose place lies inside the screen.
constexpr std::int32_t VisibleSpriteBytes(std::int32_t width) {
  // The last strip that starts inside the screen; its bytes come after every earlier one.
  const std::int32_t lastStripOffset = (kScreenBytes - 1) / width * width;
  const std::int32_t rowsBefore = lastStripOffset / width * kScreenHeight;
  std::int32_t visible = 0;
  for (int line = 0; line < kScreenHeight; ++line)
    for (int column = 0; column < width; ++column)
      if (LineAddressTable[line] + column + lastStripOffset < kScreenBytes)
        visible = (rowsBefore + line) * width + column + 1;
  return visible;
}

constexpr std::int32_t MakeSpriteReadBound() {
  std::int32_t bound = 0;
  for (std::int32_t width = 1; width <= 31; ++width)
    if (VisibleSpriteBytes(width) > bound) bound = VisibleSpriteBytes(width);
  return bound;
}

// No byte past this many can be shown or saved at any width, so no more is ever read.
inline constexpr std::int32_t SpriteReadBound = MakeSpriteReadBound();

// Reads the file named by sourcePath, from viewOffset on, into spriteData, records the
// file's size in sourceLength, then calls Redraw once. A file that cannot be read is
// reported as "error reading", a line feed and the path; sourcePath is then emptied, the
// sprite and source lengths are 0 and the picture stays as it was. An offset at or past the
// end leaves nothing to show, as an empty file does; a negative one cannot be read.
void LoadSprite(ConverterState& state, CanvasPainter& painter, const ReportError& reportError);

// Sets viewOffset, then loads as LoadSprite does: the window, Save and the converter all
// skip leading bytes this one way. A new file is loaded at offset 0. With readMemoryImages
// set, a snapshot or tape (IsMemoryImagePath) is read as its memory image instead, the
// offset and sourceLength counting in the image (see memory_image.h).
void LoadSpriteAtOffset(ConverterState& state, CanvasPainter& painter,
                        const ReportError& reportError, std::int64_t offset);

// Writes the screen, 6,912 bytes, to sourcePath + ".scr", replacing any file of that name.
// Does nothing when sourcePath is empty; a failure is reported as "error writing", a line
// feed and sourcePath.
void SaveScreen(const ConverterState& state, const ReportError& reportError);

inline Text ScreenFilePath(const Text& sourcePath) {
  return sourcePath + u".scr";
}

}  // namespace pelorin
