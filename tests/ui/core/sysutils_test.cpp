#include "ui/core/sysutils.h"

#include <gtest/gtest.h>

#include <filesystem>

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

#ifdef _WIN32
// Windows paths: both separators split, a drive stays in front of what is folded, and
// what comes back uses '/'.
struct PathCase {
  const char* input;
  const char* expanded;  // nullptr: relative, so expanded against the current folder
  const char* folder;
  const char* name;
};

class WindowsPath : public testing::TestWithParam<PathCase> {};

TEST_P(WindowsPath, SplitsAndExpands) {
  const PathCase& c = GetParam();
  EXPECT_EQ(ExtractFilePath(c.input), c.folder);
  EXPECT_EQ(ExtractFileName(c.input), c.name);
  std::string cwd = std::filesystem::current_path().generic_string();
  const std::string expected = c.expanded ? c.expanded : cwd + "/" + c.name;
  EXPECT_EQ(ExpandFileName(c.input), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsPath,
                         testing::Values(PathCase{"C:\\suite\\lame.dll", "C:/suite/lame.dll", "C:\\suite\\", "lame.dll"},
                                         PathCase{"c:/a/./b/../lame.dll", "c:/a/lame.dll", "c:/a/./b/../", "lame.dll"},
                                         PathCase{"D:\\..\\x\\y.png", "D:/x/y.png", "D:\\..\\x\\", "y.png"},
                                         PathCase{"C:/suite/", "C:/suite/", "C:/suite/", ""},
                                         PathCase{"C:", "C:/", "", "C:"},
                                         PathCase{"x\\..\\leftlogo.png", nullptr, "x\\..\\", "leftlogo.png"},
                                         PathCase{"leftlogo.png", nullptr, "", "leftlogo.png"}));
#endif

}  // namespace
