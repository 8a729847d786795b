// program.cpp: start-up sequence, dispatch table and end sequence.
#include "program.h"

#include <commctrl.h>
#include <ole2.h>

#include "command_line.h"
#include "commands/canvas_input.h"
#include "commands/file_commands.h"
#include "commands/graphics_list_commands.h"
#include "commands/menus.h"
#include "commands/view_commands.h"
#include "dialogs/dialog_support.h"
#include "events/next_event.h"
#include "file_drop/file_drop.h"
#include "sprite_file.h"
#include "window/canvas_view.h"
#include "window/width_scrollbar.h"

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

void Dispatch(ShellState& shell, EventKind kind) {
  const ShellEvent& event = *shell.queue.current;
  switch (kind) {
    case EventKind::Close:
      shell.quit = true;
      break;
    case EventKind::Menu:
      ForgetLocatedByte(shell);
      RunMenuItem(shell, event.source);
      break;
    case EventKind::Control:
      if (event.source == kWidthScrollbarControl) {
        ForgetLocatedByte(shell);
        ShowScrollbarWidth(shell);
      }
      if (event.source == kCanvasControl) RunCanvasInput(shell, event);
      if (event.source == kGraphicsListSource) {
        ForgetLocatedByte(shell);
        RunGraphicsListInput(shell, event);
      }
      break;
    case EventKind::Move:  // onto another monitor, or the work area changed under the window
      FitZoomToWorkArea(shell);
      break;
    case EventKind::Drop:
      ForgetLocatedByte(shell);
      OpenDroppedFile(shell);
      break;
    default:
      break;
  }
}

}  // namespace

bool StartShell(ShellState& shell, HINSTANCE instance, std::u16string_view commandLine) {
  PreparePlatform(shell.platform);
  shell.state = std::make_unique<ConverterState>();
  if (!shell.reportError) shell.reportError = ShowErrorMessage;
  if (!shell.reportWarning) shell.reportWarning = ShowWarningMessage;
  if (!OpenMainWindow(shell.main, instance, shell.queue, MenuBar())) return false;

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
    LoadGivenFile(*shell.state, shell.painter, shell.reportError, shell.reportWarning);
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
  // The list goes before the window that owns it, which would otherwise take it along.
  CloseGraphicsList(shell.graphicsList);
  // The canvas gives up its drop registration as it is destroyed with the window, while the
  // OLE apartment is still there.
  CloseMainWindow(shell.main);
  shell.queue = EventQueue{};  // events still waiting go with their window
  ReleasePlatform(shell.platform);
}

}  // namespace pelorin
