// view_commands.cpp: the width, moving through the file, the View menu's switches and
// zooming.
#include "commands/view_commands.h"

#include "analysis/width_guess.h"
#include "commands/graphics_commands.h"
#include "dialogs/input_dialog.h"
#include "memory_image_file.h"
#include "redraw.h"
#include "sprite_file.h"
#include "view_offset.h"
#include "view_title.h"
#include "window/canvas_view.h"
#include "window/scroll_request.h"
#include "window/width_scrollbar.h"

namespace pelorin {

namespace {

void Step(ShellState& shell, ViewStep step) {
  const ConverterState& state = *shell.state;
  if (state.sourcePath.empty()) return;
  MoveView(shell, SteppedOffset(state.viewOffset, state.sourceLength, state.stripWidth, step,
                                state.layout));
}

void Toggle(ShellState& shell, MenuItem item, bool& on) {
  SetCheck(shell, item, on, !on);
}

// As a click on the scrollbar's arrow: the thumb moves, and its event sets the width.
void ScrollWidth(ShellState& shell, ScrollRequest request) {
  HandleWidthScroll(shell.main.controls, kWidthScrollbarControl, request);
}

void ShowZoom(ShellState& shell, std::int32_t zoom) {
  CheckMenuRadioItem(GetMenu(shell.main.window.Get()), kZoom1Item, kZoom3Item,
                     kZoom1Item + zoom - 1, MF_BYCOMMAND);
  ZoomMainWindow(shell.main, zoom);
}

// A zoom whose window would not fit is greyed in the menu, but its shortcut still comes here.
void Zoom(ShellState& shell, std::int32_t zoom) {
  if (MonitorFittingZoom(shell.main, zoom) == zoom) ShowZoom(shell, zoom);
}

}  // namespace

void MoveView(ShellState& shell, std::int64_t offset) {
  ConverterState& state = *shell.state;
  if (!MoveViewOffset(state, shell.painter, shell.reportError, offset)) return;
  SetMainTitle(shell.main, ViewTitle(state.stripWidth, offset, state.layout));
  shell.byteInTitle = false;
}

void SetCheck(ShellState& shell, MenuItem item, bool& on, bool value) {
  on = value;
  CheckMenuItem(GetMenu(shell.main.window.Get()), item,
                MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void ShowScrollbarWidth(ShellState& shell) {
  const std::int32_t position = ScrollbarPosition(shell.main.controls, kWidthScrollbarControl);
  if (position < kMinStripWidth) return;  // no scrollbar: the width stays
  shell.state->stripWidth = position;
  SetMainTitle(shell.main, ViewTitle(position, shell.state->viewOffset, shell.state->layout));
  Redraw(*shell.state, shell.painter);
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

// As if the user had moved the scrollbar to the guessed width.
void GuessWidth(ShellState& shell) {
  if (shell.state->sourcePath.empty()) return;
  SetScrollbarPosition(shell.main.controls, kWidthScrollbarControl,
                       GuessStripWidth(*shell.state).ranked[0]);
  ShowScrollbarWidth(shell);
}

void MakeWider(ShellState& shell) {
  ScrollWidth(shell, kLineRight);
}

void MakeNarrower(ShellState& shell) {
  ScrollWidth(shell, kLineLeft);
}

void NextScreen(ShellState& shell) {
  Step(shell, ViewStep::kNextScreen);
}

void PreviousScreen(ShellState& shell) {
  Step(shell, ViewStep::kPreviousScreen);
}

void NextRow(ShellState& shell) {
  Step(shell, ViewStep::kNextRow);
}

void PreviousRow(ShellState& shell) {
  Step(shell, ViewStep::kPreviousRow);
}

void NextByte(ShellState& shell) {
  Step(shell, ViewStep::kNextByte);
}

void PreviousByte(ShellState& shell) {
  Step(shell, ViewStep::kPreviousByte);
}

void StartOfFile(ShellState& shell) {
  Step(shell, ViewStep::kStartOfFile);
}

// The offset offered is selected: what is typed replaces it.
void GoToOffset(ShellState& shell) {
  const ConverterState& state = *shell.state;
  if (state.sourcePath.empty()) return;
  const Text answer = InputDialog(u"Go to offset", u"offset ($-hex, 0x-hex, %-binary)",
                                  DefaultOffsetText(state.viewOffset), DefaultText::kSelected);
  if (const auto offset = OffsetAnswer(answer, state.sourceLength, shell.reportError))
    MoveView(shell, *offset);
}

void ToggleLocate(ShellState& shell) {
  Toggle(shell, kLocateItem, shell.locateOnClick);
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
  ForgetGraphics(shell);
  if (state.sourcePath.empty()) return;
  LoadSpriteAtOffset(state, shell.painter, shell.reportError, 0);
  // Whatever the title said (an offset, a located byte), it now shows the start; after a
  // failed load the picture, and so the title, stay as they were.
  if (!state.sourcePath.empty())
    SetMainTitle(shell.main, ViewTitle(state.stripWidth, 0, state.layout));
}

void Zoom1x(ShellState& shell) {
  Zoom(shell, 1);
}

void Zoom2x(ShellState& shell) {
  Zoom(shell, 2);
}

void Zoom3x(ShellState& shell) {
  Zoom(shell, 3);
}

}  // namespace pelorin
