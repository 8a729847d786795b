// graphics_commands.cpp: searching the loaded file for graphics and showing what was found.
#include "commands/graphics_commands.h"

#include <utility>

#include "commands/graphics_list_commands.h"
#include "commands/layout_commands.h"
#include "commands/view_commands.h"
#include "dialogs/progress_window.h"
#include "graphics_search.h"
#include "memory_image_file.h"
#include "sprite_file.h"
#include "view_title.h"
#include "window/width_scrollbar.h"

namespace pelorin {

namespace {

enum class Among { kFirst, kNext, kPrevious };

}  // namespace

// Searches the loaded file, or its memory image while that switch is on, and keeps what is
// found. A search that takes a while shows its progress and can be cancelled; what it found
// until then is kept. False when the file can no longer be read (said, as a load says it).
bool SearchLoadedFile(ShellState& shell) {
  const ConverterState& state = *shell.state;
  const ByteSpan image = LoadedMemoryImage(state);
  std::optional<GraphicsSearch> search;
  {
    ProgressWindow progress;
    progress.title = u"Finding graphics";
    const SearchProgress report = [&](std::int64_t searched, std::int64_t total) {
      return ReportProgress(progress, searched, total);
    };
    // The memory image the load made is searched as it is, the file a piece at a time.
    search = image.empty() ? SearchGraphics(state.sourcePath, 0, report)
                           : SearchGraphicsIn(image, 0, report);
  }
  if (!search) {
    shell.reportError(u"error reading\n" + state.sourcePath);
    return false;
  }
  shell.graphics = std::move(search->regions);
  shell.graphicsSearched = true;
  shell.landedGraphics.reset();
  RefreshGraphicsList(shell);
  return true;
}

namespace {

// Shows the region found: from its start, through the layout the finder saw (masks and their
// order, columns and their height, or a Spectrum screen), at the width that shows it under
// that layout as if the scrollbar had moved there, one screen only, and says which of them
// it is in the title.
void ShowGraphics(ShellState& shell, std::size_t index) {
  ConverterState& state = *shell.state;
  const GraphicsRegion& region = shell.graphics[index];
  SetLayout(shell, region.layout);
  state.stripWidth = region.width;
  SetScrollbarPosition(shell.main.controls, kWidthScrollbarControl, region.width);
  SetCheck(shell, kOneScreenItem, state.oneScreen, true);
  if (!MoveViewOffset(state, shell.painter, shell.reportError, region.start)) return;
  SetMainTitle(shell.main, GraphicsTitle(region.width, region.start, index + 1,
                                         shell.graphics.size(), state.layout));
  shell.byteInTitle = false;
  shell.landedGraphics = index;
}

void MoveAmongGraphics(ShellState& shell, Among among) {
  if (shell.state->sourcePath.empty()) return;
  if (!shell.graphicsSearched || among == Among::kFirst) {
    if (!SearchLoadedFile(shell)) return;
    among = Among::kFirst;
  }
  const ConverterState& state = *shell.state;
  const std::vector<GraphicsRegion>& graphics = shell.graphics;
  if (graphics.empty()) {
    SetMainTitle(shell.main, GraphicsTitle(state.stripWidth, state.viewOffset, 0, 0, state.layout));
    return;
  }
  const std::int64_t offset = state.viewOffset;
  std::size_t index = 0;
  if (among == Among::kPrevious) {
    index = graphics.size() - 1;
    for (std::size_t i = 0; i < graphics.size() && graphics[i].start < offset; ++i) index = i;
  } else {
    const bool at = among == Among::kFirst;
    for (std::size_t i = graphics.size(); i-- > 0;)
      if (graphics[i].start > offset || (at && graphics[i].start == offset)) index = i;
  }
  ShowGraphics(shell, index);
}

}  // namespace

void ForgetGraphics(ShellState& shell) {
  shell.graphicsSearched = false;
  shell.graphics.clear();
  shell.landedGraphics.reset();
  RefreshGraphicsList(shell);
}

void GoToGraphics(ShellState& shell, std::size_t index) {
  if (index < shell.graphics.size()) ShowGraphics(shell, index);
}

void FindFirstGraphics(ShellState& shell) {
  MoveAmongGraphics(shell, Among::kFirst);
}

void GoToNextGraphics(ShellState& shell) {
  MoveAmongGraphics(shell, Among::kNext);
}

void GoToPreviousGraphics(ShellState& shell) {
  MoveAmongGraphics(shell, Among::kPrevious);
}

}  // namespace pelorin
