// The golden-image helpers themselves: PNG round trips, capture of every bitmap format,
// and what a comparison reports and writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/posixcompat.h"
#include <fstream>
#include <optional>
#include <ostream>

#include "support/golden.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Bgrx;
using testsupport::Image;

Image Pattern(int w, int h) {
  Image img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.At(x, y) = (std::uint32_t(x * 7 + y) << 24) | Bgrx(x * 5, y * 7, x ^ y);
  return img;
}

Image WithoutX(Image img) {
  for (auto& p : img.pixels) p &= 0xFFFFFF;
  return img;
}

// A scratch folder per test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::path(LB_BINARY_DIR) / "testsupport-scratch" / (std::string(info->test_suite_name()) + "." + info->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string str() const { return path_.string(); }

 private:
  fs::path path_;
};

// Keeps LB_UPDATE_GOLDEN out of (or in) the way for one test, whatever the caller set.
class UpdateGoldenEnv {
 public:
  explicit UpdateGoldenEnv(bool on) {
    if (const char* v = std::getenv("LB_UPDATE_GOLDEN")) saved_ = v;
    if (on) setenv("LB_UPDATE_GOLDEN", "1", 1);
    else unsetenv("LB_UPDATE_GOLDEN");
  }
  ~UpdateGoldenEnv() {
    if (saved_) setenv("LB_UPDATE_GOLDEN", saved_->c_str(), 1);
    else unsetenv("LB_UPDATE_GOLDEN");
  }

 private:
  std::optional<std::string> saved_;
};

TEST(Png, RoundTripsRgbAtOddSize) {
  TempDir dir;
  const Image img = Pattern(47, 33);
  const std::string path = dir.str() + "/rgb.png";
  std::string error;
  ASSERT_TRUE(testsupport::WritePng(path, img, testsupport::PngAlpha::kNone, &error)) << error;
  Image back;
  ASSERT_TRUE(testsupport::ReadPng(path, &back, &error)) << error;
  EXPECT_EQ(back, WithoutX(img)) << "RGB kept, fourth byte dropped";
}

TEST(Png, RoundTripsAlphaWhenAsked) {
  TempDir dir;
  const Image img = Pattern(5, 9);
  const std::string path = dir.str() + "/rgba.png";
  ASSERT_TRUE(testsupport::WritePng(path, img, testsupport::PngAlpha::kKeep));
  Image back;
  ASSERT_TRUE(testsupport::ReadPng(path, &back, nullptr, testsupport::PngAlpha::kKeep));
  EXPECT_EQ(back, img);
}

TEST(Png, ReportsUnreadableFiles) {
  TempDir dir;
  Image img;
  std::string error;
  EXPECT_FALSE(testsupport::ReadPng(dir.str() + "/missing.png", &img, &error));
  EXPECT_FALSE(error.empty());
  const std::string junk = dir.str() + "/junk.png";
  std::ofstream(junk) << "not a png at all";
  error.clear();
  EXPECT_FALSE(testsupport::ReadPng(junk, &img, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(testsupport::WritePng(dir.str() + "/empty.png", Image()));
}

// Each bitmap format with a few known pixels, bottom-up and top-down.
struct Format {
  int bits;
  bool topDown;
};
std::ostream& operator<<(std::ostream& os, const Format& f) {
  return os << f.bits << " bpp " << (f.topDown ? "top-down" : "bottom-up");
}
class Capture : public ::testing::TestWithParam<Format> {};

TEST_P(Capture, ReadsEveryFormatTopDown) {
  const int w = 13, h = 5;
  BITMAPINFO info{};
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = GetParam().topDown ? -h : h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = WORD(GetParam().bits);
  if (GetParam().bits <= 8) {
    info.bmiHeader.biClrUsed = 1u << GetParam().bits;
    info.bmiColors[0] = RGBQUAD{10, 20, 30, 0};   // blue, green, red
    info.bmiColors[1] = RGBQUAD{200, 100, 50, 0};
  }
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bmp, nullptr);
  const int stride = ((w * GetParam().bits + 31) / 32) * 4;
  auto* mem = static_cast<BYTE*>(bits);
  // Mark image pixel (3, 1) with colour index 1 / red 50, green 100, blue 200.
  const int row = GetParam().topDown ? 1 : h - 1 - 1;
  BYTE* p = mem + row * stride;
  switch (GetParam().bits) {
    case 1: p[0] |= 0x80 >> 3; break;
    case 4: p[1] = 0x01; break;  // pixel 3 is the low nibble
    case 8: p[3] = 1; break;
    case 24: p[9] = 200, p[10] = 100, p[11] = 50; break;
    case 32: p[12] = 200, p[13] = 100, p[14] = 50; break;
  }
  const Image img = testsupport::ImageFromBitmap(bmp);
  ASSERT_EQ(img.width, w);
  ASSERT_EQ(img.height, h);
  EXPECT_EQ(img.Color(3, 1), RGB(50, 100, 200));
  const COLORREF background = GetParam().bits <= 8 ? RGB(30, 20, 10) : RGB(0, 0, 0);
  EXPECT_EQ(img.Color(0, 0), background);
  EXPECT_EQ(img.Color(3, 2), background);
  EXPECT_EQ(img.Color(w - 1, h - 1), background);
  DeleteObject(bmp);
}

INSTANTIATE_TEST_SUITE_P(Formats, Capture,
                         ::testing::Values(Format{1, false}, Format{4, false}, Format{8, true}, Format{24, false},
                                           Format{32, true}, Format{32, false}));

TEST(Capture, NullBitmapGivesEmptyImage) { EXPECT_EQ(testsupport::ImageFromBitmap(nullptr).width, 0); }

TEST(Capture, DcRegionUsesLogicalCoordinates) {
  BITMAPINFO info{};
  info.bmiHeader.biWidth = 20;
  info.bmiHeader.biHeight = -10;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  static_cast<std::uint32_t*>(bits)[4 * 20 + 6] = Bgrx(1, 2, 3);
  SetViewportOrgEx(dc, 2, 3, nullptr);
  // Logical (4, 1) is device (6, 4); the rectangle is cut at the bitmap's right edge.
  const Image part = testsupport::ImageFromDC(dc, RECT{4, 1, 30, 3});
  EXPECT_EQ(part.width, 14);
  EXPECT_EQ(part.height, 2);
  EXPECT_EQ(part.Color(0, 0), RGB(1, 2, 3));
  EXPECT_EQ(part.Color(1, 0), RGB(0, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
}

TEST(Golden, MissingFileSaysHowToCreateIt) {
  TempDir src, bin;
  UpdateGoldenEnv env(false);
  const auto r = testsupport::MatchesGolden(Pattern(4, 4), "absent", src.str(), bin.str());
  EXPECT_FALSE(r);
  EXPECT_NE(std::string(r.message()).find("LB_UPDATE_GOLDEN=1"), std::string::npos) << r.message();
  EXPECT_TRUE(fs::exists(bin.str() + "/golden-out/absent.actual.png"));
}

TEST(Golden, UpdateWritesThenMatches) {
  TempDir src, bin;
  const Image img = Pattern(9, 6);
  {
    UpdateGoldenEnv env(true);
    EXPECT_TRUE(testsupport::MatchesGolden(img, "sub/picture", src.str(), bin.str()));
  }
  UpdateGoldenEnv env(false);
  EXPECT_TRUE(fs::exists(src.str() + "/tests/golden/sub/picture.png"));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "sub/picture", src.str(), bin.str()));
  EXPECT_FALSE(fs::exists(bin.str() + "/golden-out/sub/picture.diff.png"));
}

TEST(Golden, MismatchReportsFirstPixelAndCountAndWritesImages) {
  TempDir src, bin;
  const Image img = Pattern(9, 6);
  {
    UpdateGoldenEnv env(true);
    ASSERT_TRUE(testsupport::MatchesGolden(img, "p", src.str(), bin.str()));
  }
  UpdateGoldenEnv env(false);
  Image changed = img;
  changed.At(5, 2) = Bgrx(0xAB, 0xCD, 0xEF);
  changed.At(1, 4) = Bgrx(0, 0, 1);
  changed.At(7, 0) ^= 0xFF000000u;  // the fourth byte does not count
  const auto r = testsupport::MatchesGolden(changed, "p", src.str(), bin.str());
  ASSERT_FALSE(r);
  const std::string msg = r.message();
  EXPECT_NE(msg.find("2 of 54 pixels differ"), std::string::npos) << msg;
  EXPECT_NE(msg.find("(5, 2)"), std::string::npos) << msg;
  EXPECT_NE(msg.find("actual #ABCDEF"), std::string::npos) << msg;
  Image diff;
  ASSERT_TRUE(testsupport::ReadPng(bin.str() + "/golden-out/p.diff.png", &diff));
  EXPECT_EQ(diff.Color(5, 2), RGB(255, 0, 0));
  EXPECT_EQ(diff.Color(1, 4), RGB(255, 0, 0));
  EXPECT_NE(diff.Color(0, 0), RGB(255, 0, 0));
  Image actual;
  ASSERT_TRUE(testsupport::ReadPng(bin.str() + "/golden-out/p.actual.png", &actual));
  EXPECT_EQ(actual, WithoutX(changed));

  const auto sized = testsupport::MatchesGolden(Pattern(9, 7), "p", src.str(), bin.str());
  EXPECT_FALSE(sized);
  EXPECT_NE(std::string(sized.message()).find("9 x 6"), std::string::npos) << sized.message();
}

// ---------------------------------------------------------------------------------------
// Named pixels and text ink

TEST(NamedPixels, NameEveryPixelThatDiffersAndThoseOutsideTheImage) {
  Image img(4, 3, Bgrx(1, 2, 3));
  img.At(2, 1) = Bgrx(9, 9, 9);
  EXPECT_TRUE(testsupport::HasNamedPixels(img, {{0, 0, RGB(1, 2, 3), "corner"}, {2, 1, RGB(9, 9, 9), "mark"}}));
  const ::testing::AssertionResult r =
      testsupport::HasNamedPixels(img, {{2, 1, RGB(1, 2, 3), "mark"}, {3, 2, RGB(1, 2, 3), "fine"}, {4, 0, 0, "off"}});
  ASSERT_FALSE(r);
  EXPECT_NE(std::string(r.message()).find("(2, 1): got 0x090909, want 0x030201: mark"), std::string::npos) << r.message();
  EXPECT_NE(std::string(r.message()).find(": off"), std::string::npos);
  EXPECT_EQ(std::string(r.message()).find("fine"), std::string::npos);
}

TEST(NamedPixels, InkEndsAreTheFirstAndLastChangedPixelsInReadingOrder) {
  const auto ends = testsupport::InkEnds(6, 5, RGB(0, 0, 0), [](HDC dc) {
    FillSolidRect(dc, RECT{2, 1, 4, 2}, RGB(7, 7, 7));
    FillSolidRect(dc, RECT{1, 3, 2, 4}, RGB(8, 8, 8));
  }, "two marks");
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ((std::vector<int>{ends[0].x, ends[0].y, int(ends[0].want), ends[1].x, ends[1].y, int(ends[1].want)}),
            (std::vector<int>{2, 1, int(RGB(7, 7, 7)), 1, 3, int(RGB(8, 8, 8))}));
  EXPECT_TRUE(testsupport::InkEnds(3, 3, 0, [](HDC) {}, "nothing").empty());
  const Image blank(40, 20, Bgrx(255, 255, 255));
  EXPECT_FALSE(testsupport::HasNamedPixels(blank, testsupport::TextInk(blank, RGB(255, 255, 255), 0,
                                                                       testsupport::UiFont::kRegular, 2, 2, "Data", "text")));
}

}  // namespace
