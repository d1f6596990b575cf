// DrawTextA: alignment, DT_CALCRECT, line breaks, word wrap, prefixes, tabs, ellipsis.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "textcanvas.h"

namespace {

using fonttest::Extent;
using fonttest::InkBox;
using fonttest::kFace;
using fonttest::kInk;
using fonttest::TextCanvas;

// Where one line of text lands for each alignment: the left edge of its cell and its top.
struct Alignment {
  UINT format;
  const char* name;
};
std::ostream& operator<<(std::ostream& os, const Alignment& a) { return os << a.name; }
class DrawTextAlignment : public ::testing::TestWithParam<Alignment> {};

TEST_P(DrawTextAlignment, PlacesTheCell) {
  const std::string text = "Tools";
  const RECT rect{10, 5, 110, 45};  // 100 x 40
  TextCanvas c(130, 60);
  TextCanvas ref(130, 60);
  const SIZE ext = Extent(c.dc(), text);
  RECT r = rect;
  const int height = DrawTextA(c.dc(), text.c_str(), -1, &r, GetParam().format);
  EXPECT_EQ(r, rect) << "drawing leaves the rectangle alone";

  int x = rect.left, y = rect.top;
  if (GetParam().format & DT_CENTER) x = rect.left + (100 - ext.cx) / 2;
  if (GetParam().format & DT_RIGHT) x = rect.right - ext.cx;
  const bool single = GetParam().format & DT_SINGLELINE;
  if (single && (GetParam().format & DT_VCENTER)) y = rect.top + (40 - 13) / 2;
  if (single && (GetParam().format & DT_BOTTOM)) y = rect.bottom - 13;
  EXPECT_EQ(height, single && (GetParam().format & (DT_VCENTER | DT_BOTTOM)) ? y - rect.top + 13 : 13);
  TextOutA(ref.dc(), x, y, text.c_str(), int(text.size()));
  EXPECT_EQ(fonttest::FirstDifference(c.Image(), ref.Image()), "") << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DrawTextAlignment,
    ::testing::Values(Alignment{DT_LEFT, "left"}, Alignment{DT_CENTER, "center"}, Alignment{DT_RIGHT, "right"},
                      Alignment{DT_SINGLELINE | DT_VCENTER, "vcenter"},
                      Alignment{DT_SINGLELINE | DT_CENTER | DT_VCENTER, "center vcenter"},
                      Alignment{DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, "right bottom"},
                      Alignment{DT_VCENTER | DT_BOTTOM, "vertical flags need single line"},
                      Alignment{DT_RTLREADING, "rtl reading changes nothing for Latin text"}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

// DT_CALCRECT measures without drawing.
struct CalcCase {
  const char* text;
  UINT format;
  int lines;        // expected number of 13-pixel lines
  const char* widest;  // the line whose extent is the width
};
std::ostream& operator<<(std::ostream& os, const CalcCase& c) {
  os << "format 0x" << std::hex << c.format << std::dec << " text \"";
  for (const char* p = c.text; *p; ++p) os << (*p == '\r' ? "\\r" : *p == '\n' ? "\\n" : std::string(1, *p));
  return os << '"';
}
class DrawTextCalcRect : public ::testing::TestWithParam<CalcCase> {};

TEST_P(DrawTextCalcRect, FitsTheText) {
  TextCanvas c(20, 20);
  RECT r{3, 4, 1000, 1000};
  const int h = DrawTextA(c.dc(), GetParam().text, -1, &r, GetParam().format | DT_CALCRECT);
  EXPECT_EQ(h, 13 * GetParam().lines);
  EXPECT_EQ(r.top, 4);
  EXPECT_EQ(r.bottom, 4 + h);
  EXPECT_EQ(r.left, 3);
  EXPECT_EQ(r.right, 3 + Extent(c.dc(), GetParam().widest).cx);
  EXPECT_EQ(InkBox(c.Image()), RECT{}) << "nothing drawn";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DrawTextCalcRect,
    ::testing::Values(CalcCase{"Data", DT_SINGLELINE, 1, "Data"}, CalcCase{"", 0, 0, ""},
                      CalcCase{"&OK", 0, 1, "OK"}, CalcCase{"&OK", DT_NOPREFIX, 1, "&OK"},
                      CalcCase{"&OK", DT_HIDEPREFIX, 1, "OK"}, CalcCase{"A && B", 0, 1, "A & B"},
                      CalcCase{"one\r\ntwo lines\nthree", 0, 3, "two lines"},
                      CalcCase{"one\rtwo", 0, 2, "one"}, CalcCase{"a\n\nb", 0, 3, "a"},
                      CalcCase{"trailing break\r\n", 0, 1, "trailing break"},
                      CalcCase{"one\r\ntwo", DT_SINGLELINE, 1, "one\r\ntwo"},
                      CalcCase{"Data CD", DT_WORDBREAK, 1, "Data CD"}));

TEST(DrawText, ExpandsTabsToEightAverageWidths) {
  TextCanvas c(20, 20);
  TEXTMETRICA tm;
  GetTextMetricsA(c.dc(), &tm);
  RECT r{0, 0, 1000, 100};
  DrawTextA(c.dc(), "a\tb", -1, &r, DT_EXPANDTABS | DT_CALCRECT);
  EXPECT_EQ(r.right, 8 * tm.tmAveCharWidth + Extent(c.dc(), "b").cx);
  r = RECT{0, 0, 1000, 100};
  DrawTextA(c.dc(), "\t\tb", -1, &r, DT_EXPANDTABS | DT_CALCRECT);
  EXPECT_EQ(r.right, 16 * tm.tmAveCharWidth + Extent(c.dc(), "b").cx);
}

// Greedy wrapping computed from word extents: the lines DT_WORDBREAK should make.
std::vector<std::string> ExpectedLines(HDC dc, const std::string& text, int width) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  std::string word, line;
  while (in >> word) {
    const std::string candidate = line.empty() ? word : line + " " + word;
    if (!line.empty() && Extent(dc, candidate).cx > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

class DrawTextWordWrap : public ::testing::TestWithParam<LONG> {};

TEST_P(DrawTextWordWrap, BreaksBetweenWordsWithinTheWidth) {
  const std::string text =
      "Burn data discs with your files and folders. Create audio discs that play in any CD player, "
      "copy discs, and write disc images to blank media.";
  const int width = 259;
  TextCanvas c(300, 200);
  c.UseFont(-11, GetParam());
  const std::vector<std::string> expected = ExpectedLines(c.dc(), text, width);
  ASSERT_GT(expected.size(), 2u);

  RECT calc{10, 10, 10 + width, 10};
  const int h = DrawTextA(c.dc(), text.c_str(), -1, &calc, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(h, 13 * int(expected.size()));
  int widest = 0;
  for (const std::string& l : expected) widest = std::max<int>(widest, Extent(c.dc(), l).cx);
  EXPECT_EQ(calc.right, 10 + widest);
  EXPECT_LE(widest, width);

  // Drawn, each line looks exactly like that line drawn on its own.
  RECT r{10, 10, 10 + width, 190};
  EXPECT_EQ(DrawTextA(c.dc(), text.c_str(), -1, &r, DT_WORDBREAK), h);
  TextCanvas ref(300, 200);
  ref.UseFont(-11, GetParam());
  for (std::size_t i = 0; i < expected.size(); ++i)
    TextOutA(ref.dc(), 10, 10 + 13 * int(i), expected[i].c_str(), int(expected[i].size()));
  EXPECT_EQ(fonttest::FirstDifference(c.Image(), ref.Image()), "");
}

INSTANTIATE_TEST_SUITE_P(Weights, DrawTextWordWrap, ::testing::Values(FW_NORMAL, FW_BOLD));

// A line exactly as wide as the rectangle fits; one pixel less and its last word moves down.
class DrawTextExactFit : public ::testing::TestWithParam<const char*> {};

TEST_P(DrawTextExactFit, LineOfTheRectanglesWidthStaysOneLine) {
  TextCanvas c(20, 20);
  const std::string text = GetParam();
  const int width = Extent(c.dc(), text).cx;
  RECT r{5, 0, 5 + width, 0};
  EXPECT_EQ(DrawTextA(c.dc(), text.c_str(), -1, &r, DT_WORDBREAK | DT_CALCRECT), 13);
  EXPECT_EQ(r.right, 5 + width);
  r = RECT{5, 0, 5 + width - 1, 0};
  EXPECT_EQ(DrawTextA(c.dc(), text.c_str(), -1, &r, DT_WORDBREAK | DT_CALCRECT), 26);
  const std::size_t blank = text.rfind(' ');
  EXPECT_EQ(r.right, 5 + std::max(Extent(c.dc(), text.substr(0, blank)).cx, Extent(c.dc(), text.substr(blank + 1)).cx));
}

INSTANTIATE_TEST_SUITE_P(Texts, DrawTextExactFit, ::testing::Values("Data CD", "ISO Burner", "Audio CD from files"));

TEST(DrawText, LongWordStaysWholeOnItsOwnLine) {
  TextCanvas c(20, 20);
  RECT r{0, 0, 30, 0};
  const int h = DrawTextA(c.dc(), "a Unbreakablewordhere b", -1, &r, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(h, 39);
  EXPECT_EQ(r.right, Extent(c.dc(), "Unbreakablewordhere").cx);
}

TEST(DrawText, ClipsToTheRectangleUnlessNoClip) {
  const RECT rect{10, 10, 30, 20};
  TextCanvas clipped(100, 40), unclipped(100, 40);
  RECT r = rect;
  DrawTextA(clipped.dc(), "Clipped text", -1, &r, DT_LEFT);
  r = rect;
  DrawTextA(unclipped.dc(), "Clipped text", -1, &r, DT_LEFT | DT_NOCLIP);
  const RECT inkClipped = InkBox(clipped.Image());
  RECT inside;
  ASSERT_TRUE(IntersectRect(&inside, inkClipped, rect));
  EXPECT_EQ(inside, inkClipped) << "ink outside the rectangle";
  EXPECT_GT(InkBox(unclipped.Image()).right, rect.right);
}

// "&OK" is "OK" plus an underline under the O, on the underline row only.
TEST(DrawText, PrefixUnderlinesTheNextLetter) {
  TextCanvas prefixed(60, 20), plain(60, 20), hidden(60, 20), literal(60, 20);
  RECT r{2, 2, 60, 20};
  DrawTextA(prefixed.dc(), "&OK", -1, &r, DT_LEFT);
  DrawTextA(plain.dc(), "OK", -1, &r, DT_LEFT);
  DrawTextA(hidden.dc(), "&OK", -1, &r, DT_HIDEPREFIX);
  DrawTextA(literal.dc(), "&&OK", -1, &r, DT_LEFT);
  const testsupport::Image a = prefixed.Image(), b = plain.Image();
  const int oWidth = Extent(plain.dc(), "O").cx;
  std::vector<int> rows;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.Color(x, y) != b.Color(x, y)) {
        EXPECT_EQ(a.Color(x, y), kInk);
        EXPECT_GE(x, 2);
        EXPECT_LT(x, 2 + oWidth);
        rows.push_back(y);
      }
  ASSERT_FALSE(rows.empty()) << "no underline";
  EXPECT_EQ(rows.front(), rows.back()) << "underline is one row";
  EXPECT_EQ(rows.front(), 2 + 12) << "on the last row of the 13-pixel cell";
  EXPECT_EQ(int(rows.size()), oWidth);
  EXPECT_EQ(fonttest::FirstDifference(hidden.Image(), b), "");

  TextCanvas amp(60, 20);
  TextOutA(amp.dc(), 2, 2, "&OK", 3);
  EXPECT_EQ(fonttest::FirstDifference(literal.Image(), amp.Image()), "") << "&& is one ampersand";
  TextCanvas noprefix(60, 20);
  DrawTextA(noprefix.dc(), "&OK", -1, &r, DT_NOPREFIX);
  EXPECT_EQ(fonttest::FirstDifference(noprefix.Image(), amp.Image()), "");
}

TEST(DrawText, EndEllipsisFitsTheWidth) {
  TextCanvas c(200, 20);
  RECT r{0, 0, 50, 13};
  DrawTextA(c.dc(), "Data CD and DVD burner", -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
  const RECT ink = InkBox(c.Image());
  EXPECT_LE(ink.right, 50);
  EXPECT_GT(ink.right, 40);
  RECT calc{0, 0, 50, 13};
  DrawTextA(c.dc(), "Data CD and DVD burner", -1, &calc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
  EXPECT_LE(calc.right, 50);
  RECT fits{0, 0, 100, 13};
  DrawTextA(c.dc(), "Data", -1, &fits, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
  EXPECT_EQ(fits.right, Extent(c.dc(), "Data").cx) << "text that fits is left alone";
}

TEST(DrawText, OpaqueBackgroundFillsEachLine) {
  TextCanvas c(100, 40);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), RGB(255, 255, 0));
  RECT r{0, 0, 100, 40};
  DrawTextA(c.dc(), "ab\nabc", -1, &r, DT_LEFT);
  const testsupport::Image img = c.Image();
  EXPECT_EQ(InkBox(img), (RECT{0, 0, Extent(c.dc(), "abc").cx, 26}));
}

TEST(DrawText, CountLimitsTheText) {
  TextCanvas c(20, 20);
  RECT r{0, 0, 200, 100};
  DrawTextA(c.dc(), "Data CD", 4, &r, DT_CALCRECT);
  EXPECT_EQ(r.right, Extent(c.dc(), "Data").cx);
  EXPECT_EQ(DrawTextA(c.dc(), nullptr, 3, &r, 0), 0);
  EXPECT_EQ(DrawTextA(c.dc(), "x", 1, nullptr, 0), 0);
}

// Arbitrary bytes and flag mixes: never a crash, heights in whole lines, and clipped
// drawing never leaves the rectangle.
TEST(DrawText, ArbitraryInputStaysInsideTheRectangle) {
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  const UINT flags[] = {DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_WORDBREAK, DT_SINGLELINE, DT_EXPANDTABS,
                        DT_NOPREFIX, DT_HIDEPREFIX, DT_END_ELLIPSIS, DT_RTLREADING};
  const char alphabet[] = "ab &&\t\r\n W.\x80\x81\xff\x01";
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int len = int(next() % 40);
    for (int i = 0; i < len; ++i)
      text += next() % 4 == 0 ? char(next() & 0xFF) : alphabet[next() % (sizeof alphabet - 1)];
    UINT format = 0;
    for (UINT f : flags)
      if (next() % 3 == 0) format |= f;
    const LONG left = LONG(next() % 40) - 10, top = LONG(next() % 30) - 10;
    const RECT rect{left, top, left + LONG(next() % 70), top + LONG(next() % 50)};
    TextCanvas c(60, 40);
    RECT calc = rect;
    const int h = DrawTextA(c.dc(), text.data(), int(text.size()), &calc, format | DT_CALCRECT);
    ASSERT_EQ(h % 13, 0) << "round " << round;
    ASSERT_EQ(calc.bottom - calc.top, h) << "round " << round;
    RECT r = rect;
    DrawTextA(c.dc(), text.data(), int(text.size()), &r, format);
    const RECT ink = InkBox(c.Image());
    if (!IsRectEmpty(ink)) {
      RECT inside;
      IntersectRect(&inside, ink, rect);
      ASSERT_EQ(inside, ink) << "round " << round << " format 0x" << std::hex << format;
    }
  }
}

}  // namespace
