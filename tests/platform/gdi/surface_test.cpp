// SurfaceView over every bitmap kind a DC can draw into: format and sizes, image rows in
// either memory order, the colour table, and the bitmap's lifetime under a view.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"

namespace {

struct ViewCase {
  const char* name;
  int bpp;
  bool dib, topDown;
  SurfaceFormat format;
  std::size_t colours;
};

const ViewCase kCases[] = {
    {"dib1_bottomup", 1, true, false, SurfaceFormat::Indexed1, 2},
    {"dib4_topdown", 4, true, true, SurfaceFormat::Indexed4, 16},
    {"dib8_bottomup", 8, true, false, SurfaceFormat::Indexed8, 256},
    {"dib24_topdown", 24, true, true, SurfaceFormat::Bgr, 0},
    {"dib24_bottomup", 24, true, false, SurfaceFormat::Bgr, 0},
    {"dib32_bottomup", 32, true, false, SurfaceFormat::Bgrx, 0},
    {"device32", 32, false, true, SurfaceFormat::Bgrx, 0},
    {"devicemono", 1, false, true, SurfaceFormat::Indexed1, 2},
};

constexpr int kW = 13, kH = 5;

// Entry i of the colour tables of indexed DIBs.
COLORREF Entry(int i) { return RGB(BYTE(i * 7 + 1), BYTE(255 - i), BYTE(i * 3)); }

HBITMAP Make(const ViewCase& c) {
  if (!c.dib) return CreateBitmap(kW, kH, 1, UINT(c.bpp), nullptr);
  BITMAPINFO info;
  info.bmiHeader.biWidth = kW;
  info.bmiHeader.biHeight = c.topDown ? -kH : kH;
  info.bmiHeader.biBitCount = WORD(c.bpp);
  for (int i = 0; i < 256; ++i) info.bmiColors[i] = RGBQUAD{GetBValue(Entry(i)), GetGValue(Entry(i)), GetRValue(Entry(i)), 0};
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
}

// Pixel x of a row as the formats at the top of gdi.h lay it out: an index, or blue,
// green and red as 0x00BBGGRR.
unsigned Decode(const BYTE* row, int x, int bpp) {
  switch (bpp) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
    case 8: return row[x];
    default: {
      const BYTE* p = row + x * (bpp / 8);
      return RGB(p[2], p[1], p[0]);
    }
  }
}

// The colour row y gets at x = y + 2 and the pixel value it must leave there.
COLORREF ColourOfRow(const ViewCase& c, int y) {
  if (c.bpp >= 24) return RGB(BYTE(40 * y + 3), BYTE(200 - y), BYTE(y * 11));
  int index = c.bpp == 1 ? y % 2 : y + 3;
  if (!c.dib) return index ? RGB(255, 255, 255) : RGB(0, 0, 0);
  return Entry(index);
}
unsigned ValueOfRow(const ViewCase& c, int y) {
  if (c.bpp >= 24) return ColourOfRow(c, y);
  return unsigned(c.bpp == 1 ? y % 2 : y + 3);
}

class SurfaceViewTest : public ::testing::TestWithParam<ViewCase> {
 protected:
  void SetUp() override {
    bmp_ = Make(GetParam());
    ASSERT_NE(bmp_, nullptr);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bmp_);
  }
  void TearDown() override {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bmp_);
  }
  HBITMAP bmp_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

TEST_P(SurfaceViewTest, DescribesTheBitmap) {
  const ViewCase& c = GetParam();
  SurfaceView v(bmp_);
  ASSERT_TRUE(v);
  EXPECT_EQ(v.Format(), c.format);
  EXPECT_EQ(v.BitsPerPixel(), c.bpp);
  EXPECT_EQ(v.Width(), kW);
  EXPECT_EQ(v.Height(), kH);
  EXPECT_EQ(v.Stride(), (kW * c.bpp + 31) / 32 * 4);
  EXPECT_EQ(v.IsDib(), c.dib);
  EXPECT_EQ(v.TopDown(), c.topDown);
  EXPECT_EQ(v.ColorTable().size(), c.colours);
  EXPECT_EQ(v.Row(1) - v.Row(0), c.topDown ? v.Stride() : -v.Stride());
  SurfaceView fromDc(dc_);
  EXPECT_EQ(fromDc.Bitmap(), bmp_);
}

// What GDI draws at image row y is found at Row(y), in the format the view reports.
TEST_P(SurfaceViewTest, RowsAreImageRows) {
  const ViewCase& c = GetParam();
  for (int y = 0; y < kH; ++y) SetPixel(dc_, y + 2, y, ColourOfRow(c, y));
  SurfaceView v(dc_);
  for (int y = 0; y < kH; ++y) EXPECT_EQ(Decode(v.Row(y), y + 2, c.bpp), ValueOfRow(c, y)) << "row " << y;
}

TEST_P(SurfaceViewTest, ColourTableEntriesAreTheColoursDrawn) {
  if (!GetParam().colours) GTEST_SKIP() << "no colour table";
  SetPixel(dc_, 4, 2, GetParam().dib ? Entry(1) : RGB(255, 255, 255));  // index 1
  {
    SurfaceView v(bmp_);
    v.ColorTable()[1] = RGBQUAD{30, 20, 10, 0};
  }
  EXPECT_EQ(GetPixel(dc_, 4, 2), RGB(10, 20, 30));
}

// Rows taken from a view stay valid while it lives: the bitmap cannot be deleted.
TEST_P(SurfaceViewTest, TheBitmapOutlivesItsViews) {
  HBITMAP other = Make(GetParam());
  {
    SurfaceView a(other), b(other);
    EXPECT_FALSE(DeleteObject(other));
  }
  EXPECT_TRUE(DeleteObject(other));
}

INSTANTIATE_TEST_SUITE_P(All, SurfaceViewTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SurfaceViewEmpty, HasNoPixels) {
  SurfaceView v(static_cast<HBITMAP>(nullptr));
  EXPECT_FALSE(v);
  EXPECT_EQ(v.Width(), 0);
  EXPECT_EQ(v.Height(), 0);
  EXPECT_EQ(v.Row(0), nullptr);
  EXPECT_TRUE(v.ColorTable().empty());
  EXPECT_FALSE(SurfaceView(static_cast<HDC>(nullptr)));
}

// A bitmap over lent memory draws there, and hands it back once, when deleted.
TEST(BitmapOverMemory, DrawsIntoTheLentMemoryAndReleasesItOnceOnDelete) {
  std::vector<std::uint32_t> memory(std::size_t(kW) * kH, 0xDEADBEEF);
  int released = 0;
  auto release = [](void* count) { ++*static_cast<int*>(count); };
  HBITMAP bmp = CreateBitmapOverMemory(kW, kH, memory.data(), release, &released);
  ASSERT_NE(bmp, nullptr);
  {
    SurfaceView v(bmp);
    EXPECT_EQ(v.Format(), SurfaceFormat::Bgrx);
    EXPECT_EQ(v.Stride(), kW * 4);
    EXPECT_EQ(v.Row(2), reinterpret_cast<BYTE*>(memory.data() + 2 * kW));
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  SetPixel(dc, 4, 2, RGB(10, 20, 30));
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(memory[2 * kW + 4], 0x000A141Eu);
  EXPECT_EQ(memory[0], 0xDEADBEEFu) << "memory is taken as it is";
  EXPECT_EQ(released, 0);
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_EQ(released, 1);
  EXPECT_EQ(CreateBitmapOverMemory(0, kH, memory.data(), release, &released), nullptr);
  EXPECT_EQ(CreateBitmapOverMemory(kW, kH, nullptr, release, &released), nullptr);
  EXPECT_EQ(released, 1);
}

}  // namespace
