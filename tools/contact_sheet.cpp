// contact_sheet.cpp: the contact sheets' panels and the tiny font of their labels.
#include "contact_sheet.h"

#include <algorithm>

#include "redraw.h"
#include "screen/paint_screen.h"
#include "view_offset.h"
#include "typed_number.h"

namespace pelorin {

namespace {

// Characters 3 pixels wide and 5 high, one row of 3 bits per line, leftmost pixel in bit 2:
// the digits, then the hexadecimal letters, the dollar sign, a small w and the blank.
constexpr char16_t kLabelCharacters[] = u"0123456789ABCDEF$w ";
constexpr std::uint8_t kLabelFont[][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
    {2, 5, 7, 5, 5}, {6, 5, 6, 5, 6}, {3, 4, 4, 4, 3}, {6, 5, 5, 5, 6}, {7, 4, 6, 4, 7},
    {7, 4, 6, 4, 4}, {3, 6, 2, 3, 6}, {0, 5, 5, 7, 7}, {0, 0, 0, 0, 0},
};
constexpr std::int32_t kFontScale = 2;  // each font pixel a 2 x 2 square
constexpr std::int32_t kDigitAdvance = 4 * kFontScale;
constexpr std::int32_t kLabelTop = (kSheetLabelHeight - 5 * kFontScale) / 2;

void DrawLabel(CanvasPainting& painting, std::int32_t left, std::int32_t top, const Text& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Text characters = kLabelCharacters;
    const std::size_t index = characters.find(text[i]);
    if (index == Text::npos) continue;
    const auto& glyph = kLabelFont[index];
    const std::int32_t x0 = left + static_cast<std::int32_t>(i) * kDigitAdvance;
    for (std::int32_t row = 0; row < 5; ++row)
      for (std::int32_t column = 0; column < 3; ++column)
        if (glyph[row] & (4 >> column))
          FillRectangle(painting, x0 + column * kFontScale, top + row * kFontScale, kFontScale,
                        kFontScale, kSheetLabelColour);
  }
}

PanelPlace PanelAt(std::int32_t index) {
  return {kSheetGap + index % kSheetColumns * (kScreenWidth + kSheetGap),
          kSheetGap + index / kSheetColumns * (kSheetLabelHeight + kScreenHeight + kSheetGap) +
              kSheetLabelHeight};
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

CanvasPainter PanelPainter(PanelCanvas& canvas) {
  CanvasPainter panel;
  panel.begin = BeginPanelPainting;
  panel.end = EndPanelPainting;
  panel.canvas = &canvas;
  return panel;
}

// A grey sheet with the label of each of the `count` panels above its place.
template <typename Label>
PixelBuffer LabelledSheet(std::int32_t width, std::int32_t height, std::int32_t count,
                          const Label& label) {
  PixelBuffer sheet(width, height);
  CanvasPainter whole = MemoryPainter(sheet);
  BeginPainting(whole);
  FillRectangle(whole.painting, 0, 0, width, height, kSheetBackground);
  for (std::int32_t i = 0; i < count; ++i) {
    const PanelPlace place = PanelAt(i);
    DrawLabel(whole.painting, place.x, place.y - kSheetLabelHeight + kLabelTop, label(i));
  }
  EndPainting(whole);
  return sheet;
}

// "15616 $3D00 w1".
Text FoundLabel(const GraphicsRegion& region) {
  return DecimalText(region.start) + u" $" + HexText(region.start) + u" w" +
         DecimalText(region.width);
}

}  // namespace

PanelPlace SheetPanelPlace(std::int32_t width) {
  return PanelAt(width - kMinStripWidth);
}

PixelBuffer MakeContactSheet(ConverterState& state) {
  PixelBuffer sheet =
      LabelledSheet(kSheetWidth, kSheetHeight, kMaxStripWidth,
                    [](std::int32_t panel) { return DecimalText(panel + kMinStripWidth); });
  PanelCanvas canvas{&sheet, {}};
  CanvasPainter panel = PanelPainter(canvas);
  for (std::int32_t width = kMinStripWidth; width <= kMaxStripWidth; ++width) {
    canvas.place = SheetPanelPlace(width);
    state.stripWidth = width;
    // With nothing to show the screen is painted as it stands, as Save would write it.
    if (state.spriteLength > 0) PlaceSprite(state);
    PaintScreen(state.screen, panel);
  }
  return sheet;
}

PixelBuffer MakeFoundSheet(const std::vector<FoundPanel>& panels, std::uint8_t attribute) {
  const auto shown = static_cast<std::int32_t>(std::min(panels.size(), kMaxFoundPanels));
  const std::int32_t rows = std::max(1, (shown + kSheetColumns - 1) / kSheetColumns);
  const std::int32_t columns = std::clamp(shown, 1, kSheetColumns);
  PixelBuffer sheet = LabelledSheet(
      kSheetGap + columns * (kScreenWidth + kSheetGap),
      kSheetGap + rows * (kSheetLabelHeight + kScreenHeight + kSheetGap), shown,
      [&](std::int32_t i) { return FoundLabel(panels[static_cast<std::size_t>(i)].region); });
  PanelCanvas canvas{&sheet, {}};
  CanvasPainter panel = PanelPainter(canvas);
  ConverterState state;
  state.fillAttribute = attribute;
  state.oneScreen = true;
  for (std::int32_t i = 0; i < shown; ++i) {
    const FoundPanel& found = panels[static_cast<std::size_t>(i)];
    canvas.place = PanelAt(i);
    state.stripWidth = found.region.width;
    state.layout = found.region.layout;
    state.spriteData = found.bytes.empty() ? std::vector<std::uint8_t>{0} : found.bytes;
    state.spriteLength = static_cast<std::int32_t>(found.bytes.size());
    PlaceSprite(state);
    PaintScreen(state.screen, panel);
  }
  return sheet;
}

}  // namespace pelorin
