// contact_sheet.h: one sprite at every strip width, side by side in labelled panels.
#pragma once

#include <cstdint>

#include "converter_state.h"
#include "screen/pixel_buffer.h"

namespace pelorin {

constexpr std::int32_t kSheetColumns = 4;
constexpr std::int32_t kSheetRows = (kMaxStripWidth + kSheetColumns - 1) / kSheetColumns;
constexpr std::int32_t kSheetGap = 8;           // around and between the panels
constexpr std::int32_t kSheetLabelHeight = 14;  // the band above each panel with its width
constexpr std::int32_t kSheetWidth = kSheetGap + kSheetColumns * (kScreenWidth + kSheetGap);
constexpr std::int32_t kSheetHeight =
    kSheetGap + kSheetRows * (kSheetLabelHeight + kScreenHeight + kSheetGap);
constexpr Rgb kSheetBackground = 0x505050;  // grey: a black screen still shows its edges
constexpr Rgb kSheetLabelColour = 0xFFFFFF;

// The top-left corner, in the sheet, of the panel that shows the screen at this width. The
// label band lies just above it.
struct PanelPlace {
  std::int32_t x;
  std::int32_t y;
};
PanelPlace SheetPanelPlace(std::int32_t width);

// Paints the screen of the loaded sprite at each width from 1 to 31 into its panel, each
// panel exactly what Save would write at that width, and labels each with its width in
// digits. Uses the state's strip width and screen as it goes.
PixelBuffer MakeContactSheet(ConverterState& state);

}  // namespace pelorin
