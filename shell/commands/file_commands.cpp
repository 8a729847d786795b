// file_commands.cpp: the open, colour entry, save, quit and drop flows.
#include "commands/file_commands.h"

#include "colour_entry.h"
#include "commands/graphics_commands.h"
#include "dialogs/input_dialog.h"
#include "dialogs/open_file_dialog.h"
#include "file_drop/file_drop.h"
#include "sprite_file.h"
#include "view_title.h"

namespace pelorin {

namespace {

// A new file is shown from its start: a title that named an offset into the last one would
// now be wrong, so it goes back to the width alone. Unmoved, the title stays as it was.
void ShowNewSourceTitle(ShellState& shell, std::int64_t offsetBefore) {
  if (offsetBefore != 0 && shell.state->viewOffset == 0)
    SetMainTitle(shell.main, ViewTitle(shell.state->stripWidth, 0, shell.state->layout));
}

}  // namespace

void OpenSourceFile(ConverterState& state, CanvasPainter& painter, const ReportError& reportError) {
  state.sourcePath = OpenFileDialog(u"Please choose file to load", u"", u"All files (*.*)|*.*", 0);
  if (!state.sourcePath.empty()) LoadSpriteAtOffset(state, painter, reportError, 0);
}

void EnterFillColour(ConverterState& state, CanvasPainter& painter,
                     const ReportError& reportError) {
  const Text answer =
      InputDialog(u"Title", u"input number($-hex,%-binary", DefaultColourText(state.fillAttribute));
  ApplyColourAnswer(state, answer, painter, reportError);
}

void LoadDroppedFile(ConverterState& state, const ShellEvent* current, CanvasPainter& painter,
                     const ReportError& reportError) {
  const Text list = DroppedFileList(current);
  state.sourcePath = list.substr(0, list.find(u'\n'));
  LoadSpriteAtOffset(state, painter, reportError, 0);
}

void OpenChosenFile(ShellState& shell) {
  const std::int64_t offsetBefore = shell.state->viewOffset;
  ForgetGraphics(shell);
  OpenSourceFile(*shell.state, shell.painter, shell.reportError);
  ShowNewSourceTitle(shell, offsetBefore);
}

void FillWithColour(ShellState& shell) {
  EnterFillColour(*shell.state, shell.painter, shell.reportError);
}

void SaveShownScreen(ShellState& shell) {
  if (!shell.state->sourcePath.empty()) SaveScreen(*shell.state, shell.reportError);
}

void QuitProgram(ShellState& shell) {
  shell.quit = true;
}

void OpenDroppedFile(ShellState& shell) {
  const std::int64_t offsetBefore = shell.state->viewOffset;
  ForgetGraphics(shell);
  LoadDroppedFile(*shell.state, &*shell.queue.current, shell.painter, shell.reportError);
  ShowNewSourceTitle(shell, offsetBefore);
}

}  // namespace pelorin
