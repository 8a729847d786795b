// input_dialog.cpp: the input dialog's window, its controls and its modal loop.
#include "dialogs/input_dialog.h"

#include <windows.h>

#include <optional>

#include "dialogs/dialog_support.h"
#include "win32_handles.h"

namespace pelorin {

namespace {

constexpr int kCancelCommand = 1001;  // Escape, through the accelerator table
constexpr int kWidth = 300;
constexpr int kHeight = 130;

// What one showing needs; the window reaches it through its user data.
struct InputDialogState {
  std::optional<Text> answer;  // set only when the user confirmed
  bool finished = false;       // the window is gone: the loop ends
  HWND owner = nullptr;
  bool ownerDisabledHere = false;
  bool suspended = false;
  HWND window = nullptr;
  HWND field = nullptr;
};

// A stock object: fetched once, never freed.
HFONT dialogFont = nullptr;

// Enter answers, Escape cancels.
OwnedAccelerators MakeDialogAccelerators() {
  ACCEL keys[] = {{FVIRTKEY, VK_RETURN, kInputOkId}, {FVIRTKEY, VK_ESCAPE, kCancelCommand}};
  return OwnedAccelerators(CreateAcceleratorTableW(keys, 2));
}

// Gives the owner and the suspended windows their input back; each only once.
void ReleaseOwner(InputDialogState& state) {
  if (state.ownerDisabledHere) EnableWindow(state.owner, TRUE);
  state.ownerDisabledHere = false;
  if (state.suspended) ResumeWindows();
  state.suspended = false;
}

// The owner is enabled before the dialog goes, so that activation returns to it.
void CloseInputDialog(InputDialogState& state) {
  ReleaseOwner(state);
  DestroyWindow(state.window);
}

Text FieldText(HWND field) {
  const int length = GetWindowTextLengthW(field);
  Text text(static_cast<std::size_t>(length) + 1, u'\0');
  const int copied = GetWindowTextW(field, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

// Enter and a click on "OK" act alike: the high word of WM_COMMAND is not looked at.
LRESULT CALLBACK InputDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<InputDialogState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (state == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kInputOkId) {
        state->answer = FieldText(state->field);
        CloseInputDialog(*state);
      } else if (LOWORD(wParam) == kCancelCommand) {
        CloseInputDialog(*state);
      }
      return 0;
    case WM_CLOSE:
      CloseInputDialog(*state);
      return 0;
    case WM_DESTROY:
      state->finished = true;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void RegisterDialogClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = InputDialogProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kInputDialogClass;
  RegisterClassExW(&windowClass);  // still registered from an earlier showing: fine
}

HWND CreateControl(HWND dialog, DWORD extendedStyle, const wchar_t* className, const Text& text,
                   DWORD style, int x, int y, int width, int height, int id) {
  const HWND control =
      CreateWindowExW(extendedStyle, className, WideText(text), WS_CHILD | WS_VISIBLE | style, x, y,
                      width, height, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), TRUE);
  return control;
}

void CreateControls(InputDialogState& state, const Text& prompt, const Text& defaultText,
                    DefaultText offered) {
  CreateControl(state.window, 0, L"STATIC", prompt, SS_LEFTNOWORDWRAP, 10, 10, 280, 22, 0);
  state.field = CreateControl(state.window, WS_EX_CLIENTEDGE, L"EDIT", Text{},
                              WS_TABSTOP | ES_AUTOHSCROLL, 10, 32, 275, 21, kInputFieldId);
  SetFocus(state.field);
  if (!defaultText.empty()) {
    SendMessageW(state.field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideText(defaultText)));
    // The caret after the last character, with either nothing or all of it selected.
    SendMessageW(state.field, EM_SETSEL, offered == DefaultText::kSelected ? 0 : defaultText.size(),
                 defaultText.size());
  }
  CreateControl(state.window, 0, L"BUTTON", u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 110, 67, 80, 25,
                kInputOkId);
}

// Dispatches the messages of all the thread's windows, so that the others keep repainting,
// until the dialog window is gone. No dialog-style keyboard handling: Tab stays in the field.
void RunModalLoop(InputDialogState& state, HACCEL accelerators) {
  MSG message{};
  BOOL got = TRUE;
  while (!state.finished) {
    got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) break;
    if (TranslateAcceleratorW(state.window, accelerators, &message) == 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (!state.finished) {
    // Asked to quit while the dialog was up: cancel it, and leave the quit message for the
    // loop that waits further out.
    CloseInputDialog(state);
    if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
  }
  // A dialog destroyed from outside (with its owner) gives the input back here.
  ReleaseOwner(state);
}

}  // namespace

Text InputDialog(const Text& title, const Text& prompt, const Text& defaultText,
                 DefaultText offered) {
  if (dialogFont == nullptr) dialogFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterDialogClass(instance);

  InputDialogState state;
  SuspendWindows();
  state.suspended = true;
  state.owner = DialogOwner();
  if (state.owner != nullptr && IsWindowEnabled(state.owner)) {
    EnableWindow(state.owner, FALSE);
    state.ownerDisabledHere = true;
  }

  // Centred on the primary screen, wherever the owner is.
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - kWidth / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - kHeight / 2;
  state.window =
      CreateWindowExW(0, kInputDialogClass, WideText(title), WS_VISIBLE | WS_CAPTION | WS_SYSMENU,
                      x, y, kWidth, kHeight, DialogOwner(), nullptr, instance, nullptr);
  if (state.window == nullptr) {
    ReleaseOwner(state);
    UnregisterClassW(kInputDialogClass, instance);
    return {};
  }
  SetWindowLongPtrW(state.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  CreateControls(state, prompt, defaultText, offered);

  {
    const OwnedAccelerators accelerators = MakeDialogAccelerators();
    SetForegroundWindow(state.window);
    BringWindowToTop(state.window);
    RunModalLoop(state, accelerators.Get());
  }
  // Only now, with its window gone, can the class be unregistered.
  UnregisterClassW(kInputDialogClass, instance);
  return state.answer.value_or(Text{});
}

}  // namespace pelorin
