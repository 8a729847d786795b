// canvas_input.cpp: moving through the file with the wheel, and locating bytes with clicks.
#include "commands/canvas_input.h"

#include "commands/view_commands.h"
#include "locate_byte.h"
#include "view_offset.h"
#include "view_title.h"
#include "window/canvas_view.h"

namespace pelorin {

namespace {

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

}  // namespace pelorin
