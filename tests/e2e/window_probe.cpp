// window_probe.cpp: the end-to-end tests' eyes inside Wine. It computes what the window
// should show and save for a file (through the same core the program uses), and reports
// where the program's window is and what its message box says.
//
//   window_probe reference FILE WIDTH ATTRIBUTE PICTURE.ppm SCREEN.scr [OFFSET [OPTIONS]]
//   window_probe locate FILE WIDTH OFFSET X Y -> the file position shown at pixel X,Y
//   window_probe client          -> "x y width height" of the main window's client area
//   window_probe message CAPTION -> the texts of that window's controls, and its owner
//   window_probe field CAPTION ID -> the text of that window's control ID
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "screen/pixel_buffer.h"
#include "redraw.h"
#include "sprite_file.h"
#include "view_offset.h"
#include "locate_byte.h"

namespace {

using pelorin::Text;

Text ArgumentText(const wchar_t* argument) {
  return Text(reinterpret_cast<const char16_t*>(argument));
}

std::string Utf8(const std::wstring& text) {
  return pelorin::TextToUtf8(std::u16string(text.begin(), text.end()));
}

bool WritePicture(const pelorin::PixelBuffer& buffer, const wchar_t* path) {
  FILE* file = _wfopen(path, L"wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", buffer.width, buffer.height);
  for (int y = 0; y < buffer.height; ++y)
    for (int x = 0; x < buffer.width; ++x) {
      const pelorin::Rgb colour = buffer.PixelAt(x, y);
      const unsigned char rgb[3] = {static_cast<unsigned char>(colour),
                                    static_cast<unsigned char>(colour >> 8),
                                    static_cast<unsigned char>(colour >> 16)};
      std::fwrite(rgb, 1, 3, file);
    }
  return std::fclose(file) == 0;
}

int Reference(const wchar_t* source, int width, int attribute, const wchar_t* picture,
              const wchar_t* screen, long long offset, const std::wstring& options) {
  pelorin::ConverterState state;
  state.stripWidth = width;
  // The options, joined by commas; the layout as the converter's --find names it.
  for (std::size_t at = 0; at <= options.size();) {
    const std::size_t end = std::min(options.find(L',', at), options.size());
    const std::wstring option = options.substr(at, end - at);
    at = end + 1;
    if (option == L"one-screen") state.oneScreen = true;
    if (option == L"mask-first") state.layout.masks = pelorin::MaskOrder::kMaskFirst;
    if (option == L"graphic-first") state.layout.masks = pelorin::MaskOrder::kGraphicFirst;
    if (option == L"screen") state.layout.screen = pelorin::ScreenLayout::kSpectrumScreen;
    if (option.starts_with(L"columns="))
      state.layout.columnHeight = static_cast<std::int32_t>(std::wcstol(&option[8], nullptr, 10));
  }
  state.fillAttribute = static_cast<std::uint8_t>(attribute);
  state.sourcePath = ArgumentText(source);
  pelorin::PixelBuffer buffer;
  pelorin::CanvasPainter painter = pelorin::MemoryPainter(buffer);
  bool failed = false;
  const pelorin::ReportError report = [&failed](const Text&) { failed = true; };
  pelorin::LoadSpriteAtOffset(state, painter, report, offset);
  if (failed || !WritePicture(buffer, picture)) return 1;
  // The screen file as Save writes it, under the name asked for.
  FILE* file = _wfopen(screen, L"wb");
  if (file == nullptr) return 1;
  std::fwrite(state.screen.data(), 1, state.screen.size(), file);
  return std::fclose(file) == 0 ? 0 : 1;
}

int Locate(const wchar_t* source, int width, long long offset, int x, int y) {
  pelorin::ConverterState state;
  state.stripWidth = width;
  state.sourcePath = ArgumentText(source);
  pelorin::CanvasPainter noCanvas;
  bool failed = false;
  pelorin::LoadSpriteAtOffset(
      state, noCanvas, [&failed](const Text&) { failed = true; }, offset);
  if (failed) return 1;
  const std::optional<std::int64_t> position = pelorin::LocateByte(state, x, y);
  if (position)
    std::printf("%lld\n", static_cast<long long>(*position));
  else
    std::printf("none\n");
  return 0;
}

int Client() {
  const HWND main = FindWindowW(L"PelorinMainWindow", nullptr);
  if (main == nullptr) return 1;
  RECT client{};
  GetClientRect(main, &client);
  POINT origin{0, 0};
  ClientToScreen(main, &origin);
  std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
  return 0;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      2000, &length);
  return text;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
  const std::wstring text = TextOf(control);
  if (!text.empty()) std::printf("text: %s\n", Utf8(text).c_str());
  return TRUE;
}

int Message(const wchar_t* caption) {
  const HWND box = FindWindowW(nullptr, caption);
  if (box == nullptr || !IsWindowVisible(box)) return 1;
  const HWND owner = GetWindow(box, GW_OWNER);
  wchar_t ownerClass[64] = {};
  if (owner != nullptr) GetClassNameW(owner, ownerClass, 64);
  std::printf("owner: %s %s\n", Utf8(owner != nullptr ? TextOf(owner) : L"").c_str(),
              Utf8(ownerClass).c_str());
  std::printf("owner menu: %s\n", owner != nullptr && GetMenu(owner) != nullptr ? "yes" : "no");
  EnumChildWindows(box, PrintControl, 0);
  return 0;
}

// The text of one control of the visible window with the caption, on its own line (an empty
// line for an empty control).
int Field(const wchar_t* caption, int id) {
  const HWND window = FindWindowW(nullptr, caption);
  const HWND control = window != nullptr ? GetDlgItem(window, id) : nullptr;
  if (control == nullptr || !IsWindowVisible(window)) return 1;
  std::printf("%s\n", Utf8(TextOf(control)).c_str());
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"reference" && argc >= 7 && argc <= 9)
    return Reference(argv[2], std::wcstol(argv[3], nullptr, 10), std::wcstol(argv[4], nullptr, 0),
                     argv[5], argv[6], argc >= 8 ? std::wcstoll(argv[7], nullptr, 10) : 0,
                     argc == 9 ? argv[8] : L"");
  if (mode == L"locate" && argc == 7)
    return Locate(argv[2], std::wcstol(argv[3], nullptr, 10), std::wcstoll(argv[4], nullptr, 10),
                  std::wcstol(argv[5], nullptr, 10), std::wcstol(argv[6], nullptr, 10));
  if (mode == L"client" && argc == 2) return Client();
  if (mode == L"message" && argc == 3) return Message(argv[2]);
  if (mode == L"field" && argc == 4) return Field(argv[2], std::wcstol(argv[3], nullptr, 0));
  std::fprintf(stderr,
               "usage: window_probe reference FILE WIDTH ATTRIBUTE PICTURE.ppm SCREEN.scr [OFFSET "
               "[OPTIONS]]\n"
               "         OPTIONS: one-screen, mask-first, graphic-first, columns=H, screen,\n"
               "         joined by commas\n"
               "       window_probe locate FILE WIDTH OFFSET X Y\n"
               "       window_probe client\n"
               "       window_probe message CAPTION\n"
               "       window_probe field CAPTION ID\n");
  return 2;
}
