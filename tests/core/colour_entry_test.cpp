// Tests of the colour entry: default text, reading answers, the one error message.
#include <gtest/gtest.h>

#include "colour_entry.h"
#include "typed_number.h"
#include "test_support.h"

namespace pelorin {
namespace {

using testing::CountingCanvas;
using testing::MessageLog;

TEST(DefaultColourText, IsADollarAndTwoUpperCaseHexDigits) {
  EXPECT_EQ(DefaultColourText(71), u"$47");
  EXPECT_EQ(DefaultColourText(10), u"$0A");
  EXPECT_EQ(DefaultColourText(0), u"$00");
  EXPECT_EQ(DefaultColourText(255), u"$FF");
}

struct AnswerCase {
  const char* name;
  const char16_t* answer;
  int attribute;          // fillAttribute afterwards (it starts at 200)
  const char16_t* error;  // the one message, or null for none
};

class ApplyColourAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ApplyColourAnswerTest, SetsTheLowEightBitsAndRedraws) {
  const AnswerCase& c = GetParam();
  ConverterState state;
  state.fillAttribute = 200;
  state.spriteData = {0x81};
  state.spriteLength = 1;
  CountingCanvas canvas;
  MessageLog log;
  ApplyColourAnswer(state, c.answer, canvas.painter, log.reporter());
  EXPECT_EQ(state.fillAttribute, c.attribute);
  EXPECT_EQ(canvas.paintings, 1);
  EXPECT_EQ(state.screen[kScreenBytes - 1], c.attribute) << "the new attribute is on the screen";
  if (c.error == nullptr) {
    EXPECT_TRUE(log.messages.empty());
  } else {
    EXPECT_EQ(log.messages, std::vector<Text>{c.error});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ApplyColourAnswerTest,
    ::testing::Values(
        AnswerCase{"Decimal", u"71", 71, nullptr}, AnswerCase{"Dollar", u"$47", 71, nullptr},
        AnswerCase{"Hash", u"#47", 71, nullptr}, AnswerCase{"Binary", u"%1000111", 71, nullptr},
        AnswerCase{"LowerCaseHex", u"$4f", 79, nullptr},
        AnswerCase{"DollarAlone", u"$", 0, nullptr}, AnswerCase{"PercentAlone", u"%", 0, nullptr},
        AnswerCase{"Zero", u"0", 0, nullptr}, AnswerCase{"Decimal256Wraps", u"256", 0, nullptr},
        AnswerCase{"Decimal300", u"300", 44, nullptr}, AnswerCase{"Hex1FF", u"$1FF", 255, nullptr},
        AnswerCase{"BinaryNineBits", u"%100000001", 1, nullptr},
        // 4,294,967,297 wraps past 32 bits to 1.
        AnswerCase{"OverflowWraps", u"4294967297", 1, nullptr},
        AnswerCase{"WrongHexDigit", u"$4G", 4, u"Wrong character:G"},
        AnswerCase{"LetterIsUpperCased", u"x", 0, u"Wrong character:X"},
        AnswerCase{"TrailingBlank", u"12 ", 12, u"Wrong character: "},
        AnswerCase{"LeadingBlank", u" 12", 0, u"Wrong character: "},
        AnswerCase{"MinusIsNoSign", u"-5", 0, u"Wrong character:-"},
        AnswerCase{"BinaryStopsAtTwo", u"%102", 2, u"Wrong character:2"},
        AnswerCase{"OnlyTheFirstWrongCharacter", u"1ab", 1, u"Wrong character:A"},
        AnswerCase{"HexLetterInDecimal", u"1f", 1, u"Wrong character:F"},
        AnswerCase{"AccentedLetter", u"\u00e9", 0, u"Wrong character:\u00c9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ApplyColourAnswer, AnEmptyAnswerChangesNothing) {
  ConverterState state;
  state.spriteData = {1};
  state.spriteLength = 1;
  CountingCanvas canvas;
  MessageLog log;
  ApplyColourAnswer(state, u"", canvas.painter, log.reporter());
  EXPECT_EQ(state.fillAttribute, 71);
  EXPECT_EQ(canvas.paintings, 0);
  EXPECT_TRUE(log.messages.empty());
}

TEST(ApplyColourAnswer, WithNothingLoadedTheAttributeWaitsForTheNextRedraw) {
  ConverterState state;
  CountingCanvas canvas;
  MessageLog log;
  ApplyColourAnswer(state, u"$38", canvas.painter, log.reporter());
  EXPECT_EQ(state.fillAttribute, 0x38);
  EXPECT_EQ(canvas.paintings, 0);
  EXPECT_EQ(state.screen, ScreenImage{});
}

TEST(ParseNumber, ReturnsTheValueReadBeforeAWrongCharacter) {
  MessageLog log;
  EXPECT_EQ(ParseNumber(u"7fz", 16, u"0123456789ABCDEF", log.reporter()), 0x7F);
  EXPECT_EQ(ParseNumber(u"", 10, u"0123456789", log.reporter()), 0);
  EXPECT_EQ(ParseNumber(u"2147483648", 10, u"0123456789", log.reporter()), INT32_MIN);
  EXPECT_EQ(log.messages, std::vector<Text>{u"Wrong character:Z"});
}

}  // namespace
}  // namespace pelorin
