#include "ui/core/sysutils.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
  const char* pattern;
  const char* arg;
  const char* expect;
};
class FormatOne : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatOne, Text) { EXPECT_EQ(Format(GetParam().pattern, std::string(GetParam().arg)), GetParam().expect); }

INSTANTIATE_TEST_SUITE_P(Table, FormatOne,
                         ::testing::Values(FormatCase{"%s On the Web...", "Velmora", "Velmora On the Web..."},
                                           FormatCase{"100%% %s", "x", "100% x"},
                                           FormatCase{"About %s", "", "About "},
                                           FormatCase{"no args", "z", "no args"}));

TEST(Format, ListsNumbersAndErrors) {
  EXPECT_EQ(Format("PngImage%d", 3), "PngImage3");
  EXPECT_EQ(Format("%s (%d) %s", {"a", -2, std::string("b")}), "a (-2) b");
  EXPECT_THROW(Format("%d", std::string("x")), EConvertError);
  EXPECT_THROW(Format("%s %s", {"only one"}), EConvertError);
  EXPECT_THROW(Format("%x", 1), EConvertError);
}

TEST(SysUtils, Conversions) {
  EXPECT_EQ(StrToInt(" 42 "), 42);
  EXPECT_EQ(StrToInt("-7"), -7);
  EXPECT_EQ(StrToInt("$FF00000F"), int(0xFF00000F));
  EXPECT_THROW(StrToInt("4x"), EConvertError);
  EXPECT_THROW(StrToInt("99999999999"), EConvertError);
  EXPECT_EQ(StrToIntDef("", 5), 5);
  EXPECT_EQ(IntToHex(0xAB, 4), "00AB");
  EXPECT_TRUE(SameText("PNG", "png"));
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(ExtractFileExt("x/leftlogo.PNG"), ".PNG");
  EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
  EXPECT_EQ(ExpandFileName("/../x"), "/x");
}

TEST(SysUtils, SetOperations) {
  enum E { a, b, c };
  TSet<E> s{a, c};
  EXPECT_TRUE(s.Contains(a));
  EXPECT_FALSE(s.Contains(b));
  s.Exclude(a).Include(b);
  EXPECT_EQ(s, (TSet<E>{b, c}));
  EXPECT_EQ((s - TSet<E>{c}), TSet<E>{b});
}

}  // namespace
