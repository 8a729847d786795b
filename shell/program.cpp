// program.cpp: start-up sequence, dispatch table and end sequence.
#include "program.h"

#include <commctrl.h>
#include <ole2.h>

#include "canvas_view.h"
#include "command_flows.h"
#include "command_line.h"
#include "dialog_support.h"
#include "file_drop.h"
#include "help_commands.h"
#include "layout_commands.h"
#include "next_event.h"
#include "redraw.h"
#include "sprite_file.h"
#include "view_commands.h"
#include "view_offset.h"
#include "view_title.h"
#include "analysis/width_guess.h"
#include "width_scrollbar.h"

namespace pelorin {

namespace {

void PreparePlatform(ThreadPlatform& platform) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  platform.ole = SUCCEEDED(OleInitialize(nullptr));
  platform.com = SUCCEEDED(CoInitialize(nullptr));
}

// Each successful initialisation is undone once, COM before the OLE apartment under it.
void ReleasePlatform(ThreadPlatform& platform) {
  if (platform.com) CoUninitialize();
  if (platform.ole) OleUninitialize();
  platform = ThreadPlatform{};
}

void PaintBlack(CanvasPainter& painter) {
  BeginPainting(painter);  // not examined: without a painting the fill writes nothing
  FillRectangle(painter.painting, 0, 0, kScreenWidth, kScreenHeight, 0);
  EndPainting(painter);
}

// A new file is shown from its start: a title that named an offset into the last one would
// now be wrong, so it goes back to the width alone. Unmoved, the title stays as it was.
void ShowNewSourceTitle(ShellState& shell, std::int64_t offsetBefore) {
  if (offsetBefore != 0 && shell.state->viewOffset == 0)
    SetMainTitle(shell.main, ViewTitle(shell.state->stripWidth, 0, shell.state->layout));
}

void OnWidthChanged(ShellState& shell) {
  const std::int32_t position = ScrollbarPosition(shell.main.controls, kWidthScrollbarControl);
  if (position < kMinStripWidth) return;  // no scrollbar: the width stays
  shell.state->stripWidth = position;
  SetMainTitle(shell.main, ViewTitle(position, shell.state->viewOffset, shell.state->layout));
  Redraw(*shell.state, shell.painter);
}

void OnMenuItem(ShellState& shell, std::int32_t item) {
  switch (item) {
    case kOpenItem: {
      const std::int64_t offsetBefore = shell.state->viewOffset;
      ForgetGraphics(shell);
      OpenSourceFile(*shell.state, shell.painter, shell.reportError);
      ShowNewSourceTitle(shell, offsetBefore);
      break;
    }
    case kFillItem:
      EnterFillColour(*shell.state, shell.painter, shell.reportError);
      break;
    case kSaveItem:
      if (!shell.state->sourcePath.empty()) SaveScreen(*shell.state, shell.reportError);
      break;
    case kQuitItem:
      shell.quit = true;
      break;
    case kGuessWidthItem:
      // As if the user had moved the scrollbar to the guessed width.
      if (shell.state->sourcePath.empty()) break;
      SetScrollbarPosition(shell.main.controls, kWidthScrollbarControl,
                           GuessStripWidth(*shell.state).ranked[0]);
      OnWidthChanged(shell);
      break;
    default:
      if (!RunViewCommand(shell, item) && !RunLayoutCommand(shell, item)) RunHelpCommand(item);
      break;
  }
}

void Dispatch(ShellState& shell, EventKind kind) {
  const ShellEvent& event = *shell.queue.current;
  switch (kind) {
    case EventKind::Close:
      shell.quit = true;
      break;
    case EventKind::Menu:
      ForgetLocatedByte(shell);
      OnMenuItem(shell, event.source);
      break;
    case EventKind::Control:
      if (event.source == kWidthScrollbarControl) {
        ForgetLocatedByte(shell);
        OnWidthChanged(shell);
      }
      if (event.source == kCanvasControl) RunCanvasInput(shell, event);
      break;
    case EventKind::Move:  // onto another monitor, or the work area changed under the window
      FitZoomToWorkArea(shell);
      break;
    case EventKind::Drop: {
      ForgetLocatedByte(shell);
      const std::int64_t offsetBefore = shell.state->viewOffset;
      ForgetGraphics(shell);
      LoadDroppedFile(*shell.state, &event, shell.painter, shell.reportError);
      ShowNewSourceTitle(shell, offsetBefore);
      break;
    }
    default:
      break;
  }
}

}  // namespace

bool StartShell(ShellState& shell, HINSTANCE instance, std::u16string_view commandLine) {
  PreparePlatform(shell.platform);
  shell.state = std::make_unique<ConverterState>();
  if (!shell.reportError) shell.reportError = ShowErrorMessage;
  if (!OpenMainWindow(shell.main, instance, shell.queue)) return false;

  // Neither control is examined: without a canvas painting does nothing, without a
  // scrollbar the width stays 1.
  const HWND canvas =
      CreateCanvasView(shell.main.controls, kCanvasControl, 0, 0, kScreenWidth, kScreenHeight);
  CreateWidthScrollbar(shell.main.controls, kWidthScrollbarControl, 0, kScrollbarTop, kClientWidth,
                       kScrollbarHeight, kMinStripWidth, kMaxStripWidth, 1);
  // Files dropped on the picture are taken as copies: the user's file stays where it was.
  EnableFileDrop(shell.queue, canvas, kCanvasControl, CF_HDROP, DROPEFFECT_COPY);
  shell.painter = CanvasViewPainter(canvas);
  PaintBlack(shell.painter);
  BuildMainMenu(shell.main);
  FitZoomToWorkArea(shell);  // a small screen greys the zooms it has no room for

  // The window and its menu are on the screen, so a failed load reports over them.
  if (ArgumentCount(commandLine) != 0) {
    shell.state->sourcePath = ArgumentAt(commandLine, 0);
    LoadSpriteAtOffset(*shell.state, shell.painter, shell.reportError, 0);
  }
  shell.quit = false;
  return true;
}

bool RunEventLoopTurn(ShellState& shell) {
  const std::optional<EventKind> kind =
      NextEvent(shell.queue, shell.main.window.Get(), shell.main.accelerators.Get());
  if (kind) Dispatch(shell, *kind);
  return !shell.quit;
}

void EndShell(ShellState& shell) {
  shell.state.reset();
  shell.painter = CanvasPainter{};
  // The canvas gives up its drop registration as it is destroyed with the window, while the
  // OLE apartment is still there.
  CloseMainWindow(shell.main);
  shell.queue = EventQueue{};  // events still waiting go with their window
  ReleasePlatform(shell.platform);
}

}  // namespace pelorin
