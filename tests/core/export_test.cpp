// Tests of taking graphics out: the PNG against the painter's own picture of the same
// bytes, the assembler assembled by pasmo against the binary, the binary against the
// source's bytes, SHA-256 against sha256sum, and the names and recipe lines.
#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "export/export_names.h"
#include "export/rip_recipe.h"
#include "export/sha256.h"
#include "export_source.h"
#include "redraw.h"
#include "screen/paint_screen.h"
#include "sprite_file.h"
#include "test_support.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace pelorin {
namespace {

struct Rgba {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;
  Rgb At(int x, int y) const {
    const std::uint8_t* p = pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4;
    return Rgb{p[0]} | Rgb{p[1]} << 8 | Rgb{p[2]} << 16;
  }
  bool Transparent(int x, int y) const {
    return pixels[(static_cast<std::size_t>(y) * width + x) * 4 + 3] == 0;
  }
};

Rgba Decode(const std::vector<std::uint8_t>& png) {
  Rgba picture;
  int channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &picture.width,
                                          &picture.height, &channels, 4);
  if (pixels == nullptr) return {};
  picture.pixels.assign(pixels, pixels + picture.width * picture.height * 4);
  stbi_image_free(pixels);
  return picture;
}

// What the window paints of the bytes with "One screen only" on.
PixelBuffer Painted(const std::vector<std::uint8_t>& bytes, std::int32_t width,
                    const SpriteLayout& layout, std::uint8_t attribute) {
  ConverterState state;
  state.spriteData = bytes;
  state.spriteLength = static_cast<std::int32_t>(bytes.size());
  state.stripWidth = width;
  state.layout = layout;
  state.fillAttribute = attribute;
  state.oneScreen = true;
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  Redraw(state, painter);
  return buffer;
}

TEST(Export, PngIsThePaintersPictureCutToItsStripsWithMasksTransparent) {
  using enum MaskOrder;
  struct Case {
    const char* what;
    SpriteLayout layout;
    std::int32_t width;
    std::int64_t length;
    int pngWidth, pngHeight;
  };
  const Case cases[] = {
      {"40 rows at width 2", {}, 2, 80, 16, 40},
      {"a last row in part", {}, 3, 100, 24, 34},
      {"three strips", {}, 4, 4 * 192 * 2 + 12, 96, 192},
      {"masked, mask first", {ScreenLayout::kStrips, kMaskFirst}, 2, 4 * 50, 16, 50},
      {"masked, graphic first, odd", {ScreenLayout::kStrips, kGraphicFirst}, 3, 6 * 30 + 1, 24, 31},
      {"masks shown", {ScreenLayout::kStrips, kMaskFirst, true}, 2, 4 * 50, 16, 50},
      {"by columns, last cut",
       {ScreenLayout::kStrips, kNotMasked, false, 24},
       3,
       3 * 24 * 3 + 5,
       24,
       96},
      {"masked by columns",
       {ScreenLayout::kStrips, kGraphicFirst, false, 16},
       2,
       4 * 16 * 5,
       16,
       80},
      {"a screen", {ScreenLayout::kSpectrumScreen}, 5, 6912, 256, 192},
      {"past one screen", {}, 16, 16 * 192 * 3, 384, 192},
  };
  const std::uint8_t attribute = 0x45;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<std::uint8_t> bytes = testing::RandomBytes(c.length, 7);
    const ExportRegion region = CutRegion(0, c.length, c.length, c.width, c.layout, false);
    const Rgba png = Decode(ExportFormBytes(bytes, region, ExportForm::kPng, attribute, u"x"));
    ASSERT_EQ(png.width, c.pngWidth);
    ASSERT_EQ(png.height, c.pngHeight);
    const PixelBuffer shown = Painted(bytes, c.width, c.layout, attribute);
    SpriteLayout maskLayout = c.layout;
    maskLayout.showMasks = true;
    const PixelBuffer masks = Painted(bytes, c.width, maskLayout, attribute);
    const bool transparency = IsMasked(c.layout) && !c.layout.showMasks;
    // One screen holds the strips that fit across; the PNG goes on to the right.
    const int across = std::min(png.width, kScreenWidth / (8 * c.width) * 8 * c.width);
    int transparent = 0;
    for (int y = 0; y < png.height; ++y)
      for (int x = 0; x < across; ++x) {
        const bool maskOnPaper = transparency && masks.PixelAt(x, y) == InkTable[attribute] &&
                                 shown.PixelAt(x, y) == PaperTable[attribute];
        ASSERT_EQ(png.Transparent(x, y), maskOnPaper) << x << "," << y;
        transparent += maskOnPaper;
        if (!maskOnPaper) {
          ASSERT_EQ(png.At(x, y), shown.PixelAt(x, y)) << x << "," << y;
        }
      }
    EXPECT_EQ(transparent > 0, transparency);
  }
}

#ifndef _WIN32
// Runs pasmo on the assembler text; the bytes it assembles, or nothing.
std::optional<std::vector<std::uint8_t>> Assembled(const std::string& text) {
  const testing::ScratchFolder folder;
  std::ofstream(folder / "region.asm", std::ios::binary) << text;
  std::string command = "pasmo --bin '";
  command.append((folder / "region.asm").string())
      .append("' '")
      .append((folder / "region.bin").string())
      .append("' >/dev/null 2>&1");
  if (std::system(command.c_str()) != 0) return std::nullopt;
  return testing::ReadBytes(folder / "region.bin");
}
#endif

TEST(Export, AssemblerAssembledIsTheBinary) {
#ifdef _WIN32
  GTEST_SKIP() << "pasmo runs on the build machine";
#else
  struct Case {
    SpriteLayout layout;
    std::int32_t width;
    std::int64_t length;
    bool memory;
    const char* rowLine;  // the first defb line starts so
  };
  const Case cases[] = {
      {{}, 3, 100, false, "\tdefb $"},
      {{ScreenLayout::kStrips, MaskOrder::kMaskFirst}, 2, 4 * 9 + 3, true, "\tdefb $"},
      {{ScreenLayout::kSpectrumScreen}, 1, 6912, false, "\tdefb $"},
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> bytes = testing::RandomBytes(c.length, 11);
    ExportRegion region = CutRegion(38133, c.length, 65536, c.width, c.layout, c.memory);
    const auto binary = ExportFormBytes(bytes, region, ExportForm::kBinary, 71, u"game\nx.tap");
    const auto source = ExportFormBytes(bytes, region, ExportForm::kAssembler, 71, u"game\nx.tap");
    const std::string text(source.begin(), source.end());
    EXPECT_EQ(binary, bytes);
    EXPECT_EQ(Assembled(text), binary) << text.substr(0, 300);
    // A defb line holds one stored row: the width's bytes, twice when masked, 32 a screen line.
    const std::size_t row = static_cast<std::size_t>(RowStoredStep(c.layout, c.width));
    const std::size_t first = text.find(c.rowLine);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(std::count(text.begin() + first, text.begin() + text.find('\n', first), '$'), row);
    EXPECT_NE(text.find(c.memory ? "; address: 38133 ($94F5)\n" : "; offset: 38133 ($94F5)\n"),
              std::string::npos);
    EXPECT_NE(text.find("; source: game?x.tap\n"), std::string::npos);
  }
#endif
}

// A region found at `start`, `length` bytes long, shown at `width`.
GraphicsRegion Found(std::int64_t start, std::int64_t length, std::int32_t width) {
  GraphicsRegion region;
  region.start = start;
  region.length = length;
  region.width = width;
  return region;
}

TEST(Export, BinaryIsTheSourcesBytesRawAndInMemory) {
  const testing::ScratchFolder folder;
  const std::vector<std::uint8_t> file = testing::RandomBytes(20000, 3);
  testing::WriteBytes(folder / "raw.bin", file);
  std::vector<std::uint8_t> sna(27, 0);
  const std::vector<std::uint8_t> ram = testing::RandomBytes(49152, 4);
  sna.insert(sna.end(), ram.begin(), ram.end());
  testing::WriteBytes(folder / "game.sna", sna);

  struct Case {
    const char* file;
    bool memory;
    std::int64_t offset;
    std::int32_t width;
    std::optional<GraphicsRegion> landed;
    std::int64_t expectedStart, expectedLength;
    const std::vector<std::uint8_t>* source;
    std::int64_t sourceAt;  // where the expected bytes start in `source`
  };
  const Case cases[] = {
      {"raw.bin", false, 100, 3, std::nullopt, 100, 5760, &file, 100},
      {"raw.bin", false, 19000, 3, std::nullopt, 19000, 1000, &file, 19000},  // cut at the end
      {"raw.bin", false, 500, 2, Found(500, 77, 2), 500, 77, &file, 500},
      {"raw.bin", false, 501, 2, Found(500, 77, 2), 501, 6144, &file, 501},  // moved
      {"raw.bin", false, 20000, 3, std::nullopt, 20000, 0, &file, 0},        // nothing at the end
      {"game.sna", true, 30000, 4, std::nullopt, 30000, 6144, &ram, 30000 - 16384},
      {"game.sna", true, 40000, 4, Found(40000, 300, 4), 40000, 300, &ram, 40000 - 16384},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.offset));
    ConverterState state;
    state.sourcePath = testing::PathText(folder / c.file);
    state.readMemoryImages = c.memory;
    state.stripWidth = c.width;
    testing::MessageLog log;
    CanvasPainter noCanvas;
    LoadSpriteAtOffset(state, noCanvas, log.reporter(), c.offset);
    ASSERT_TRUE(log.messages.empty());
    const ExportRegion region = ExportRegionOf(state, c.landed ? &*c.landed : nullptr);
    EXPECT_EQ(region.start, c.expectedStart);
    ASSERT_EQ(region.length, c.expectedLength);
    EXPECT_EQ(region.memory, c.memory);
    const auto bytes = ReadExportBytes(state, region);
    ASSERT_TRUE(bytes.has_value());
    const auto from = c.source->begin() + c.sourceAt;
    EXPECT_EQ(*bytes, std::vector<std::uint8_t>(from, from + c.expectedLength));
    EXPECT_EQ(ExportFormBytes(*bytes, region, ExportForm::kBinary, 71, u"x"), *bytes);
  }
}

TEST(Export, Sha256IsWhatSha256sumSays) {
#ifdef _WIN32
  GTEST_SKIP() << "sha256sum runs on the build machine";
#else
  const testing::ScratchFolder folder;
  // Sizes around the block's 64 bytes and its last 8 that hold the length.
  for (const std::size_t size : {0, 3, 55, 56, 63, 64, 65, 119, 120, 1000, 3 << 20}) {
    const auto path = folder / std::to_string(size);
    testing::WriteBytes(path, testing::RandomBytes(size, static_cast<std::uint32_t>(size)));
    std::string expected(64, ' ');
    std::string command = "sha256sum '";
    command.append(path.string()).append("'");
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    ASSERT_EQ(std::fread(expected.data(), 1, 64, pipe), 64u);
    pclose(pipe);
    EXPECT_EQ(FileSha256(testing::PathText(path)), expected) << size;
    Sha256 plain(false);  // the code for processors without SHA instructions
    plain.Update(testing::RandomBytes(size, static_cast<std::uint32_t>(size)));
    EXPECT_EQ(DigestHex(plain.Finish()), expected) << size;
  }
#endif
}

TEST(Export, NamesAndRecipeLinesAsTheConverterWritesThem) {
  ExportRegion region = CutRegion(38133, 96, 65536, 3, {}, true);
  region.kind = GraphicsKind::kSprites;
  EXPECT_EQ(ExportFileName(u"dogmole.tap", region, ExportForm::kPng), u"dogmole.tap-38133-w3.png");
  EXPECT_EQ(PathForForm(u"C:\\a.b\\x-1-w3.png", ExportForm::kAssembler), u"C:\\a.b\\x-1-w3.asm");
  EXPECT_EQ(PathForForm(u"C:\\a.b\\x", ExportForm::kBinary), u"C:\\a.b\\x.bin");
  EXPECT_EQ(PathForForm(u"x.txt", ExportForm::kBinary), u"x.txt");

  RipEntry entry{u"odd\tname\\.tap", std::string(64, 'a'), region, 69, {true, false, true}};
  entry.region.layout = {ScreenLayout::kStrips, MaskOrder::kGraphicFirst, true, 24};
  const std::string digest(64, 'a');
  const std::string line = RipLine(entry);
  std::string expected = "odd\\tname\\\\.tap\t";
  expected.append(digest).append(
      "\t38133\t96\t3\tmemory\t--layout=strips --masked=graphic-first --show-masks "
      "--columns=24\tsprites\t69\tpng,asm\n");
  EXPECT_EQ(line, expected);
  EXPECT_EQ(ParseRipLine(line.substr(0, line.size() - 1)), entry);
  // A short digest, a width past 31, an unknown layout, an unknown form, a line of one field.
  const auto fields = [](const std::string& sha, const char* rest) {
    return std::string("x\t").append(sha).append(rest);
  };
  for (const std::string& wrong :
       {fields(std::string(63, 'a'), "\t0\t1\t1\traw\t--layout=strips\t-\t71\tpng"),
        fields(digest, "\t0\t1\t32\traw\t--layout=strips\t-\t71\tpng"),
        fields(digest, "\t0\t1\t1\traw\t--layout=dots\t-\t71\tpng"),
        fields(digest, "\t0\t1\t1\traw\t--layout=strips\t-\t71\tgif"), std::string("just text")})
    EXPECT_FALSE(ParseRipLine(wrong).has_value()) << wrong;
}

}  // namespace
}  // namespace pelorin
