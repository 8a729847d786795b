// view_commands.cpp: moving through the file, finding graphics, locating bytes and zooming,
// from the View menu, the wheel and clicks on the picture.
#include "view_commands.h"

#include <utility>

#include "canvas_view.h"
#include "graphics_search.h"
#include "input_dialog.h"
#include "layout_commands.h"
#include "memory_image_file.h"
#include "progress_window.h"
#include "redraw.h"
#include "scroll_request.h"
#include "sprite_file.h"
#include "view_offset.h"
#include "locate_byte.h"
#include "view_title.h"
#include "width_scrollbar.h"

namespace pelorin {

namespace {

constexpr std::pair<MenuItem, ViewStep> kStepItems[] = {
    {kNextScreenItem, ViewStep::kNextScreen},   {kPreviousScreenItem, ViewStep::kPreviousScreen},
    {kNextRowItem, ViewStep::kNextRow},         {kPreviousRowItem, ViewStep::kPreviousRow},
    {kNextByteItem, ViewStep::kNextByte},       {kPreviousByteItem, ViewStep::kPreviousByte},
    {kStartOfFileItem, ViewStep::kStartOfFile},
};

// Shows the file from `offset` on, and the title says where. When the file cannot be read
// there, the picture stays as it was, and so does the title, which still says what is shown.
void MoveView(ShellState& shell, std::int64_t offset) {
  ConverterState& state = *shell.state;
  if (!MoveViewOffset(state, shell.painter, shell.reportError, offset)) return;
  SetMainTitle(shell.main, ViewTitle(state.stripWidth, offset, state.layout));
  shell.byteInTitle = false;
}

// The offset offered is selected: what is typed replaces it.
void GoToOffset(ShellState& shell) {
  ConverterState& state = *shell.state;
  const Text answer = InputDialog(u"Go to offset", u"offset ($-hex, 0x-hex, %-binary)",
                                  DefaultOffsetText(state.viewOffset), DefaultText::kSelected);
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
  const ByteSpan image = LoadedMemoryImage(state);
  std::optional<GraphicsSearch> search;
  {
    ProgressWindow progress;
    progress.title = u"Finding graphics";
    const SearchProgress report = [&](std::int64_t searched, std::int64_t total) {
      return ReportProgress(progress, searched, total);
    };
    // The memory image the load made is searched as it is, the file a piece at a time.
    search = image.empty() ? SearchGraphics(state.sourcePath, 0, report)
                           : SearchGraphicsIn(image, 0, report);
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
// one screen only, and says which of them it is in the title. Its width is that of the bytes
// as stored, so it is shown as plain strips, or a screen found as a Spectrum screen.
void ShowGraphics(ShellState& shell, std::size_t index) {
  ConverterState& state = *shell.state;
  const GraphicsRegion& region = shell.graphics[index];
  SpriteLayout layout;
  if (region.kind == GraphicsKind::kScreen) layout.screen = ScreenLayout::kSpectrumScreen;
  SetLayout(shell, layout);
  state.stripWidth = region.width;
  SetScrollbarPosition(shell.main.controls, kWidthScrollbarControl, region.width);
  SetCheck(shell, kOneScreenItem, state.oneScreen, true);
  if (!MoveViewOffset(state, shell.painter, shell.reportError, region.start)) return;
  SetMainTitle(shell.main, GraphicsTitle(region.width, region.start, index + 1,
                                         shell.graphics.size(), state.layout));
  shell.byteInTitle = false;
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
    SetMainTitle(shell.main, GraphicsTitle(state.stripWidth, state.viewOffset, 0, 0, state.layout));
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
  LoadSpriteAtOffset(state, shell.painter, shell.reportError, 0);
  // Whatever the title said (an offset, a located byte), it now shows the start; after a
  // failed load the picture, and so the title, stay as they were.
  if (!state.sourcePath.empty())
    SetMainTitle(shell.main, ViewTitle(state.stripWidth, 0, state.layout));
}

void ShowZoom(ShellState& shell, std::int32_t zoom) {
  CheckMenuRadioItem(GetMenu(shell.main.window.Get()), kZoom1Item, kZoom3Item,
                     kZoom1Item + zoom - 1, MF_BYCOMMAND);
  ZoomMainWindow(shell.main, zoom);
}

// A zoom whose window would not fit is greyed in the menu, but its shortcut still comes here.
void Zoom(ShellState& shell, MenuItem item) {
  const std::int32_t zoom = item - kZoom1Item + 1;
  if (MonitorFittingZoom(shell.main, zoom) == zoom) ShowZoom(shell, zoom);
}

// Each whole notch of the wheel moves the view; what is short of one waits for the next turn.
void TurnWheel(ShellState& shell, const PointerInput& pointer) {
  shell.wheelTurn += pointer.wheel;
  const std::int32_t notches = shell.wheelTurn / WHEEL_DELTA;
  shell.wheelTurn %= WHEEL_DELTA;
  const ConverterState& state = *shell.state;
  if (notches == 0 || state.sourcePath.empty()) return;
  // Turned away from the user the wheel goes back, as a page scrolls up.
  MoveView(shell, WheeledOffset(state.viewOffset, state.sourceLength, state.stripWidth, -notches,
                                (pointer.keys & MK_SHIFT) != 0, state.layout));
}

// Names the byte under the pointer in the title; with Shift, starts the view at it, so that
// the sprite it begins lines up at the top left.
void LocateClickedByte(ShellState& shell, const PointerInput& pointer) {
  const std::int32_t zoom = CanvasZoom(ControlWindow(shell.main.controls, kCanvasControl));
  const ConverterState& state = *shell.state;
  const std::optional<std::int64_t> position =
      LocateByte(state, pointer.x / zoom, pointer.y / zoom);
  if ((pointer.keys & MK_SHIFT) != 0 && position) {
    MoveView(shell, *position);
    return;
  }
  SetMainTitle(shell.main, LocatedByteTitle(state, position));
  shell.byteInTitle = true;
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
      MoveView(shell, SteppedOffset(state.viewOffset, state.sourceLength, state.stripWidth, step,
                                    state.layout));
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
    case kWiderItem:
    case kNarrowerItem:
      // As a click on the scrollbar's arrow: the thumb moves, and its event sets the width.
      HandleWidthScroll(shell.main.controls, kWidthScrollbarControl,
                        item == kWiderItem ? kLineRight : kLineLeft);
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

void RunCanvasInput(ShellState& shell, const ShellEvent& event) {
  const auto* pointer = std::get_if<PointerInput>(&event.payload);
  if (pointer == nullptr) return;
  if (event.detail == kWheel) {
    ForgetLocatedByte(shell);
    TurnWheel(shell, *pointer);
    return;
  }
  // Only a press of the left button alone: a second button held makes it some other gesture.
  if (shell.locateOnClick && (event.detail == kButtonDown || event.detail == kDoubleClick) &&
      pointer->buttons == MK_LBUTTON)
    LocateClickedByte(shell, *pointer);
}

void ForgetLocatedByte(ShellState& shell) {
  if (!shell.byteInTitle) return;
  shell.byteInTitle = false;
  SetMainTitle(shell.main,
               ViewTitle(shell.state->stripWidth, shell.state->viewOffset, shell.state->layout));
}

void FitZoomToWorkArea(ShellState& shell) {
  const HWND window = shell.main.window.Get();
  if (window == nullptr || IsIconic(window)) return;  // a minimised window is nowhere
  for (std::int32_t zoom = 1; zoom <= kMaxZoom; ++zoom)
    EnableMenuItem(
        GetMenu(window), kZoom1Item + zoom - 1,
        MF_BYCOMMAND | (MonitorFittingZoom(shell.main, zoom) == zoom ? MF_ENABLED : MF_GRAYED));
  const std::int32_t zoom = CanvasZoom(ControlWindow(shell.main.controls, kCanvasControl));
  const std::int32_t fitting = MonitorFittingZoom(shell.main, zoom);
  if (fitting != zoom) ShowZoom(shell, fitting);
}

}  // namespace pelorin
