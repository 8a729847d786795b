// Splitting the command line into the program's parameters.
#include <gtest/gtest.h>

#include <vector>

#include "command_line.h"

namespace pelorin {
namespace {

struct SplitCase {
  const char* name;
  std::u16string line;
  std::vector<Text> parameters;
};

TEST(CommandLineTest, SplitsAsTheTableSays) {
  const SplitCase cases[] = {
      {"program only", u"app.exe", {}},
      {"quoted program with a blank", u"\"C:\\My Tools\\app.exe\"", {}},
      {"one parameter", u"app.exe ship.bin", {u"ship.bin"}},
      {"quoted program and parameter",
       u"\"C:\\My Tools\\app.exe\" \"D:\\my sprites\\ship.bin\"",
       {u"D:\\my sprites\\ship.bin"}},
      {"unquoted blank splits",
       u"app.exe D:\\my sprites\\ship.bin",
       {u"D:\\my", u"sprites\\ship.bin"}},
      {"runs of blanks, trailing blanks", u"app.exe   a.bin   b.bin   ", {u"a.bin", u"b.bin"}},
      {"empty quotes are a parameter", u"app.exe \"\"", {u""}},
      {"quote never closed", u"app.exe \"ship.bin", {u"ship.bin"}},
      {"token right after a closing quote", u"app.exe \"a b\"c", {u"a b", u"c"}},
      {"quote inside an unquoted token", u"app.exe a\"b c\"", {u"a\"b", u"c\""}},
      {"parameter glued to the quoted program", u"\"C:\\Tools\\app.exe\"ship.bin", {u"ship.bin"}},
      {"a tab is no blank", u"app.exe\tship.bin", {}},
      {"empty command line", u"", {}},
      {"blanks only", u"    ", {}},
      // Hard cases of our own.
      {"backslash before a quote escapes nothing", u"app.exe \"a\\\" b", {u"a\\", u"b"}},
      {"two empty parameters", u"app.exe \"\" \"\"", {u"", u""}},
      {"adjacent quoted tokens", u"app.exe \"a\"\"b\"", {u"a", u"b"}},
      {"a lone quote is an empty parameter", u"app.exe \"", {u""}},
      {"an unclosed program quote swallows the rest", u"\"app.exe ship.bin", {}},
      {"leading blanks before the program", u"   app.exe x", {u"x"}},
      {"tab inside a parameter is kept", u"app.exe a\tb", {u"a\tb"}},
      {"characters beyond the BMP survive",
       u"app.exe \"C:\\sprites\\\u00dcber \U0001F4BE.bin\"",
       {u"C:\\sprites\\\u00dcber \U0001F4BE.bin"}},
  };
  for (const SplitCase& c : cases) {
    ASSERT_EQ(ArgumentCount(c.line), static_cast<std::int32_t>(c.parameters.size())) << c.name;
    for (std::size_t i = 0; i < c.parameters.size(); ++i)
      EXPECT_EQ(ArgumentAt(c.line, static_cast<std::int32_t>(i)), c.parameters[i]) << c.name;
    EXPECT_EQ(ArgumentAt(c.line, static_cast<std::int32_t>(c.parameters.size())), u"") << c.name;
  }
}

TEST(CommandLineTest, IndexesOutsideTheParametersGiveTheEmptyText) {
  const std::u16string line = u"app.exe one two";
  EXPECT_EQ(ArgumentAt(line, -1), u"");
  EXPECT_EQ(ArgumentAt(line, 2), u"");
  EXPECT_EQ(ArgumentAt(line, 0x7FFFFFFF), u"");
  EXPECT_EQ(ArgumentAt(line, 1), u"two");
}

}  // namespace
}  // namespace pelorin
