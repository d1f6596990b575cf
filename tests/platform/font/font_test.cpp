// Metrics, extents, font selection and TextOut/ExtTextOut of the text layer.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <ostream>

#include "platform/base/cp1252.h"
#include "platform/font/fontcache.h"
#include "textcanvas.h"

namespace {

using fonttest::Extent;
using fonttest::InkBox;
using fonttest::kFace;
using fonttest::kInk;
using fonttest::TextCanvas;

TEST(TextMetrics, UiFontIsThirteenPixelsHigh) {
  for (LONG weight : {FW_NORMAL, FW_BOLD}) {
    TextCanvas c(10, 10);
    c.UseFont(-11, weight);
    TEXTMETRICA tm;
    ASSERT_TRUE(GetTextMetricsA(c.dc(), &tm));
    EXPECT_EQ(tm.tmAscent, 11) << weight;
    EXPECT_EQ(tm.tmDescent, 2) << weight;
    EXPECT_EQ(tm.tmHeight, 13) << weight;
    EXPECT_EQ(tm.tmInternalLeading, 2) << weight;
    EXPECT_EQ(tm.tmExternalLeading, 0) << weight;
    EXPECT_EQ(tm.tmWeight, weight);
    EXPECT_GT(tm.tmAveCharWidth, 0);
    EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    EXPECT_EQ(Extent(c.dc(), "Data").cy, 13);
  }
}

TEST(TextMetrics, RejectsMissingArguments) {
  TextCanvas c(10, 10);
  EXPECT_FALSE(GetTextMetricsA(c.dc(), nullptr));
  EXPECT_FALSE(GetTextMetricsA(nullptr, nullptr));
  SIZE s;
  EXPECT_FALSE(GetTextExtentPoint32A(c.dc(), "a", -1, &s));
  EXPECT_FALSE(GetTextExtentPoint32A(c.dc(), nullptr, 3, &s));
  EXPECT_TRUE(GetTextExtentPoint32A(c.dc(), "", 0, &s));
  EXPECT_EQ(s.cx, 0);
  EXPECT_EQ(s.cy, 13);
}

// Widths measured once from the Tahoma bitmap strike at 11 pixels; they change only if
// the font or the advance rules change.
struct KnownWidth {
  const char* text;
  LONG weight;
  LONG width;
};
std::ostream& operator<<(std::ostream& os, const KnownWidth& k) {
  return os << '"' << k.text << "\" weight " << k.weight;
}
class KnownWidths : public ::testing::TestWithParam<KnownWidth> {};

TEST_P(KnownWidths, MatchTahomaEightPoint) {
  TextCanvas c(10, 10);
  c.UseFont(-11, GetParam().weight);
  EXPECT_EQ(Extent(c.dc(), GetParam().text).cx, GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(Tahoma, KnownWidths,
                         ::testing::Values(KnownWidth{"a", FW_NORMAL, 6}, KnownWidth{"i", FW_NORMAL, 2},
                                           KnownWidth{" ", FW_NORMAL, 3}, KnownWidth{"Data", FW_NORMAL, 23},
                                           KnownWidth{"Music", FW_NORMAL, 26}, KnownWidth{"OK", FW_NORMAL, 14},
                                           KnownWidth{"Data", FW_BOLD, 27}, KnownWidth{"Data CD", FW_BOLD, 46}));

TEST(TextExtent, IsTheSumOfTheParts) {
  TextCanvas c(10, 10);
  const char* pairs[][2] = {{"a", "b"}, {"Data", " CD"}, {"W", "i"}, {"Tools", "\x80"}, {"&", "&"}};
  for (LONG weight : {FW_NORMAL, FW_BOLD}) {
    c.UseFont(-11, weight);
    for (auto& p : pairs) {
      const std::string both = std::string(p[0]) + p[1];
      EXPECT_EQ(Extent(c.dc(), both).cx, Extent(c.dc(), p[0]).cx + Extent(c.dc(), p[1]).cx)
          << both << " weight " << weight;
    }
  }
}

TEST(TextExtent, BoldIsWiderThanRegular) {
  TextCanvas c(10, 10);
  for (const char* s : {"Data", "Music", "Video", "Tools", "Data CD"}) {
    c.UseFont(-11, FW_NORMAL);
    const LONG regular = Extent(c.dc(), s).cx;
    c.UseFont(-11, FW_BOLD);
    EXPECT_GT(Extent(c.dc(), s).cx, regular) << s;
  }
}

// Every way of naming the UI font measures the same as no font at all.
struct FontChoice {
  LONG height;
  LONG weight;
  const char* face;
  bool bold;
};
std::ostream& operator<<(std::ostream& os, const FontChoice& f) {
  return os << '"' << f.face << "\" height " << f.height << " weight " << f.weight;
}
class FontSelection : public ::testing::TestWithParam<FontChoice> {};

TEST_P(FontSelection, MapsToTheTahomaFaces) {
  const std::string sample = "The quick brown fox 0123";
  TextCanvas plain(10, 10);
  plain.UseFont(-11, GetParam().bold ? FW_BOLD : FW_NORMAL, "Tahoma");
  TextCanvas c(10, 10);
  c.UseFont(GetParam().height, GetParam().weight, GetParam().face);
  EXPECT_EQ(Extent(c.dc(), sample), Extent(plain.dc(), sample));
}

INSTANTIATE_TEST_SUITE_P(
    Faces, FontSelection,
    ::testing::Values(FontChoice{-11, FW_NORMAL, "Tahoma", false}, FontChoice{-11, FW_NORMAL, "MS Sans Serif", false},
                      FontChoice{-11, FW_NORMAL, "", false}, FontChoice{0, FW_NORMAL, "Tahoma", false},
                      FontChoice{13, FW_NORMAL, "Tahoma", false}, FontChoice{-11, FW_DONTCARE, "Arial", false},
                      FontChoice{-11, 599, "Tahoma", false}, FontChoice{-11, FW_SEMIBOLD, "Tahoma", true},
                      FontChoice{-11, FW_BOLD, "MS Sans Serif", true}, FontChoice{0, 900, "", true}));

TEST(FontSelection, NoFontSelectedIsTheUiFont) {
  TextCanvas selected(10, 10);
  selected.UseFont(-11);
  TextCanvas none(10, 10);
  EXPECT_EQ(Extent(none.dc(), "Launcher"), Extent(selected.dc(), "Launcher"));
}

TEST(FontSelection, LargerHeightsGiveTallerLines) {
  TextCanvas c(10, 10);
  c.UseFont(-16);
  TEXTMETRICA tm;
  GetTextMetricsA(c.dc(), &tm);
  EXPECT_GT(tm.tmHeight, 13);
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  // Absurd heights are clamped rather than allocating glyphs of any size.
  c.UseFont(-2000000000);
  GetTextMetricsA(c.dc(), &tm);
  EXPECT_LT(tm.tmHeight, 400);
  c.UseFont(2000000000);
  GetTextMetricsA(c.dc(), &tm);
  EXPECT_LT(tm.tmHeight, 400);
}

TEST(CreateFont, FillsTheLogicalFont) {
  HFONT f = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 1, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "A face name far longer than thirty-one characters");
  ASSERT_NE(f, nullptr);
  LOGFONTA lf;
  ASSERT_NE(GetObjectA(f, sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfHeight, -11);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(std::strlen(lf.lfFaceName), 31u);
  DeleteObject(f);
}

TEST(TextOut, DrawsInTheTextColourInsideTheCell) {
  TextCanvas c(60, 30);
  SetTextColor(c.dc(), RGB(0, 0, 255));
  ASSERT_TRUE(TextOutA(c.dc(), 5, 7, "Music", 5));
  const testsupport::Image img = c.Image();
  const RECT ink = InkBox(img);
  const SIZE ext = Extent(c.dc(), "Music");
  EXPECT_GE(ink.left, 5);
  EXPECT_GE(ink.top, 7);
  EXPECT_LE(ink.right, 5 + ext.cx);
  EXPECT_LE(ink.bottom, 7 + 11);  // no descenders in "Music"
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const COLORREF p = img.Color(x, y);
      ASSERT_TRUE(p == kFace || p == RGB(0, 0, 255)) << "pixel (" << x << ", " << y << ") is " << std::hex << p;
    }
}

TEST(TextOut, HonoursTheViewportOrigin) {
  TextCanvas a(60, 30), b(60, 30);
  TextOutA(a.dc(), 10, 8, "Tools", 5);
  SetViewportOrgEx(b.dc(), 7, 5, nullptr);
  TextOutA(b.dc(), 3, 3, "Tools", 5);
  EXPECT_EQ(fonttest::FirstDifference(a.Image(), b.Image()), "");
}

TEST(TextOut, OpaqueFillsTheCellAndTransparentDoesNot) {
  const COLORREF red = RGB(255, 0, 0);
  TextCanvas opaque(80, 30), transparent(80, 30);
  for (TextCanvas* c : {&opaque, &transparent}) {
    SetBkColor(c->dc(), red);
    SetBkMode(c->dc(), c == &opaque ? OPAQUE : TRANSPARENT);
    TextOutA(c->dc(), 4, 6, "Video", 5);
  }
  const SIZE ext = Extent(opaque.dc(), "Video");
  const RECT cell{4, 6, 4 + ext.cx, 6 + 13};
  const testsupport::Image o = opaque.Image();
  const testsupport::Image t = transparent.Image();
  const int ink = fonttest::CountColor(o, kInk, cell);
  EXPECT_GT(ink, 0);
  EXPECT_EQ(fonttest::CountColor(o, red, cell) + ink, ext.cx * 13) << "cell not fully covered";
  EXPECT_EQ(fonttest::CountColor(o, red, RECT{0, 0, 80, 30}), fonttest::CountColor(o, red, cell)) << "fill leaks";
  EXPECT_EQ(fonttest::CountColor(t, red, RECT{0, 0, 80, 30}), 0);
  EXPECT_EQ(fonttest::CountColor(t, kInk, cell), ink) << "same glyphs either way";
}

TEST(ExtTextOut, ClipsToTheRectangleAndFillsIt) {
  TextCanvas c(80, 30);
  SetBkColor(c.dc(), RGB(0, 128, 0));
  const RECT r{10, 5, 30, 15};
  ASSERT_TRUE(ExtTextOutA(c.dc(), 8, 3, ETO_OPAQUE | ETO_CLIPPED, &r, "Wide text here", 14, nullptr));
  const testsupport::Image img = c.Image();
  const RECT all = InkBox(img);
  EXPECT_EQ(all, r) << "fill and text stay inside the rectangle";
  EXPECT_GT(fonttest::CountColor(img, kInk, r), 0);

  // No text at all: the rectangle is only filled.
  TextCanvas d(40, 20);
  SetBkColor(d.dc(), RGB(1, 2, 3));
  ASSERT_TRUE(ExtTextOutA(d.dc(), 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr));
  EXPECT_EQ(fonttest::CountColor(d.Image(), RGB(1, 2, 3), RECT{0, 0, 40, 20}), 20 * 10);
}

TEST(ExtTextOut, UsesGivenAdvances) {
  TextCanvas spaced(80, 20), plain(80, 20);
  const int dx[] = {20, 20};
  ExtTextOutA(spaced.dc(), 0, 0, 0, nullptr, "ii", 2, dx);
  TextOutA(plain.dc(), 0, 0, "i", 1);
  TextOutA(plain.dc(), 20, 0, "i", 1);
  EXPECT_EQ(fonttest::FirstDifference(spaced.Image(), plain.Image()), "");
}

TEST(TextOut, UnderlineAndStrikeOutSpanTheText) {
  TextCanvas c(80, 20);
  LOGFONTA lf;
  lf.lfHeight = -11;
  lf.lfUnderline = 1;
  lf.lfStrikeOut = 1;
  c.UseFont(lf);
  TextOutA(c.dc(), 0, 0, "a  a", 4);
  const testsupport::Image img = c.Image();
  const int w = Extent(c.dc(), "a  a").cx;
  int fullRows = 0;
  for (int y = 0; y < 13; ++y) fullRows += fonttest::CountColor(img, kInk, RECT{0, y, w, y + 1}) == w;
  EXPECT_EQ(fullRows, 2) << "one underline row and one strike-out row";
  EXPECT_EQ(img.Color(w, 12), kFace);
}

TEST(TextOut, Cp1252BytesFindTheirGlyphs) {
  // The euro sign (0x80) and the ellipsis (0x85) exist in Tahoma; 0x81 is unassigned and
  // shows the missing-glyph box, which no assigned character looks like.
  TextCanvas euro(20, 20), box(20, 20), ellipsis(20, 20);
  TextOutA(euro.dc(), 0, 0, "\x80", 1);
  TextOutA(box.dc(), 0, 0, "\x81", 1);
  TextOutA(ellipsis.dc(), 0, 0, "\x85", 1);
  EXPECT_NE(fonttest::FirstDifference(euro.Image(), box.Image()), "");
  EXPECT_NE(fonttest::FirstDifference(ellipsis.Image(), box.Image()), "");
}

// Window titles reach the desktop as UTF-8 of what the bytes stand for in the code page;
// UTF-8 read from files comes back to the same bytes.
TEST(Cp1252, TextBecomesUtf8OfItsCharactersAndBack) {
  const struct {
    const char* text;
    const char* utf8;
  } cases[] = {
      {"Brimlow 2.0", "Brimlow 2.0"},
      {"caf\xE9", "caf\xC3\xA9"},             // Latin-1 range: two bytes
      {"\x80 5", "\xE2\x82\xAC 5"},          // the euro sign
      {"Brimlow\x99", "Brimlow\xE2\x84\xA2"},  // the trade mark sign
      {"\x85\x9F", "\xE2\x80\xA6\xC5\xB8"},   // ellipsis, Y with diaeresis
      {"\x81", "\xC2\x81"},                   // unassigned: stands for itself
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp1252ToUtf8(c.text), c.utf8) << c.text;
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.text) << c.text;
  }
}

TEST(TextOut, EveryUnassignedByteShowsTheSameBox) {
  // The five unassigned bytes share one missing-glyph shape with the control bytes; each
  // of them must draw it in full, not only the first one met.
  const char bytes[] = {'\x81', '\x8D', '\x8F', '\x90', '\x9D'};
  TextCanvas first(20, 20);
  TextOutA(first.dc(), 0, 0, &bytes[0], 1);
  const RECT all{0, 0, 20, 20};
  ASSERT_GT(fonttest::CountColor(first.Image(), kInk, all), 0);
  for (char b : bytes) {
    TextCanvas c(20, 20);
    TextOutA(c.dc(), 0, 0, &b, 1);
    EXPECT_EQ(fonttest::FirstDifference(first.Image(), c.Image()), "") << "byte " << int(static_cast<unsigned char>(b));
    EXPECT_EQ(Extent(c.dc(), std::string(1, b)).cx, Extent(first.dc(), std::string(1, bytes[0])).cx);
  }
}

TEST(TextOut, SameTextGivesTheSamePixels) {
  auto render = [] {
    TextCanvas c(120, 40);
    TextOutA(c.dc(), 2, 2, "Data Music", 10);
    c.UseFont(-11, FW_BOLD);
    TextOutA(c.dc(), 2, 20, "Video Tools", 11);
    return c.Image();
  };
  const testsupport::Image first = render();
  EXPECT_EQ(fonttest::FirstDifference(first, render()), "");
  // A fresh load of the faces gives the same glyphs again.
  fontcache::ResetForTesting(fontcache::kTahomaDir);
  EXPECT_EQ(fonttest::FirstDifference(first, render()), "");
}

TEST(FontFallback, UsesDejaVuAndSaysSoOnce) {
#ifdef _WIN32
  GTEST_SKIP() << "the system's own font mapper chooses the face on Windows";
#endif
  fontcache::ResetForTesting("/nonexistent-font-folder");
  ::testing::internal::CaptureStderr();
  TextCanvas c(80, 20);
  SIZE regular = Extent(c.dc(), "Data");
  c.UseFont(-11, FW_BOLD);
  SIZE bold = Extent(c.dc(), "Data");
  TextOutA(c.dc(), 0, 0, "Data", 4);
  const std::string err = ::testing::internal::GetCapturedStderr();
  // Faces there but not loadable (a folder by the name here) are told from missing ones.
  std::filesystem::create_directories(LB_BINARY_DIR "/font-broken/tahoma.ttf");
  fontcache::ResetForTesting(LB_BINARY_DIR "/font-broken");
  ::testing::internal::CaptureStderr();
  Extent(TextCanvas(8, 8).dc(), "D");
  const std::string broken = ::testing::internal::GetCapturedStderr();
  fontcache::ResetForTesting(fontcache::kTahomaDir);

  EXPECT_NE(err.find("Tahoma faces not found in /nonexistent-font-folder"), std::string::npos) << err;
  EXPECT_NE(broken.find("Tahoma faces could not be loaded from " LB_BINARY_DIR "/font-broken"), std::string::npos) << broken;
  EXPECT_NE(err.find("DejaVu Sans"), std::string::npos) << err;
  EXPECT_EQ(err.find("DejaVu Sans"), err.rfind("DejaVu Sans")) << "said more than once: " << err;
  EXPECT_EQ(regular.cy, 13) << "DejaVu's Windows metrics also give 13-pixel lines";
  EXPECT_GT(bold.cx, regular.cx);
  EXPECT_GT(fonttest::CountColor(c.Image(), kInk, RECT{0, 0, 80, 20}), 0);
}

}  // namespace
