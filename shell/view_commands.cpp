// view_commands.cpp: moving through the file, locating bytes and zooming, from the View menu.
#include "view_commands.h"

#include <utility>

#include "canvas_view.h"
#include "input_dialog.h"
#include "redraw.h"
#include "sprite_file.h"
#include "view_offset.h"

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
  SetMainTitle(shell.main, ViewTitle(state.stripWidth, offset, state.layout));
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

// The loaded file is read again the other way. An offset into the file means nothing in
// its memory image, and the other way round, so it is shown from its start. A memory image
// is always larger than a screen, and its last bytes, mostly zeros, would spill over all of
// it: switching it on shows one screen only too, which the user may switch off again.
void ToggleMemoryImages(ShellState& shell) {
  ConverterState& state = *shell.state;
  Toggle(shell, kMemoryItem, state.readMemoryImages);
  if (state.readMemoryImages) SetCheck(shell, kOneScreenItem, state.oneScreen, true);
  if (state.sourcePath.empty()) return;
  // Whatever the title said (an offset, a located byte), it now shows the start.
  SetMainTitle(shell.main, ViewTitle(state.stripWidth, 0, state.layout));
  LoadSpriteAtOffset(state, shell.painter, shell.reportError, 0);
}

void Zoom(ShellState& shell, MenuItem item) {
  CheckMenuRadioItem(GetMenu(shell.main.window.Get()), kZoom1Item, kZoom3Item, item, MF_BYCOMMAND);
  ZoomMainWindow(shell.main, item - kZoom1Item + 1);
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
  SetMainTitle(shell.main, LocatedByteTitle(state.stripWidth,
                                            LocateByte(state, pointer->x / zoom, pointer->y / zoom),
                                            state.layout));
}

}  // namespace pelorin
