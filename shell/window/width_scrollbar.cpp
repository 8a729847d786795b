// width_scrollbar.cpp: the width scrollbar control.
#include "window/width_scrollbar.h"

#include "window/scroll_request.h"

namespace pelorin {

HWND CreateWidthScrollbar(ControlRegistry& controls, std::int32_t number, std::int32_t x,
                          std::int32_t y, std::int32_t width, std::int32_t height,
                          std::int32_t minimum, std::int32_t maximum, std::int32_t page) {
  const HWND bar =
      CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_HORZ, x, y, width, height,
                      controls.parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (bar == nullptr) return nullptr;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE;  // no position: the platform puts it at the minimum
  info.nMin = minimum;
  info.nMax = maximum;
  info.nPage = static_cast<UINT>(page < 0 ? 0 : page);
  SetScrollInfo(bar, SB_CTL, &info, TRUE);
  if (!RegisterControl(controls, bar, number, ControlKind::Scrollbar, HandleWidthScroll)) {
    DestroyWindow(bar);
    return nullptr;
  }
  return bar;
}

LRESULT HandleWidthScroll(ControlRegistry& controls, std::int32_t number, std::int32_t request) {
  const HWND bar = ControlWindow(controls, number);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
  if (bar != nullptr && GetScrollInfo(bar, SB_CTL, &info)) {
    const ScrollRange range{info.nMin, info.nMax, info.nPage};
    const std::int32_t position =
        RequestedScrollPosition(range, request, info.nPos, info.nTrackPos);
    // A held arrow at either end sends notifications that move nothing: no redraw for them.
    if (position != info.nPos) {
      info.fMask = SIF_POS;
      info.nPos = position;
      SetScrollInfo(bar, SB_CTL, &info, TRUE);
    }
  }
  if (controls.queue != nullptr)
    QueueEvent(*controls.queue, EventKind::Control, number, kMainWindowNumber, 0);
  return 0;
}

namespace {

HWND ScrollbarWindow(const ControlRegistry& controls, std::int32_t number) {
  const HWND bar = ControlWindow(controls, number);
  if (bar == nullptr ||
      controls.entries[static_cast<std::size_t>(number)].kind != ControlKind::Scrollbar)
    return nullptr;
  return bar;
}

}  // namespace

void SetScrollbarPosition(const ControlRegistry& controls, std::int32_t number,
                          std::int32_t position) {
  const HWND bar = ScrollbarWindow(controls, number);
  if (bar == nullptr) return;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(bar, SB_CTL, &info, TRUE);
}

std::int32_t ScrollbarPosition(const ControlRegistry& controls, std::int32_t number) {
  const HWND bar = ScrollbarWindow(controls, number);
  if (bar == nullptr) return 0;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  return GetScrollInfo(bar, SB_CTL, &info) ? info.nPos : 0;
}

}  // namespace pelorin
