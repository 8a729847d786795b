// converter_state.h: the one document and the error hand-in.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/text.h"
#include "screen/layout.h"
#include "screen/screen.h"

namespace pelorin {

constexpr std::uint8_t kDefaultFillAttribute = 71;  // bright white ink on black paper

struct ConverterState {
  ScreenImage screen{};                                // what is painted and what Save writes
  std::vector<std::uint8_t> spriteData = {0};          // the loaded file's bytes
  std::int32_t spriteLength = 0;                       // bytes of spriteData in use; 0: nothing
  std::int32_t stripWidth = kMinStripWidth;            // sprite width in bytes, 1 to 31
  std::uint8_t fillAttribute = kDefaultFillAttribute;  // written to every attribute cell
  Text sourcePath;                                     // the save path is this plus ".scr"
  std::int64_t viewOffset = 0;    // leading bytes of the source skipped before the sprite
  std::int64_t sourceLength = 0;  // bytes in the source as last loaded: the file, or its image
  bool readMemoryImages = false;  // snapshots and tapes load as the memory they hold
  bool oneScreen = false;  // only the whole strips that fit across are placed: nothing spills
  // The memory image of a snapshot or tape loaded as one, made once by the load: the steps
  // copy their window from it. Empty when the source is read as its own bytes.
  std::vector<std::uint8_t> memoryImage;
  SpriteLayout layout;  // masks, columns, or a Spectrum screen; by default plain strips
};

// Shows a failure the user must know of and returns when the user has seen it. The window
// shows a message box titled "Error"; the converter prints to stderr.
using ReportError = std::function<void(const Text& message)>;

// Shows what the user should know of work that was done all the same, and returns when the
// user has seen it: the window shows a message box titled "Warning".
using ReportWarning = std::function<void(const Text& message)>;

}  // namespace pelorin
