// shell_test_support.cpp: helpers of the in-process window tests.
#include "shell_test_support.h"

#include <fstream>

#include "window/canvas_view.h"
#include "screen/pixel_buffer.h"
#include "redraw.h"

namespace pelorin::testing {

bool RunWhileBusy(ShellState& shell, int maxTurns) {
  for (int turn = 0; turn < maxTurns; ++turn) {
    MSG message;
    if (shell.queue.waiting.empty() && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
      return true;
    if (!RunEventLoopTurn(shell)) return false;
  }
  return true;
}

std::vector<std::uint8_t> CanvasBytes(HWND canvas) {
  const CanvasView* view = CanvasViewOf(canvas);
  DIBSECTION dib{};
  if (view == nullptr || !view->buffer ||
      GetObjectW(view->buffer.Get(), sizeof dib, &dib) != sizeof dib)
    return {};
  GdiFlush();
  const auto* bits = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
  return {bits, bits + dib.dsBm.bmWidthBytes * dib.dsBm.bmHeight};
}

COLORREF ScreenPixel(HWND window, int x, int y) {
  const HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

namespace {

long ScanGdiObjects() {
  // Wine accepts a GDI handle by its table index alone.
  long count = 0;
  for (UINT_PTR index = 0; index < 0x10000; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  return count;
}

long ScanUserObjects() {
  const DWORD process = GetCurrentProcessId();
  long count = 0;
  for (UINT_PTR index = 0; index < 0x10000; ++index) {
    const auto handle = reinterpret_cast<HANDLE>(index);
    DWORD owner = 0;
    if (IsWindow(static_cast<HWND>(handle))) {
      GetWindowThreadProcessId(static_cast<HWND>(handle), &owner);
      if (owner == process) ++count;
    } else if (IsMenu(static_cast<HMENU>(handle)) ||
               CopyAcceleratorTableW(static_cast<HACCEL>(handle), nullptr, 0) > 0) {
      ++count;
    }
  }
  return count;
}

}  // namespace

GuiObjects CountGuiObjects() {
  GdiFlush();
  const HANDLE process = GetCurrentProcess();
  GuiObjects counts{static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS)),
                    static_cast<long>(GetGuiResources(process, GR_USEROBJECTS))};
  counts.fromPlatform = counts.gdi != 0 && counts.user != 0;
  if (counts.gdi == 0) counts.gdi = ScanGdiObjects();
  if (counts.user == 0) counts.user = ScanUserObjects();
  return counts;
}

std::filesystem::path WriteTestFile(const std::string& name,
                                    const std::vector<std::uint8_t>& bytes) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "pelorin-shell-tests";
  std::filesystem::create_directories(folder);
  const std::filesystem::path path = folder / name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

Text PathText(const std::filesystem::path& path) {
  const std::wstring wide = path.wstring();
  return Text(wide.begin(), wide.end());
}

std::vector<std::uint8_t> PatternBytes(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  std::uint32_t seed = 12345;
  for (std::uint8_t& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<std::uint8_t>(seed >> 16);
  }
  return bytes;
}

std::vector<std::uint8_t> CorePicture(const std::vector<std::uint8_t>& bytes, std::int32_t width,
                                      std::uint8_t fillAttribute, bool oneScreen,
                                      const SpriteLayout& layout) {
  ConverterState state;
  state.spriteData = bytes;
  state.spriteLength = static_cast<std::int32_t>(bytes.size());
  state.stripWidth = width;
  state.fillAttribute = fillAttribute;
  state.oneScreen = oneScreen;
  state.layout = layout;
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  Redraw(state, painter);
  return buffer.bytes;
}

}  // namespace pelorin::testing
