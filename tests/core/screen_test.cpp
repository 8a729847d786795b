// Tests of the screen layout and the colour tables, against the documented colour chart
// and the Spectrum's address bit layout rather than against the code's own formula.
#include <set>

#include <gtest/gtest.h>

#include "screen/screen.h"

namespace pelorin {
namespace {

struct NamedColour {
  const char* name;
  int number;
  Rgb dim;
  Rgb bright;
};

constexpr Rgb RGB(unsigned r, unsigned g, unsigned b) {
  return r | g << 8 | b << 16;
}

const NamedColour kChart[] = {
    {"black", 0, RGB(0, 0, 0), RGB(0, 0, 0)},
    {"blue", 1, RGB(0, 0, 127), RGB(0, 0, 255)},
    {"red", 2, RGB(127, 0, 0), RGB(255, 0, 0)},
    {"magenta", 3, RGB(127, 0, 127), RGB(255, 0, 255)},
    {"green", 4, RGB(0, 127, 0), RGB(0, 255, 0)},
    {"cyan", 5, RGB(0, 127, 127), RGB(0, 255, 255)},
    {"yellow", 6, RGB(127, 127, 0), RGB(255, 255, 0)},
    {"white", 7, RGB(127, 127, 127), RGB(255, 255, 255)},
};

TEST(ColourTables, EveryInkAndPaperMatchesTheChart) {
  for (unsigned attribute = 0; attribute < 256; ++attribute) {
    const bool bright = attribute & 64;
    const NamedColour& ink = kChart[attribute & 7];
    const NamedColour& paper = kChart[(attribute >> 3) & 7];
    EXPECT_EQ(InkTable[attribute], bright ? ink.bright : ink.dim)
        << "attribute " << attribute << " ink " << ink.name;
    EXPECT_EQ(PaperTable[attribute], bright ? paper.bright : paper.dim)
        << "attribute " << attribute << " paper " << paper.name;
  }
}

TEST(ColourTables, KnownAttributes) {
  EXPECT_EQ(InkTable[71], RGB(255, 255, 255));  // the default fill: bright white on black
  EXPECT_EQ(PaperTable[71], RGB(0, 0, 0));
  EXPECT_EQ(InkTable[7], RGB(127, 127, 127));
  EXPECT_EQ(PaperTable[7], RGB(0, 0, 0));
  EXPECT_EQ(InkTable[56], RGB(0, 0, 0));
  EXPECT_EQ(PaperTable[56], RGB(127, 127, 127));
  for (unsigned a = 0; a < 128; ++a) {  // the flash bit shows nothing
    EXPECT_EQ(InkTable[a], InkTable[a + 128]);
    EXPECT_EQ(PaperTable[a], PaperTable[a + 128]);
  }
}

// The address of a line straight from the hardware's bit layout: 010T TLLL RRRC CCCC
// without the 0x4000 base.
int HardwareLineAddress(int y) {
  return (y & 0xC0) << 5 | (y & 0x07) << 8 | (y & 0x38) << 2;
}

TEST(LineAddressTable, FollowsTheInterleavedLayout) {
  for (int y : {0, 1, 7, 8, 9, 63, 64, 65, 127, 128, 191}) {
    EXPECT_EQ(LineAddressTable[y], HardwareLineAddress(y)) << "line " << y;
  }
  EXPECT_EQ(LineAddressTable[1], 256);
  EXPECT_EQ(LineAddressTable[8], 32);
  EXPECT_EQ(LineAddressTable[9], 288);
  EXPECT_EQ(LineAddressTable[64], 2048);
  EXPECT_EQ(LineAddressTable[191], kScreenBytes - 800);
}

TEST(LineAddressTable, LinesAreDistinctAndInsideThePixelArea) {
  std::set<int> starts;
  for (int y = 0; y < kScreenHeight; ++y) {
    EXPECT_EQ(LineAddressTable[y], HardwareLineAddress(y)) << "line " << y;
    EXPECT_LT(LineAddressTable[y] + 31, kPixelBytes);
    starts.insert(LineAddressTable[y]);
  }
  EXPECT_EQ(starts.size(), 192u);
}

TEST(AttributeOffset, CoversTheLastByteOfTheScreen) {
  EXPECT_EQ(AttributeOffset(0, 0), 6144);
  EXPECT_EQ(AttributeOffset(7, 31), 6144 + 31);  // all 8 lines of a cell row share a row
  EXPECT_EQ(AttributeOffset(8, 0), 6144 + 32);
  EXPECT_EQ(AttributeOffset(191, 31), 6911);
}

}  // namespace
}  // namespace pelorin
