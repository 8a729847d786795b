// control_registry.cpp: registering controls and giving their numbers back.
#include "window/control_registry.h"

#include <commctrl.h>

namespace pelorin {

namespace {

// Watches a registered control for its destruction. The subclass id is the control number.
LRESULT CALLBACK ControlSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR number, DWORD_PTR registry) {
  if (message != WM_NCDESTROY) return DefSubclassProc(window, message, wParam, lParam);
  RemoveWindowSubclass(window, ControlSubclass, number);
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  SetWindowLongW(window, GWL_ID, -1);
  auto& controls = *reinterpret_cast<ControlRegistry*>(registry);
  if (number < controls.entries.size() && controls.entries[number].window == window)
    controls.entries[number] = ControlEntry{};
  return result;
}

}  // namespace

bool RegisterControl(ControlRegistry& controls, HWND window, std::int32_t number, ControlKind kind,
                     ScrollHandler onScroll) {
  if (window == nullptr || number < 0 || number >= kControlCount) return false;
  ControlEntry& entry = controls.entries[static_cast<std::size_t>(number)];
  if (entry.window != nullptr) return false;
  if (!SetWindowSubclass(window, ControlSubclass, static_cast<UINT_PTR>(number),
                         reinterpret_cast<DWORD_PTR>(&controls)))
    return false;
  SetWindowLongW(window, GWL_ID, number);
  entry = ControlEntry{window, kind, onScroll};
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               TRUE);
  return true;
}

HWND ControlWindow(const ControlRegistry& controls, std::int32_t number) {
  if (number < 0 || number >= kControlCount) return nullptr;
  return controls.entries[static_cast<std::size_t>(number)].window;
}

std::int32_t ControlNumberOf(const ControlRegistry& controls, HWND window) {
  if (window == nullptr) return -1;
  for (std::int32_t number = 0; number < kControlCount; ++number)
    if (controls.entries[static_cast<std::size_t>(number)].window == window) return number;
  return -1;
}

}  // namespace pelorin
