// sprite_file.cpp: loading sprite bytes and saving the screen file.
#include "sprite_file.h"

#include <algorithm>
#include <new>

#include "memory_image_file.h"
#include "platform/platform.h"
#include "redraw.h"

namespace pelorin {

static_assert(SpriteReadBound == 6911 * 192 + 1, "width 1 reaches furthest: line 0 of strip 6,911");

namespace {

void ForgetMemoryImage(ConverterState& state) {
  state.memoryImage = std::vector<std::uint8_t>();  // its memory goes with it
}

void FailLoad(ConverterState& state, const ReportError& reportError) {
  reportError(u"error reading\n" + state.sourcePath);
  state.sourcePath.clear();
  state.spriteLength = 0;
  state.sourceLength = 0;
  ForgetMemoryImage(state);
}

// Fills spriteData from the source's bytes after the first viewOffset: a memory image's from
// the image the load made and kept (made now when none is kept), a file's own from the file,
// read again each time. False when they cannot be read.
bool ReadSprite(ConverterState& state) {
  const std::int64_t offset = state.viewOffset;
  if (state.readMemoryImages && IsMemoryImagePath(state.sourcePath)) {
    if (state.memoryImage.empty() && !KeepMemoryImage(state)) return false;
    return CopyMemoryImageWindow(state, offset);
  }
  if (offset < 0) return false;
  const std::int64_t size = platform::QueryFileSize(state.sourcePath);
  platform::File file = platform::OpenForReading(state.sourcePath);
  if (!file.IsOpen()) return false;
  // Past the end is past the end, however far: nothing is read, and no seek is asked that
  // the platform might refuse for its size.
  const bool pastTheEnd = size >= 0 && offset >= size;
  if (offset > 0 && !pastTheEnd && !file.Seek(offset)) return false;

  // Only the first SpriteReadBound bytes can ever reach the screen (about twice as many
  // through masks). A size the query could not give (a long path, a device name, 2 GiB or
  // more) is no reason to refuse a file that opened: the prefix is read all the same, and
  // the count read is what counts.
  const std::int64_t bound = StoredReadBound(state.layout);
  const std::int64_t remaining = size >= 0 ? std::max<std::int64_t>(size - offset, 0) : -1;
  const auto wanted =
      static_cast<std::int32_t>(remaining >= 0 && remaining < bound ? remaining : bound);
  try {
    state.spriteData.resize(static_cast<std::size_t>(wanted));
  } catch (const std::bad_alloc&) {
    return false;
  }
  const std::int64_t delivered = wanted > 0 ? file.Read(state.spriteData.data(), wanted) : 0;
  file.Close();
  if (delivered < 0) return false;
  // A file that shrank since the query delivers less: bytes not delivered are not shown.
  state.spriteLength = static_cast<std::int32_t>(delivered);
  // Without a size from the query, what was read is all that is known to be there.
  state.sourceLength = size >= 0 ? size : offset + delivered;
  return true;
}

}  // namespace

void LoadSprite(ConverterState& state, CanvasPainter& painter, const ReportError& reportError) {
  ForgetMemoryImage(state);  // a new load: the file may be another, or have changed
  if (!ReadSprite(state)) FailLoad(state, reportError);
  Redraw(state, painter);
}

void LoadSpriteAtOffset(ConverterState& state, CanvasPainter& painter,
                        const ReportError& reportError, std::int64_t offset) {
  state.viewOffset = offset;
  LoadSprite(state, painter, reportError);
}

bool MoveViewOffset(ConverterState& state, CanvasPainter& painter, const ReportError& reportError,
                    std::int64_t offset) {
  state.viewOffset = offset;
  const bool read = ReadSprite(state);
  if (!read) FailLoad(state, reportError);
  Redraw(state, painter);
  return read;
}

WidthGuess GuessStripWidth(const ConverterState& state) {
  // The bytes that plain strips could show, whatever more a layout had read.
  const std::int32_t length = std::clamp<std::int32_t>(
      state.spriteLength, 0,
      std::min(static_cast<std::int32_t>(state.spriteData.size()), SpriteReadBound));
  return GuessStripWidth(state.spriteData.data(), length);
}

void SaveScreen(const ConverterState& state, const ReportError& reportError) {
  if (state.sourcePath.empty()) return;
  platform::File file = platform::CreateForWriting(ScreenFilePath(state.sourcePath));
  bool written = file.IsOpen() && file.Write(state.screen.data(), kScreenBytes) == kScreenBytes;
  // A full disk may only show when the file is completed.
  if (file.IsOpen()) written = file.Close() && written;
  if (!written) reportError(u"error writing\n" + state.sourcePath);
}

}  // namespace pelorin
