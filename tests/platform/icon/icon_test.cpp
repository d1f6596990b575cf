// Icons: made from bitmaps and given back unchanged, drawn with alpha or through the
// AND mask and XOR colour, clipped like any blit.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/gdi_test_util.h"
#include "platform/icon/icon.h"

namespace {

// Top-down 32-bit pixels 0xAARRGGBB and a mask (1 = transparent) as bitmaps.
GdiPtr<GdiBitmap> Color(int w, int h, const std::vector<std::uint32_t>& px) {
  return GdiPtr<GdiBitmap>(CreateBitmap(w, h, 1, 32, px.data()));
}
GdiPtr<GdiBitmap> Mask(int w, int h, const std::vector<int>& bits) {
  const int stride = ((w + 15) / 16) * 2;
  std::vector<BYTE> rows(std::size_t(stride * h), 0);
  for (int i = 0; i < w * h; ++i)
    if (bits[std::size_t(i)]) rows[std::size_t((i / w) * stride + (i % w) / 8)] |= BYTE(0x80 >> ((i % w) % 8));
  return GdiPtr<GdiBitmap>(CreateBitmap(w, h, 1, 1, rows.data()));
}

HICON MakeIcon(int w, int h, const std::vector<std::uint32_t>& px, const std::vector<int>& mask) {
  auto c = Color(w, h, px);
  auto m = Mask(w, h, mask);
  ICONINFO info;
  info.hbmColor = c.get();
  info.hbmMask = m.get();
  return CreateIconIndirect(&info);
}

TEST(Icon, BitmapsComeBackAsTheyWentIn) {
  const std::vector<std::uint32_t> px = {0xFF102030, 0x80405060, 0x00708090, 0x01A0B0C0, 0xFFFFFFFF, 0x7F000000};
  const std::vector<int> mask = {0, 1, 1, 0, 0, 1};
  HICON icon = MakeIcon(3, 2, px, mask);
  ASSERT_NE(icon, nullptr);
  ASSERT_TRUE(GetIconPixels(icon)->hasAlpha);
  ICONINFO info;
  ASSERT_TRUE(GetIconInfo(icon, &info));
  int w = 0, h = 0;
  std::vector<std::uint32_t> color, maskPx;
  ASSERT_TRUE(ReadBitmapPixels(info.hbmColor, w, h, color));
  ASSERT_TRUE(ReadBitmapPixels(info.hbmMask, w, h, maskPx));
  EXPECT_EQ(color, px);
  for (std::size_t i = 0; i < mask.size(); ++i) EXPECT_EQ(maskPx[i] & 0xFFFFFF, mask[i] ? 0xFFFFFFu : 0u) << i;
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  HICON copy = CopyIcon(icon);
  EXPECT_EQ(GetIconPixels(copy)->color, px);
  DestroyIcon(copy);
  DestroyIcon(icon);
}

TEST(Icon, RefusesWhatCannotBeAnIcon) {
  auto c = Color(2, 2, {0, 0, 0, 0});
  auto m = Mask(3, 2, {0, 0, 0, 0, 0, 0});
  ICONINFO info;
  info.hbmColor = c.get();
  EXPECT_EQ(CreateIconIndirect(&info), nullptr);  // no mask
  info.hbmMask = m.get();
  EXPECT_EQ(CreateIconIndirect(&info), nullptr);  // sizes differ
  EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
  EXPECT_FALSE(GetIconInfo(nullptr, &info));
  EXPECT_FALSE(DestroyIcon(nullptr));
}

TEST(Icon, MonochromeIconsKeepTheirMaskAboveTheirImage) {
  // Two columns: opaque white over opaque black; a transparent pixel; an inverting one.
  auto m = Mask(2, 4, {0, 1, 0, 1, /* XOR part */ 1, 0, 0, 1});
  ICONINFO info;
  info.hbmMask = m.get();
  HICON icon = CreateIconIndirect(&info);
  ASSERT_NE(icon, nullptr);
  Surface32 s(2, 2, RGB(10, 20, 30));
  DrawIcon(s.dc, 0, 0, icon);
  EXPECT_EQ(s.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(s.At(1, 0), RGB(10, 20, 30));
  EXPECT_EQ(s.At(0, 1), RGB(0, 0, 0));
  EXPECT_EQ(s.At(1, 1), RGB(245, 235, 225));
  DestroyIcon(icon);
}

struct DrawCase {
  const char* what;
  std::uint32_t color;
  int mask;
  bool alphaIcon;  // another pixel of the icon carries alpha
  UINT flags;
  COLORREF expect;  // over RGB(100, 150, 200)
};

class IconDraw : public ::testing::TestWithParam<DrawCase> {};

// Alpha blends are (s * a + d * (255 - a) + 127) / 255 per channel.
TEST_P(IconDraw, OnePixelOverAKnownBackground) {
  const DrawCase& c = GetParam();
  HICON icon = MakeIcon(2, 1, {c.color, c.alphaIcon ? 0xFF000000u : 0u}, {c.mask, 0});
  ASSERT_NE(icon, nullptr);
  Surface32 s(2, 1, RGB(100, 150, 200));
  ASSERT_TRUE(DrawIconEx(s.dc, 0, 0, icon, 0, 0, 0, nullptr, c.flags));
  EXPECT_EQ(s.At(0, 0), c.expect) << c.what;
  DestroyIcon(icon);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, IconDraw,
    ::testing::Values(DrawCase{"opaque alpha", 0xFF0A141E, 0, true, DI_NORMAL, RGB(10, 20, 30)},
                      DrawCase{"clear alpha", 0x000A141E, 0, true, DI_NORMAL, RGB(100, 150, 200)},
                      DrawCase{"half alpha", 0x80FF0000, 1, true, DI_NORMAL, RGB(178, 75, 100)},
                      DrawCase{"mask clear, colour black", 0x00000000, 1, false, DI_NORMAL, RGB(100, 150, 200)},
                      DrawCase{"mask set, colour replaces", 0x00336699, 0, false, DI_NORMAL, RGB(0x33, 0x66, 0x99)},
                      DrawCase{"mask clear, colour inverts", 0x00FFFFFF, 1, false, DI_NORMAL, RGB(155, 105, 55)},
                      DrawCase{"mask only", 0x00336699, 0, false, DI_MASK, RGB(0, 0, 0)},
                      DrawCase{"image only", 0x00336699, 1, false, DI_IMAGE, RGB(0x33, 0x66, 0x99)}));

TEST(Icon, DrawingStaysInsideTheClipAndStretches) {
  HICON icon = MakeIcon(1, 1, {0x00FF0000}, {0});
  Surface32 s(4, 4, RGB(0, 0, 0));
  IntersectClipRect(s.dc, 0, 0, 4, 2);
  DrawIconEx(s.dc, 0, 0, icon, 4, 4, 0, nullptr, DI_NORMAL);
  EXPECT_TRUE(PixelsMatch(s, [](int, int y) { return y < 2 ? RGB(255, 0, 0) : RGB(0, 0, 0); }));
  SIZE size;
  ASSERT_TRUE(GetIconSize(icon, &size));
  EXPECT_EQ(size.cx, 1);
  DestroyIcon(icon);
}

}  // namespace
