// contact_sheet.cpp: the contact sheet's panels and the tiny digit font of their labels.
#include "contact_sheet.h"

#include "redraw.h"
#include "screen/paint_screen.h"

namespace pelorin {

namespace {

// Digits 3 pixels wide and 5 high, one row of 3 bits per line, leftmost pixel in bit 2.
constexpr std::uint8_t kDigitFont[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};
constexpr std::int32_t kFontScale = 2;  // each font pixel a 2 x 2 square
constexpr std::int32_t kDigitAdvance = 4 * kFontScale;
constexpr std::int32_t kLabelTop = (kSheetLabelHeight - 5 * kFontScale) / 2;

void DrawNumber(CanvasPainting& painting, std::int32_t left, std::int32_t top, std::int32_t n) {
  const Text digits = DecimalText(n);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const auto& glyph = kDigitFont[digits[i] - u'0'];
    const std::int32_t x0 = left + static_cast<std::int32_t>(i) * kDigitAdvance;
    for (std::int32_t row = 0; row < 5; ++row)
      for (std::int32_t column = 0; column < 3; ++column)
        if (glyph[row] & (4 >> column))
          FillRectangle(painting, x0 + column * kFontScale, top + row * kFontScale, kFontScale,
                        kFontScale, kSheetLabelColour);
  }
}

// A painter over the whole sheet whose origin sits at one panel, so that the core paints
// the screen there exactly as it paints the window's canvas.
struct PanelCanvas {
  PixelBuffer* sheet;
  PanelPlace place;
};

bool BeginPanelPainting(CanvasPainter& painter) {
  const auto& canvas = *static_cast<PanelCanvas*>(painter.canvas);
  painter.painting.pixels = canvas.sheet->bytes.data();
  painter.painting.stride = canvas.sheet->stride;
  painter.painting.width = canvas.sheet->width;
  painter.painting.height = canvas.sheet->height;
  painter.painting.bottomUp = true;
  painter.painting.originX = canvas.place.x;
  painter.painting.originY = canvas.place.y;
  return true;
}

void EndPanelPainting(CanvasPainter&) {}

}  // namespace

PanelPlace SheetPanelPlace(std::int32_t width) {
  const std::int32_t index = width - kMinStripWidth;
  return {kSheetGap + index % kSheetColumns * (kScreenWidth + kSheetGap),
          kSheetGap + index / kSheetColumns * (kSheetLabelHeight + kScreenHeight + kSheetGap) +
              kSheetLabelHeight};
}

PixelBuffer MakeContactSheet(ConverterState& state) {
  PixelBuffer sheet(kSheetWidth, kSheetHeight);
  CanvasPainter whole = MemoryPainter(sheet);
  BeginPainting(whole);
  FillRectangle(whole.painting, 0, 0, kSheetWidth, kSheetHeight, kSheetBackground);
  for (std::int32_t width = kMinStripWidth; width <= kMaxStripWidth; ++width) {
    const PanelPlace place = SheetPanelPlace(width);
    DrawNumber(whole.painting, place.x, place.y - kSheetLabelHeight + kLabelTop, width);
  }
  EndPainting(whole);

  PanelCanvas canvas{&sheet, {}};
  CanvasPainter panel;
  panel.begin = BeginPanelPainting;
  panel.end = EndPanelPainting;
  panel.canvas = &canvas;
  for (std::int32_t width = kMinStripWidth; width <= kMaxStripWidth; ++width) {
    canvas.place = SheetPanelPlace(width);
    state.stripWidth = width;
    // With nothing to show the screen is painted as it stands, as Save would write it.
    if (state.spriteLength > 0) PlaceSprite(state);
    PaintScreen(state.screen, panel);
  }
  return sheet;
}

}  // namespace pelorin
