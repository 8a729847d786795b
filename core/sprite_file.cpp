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

bool ReadsMemoryImage(const ConverterState& state) {
  return state.readMemoryImages && IsMemoryImagePath(state.sourcePath);
}

// "error reading", a line feed and the path; a memory image, which the program reads itself,
// says why on a further line.
Text ReadingError(const ConverterState& state, const Text& why) {
  Text message = u"error reading\n" + state.sourcePath;
  if (ReadsMemoryImage(state)) message += u"\n" + why;
  return message;
}

void FailLoad(ConverterState& state, const ReportError& reportError, const Text& why) {
  reportError(ReadingError(state, why));
  state.sourcePath.clear();
  state.spriteLength = 0;
  state.sourceLength = 0;
  ForgetMemoryImage(state);
}

// Fills spriteData from the source's bytes after the first viewOffset: a memory image's from
// the image the load made and kept (made now when none is kept), a file's own from the file,
// read again each time.
LoadOutcome ReadSprite(ConverterState& state) {
  const std::int64_t offset = state.viewOffset;
  if (offset < 0) return {u"an offset before the start", {}};
  if (ReadsMemoryImage(state)) {
    Text warning;
    if (state.memoryImage.empty()) {
      const Text why = KeepMemoryImage(state, warning);
      if (!why.empty()) return {why, {}};
    }
    if (!CopyMemoryImageWindow(state, offset)) return {u"out of memory", {}};
    return {{}, warning};
  }
  const std::int64_t size = platform::QueryFileSize(state.sourcePath);
  platform::File file = platform::OpenForReading(state.sourcePath);
  if (!file.IsOpen()) return {platform::WhyUnreadable(state.sourcePath), {}};
  // Past the end is past the end, however far: nothing is read, and no seek is asked that
  // the platform might refuse for its size.
  const bool pastTheEnd = size >= 0 && offset >= size;
  if (offset > 0 && !pastTheEnd && !file.Seek(offset)) return {u"cannot be read", {}};

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
    return {u"out of memory", {}};
  }
  const std::int64_t delivered = wanted > 0 ? file.Read(state.spriteData.data(), wanted) : 0;
  file.Close();
  if (delivered < 0) return {u"cannot be read", {}};
  // A file that shrank since the query delivers less: bytes not delivered are not shown.
  state.spriteLength = static_cast<std::int32_t>(delivered);
  // Without a size from the query, what was read is all that is known to be there.
  state.sourceLength = size >= 0 ? size : offset + delivered;
  return {};
}

}  // namespace

LoadOutcome LoadSprite(ConverterState& state, CanvasPainter& painter,
                       const ReportError& reportError) {
  ForgetMemoryImage(state);  // a new load: the file may be another, or have changed
  const LoadOutcome outcome = ReadSprite(state);
  if (!outcome.fault.empty()) FailLoad(state, reportError, outcome.fault);
  Redraw(state, painter);
  return outcome;
}

LoadOutcome LoadSpriteAtOffset(ConverterState& state, CanvasPainter& painter,
                               const ReportError& reportError, std::int64_t offset) {
  state.viewOffset = offset;
  return LoadSprite(state, painter, reportError);
}

void LoadGivenFile(ConverterState& state, CanvasPainter& painter, const ReportError& reportError,
                   const ReportWarning& reportWarning) {
  state.viewOffset = 0;
  ForgetMemoryImage(state);
  LoadOutcome outcome = ReadSprite(state);
  Text shownAsBytes;
  if (!outcome.fault.empty() && ReadsMemoryImage(state)) {
    // Not the snapshot or tape it seemed: its own bytes, which can still be looked at, saved
    // and searched. When those cannot be read either, the first failure is the one told.
    const Text error = ReadingError(state, outcome.fault);
    state.readMemoryImages = false;
    if (ReadSprite(state).fault.empty()) {
      outcome.fault.clear();
      shownAsBytes = error + u"\nshown as its own bytes: \"Snapshots and tapes as memory\" is off";
    } else {
      state.readMemoryImages = true;
    }
  }
  if (!outcome.fault.empty()) FailLoad(state, reportError, outcome.fault);
  Redraw(state, painter);
  if (!shownAsBytes.empty()) reportError(shownAsBytes);
  if (!outcome.warning.empty() && reportWarning)
    reportWarning(outcome.warning + u"\n" + state.sourcePath);
}

bool MoveViewOffset(ConverterState& state, CanvasPainter& painter, const ReportError& reportError,
                    std::int64_t offset) {
  state.viewOffset = offset;
  const LoadOutcome outcome = ReadSprite(state);
  if (!outcome.fault.empty()) FailLoad(state, reportError, outcome.fault);
  Redraw(state, painter);
  return outcome.fault.empty();
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
  if (!platform::WriteWholeFile(ScreenFilePath(state.sourcePath), state.screen))
    reportError(u"error writing\n" + state.sourcePath);
}

}  // namespace pelorin
