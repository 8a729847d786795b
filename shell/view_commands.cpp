// view_commands.cpp: moving through the file, locating bytes and zooming, from the View
// menu, the wheel and clicks on the picture.
#include "view_commands.h"

#include <utility>

#include "canvas_view.h"
#include "input_dialog.h"
#include "redraw.h"
#include "scroll_request.h"
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

// The loaded file is read again the other way. An offset into the file means nothing in
// its memory image, and the other way round, so it is shown from its start. A memory image
// is always larger than a screen, and its last bytes, mostly zeros, would spill over all of
// it: switching it on shows one screen only too, which the user may switch off again.
void ToggleMemoryImages(ShellState& shell) {
  ConverterState& state = *shell.state;
  Toggle(shell, kMemoryItem, state.readMemoryImages);
  if (state.readMemoryImages) SetCheck(shell, kOneScreenItem, state.oneScreen, true);
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
