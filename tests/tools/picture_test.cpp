// Tests of the converter's pictures: PNGs decoded back must show exactly what the window
// paints, and the contact sheet must hold every width's screen in its own labelled panel.
#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "analysis/graphics_finder.h"
#include "contact_sheet.h"
#include "screen/pixel_buffer.h"
#include "redraw.h"
#include "screen/paint_screen.h"
#include "run_converter.h"
#include "screen/placement.h"
#include "sprite_corpus.h"
#include "tool_test_support.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace pelorin {
namespace {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  Rgb At(int x, int y) const {
    const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    return Rgb{p[0]} | Rgb{p[1]} << 8 | Rgb{p[2]} << 16;
  }
};

Picture DecodePng(const Text& path) {
  const Bytes png = ReadBytes(path).value_or(Bytes{});
  Picture picture;
  int channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &picture.width,
                                          &picture.height, &channels, 3);
  if (pixels == nullptr) return {};
  picture.rgb.assign(pixels, pixels + picture.width * picture.height * 3);
  stbi_image_free(pixels);
  return picture;
}

// The canvas as the window paints it after loading the file at this width and attribute.
PixelBuffer WindowCanvas(const Text& path, std::int32_t width, const Text& attribute) {
  PixelBuffer canvas;
  CanvasPainter painter = MemoryPainter(canvas);
  PaintScreen(WindowState(path, width, attribute).screen, painter);
  return canvas;
}

int ConvertWithoutErrors(const std::vector<Text>& arguments) {
  const Console console{[](const Text&) {},
                        [](const Text& text) { ADD_FAILURE() << TextToUtf8(text); }};
  std::vector<Text> quiet{u"-q"};  // the blank screen's warning is expected
  quiet.insert(quiet.end(), arguments.begin(), arguments.end());
  return RunConverter(quiet, console);
}

struct PngCase {
  const char* name;
  std::size_t size;
  std::int32_t width;
  Text attribute;
  std::int32_t scale;
};

const PngCase kPngCases[] = {
    {"bright white on black", 6912, 1, u"71", 1},
    {"dim red ink on blue paper, three times", 20000, 5, u"$0A", 3},
    {"bright magenta on green, twice", 9000, 31, u"%01100011", 2},
    {"empty file: the blank screen it saves", 0, 1, u"71", 1},
};

TEST(ConverterPng, ShowsThePaintedScreen) {
  for (const PngCase& c : kPngCases) {
    ScratchFolder folder;
    const Text input = folder.Path(u"sprite.bin");
    WriteBytes(input, SampleBytes(c.size, 7));
    ASSERT_EQ(ConvertWithoutErrors({u"--png-only", u"--scale", DecimalText(c.scale), u"-w",
                                    DecimalText(c.width), u"-a", c.attribute, input}),
              kExitConverted);
    EXPECT_FALSE(ReadBytes(input + u".scr").has_value()) << c.name;

    const Picture png = DecodePng(input + u".png");
    ASSERT_EQ(png.width, kScreenWidth * c.scale) << c.name;
    ASSERT_EQ(png.height, kScreenHeight * c.scale) << c.name;
    const PixelBuffer canvas = WindowCanvas(input, c.width, c.attribute);
    int differing = 0;
    for (int y = 0; y < png.height; ++y)
      for (int x = 0; x < png.width; ++x)
        differing += png.At(x, y) != canvas.PixelAt(x / c.scale, y / c.scale);
    EXPECT_EQ(differing, 0) << c.name;
  }
}

TEST(ConverterPng, HasTheSpectrumColoursInRedGreenBlueOrder) {
  ScratchFolder folder;
  const Text input = folder.Path(u"byte.bin");
  WriteBytes(input, {0xF0});
  ASSERT_EQ(ConvertWithoutErrors({u"--png", u"-a", u"$0A", input}),
            kExitConverted);  // red ink, blue paper
  const Picture png = DecodePng(input + u".png");
  ASSERT_EQ(png.width, kScreenWidth);
  EXPECT_EQ(png.rgb[0], 127);  // pixel 0: set, dim red
  EXPECT_EQ(png.rgb[2], 0);
  EXPECT_EQ(png.rgb[4 * 3 + 0], 0);  // pixel 4: clear, dim blue
  EXPECT_EQ(png.rgb[4 * 3 + 2], 127);
  EXPECT_TRUE(ReadBytes(input + u".scr").has_value());  // --png writes both
}

TEST(ContactSheet, HoldsEveryWidthsScreenUnderItsOwnLabel) {
  for (const std::int32_t scale : {1, 2}) {
    ScratchFolder folder;
    const Text input = folder.Path(u"sprite.bin");
    WriteBytes(input, SampleBytes(40000, 5));
    const Text sheetPath = folder.Path(u"sheet.png");
    ASSERT_EQ(ConvertWithoutErrors(
                  {u"--sheet", sheetPath, u"--scale", DecimalText(scale), u"-a", u"$45", input}),
              kExitConverted);
    const Picture sheet = DecodePng(sheetPath);
    ASSERT_EQ(sheet.width, kSheetWidth * scale);
    ASSERT_EQ(sheet.height, kSheetHeight * scale);
    const auto at = [&](int x, int y) { return sheet.At(x * scale, y * scale); };

    std::set<std::vector<bool>> labels;
    for (std::int32_t width = kMinStripWidth; width <= kMaxStripWidth; ++width) {
      const PanelPlace place = SheetPanelPlace(width);
      const PixelBuffer canvas = WindowCanvas(input, width, u"$45");
      int differing = 0;
      for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
          differing += at(place.x + x, place.y + y) != canvas.PixelAt(x, y);
      EXPECT_EQ(differing, 0) << "width " << width << " at scale " << scale;

      std::vector<bool> label;  // the band above the panel: label pixels on the background
      for (int y = place.y - kSheetLabelHeight; y < place.y; ++y)
        for (int x = place.x; x < place.x + kScreenWidth; ++x) {
          const Rgb colour = at(x, y);
          EXPECT_TRUE(colour == kSheetBackground || colour == kSheetLabelColour);
          label.push_back(colour == kSheetLabelColour);
        }
      EXPECT_NE(std::count(label.begin(), label.end(), true), 0) << "width " << width;
      labels.insert(label);
    }
    EXPECT_EQ(labels.size(), 31u) << "every width has a label of its own";
  }
}

// --find-sheet: a labelled panel for each region found, in order, showing the region's bytes
// at its width through its layout, one screen only, as the window shows them after Find
// graphics.
TEST(ContactSheet, ShowsEachRegionFoundAtItsWidthThroughItsLayoutOneScreenOnly) {
  ScratchFolder folder;
  Bytes bytes = SampleBytes(4000, 1);
  for (const std::uint32_t seed : {21u, 24u, 6u}) {
    const Bytes sheet =
        seed < 20 ? MakeStoredFile(StoredKind::kMaskedColumns, Followed::kByNothing, seed).bytes
                  : MakeSpriteFile(SpriteKind::kSheet, seed).bytes;
    bytes.insert(bytes.end(), sheet.begin(), sheet.end());
    const Bytes noise = SampleBytes(4000, seed);
    bytes.insert(bytes.end(), noise.begin(), noise.end());
  }
  const Text input = folder.Path(u"game.bin"), sheetPath = folder.Path(u"found.png");
  WriteBytes(input, bytes);
  const auto regions = FindGraphics(bytes.data(), std::ssize(bytes));
  ASSERT_GE(regions.size(), 2u);
  ASSERT_TRUE(std::any_of(regions.begin(), regions.end(), [](const GraphicsRegion& r) {
    return HasColumns(r.layout);
  })) << "a region drawn through its layout among them";
  ASSERT_EQ(ConvertWithoutErrors({u"--find-sheet", sheetPath, u"-a", u"$45", input}),
            kExitConverted);
  const Picture sheet = DecodePng(sheetPath);
  const int columns = std::min<int>(static_cast<int>(regions.size()), kSheetColumns);
  const int rows = (static_cast<int>(regions.size()) + kSheetColumns - 1) / kSheetColumns;
  ASSERT_EQ(sheet.width, kSheetGap + columns * (kScreenWidth + kSheetGap));
  ASSERT_EQ(sheet.height, kSheetGap + rows * (kSheetLabelHeight + kScreenHeight + kSheetGap));
  std::set<std::vector<bool>> labels;
  for (std::size_t i = 0; i < regions.size(); ++i) {
    const GraphicsRegion& region = regions[i];
    ConverterState state;
    state.fillAttribute = 0x45;
    state.oneScreen = true;
    state.stripWidth = region.width;
    state.layout = region.layout;
    const std::int64_t shown =
        std::min(region.length, ScreenStoredStep(region.layout, region.width));
    state.spriteData.assign(bytes.begin() + region.start, bytes.begin() + region.start + shown);
    state.spriteLength = static_cast<std::int32_t>(shown);
    PlaceSprite(state);
    PixelBuffer canvas;
    CanvasPainter painter = MemoryPainter(canvas);
    PaintScreen(state.screen, painter);
    const PanelPlace place = SheetPanelPlace(static_cast<std::int32_t>(i) + kMinStripWidth);
    int differing = 0;
    for (int y = 0; y < kScreenHeight; ++y)
      for (int x = 0; x < kScreenWidth; ++x)
        differing += sheet.At(place.x + x, place.y + y) != canvas.PixelAt(x, y);
    EXPECT_EQ(differing, 0) << "region " << i;
    std::vector<bool> label;
    for (int y = place.y - kSheetLabelHeight; y < place.y; ++y)
      for (int x = place.x; x < place.x + kScreenWidth; ++x)
        label.push_back(sheet.At(x, y) == kSheetLabelColour);
    labels.insert(label);
  }
  EXPECT_EQ(labels.size(), regions.size()) << "every region has a label of its own";
}

}  // namespace
}  // namespace pelorin
