// graphics_list.h: the window beside the main one that lists the regions of the last Find,
// one row each, several of which can be chosen.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

#include "events/event_queue.h"
#include "platform/text.h"
#include "win32_handles.h"

namespace pelorin {

// The source of the list's Control events, and what each asks for.
constexpr std::int32_t kGraphicsListSource = 2;
enum GraphicsListRequest : std::int32_t {
  kGoToListedRegion = 1,  // Enter or a double-click: go to the focused row's region
  kExportListedRegions,   // Ctrl+E: export the selected rows
};

inline constexpr wchar_t kGraphicsListTitle[] = L"Graphics found";

// A row's texts, column by column: offset, hexadecimal, length, width, kind, layout.
using GraphicsListRow = std::array<Text, 6>;

// Lives at one address while its window exists: the window procedure reaches it. The
// window is hidden when closed and destroyed at the end.
struct GraphicsListWindow {
  GraphicsListWindow() = default;
  GraphicsListWindow(const GraphicsListWindow&) = delete;
  GraphicsListWindow& operator=(const GraphicsListWindow&) = delete;

  EventQueue* queue = nullptr;
  RegisteredClass windowClass;
  OwnedWindow window;
  HWND list = nullptr;  // the list control, destroyed with the window
};

// Shows the window beside `owner` (made the first time), its rows replaced by these and
// row `focused` chosen; the list takes the focus. False when it cannot be made.
bool ShowGraphicsList(GraphicsListWindow& list, HWND owner, EventQueue& queue,
                      const std::vector<GraphicsListRow>& rows, std::size_t focused);

// Replaces the rows of a window already made, shown or not.
void FillGraphicsList(GraphicsListWindow& list, const std::vector<GraphicsListRow>& rows);

// The rows chosen, in order; the focused row, or none.
std::vector<std::size_t> SelectedGraphicsRows(const GraphicsListWindow& list);
std::int32_t FocusedGraphicsRow(const GraphicsListWindow& list);

// Destroys the window and unregisters its class.
void CloseGraphicsList(GraphicsListWindow& list);

}  // namespace pelorin
