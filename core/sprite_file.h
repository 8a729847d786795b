// sprite_file.h: reading a sprite file into the state and writing the screen file.
#pragma once

#include <cstdint>

#include "analysis/width_guess.h"
#include "converter_state.h"
#include "screen/canvas_painter.h"
#include "screen/placement.h"

namespace pelorin {

// What a load found out besides the picture: why it failed, in a few words (empty when it
// did not), and what the user should know of what it loaded: the RAM pages a snapshot left
// out, shown as zeros (empty when there is nothing to say).
struct LoadOutcome {
  Text fault;
  Text warning;
};

// Reads the file named by sourcePath, from viewOffset on, into spriteData (as many bytes as
// the layout can show), records the file's size in sourceLength, then calls Redraw once. A
// file that cannot be read is reported as "error reading", a line feed and the path (for a
// memory image, a line feed and why after it); sourcePath is then emptied, the sprite and
// source lengths are 0 and the picture stays as it was. An offset at or past the end leaves
// nothing to show, as an empty file does; a negative one cannot be read.
LoadOutcome LoadSprite(ConverterState& state, CanvasPainter& painter,
                       const ReportError& reportError);

// Sets viewOffset, then loads as LoadSprite does: the window, Save and the converter all
// skip leading bytes this one way. A new file is loaded at offset 0. With readMemoryImages
// set, a snapshot or tape (IsMemoryImagePath) is read as its memory image instead, the
// offset and sourceLength counting in the image (see memory_image.h). Every load makes the
// image anew and keeps it in the state for MoveViewOffset.
LoadOutcome LoadSpriteAtOffset(ConverterState& state, CanvasPainter& painter,
                               const ReportError& reportError, std::int64_t offset);

// The window's load of a file it is given: opened, dropped, named on the command line, or
// read again by the memory switch. As LoadSpriteAtOffset at 0, and further: the RAM pages
// a snapshot left out are told as a warning, what they are and a line feed and the path,
// once the picture shows them. A snapshot or tape that cannot be read as the memory it
// holds is loaded as its own bytes instead, readMemoryImages turned off, so that the steps,
// Save and the search work on it; the error, with why on its third line, says so on a
// fourth. A file that cannot be read either way fails as LoadSpriteAtOffset's does.
void LoadGivenFile(ConverterState& state, CanvasPainter& painter, const ReportError& reportError,
                   const ReportWarning& reportWarning);

// Shows the source already loaded from `offset` on: the View menu's steps and "Go to
// offset..". A file's own bytes are read again from there; a memory image's are copied from
// the image its load kept, which is not made again. A failure is reported and leaves the
// state as a failed LoadSprite does; false then, true when the bytes from there are shown.
bool MoveViewOffset(ConverterState& state, CanvasPainter& painter, const ReportError& reportError,
                    std::int64_t offset);

// Writes the screen, 6,912 bytes, to sourcePath + ".scr", replacing any file of that name
// only once they are all written (platform::WriteWholeFile): a failure leaves the old file as
// it was. Does nothing when sourcePath is empty; a failure is reported as "error writing", a
// line feed and sourcePath.
void SaveScreen(const ConverterState& state, const ReportError& reportError);

// The width guess over the loaded sprite bytes: those that the picture is made from, after
// any skipped header.
WidthGuess GuessStripWidth(const ConverterState& state);

inline Text ScreenFilePath(const Text& sourcePath) {
  return sourcePath + u".scr";
}

}  // namespace pelorin
