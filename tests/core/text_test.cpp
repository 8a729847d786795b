// Tests of the UTF-8 <-> UTF-16 conversion used for file names.
#include <gtest/gtest.h>

#include "platform/text.h"

namespace pelorin {
namespace {

TEST(TextConversion, ValidUtf8RoundTrips) {
  const std::string samples[] = {
      "", "ship.bin", "sch\xc3\xb6n", "\xe2\x82\xac 5", "\xf0\x9f\x98\x80 emoji", "tab\there"};
  for (const std::string& utf8 : samples) EXPECT_EQ(TextToUtf8(Utf8ToText(utf8)), utf8) << utf8;
  EXPECT_EQ(Utf8ToText("\xc3\xa9"), u"\u00e9");
  EXPECT_EQ(Utf8ToText("\xf0\x9f\x98\x80"), u"\U0001F600");
}

TEST(TextConversion, BytesThatAreNotUtf8SurviveTheRoundTrip) {
  // Stray continuation bytes, a cut-off sequence, an overlong slash, an encoded surrogate,
  // and a value past U+10FFFF.
  const std::string samples[] = {"\x80",     "a\xff",        "\xe2\x82",
                                 "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"};
  for (const std::string& bytes : samples) {
    const Text text = Utf8ToText(bytes);
    for (char16_t c : text) EXPECT_TRUE(c < 0xD800 || c >= 0xDC80) << "no pairs are made up";
    EXPECT_EQ(TextToUtf8(text), bytes);
  }
}

TEST(TextConversion, LoneSurrogatesFromWindowsBecomeReplacementCharacters) {
  EXPECT_EQ(TextToUtf8(u"a\xD800"
                       u"b"),
            "a\xef\xbf\xbd"
            "b");
  EXPECT_EQ(TextToUtf8(std::u16string(1, 0xDBFF)), "\xef\xbf\xbd");
}

TEST(DecimalText, WritesPlainDigits) {
  EXPECT_EQ(DecimalText(7), u"7");
  EXPECT_EQ(DecimalText(31), u"31");
  EXPECT_EQ(DecimalText(-12), u"-12");
}

}  // namespace
}  // namespace pelorin
