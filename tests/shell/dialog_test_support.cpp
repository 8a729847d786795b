// dialog_test_support.cpp: the owner window, the dialog driver, keys and temporary files.
#include "dialog_test_support.h"

namespace pelorin::testing {

namespace {

const wchar_t kTestWindowClass[] = L"PelorinTestWindow";

LRESULT CALLBACK TestWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    SetWindowLongPtrW(window, 0, GetWindowLongPtrW(window, 0) + 1);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterTestWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = TestWindowProcedure;
    windowClass.cbWndExtra = sizeof(LONG_PTR);  // the painting count
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kTestWindowClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
}

struct WindowSearch {
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  wchar_t name[64];
  if (IsWindowVisible(window) && GetClassNameW(window, name, 64) > 0 &&
      lstrcmpiW(name, search.className) == 0) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

constexpr int kFileNameBox = 0x47C;  // cmb13, the file name box of an explorer-style dialog

BOOL CALLBACK FindFileNameField(HWND window, LPARAM found) {
  wchar_t className[16];
  GetClassNameW(window, className, 16);
  if (GetDlgCtrlID(window) == kFileNameBox && lstrcmpiW(className, L"Edit") == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

LPARAM KeyData(UINT virtualKey, bool released, bool alt) {
  LPARAM data = 1 | static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  if (alt) data |= LPARAM{1} << 29;
  if (released) data |= static_cast<LPARAM>(0xC0000000u);
  return data;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (GetTickCount64() > end) return false;
    Sleep(10);
  }
  return true;
}

TestWindow::TestWindow(const wchar_t* title, DWORD extendedStyle) {
  RegisterTestWindowClass();
  window_ =
      CreateWindowExW(extendedStyle, kTestWindowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20,
                      20, 240, 160, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  PumpMessages();
}

TestWindow::~TestWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  PumpMessages();
}

long TestWindow::paintCount() const {
  return static_cast<long>(GetWindowLongPtrW(window_, 0));
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool MakeForeground(HWND window) {
  UpdateWindow(window);
  SetForegroundWindow(window);
  PumpMessages();
  return GetForegroundWindow() == window;
}

DialogDriver::DialogDriver(const wchar_t* className, std::function<void(HWND dialog)> drive) {
  const DWORD uiThread = GetCurrentThreadId();
  thread_ = std::thread([this, uiThread, className, drive = std::move(drive)] {
    HWND dialog = nullptr;
    found_ = WaitUntil([&] { return (dialog = FindThreadWindow(uiThread, className)) != nullptr; });
    if (!found_) return;
    // Answered only once the dialog's thread handles messages: the dialog is complete.
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
    drive(dialog);
    closed_ = WaitUntil([&] { return !IsWindow(dialog); });
    if (closed_) return;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
}

DialogDriver::~DialogDriver() {
  if (thread_.joinable()) thread_.join();
}

bool DialogDriver::Finish() {
  if (thread_.joinable()) thread_.join();
  return found_ && closed_;
}

HWND FindThreadWindow(DWORD thread, const wchar_t* className) {
  WindowSearch search{className, nullptr};
  EnumThreadWindows(thread, MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND OpenFileNameField(HWND dialog) {
  HWND field = nullptr;
  WaitUntil([&] {
    EnumChildWindows(dialog, FindFileNameField, reinterpret_cast<LPARAM>(&field));
    return field != nullptr;
  });
  return field;
}

void TypePathAndPressEnter(HWND dialog, const Text& path) {
  const HWND field = OpenFileNameField(dialog);
  PostText(field, path);
  PostKey(field, VK_RETURN);
}

void PostKey(HWND window, UINT virtualKey) {
  PostMessageW(window, WM_KEYDOWN, virtualKey, KeyData(virtualKey, false, false));
  PostMessageW(window, WM_KEYUP, virtualKey, KeyData(virtualKey, true, false));
}

void PostAltKey(HWND window, UINT virtualKey) {
  PostMessageW(window, WM_SYSKEYDOWN, virtualKey, KeyData(virtualKey, false, true));
  PostMessageW(window, WM_SYSKEYUP, virtualKey, KeyData(virtualKey, true, true));
}

void PostText(HWND window, std::u16string_view text) {
  for (const char16_t c : text) PostMessageW(window, WM_CHAR, c, 1);
}

void PressKeys(std::initializer_list<WORD> virtualKeys) {
  for (const WORD key : virtualKeys) {
    INPUT strokes[2] = {};
    for (INPUT& stroke : strokes) {
      stroke.type = INPUT_KEYBOARD;
      stroke.ki.wVk = key;
      stroke.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    }
    strokes[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, strokes, sizeof(INPUT));
  }
}

Text WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  Text text(static_cast<std::size_t>(length) + 1, u'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1)));
  return text;
}

namespace {

std::filesystem::path PathOf(std::u16string_view text) {
  return std::filesystem::path(
      std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

Text TextOf(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  return Text(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
}

}  // namespace

TempFolder::TempFolder() {
  static int made = 0;
  path_ =
      std::filesystem::temp_directory_path() /
      (L"pelorin-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++made));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

Text TempFolder::WriteFile(std::u16string_view name, const std::vector<std::uint8_t>& bytes) {
  const std::filesystem::path file = path_ / PathOf(name);
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(handle);
  return TextOf(file);
}

Text TempFolder::MakeFolder(std::u16string_view name) {
  const std::filesystem::path folder = path_ / PathOf(name);
  std::filesystem::create_directories(folder);
  return TextOf(folder);
}

Text TempFolder::path() const {
  return TextOf(path_);
}

bool AllWhite(const std::vector<std::uint8_t>& bytes) {
  for (const std::uint8_t byte : bytes)
    if (byte != 0xFF) return false;
  return true;
}

}  // namespace pelorin::testing
