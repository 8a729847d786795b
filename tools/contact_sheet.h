// contact_sheet.h: one sprite at every strip width, or every stretch of graphics found in a
// file at its own width, side by side in labelled panels.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/graphics_finder.h"
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

// A stretch of graphics found, and its first bytes: as many as one screen shows at its width
// under its layout.
struct FoundPanel {
  GraphicsRegion region;
  std::vector<std::uint8_t> bytes;
};

// The most panels a sheet of found graphics holds: a few hundred kilobytes of PNG.
constexpr std::size_t kMaxFoundPanels = 64;

// Each stretch at its width through its layout, one screen only, cut to its bytes, in the fill
// attribute, in rows of kSheetColumns panels, each labelled with the stretch's offset in
// decimal and in hexadecimal and its width: "15616 $3D00 w1". No panel for the stretches past
// kMaxFoundPanels; a sheet of no panels is the background alone, one panel's size.
PixelBuffer MakeFoundSheet(const std::vector<FoundPanel>& panels, std::uint8_t attribute);

}  // namespace pelorin
