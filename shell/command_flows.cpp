// command_flows.cpp: the open, colour entry and drop flows.
#include "command_flows.h"

#include "colour_entry.h"
#include "file_drop.h"
#include "input_dialog.h"
#include "open_file_dialog.h"
#include "sprite_file.h"

namespace pelorin {

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

}  // namespace pelorin
