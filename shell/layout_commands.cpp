// layout_commands.cpp: choosing how the stored bytes become the picture, from the Layout menu.
#include "layout_commands.h"

#include "input_dialog.h"
#include "sprite_file.h"
#include "view_offset.h"
#include "view_title.h"

namespace pelorin {

namespace {

// The marks follow the layout: one radio of each group, and a check on each step that is on.
void ShowLayoutMarks(ShellState& shell) {
  const HMENU menu = GetMenu(shell.main.window.Get());
  const SpriteLayout& layout = shell.state->layout;
  const bool screen = layout.screen == ScreenLayout::kSpectrumScreen;
  CheckMenuRadioItem(menu, kStripsItem, kSpectrumScreenItem,
                     screen ? kSpectrumScreenItem : kStripsItem, MF_BYCOMMAND);
  CheckMenuRadioItem(menu, kNotMaskedItem, kGraphicFirstItem,
                     kNotMaskedItem + static_cast<std::int32_t>(layout.masks), MF_BYCOMMAND);
  CheckMenuItem(menu, kShowMasksItem, MF_BYCOMMAND | (layout.showMasks ? MF_CHECKED : 0));
  CheckMenuItem(menu, kStoredByColumnsItem, MF_BYCOMMAND | (HasColumns(layout) ? MF_CHECKED : 0));
}

// Asks for the sprite height; false when the answer changes nothing.
bool AskColumnHeight(ShellState& shell) {
  const Text answer = InputDialog(u"Stored by columns", u"sprite height (rows)",
                                  DecimalText(shell.columnAnswer), DefaultText::kSelected);
  const auto height = ColumnHeightAnswer(answer, shell.reportError);
  if (!height) return false;
  shell.columnAnswer = *height;
  shell.state->layout.columnHeight = *height;
  return true;
}

// The bytes are taken again from the same offset, as a step takes them: masks and columns
// can show more of the file than the bytes held. When the file can no longer be read, the
// picture stays as it was, and so does the title.
void ShowLayout(ShellState& shell) {
  ConverterState& state = *shell.state;
  ShowLayoutMarks(shell);
  if (!state.sourcePath.empty() &&
      !MoveViewOffset(state, shell.painter, shell.reportError, state.viewOffset))
    return;
  SetMainTitle(shell.main, ViewTitle(state.stripWidth, state.viewOffset, state.layout));
}

}  // namespace

void SetLayout(ShellState& shell, const SpriteLayout& layout) {
  shell.state->layout = layout;
  ShowLayoutMarks(shell);
}

bool RunLayoutCommand(ShellState& shell, std::int32_t item) {
  SpriteLayout& layout = shell.state->layout;
  switch (item) {
    case kStripsItem:
      layout.screen = ScreenLayout::kStrips;
      break;
    case kSpectrumScreenItem:
      layout.screen = ScreenLayout::kSpectrumScreen;
      break;
    case kNotMaskedItem:
    case kMaskFirstItem:
    case kGraphicFirstItem:
      layout.masks = static_cast<MaskOrder>(item - kNotMaskedItem);
      break;
    case kShowMasksItem:
      layout.showMasks = !layout.showMasks;
      break;
    case kStoredByColumnsItem:
      if (!AskColumnHeight(shell)) return true;
      break;
    default:
      return false;
  }
  ShowLayout(shell);
  return true;
}

}  // namespace pelorin
