// graphics_list.cpp: the list of regions found, a report-view list control in a window of
// its own.
#include "window/graphics_list.h"

#include <commctrl.h>

#include <algorithm>

namespace pelorin {

namespace {

constexpr wchar_t kGraphicsListClass[] = L"PelorinGraphicsList";
constexpr std::int32_t kListWidth = 480;
constexpr std::int32_t kListHeight = 320;

struct Column {
  const wchar_t* title;
  int width;
  int format;
};
constexpr Column kColumns[] = {
    {L"Offset", 80, LVCFMT_RIGHT}, {L"Hex", 70, LVCFMT_RIGHT}, {L"Length", 70, LVCFMT_RIGHT},
    {L"Width", 50, LVCFMT_RIGHT},  {L"Kind", 70, LVCFMT_LEFT}, {L"Layout", 110, LVCFMT_LEFT},
};

GraphicsListWindow* ListOf(HWND window) {
  return reinterpret_cast<GraphicsListWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Request(const GraphicsListWindow& list, GraphicsListRequest request) {
  if (list.queue != nullptr)
    QueueEvent(*list.queue, EventKind::Control, kGraphicsListSource, 0, request);
}

LRESULT OnNotify(GraphicsListWindow& list, const NMHDR& header, LPARAM lParam) {
  if (header.hwndFrom != list.list) return 0;
  switch (header.code) {
    case NM_DBLCLK:
    case NM_RETURN:
      Request(list, kGoToListedRegion);
      break;
    case LVN_KEYDOWN: {
      const auto& key = *reinterpret_cast<const NMLVKEYDOWN*>(lParam);
      const bool ctrl = GetKeyState(VK_CONTROL) < 0;
      if (key.wVKey == 'E' && ctrl) Request(list, kExportListedRegions);
      if (key.wVKey == VK_ESCAPE) ShowWindow(list.window.Get(), SW_HIDE);
      break;
    }
    default:
      break;
  }
  return 0;
}

LRESULT CALLBACK ListWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  GraphicsListWindow* list = ListOf(window);
  if (list == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_CLOSE:  // hidden, to be shown again with the next list
      ShowWindow(window, SW_HIDE);
      return 0;
    case WM_SIZE:
      if (list->list != nullptr) MoveWindow(list->list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (list->list != nullptr) SetFocus(list->list);
      return 0;
    case WM_NOTIFY:
      return OnNotify(*list, *reinterpret_cast<const NMHDR*>(lParam), lParam);
    case WM_NCDESTROY:
      list->list = nullptr;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Beside the owner on its right, or on its left where the screen ends.
POINT PlaceBeside(HWND owner) {
  RECT outer{};
  GetWindowRect(owner, &outer);
  const int right = GetSystemMetrics(SM_CXSCREEN);
  if (outer.right + kListWidth <= right) return {outer.right, outer.top};
  return {std::max<LONG>(0, outer.left - kListWidth), outer.top};
}

bool MakeListWindow(GraphicsListWindow& list, HWND owner) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ListWindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kGraphicsListClass;
  list.windowClass.Reset(RegisterClassW(&windowClass), instance);
  const POINT at = PlaceBeside(owner);
  list.window.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kGraphicsListClass, kGraphicsListTitle,
                                    WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX, at.x, at.y, kListWidth,
                                    kListHeight, owner, nullptr, instance, &list));
  if (!list.window) {
    list.windowClass.Reset();
    return false;
  }
  RECT client{};
  GetClientRect(list.window.Get(), &client);
  list.list = CreateWindowExW(
      0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0,
      0, client.right, client.bottom, list.window.Get(), nullptr, instance, nullptr);
  if (list.list == nullptr) {
    CloseGraphicsList(list);
    return false;
  }
  SendMessageW(list.list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               TRUE);
  ListView_SetExtendedListViewStyle(list.list, LVS_EX_FULLROWSELECT);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = kColumns[i].format;
    column.cx = kColumns[i].width;
    column.pszText = const_cast<wchar_t*>(kColumns[i].title);
    ListView_InsertColumn(list.list, i, &column);
  }
  return true;
}

}  // namespace

void FillGraphicsList(GraphicsListWindow& list, const std::vector<GraphicsListRow>& rows) {
  if (list.list == nullptr) return;
  SendMessageW(list.list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list.list);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(r);
    item.pszText = const_cast<wchar_t*>(WideText(rows[r][0]));
    const int index = ListView_InsertItem(list.list, &item);
    for (int column = 1; column < static_cast<int>(rows[r].size()); ++column)
      ListView_SetItemText(list.list, index, column,
                           const_cast<wchar_t*>(WideText(rows[r][column])));
  }
  SendMessageW(list.list, WM_SETREDRAW, TRUE, 0);
}

bool ShowGraphicsList(GraphicsListWindow& list, HWND owner, EventQueue& queue,
                      const std::vector<GraphicsListRow>& rows, std::size_t focused) {
  list.queue = &queue;
  if (!list.window && !MakeListWindow(list, owner)) return false;
  FillGraphicsList(list, rows);
  if (focused < rows.size()) {
    const int row = static_cast<int>(focused);
    ListView_SetItemState(list.list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list.list, row, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list.list, row, FALSE);
  }
  ShowWindow(list.window.Get(), SW_SHOWNORMAL);
  SetForegroundWindow(list.window.Get());
  SetFocus(list.list);
  return true;
}

std::vector<std::size_t> SelectedGraphicsRows(const GraphicsListWindow& list) {
  std::vector<std::size_t> rows;
  if (list.list == nullptr) return rows;
  for (int row = ListView_GetNextItem(list.list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list.list, row, LVNI_SELECTED))
    rows.push_back(static_cast<std::size_t>(row));
  return rows;
}

std::int32_t FocusedGraphicsRow(const GraphicsListWindow& list) {
  return list.list == nullptr ? -1 : ListView_GetNextItem(list.list, -1, LVNI_FOCUSED);
}

void CloseGraphicsList(GraphicsListWindow& list) {
  list.window.Reset();
  list.list = nullptr;
  list.windowClass.Reset();
}

}  // namespace pelorin
