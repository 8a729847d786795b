// view_commands.cpp: moving through the file, finding graphics, locating bytes and zooming,
// from the View menu.
#include "view_commands.h"

#include <utility>

#include "canvas_view.h"
#include "graphics_search.h"
#include "input_dialog.h"
#include "memory_image/memory_image.h"
#include "progress_window.h"
#include "redraw.h"
#include "sprite_file.h"
#include "view_offset.h"
#include "width_scrollbar.h"

namespace pelorin {

namespace {

constexpr std::pair<MenuItem, ViewStep> kStepItems[] = {
    {kNextScreenItem, ViewStep::kNextScreen},   {kPreviousScreenItem, ViewStep::kPreviousScreen},
    {kNextRowItem, ViewStep::kNextRow},         {kPreviousRowItem, ViewStep::kPreviousRow},
    {kNextByteItem, ViewStep::kNextByte},       {kPreviousByteItem, ViewStep::kPreviousByte},
    {kStartOfFileItem, ViewStep::kStartOfFile},
};

// Shows the file from `offset` on; the title says where, before the picture changes, as it
// does for a new width.
void MoveView(ShellState& shell, std::int64_t offset) {
  ConverterState& state = *shell.state;
  SetMainTitle(shell.main, ViewTitle(state.stripWidth, offset));
  LoadSpriteAtOffset(state, shell.painter, shell.reportError, offset);
}

void GoToOffset(ShellState& shell) {
  ConverterState& state = *shell.state;
  const Text answer = InputDialog(u"Go to offset", u"offset ($-hex, %-binary)",
                                  DefaultOffsetText(state.viewOffset));
  if (const auto offset = OffsetAnswer(answer, state.sourceLength, shell.reportError))
    MoveView(shell, *offset);
}

// Sets a check item's switch and its mark together.
void SetCheck(ShellState& shell, MenuItem item, bool& on, bool value) {
  on = value;
  CheckMenuItem(GetMenu(shell.main.window.Get()), item,
                MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void Toggle(ShellState& shell, MenuItem item, bool& on) {
  SetCheck(shell, item, on, !on);
}

// The bytes are already loaded: only their placement changes.
void ToggleOneScreen(ShellState& shell) {
  Toggle(shell, kOneScreenItem, shell.state->oneScreen);
  Redraw(*shell.state, shell.painter);
}

// Searches the loaded file, or its memory image while that switch is on, and keeps what is
// found. A search that takes a while shows its progress and can be cancelled; what it found
// until then is kept. False when the file can no longer be read (said, as a load says it).
bool SearchLoadedFile(ShellState& shell) {
  const ConverterState& state = *shell.state;
  const bool memory = state.readMemoryImages && IsMemoryImagePath(state.sourcePath);
  std::optional<GraphicsSearch> search;
  {
    ProgressWindow progress;
    progress.title = u"Finding graphics";
    search =
        SearchGraphics(state.sourcePath, memory, 0, [&](std::int64_t searched, std::int64_t total) {
          return ReportProgress(progress, searched, total);
        });
  }
  if (!search) {
    shell.reportError(u"error reading\n" + state.sourcePath);
    return false;
  }
  shell.graphics = std::move(search->regions);
  shell.graphicsSearched = true;
  return true;
}

// Shows the region found: from its start, at its width as if the scrollbar had moved there,
// one screen only, and says which of them it is in the title.
void ShowGraphics(ShellState& shell, std::size_t index) {
  ConverterState& state = *shell.state;
  const GraphicsRegion& region = shell.graphics[index];
  state.stripWidth = region.width;
  SetScrollbarPosition(shell.main.controls, kWidthScrollbarControl, region.width);
  SetCheck(shell, kOneScreenItem, state.oneScreen, true);
  SetMainTitle(shell.main,
               GraphicsTitle(region.width, region.start, index + 1, shell.graphics.size()));
  LoadSpriteAtOffset(state, shell.painter, shell.reportError, region.start);
}

// "Find graphics" searches and shows the first region at or after the offset; "Next" and
// "Previous graphics" show the first region that starts after it, or the last that starts
// before it, going round at the ends. Before any search they search as "Find graphics"
// does. With nothing found, the title says so and nothing moves.
void MoveAmongGraphics(ShellState& shell, MenuItem item) {
  if (!shell.graphicsSearched || item == kFindGraphicsItem) {
    if (!SearchLoadedFile(shell)) return;
    item = kFindGraphicsItem;
  }
  const ConverterState& state = *shell.state;
  const std::vector<GraphicsRegion>& graphics = shell.graphics;
  if (graphics.empty()) {
    SetMainTitle(shell.main, GraphicsTitle(state.stripWidth, state.viewOffset, 0, 0));
    return;
  }
  const std::int64_t offset = state.viewOffset;
  std::size_t index = 0;
  if (item == kPreviousGraphicsItem) {
    index = graphics.size() - 1;
    for (std::size_t i = 0; i < graphics.size() && graphics[i].start < offset; ++i) index = i;
  } else {
    const bool at = item == kFindGraphicsItem;
    for (std::size_t i = graphics.size(); i-- > 0;)
      if (graphics[i].start > offset || (at && graphics[i].start == offset)) index = i;
  }
  ShowGraphics(shell, index);
}

// The loaded file is read again the other way. An offset into the file means nothing in
// its memory image, and the other way round, so it is shown from its start. A memory image
// is always larger than a screen, and its last bytes, mostly zeros, would spill over all of
// it: switching it on shows one screen only too, which the user may switch off again.
void ToggleMemoryImages(ShellState& shell) {
  ConverterState& state = *shell.state;
  Toggle(shell, kMemoryItem, state.readMemoryImages);
  if (state.readMemoryImages) SetCheck(shell, kOneScreenItem, state.oneScreen, true);
  ForgetGraphics(shell);
  if (state.sourcePath.empty()) return;
  // Whatever the title said (an offset, a located byte), it now shows the start.
  SetMainTitle(shell.main, ViewTitle(state.stripWidth, 0));
  LoadSpriteAtOffset(state, shell.painter, shell.reportError, 0);
}

void Zoom(ShellState& shell, MenuItem item) {
  CheckMenuRadioItem(GetMenu(shell.main.window.Get()), kZoom1Item, kZoom3Item, item, MF_BYCOMMAND);
  ZoomMainWindow(shell.main, item - kZoom1Item + 1);
}

}  // namespace

void ForgetGraphics(ShellState& shell) {
  shell.graphicsSearched = false;
  shell.graphics.clear();
}

bool RunViewCommand(ShellState& shell, std::int32_t item) {
  // Moving through a file needs one: with none, as "Save", nothing happens and nothing is said.
  const bool loaded = !shell.state->sourcePath.empty();
  for (const auto& [stepItem, step] : kStepItems) {
    if (item != stepItem) continue;
    const ConverterState& state = *shell.state;
    if (loaded)
      MoveView(shell, SteppedOffset(state.viewOffset, state.sourceLength, state.stripWidth, step));
    return true;
  }
  switch (item) {
    case kGoToOffsetItem:
      if (loaded) GoToOffset(shell);
      return true;
    case kLocateItem:
      Toggle(shell, kLocateItem, shell.locateOnClick);
      return true;
    case kOneScreenItem:
      ToggleOneScreen(shell);
      return true;
    case kMemoryItem:
      ToggleMemoryImages(shell);
      return true;
    case kZoom1Item:
    case kZoom2Item:
    case kZoom3Item:
      Zoom(shell, static_cast<MenuItem>(item));
      return true;
    case kFindGraphicsItem:
    case kNextGraphicsItem:
    case kPreviousGraphicsItem:
      if (loaded) MoveAmongGraphics(shell, static_cast<MenuItem>(item));
      return true;
    default:
      return false;
  }
}

void LocateClickedByte(ShellState& shell, const ShellEvent& event) {
  const auto* pointer = std::get_if<PointerInput>(&event.payload);
  // Only a press of the left button alone: a second button held makes it some other gesture.
  if (!shell.locateOnClick || pointer == nullptr ||
      (event.detail != kButtonDown && event.detail != kDoubleClick) ||
      pointer->buttons != MK_LBUTTON)
    return;
  const std::int32_t zoom = CanvasZoom(ControlWindow(shell.main.controls, kCanvasControl));
  const ConverterState& state = *shell.state;
  SetMainTitle(shell.main, LocatedByteTitle(state.stripWidth, LocateByte(state, pointer->x / zoom,
                                                                         pointer->y / zoom)));
}

}  // namespace pelorin
