// layout_commands.cpp: choosing how the stored bytes become the picture, from the Layout menu.
#include "commands/layout_commands.h"

#include "commands/menus.h"
#include "dialogs/input_dialog.h"
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

void ShowScreenLayout(ShellState& shell, ScreenLayout screen) {
  shell.state->layout.screen = screen;
  ShowLayout(shell);
}

void ShowMasks(ShellState& shell, MaskOrder masks) {
  shell.state->layout.masks = masks;
  ShowLayout(shell);
}

}  // namespace

void SetLayout(ShellState& shell, const SpriteLayout& layout) {
  shell.state->layout = layout;
  ShowLayoutMarks(shell);
}

void ShowStrips(ShellState& shell) {
  ShowScreenLayout(shell, ScreenLayout::kStrips);
}

void ShowSpectrumScreen(ShellState& shell) {
  ShowScreenLayout(shell, ScreenLayout::kSpectrumScreen);
}

void ShowNotMasked(ShellState& shell) {
  ShowMasks(shell, MaskOrder::kNotMasked);
}

void ShowMaskFirst(ShellState& shell) {
  ShowMasks(shell, MaskOrder::kMaskFirst);
}

void ShowGraphicFirst(ShellState& shell) {
  ShowMasks(shell, MaskOrder::kGraphicFirst);
}

void ToggleShowMasks(ShellState& shell) {
  shell.state->layout.showMasks = !shell.state->layout.showMasks;
  ShowLayout(shell);
}

void StoreByColumns(ShellState& shell) {
  const Text answer = InputDialog(u"Stored by columns", u"sprite height (rows)",
                                  DecimalText(shell.columnAnswer), DefaultText::kSelected);
  const auto height = ColumnHeightAnswer(answer, shell.reportError);
  if (!height) return;
  shell.columnAnswer = *height;
  shell.state->layout.columnHeight = *height;
  ShowLayout(shell);
}

}  // namespace pelorin
