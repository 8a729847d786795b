// sprite_file.h: reading a sprite file into the state and writing the screen file.
#pragma once

#include <cstdint>

#include "analysis/width_guess.h"
#include "converter_state.h"
#include "screen/canvas_painter.h"
#include "screen/placement.h"

namespace pelorin {

// Reads the file named by sourcePath, from viewOffset on, into spriteData (as many bytes as
// the layout can show), records the file's size in sourceLength, then calls Redraw once. A
// file that cannot be read is reported as "error reading", a line feed and the path;
// sourcePath is then emptied, the sprite and source lengths are 0 and the picture stays as
// it was. An offset at or past the end leaves nothing to show, as an empty file does; a
// negative one cannot be read.
void LoadSprite(ConverterState& state, CanvasPainter& painter, const ReportError& reportError);

// Sets viewOffset, then loads as LoadSprite does: the window, Save and the converter all
// skip leading bytes this one way. A new file is loaded at offset 0. With readMemoryImages
// set, a snapshot or tape (IsMemoryImagePath) is read as its memory image instead, the
// offset and sourceLength counting in the image (see memory_image.h). Every load makes the
// image anew and keeps it in the state (memory_image_file.h) for MoveViewOffset.
void LoadSpriteAtOffset(ConverterState& state, CanvasPainter& painter,
                        const ReportError& reportError, std::int64_t offset);

// Shows the source already loaded from `offset` on: the View menu's steps and "Go to
// offset..". A file's own bytes are read again from there; a memory image's are copied from
// the image its load kept, which is not made again. A failure is reported and leaves the
// state as a failed LoadSprite does; false then, true when the bytes from there are shown.
bool MoveViewOffset(ConverterState& state, CanvasPainter& painter, const ReportError& reportError,
                    std::int64_t offset);

// Writes the screen, 6,912 bytes, to sourcePath + ".scr", replacing any file of that name.
// Does nothing when sourcePath is empty; a failure is reported as "error writing", a line
// feed and sourcePath.
void SaveScreen(const ConverterState& state, const ReportError& reportError);

// The width guess over the loaded sprite bytes: those that the picture is made from, after
// any skipped header.
WidthGuess GuessStripWidth(const ConverterState& state);

inline Text ScreenFilePath(const Text& sourcePath) {
  return sourcePath + u".scr";
}

}  // namespace pelorin
