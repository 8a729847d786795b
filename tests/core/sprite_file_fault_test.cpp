// Tests of loading and saving when the file layer falls short: a file that shrinks after
// its size was asked, sizes that do not fit, a full disk, memory that runs out.
#include <gtest/gtest.h>

#include "allocation_failure.h"
#include "fake_platform.h"
#include "sprite_file.h"
#include "test_support.h"

namespace pelorin {
namespace {

using testing::CountingCanvas;
using testing::FailLargeAllocations;
using testing::MessageLog;
using testing::ReferenceScreen;

class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Files() = fake::FileSystem{}; }
  void TearDown() override { FailLargeAllocations(false); }

  void Load(const Text& path) {
    state.sourcePath = path;
    LoadSprite(state, canvas.painter, log.reporter());
  }

  ConverterState state;
  CountingCanvas canvas;
  MessageLog log;
};

TEST_F(FaultTest, AFileThatShrankShowsOnlyTheBytesDelivered) {
  fake::Files().files[u"first"] = std::vector<std::uint8_t>(100, 0xAA);
  Load(u"first");
  fake::Files().files[u"second"] = std::vector<std::uint8_t>(100, 0x55);
  fake::Files().deliverAtMost = 40;  // the size query said 100
  Load(u"second");
  EXPECT_TRUE(log.messages.empty());
  EXPECT_EQ(state.spriteLength, 40);
  EXPECT_EQ(state.screen, ReferenceScreen(std::vector<std::uint8_t>(40, 0x55), 1, 71))
      << "no byte of the first file may show";
}

TEST_F(FaultTest, AFailedReadIsReportedLikeAFailedOpen) {
  fake::Files().files[u"first"] = {0x0F};
  Load(u"first");
  const ScreenImage shown = state.screen;
  fake::Files().files[u"bad"] = {1, 2, 3};
  fake::Files().readFails = true;
  Load(u"bad");
  EXPECT_EQ(log.messages, std::vector<Text>{u"error reading\nbad"});
  EXPECT_EQ(state.sourcePath, u"");
  EXPECT_EQ(state.spriteLength, 0);
  EXPECT_EQ(state.screen, shown);
}

struct SizeCase {
  const char* name;
  std::int64_t reported;  // what the size query answers
  std::size_t actual;     // what the file holds
  std::int32_t request;   // the one read request
  std::int32_t length;    // the sprite length afterwards
};

class UnusableSizeTest : public FaultTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(UnusableSizeTest, TheFileIsReadByItsVisiblePrefix) {
  const SizeCase& c = GetParam();
  fake::Files().files[u"f"] = std::vector<std::uint8_t>(c.actual, 0x99);
  fake::Files().reportedSize = c.reported;
  Load(u"f");
  EXPECT_TRUE(log.messages.empty());
  EXPECT_EQ(fake::Files().readRequests, std::vector<std::int32_t>{c.request});
  EXPECT_EQ(state.spriteLength, c.length);
  EXPECT_LE(state.spriteData.size(), static_cast<std::size_t>(SpriteReadBound));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, UnusableSizeTest,
    ::testing::Values(
        SizeCase{"NoSuchFileYetItOpened", -1, 5000, SpriteReadBound, 5000},
        SizeCase{"AFolderYetItOpened", -2, 7, SpriteReadBound, 7},
        SizeCase{"TwoGibibytes", std::int64_t{1} << 31, 2000000, SpriteReadBound, SpriteReadBound},
        SizeCase{"FourGibibytes", std::int64_t{1} << 32, 1400000, SpriteReadBound, SpriteReadBound},
        SizeCase{"JustOverTheBound", SpriteReadBound + 1, SpriteReadBound + 1, SpriteReadBound,
                 SpriteReadBound},
        SizeCase{"ExactlyTheBound", SpriteReadBound, SpriteReadBound, SpriteReadBound,
                 SpriteReadBound},
        SizeCase{"Small", 10, 10, 10, 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultTest, MemoryThatCannotBeHadIsAReadingError) {
  fake::Files().files[u"small"] = {0x42};
  Load(u"small");
  const ScreenImage shown = state.screen;
  fake::Files().files[u"big"] = std::vector<std::uint8_t>(SpriteReadBound, 0x11);
  FailLargeAllocations(true);
  Load(u"big");
  FailLargeAllocations(false);
  EXPECT_EQ(log.messages, std::vector<Text>{u"error reading\nbig"});
  EXPECT_EQ(state.spriteLength, 0);
  EXPECT_EQ(state.sourcePath, u"");
  EXPECT_EQ(state.screen, shown);
}

struct WriteFault {
  const char* name;
  std::int64_t writeAtMost;
  bool writeFails;
  bool closeFails;
};

class SaveFaultTest : public FaultTest, public ::testing::WithParamInterface<WriteFault> {};

// The earlier screen file stays as it was, and nothing written in part is left behind.
TEST_P(SaveFaultTest, IsReportedAsAWritingError) {
  const WriteFault& c = GetParam();
  fake::Files().files[u"a.bin"] = {1};
  fake::Files().files[u"a.bin.scr"] = {9, 9, 9};
  Load(u"a.bin");
  fake::Files().writeAtMost = c.writeAtMost;
  fake::Files().writeFails = c.writeFails;
  fake::Files().closeFails = c.closeFails;
  SaveScreen(state, log.reporter());
  EXPECT_EQ(log.messages, std::vector<Text>{u"error writing\na.bin"});
  EXPECT_EQ(fake::Files().writeRequests, std::vector<std::int32_t>{6912});
  EXPECT_EQ(fake::Files().files[u"a.bin.scr"], (std::vector<std::uint8_t>{9, 9, 9}));
  EXPECT_EQ(fake::Files().files.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Faults, SaveFaultTest,
                         ::testing::Values(WriteFault{"DiskFullPartWay", 1000, false, false},
                                           WriteFault{"NothingWritten", 0, false, false},
                                           WriteFault{"WriteFails", 6912, true, false},
                                           WriteFault{"CloseFails", 6912, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultTest, AWholeWriteIsOneRequestAndNoMessage) {
  fake::Files().files[u"a.bin"] = {1};
  Load(u"a.bin");
  SaveScreen(state, log.reporter());
  EXPECT_TRUE(log.messages.empty());
  EXPECT_EQ(fake::Files().writeRequests, std::vector<std::int32_t>{6912});
  EXPECT_EQ(fake::Files().files[u"a.bin.scr"].size(), 6912u);
}

}  // namespace
}  // namespace pelorin
