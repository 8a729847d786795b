// graphics_list_commands.cpp: the rows of the list of graphics and what its keys do.
#include "commands/graphics_list_commands.h"

#include "commands/export_commands.h"
#include "commands/graphics_commands.h"
#include "export/export_region.h"
#include "typed_number.h"

namespace pelorin {

namespace {

std::vector<GraphicsListRow> ListRows(const std::vector<GraphicsRegion>& graphics) {
  std::vector<GraphicsListRow> rows;
  rows.reserve(graphics.size());
  for (const GraphicsRegion& region : graphics)
    rows.push_back({DecimalText(region.start), u"$" + HexText(region.start),
                    DecimalText(region.length), DecimalText(region.width),
                    Utf8ToText(GraphicsKindName(region.kind)),
                    Utf8ToText(LayoutWords(region.layout))});
  return rows;
}

}  // namespace

void ListGraphics(ShellState& shell) {
  if (shell.state->sourcePath.empty()) return;
  if (!shell.graphicsSearched && !SearchLoadedFile(shell)) return;
  ShowGraphicsList(shell.graphicsList, shell.main.window.Get(), shell.queue,
                   ListRows(shell.graphics), shell.landedGraphics.value_or(0));
}

void RefreshGraphicsList(ShellState& shell) {
  FillGraphicsList(shell.graphicsList, ListRows(shell.graphics));
}

void RunGraphicsListInput(ShellState& shell, const ShellEvent& event) {
  if (event.detail == kGoToListedRegion) {
    const std::int32_t row = FocusedGraphicsRow(shell.graphicsList);
    if (row >= 0) GoToGraphics(shell, static_cast<std::size_t>(row));
  } else if (event.detail == kExportListedRegions) {
    ExportFoundRegions(shell, SelectedGraphicsRows(shell.graphicsList));
  }
}

}  // namespace pelorin
