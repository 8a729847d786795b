// shell_test_support.h: what the in-process window tests share: running the loop until it
// has nothing left to do, reading the canvas, and counting the process's GUI objects.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "program.h"
#include "platform/text.h"

namespace pelorin::testing {

// Runs turns of the event loop while an event waits or a message is pending, so that it
// never blocks. False when a turn ended the loop.
bool RunWhileBusy(ShellState& shell, int maxTurns = 1000000);

// The DIB bytes of a canvas window's buffer: 192 bottom-up rows of 768 bytes.
std::vector<std::uint8_t> CanvasBytes(HWND canvas);

// What the screen shows at a point of a window's client area.
COLORREF ScreenPixel(HWND window, int x, int y);

// GUI objects of this process: GDI and USER. GetGuiResources where the platform keeps
// these counts; Wine's answers 0 for everything, so there the handle tables are scanned.
struct GuiObjects {
  long gdi = 0;
  long user = 0;
  bool fromPlatform = false;  // false: scanned, as under Wine
};
GuiObjects CountGuiObjects();

// A file under the test's temporary folder with the given bytes.
std::filesystem::path WriteTestFile(const std::string& name,
                                    const std::vector<std::uint8_t>& bytes);

Text PathText(const std::filesystem::path& path);

// Bytes that make a picture with something in every strip at every width.
std::vector<std::uint8_t> PatternBytes(std::size_t count);

// The picture the core paints for these bytes at this width and fill attribute, one screen
// only or not, through the layout, in the canvas's layout.
std::vector<std::uint8_t> CorePicture(const std::vector<std::uint8_t>& bytes, std::int32_t width,
                                      std::uint8_t fillAttribute = 71, bool oneScreen = false,
                                      const SpriteLayout& layout = {});

}  // namespace pelorin::testing
