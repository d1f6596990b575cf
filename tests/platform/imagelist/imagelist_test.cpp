// The system image list: numbering of appended, replaced and removed pictures, pictures
// that come back unchanged, bitmap strips and mask colours, and drawing from the handle.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/gdi_test_util.h"
#include "platform/imagelist/imagelist.h"

namespace {

// A w x h icon of one colour (0xAARRGGBB) with an all-opaque mask.
HICON Solid(int w, int h, std::uint32_t color) {
  TIconPixels p;
  p.width = w;
  p.height = h;
  p.color.assign(std::size_t(w * h), color);
  p.mask.assign(p.color.size(), 0);
  p.hasAlpha = (color >> 24) != 0;
  return CreateIconFromPixels(std::move(p));
}

std::uint32_t FirstPixel(HIMAGELIST list, int i) {
  HICON icon = ImageList_GetIcon(list, i, ILD_NORMAL);
  const std::uint32_t c = icon ? GetIconPixels(icon)->color[0] : 0xDEADBEEF;
  DestroyIcon(icon);
  return c;
}

struct ListDeleter {
  void operator()(ImageListObj* l) const { ImageList_Destroy(l); }
};
using ListPtr = std::unique_ptr<ImageListObj, ListDeleter>;

TEST(ImageList, AppendReplaceAndRemoveKeepTheNumbering) {
  ListPtr list(ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 0, 4));
  ASSERT_TRUE(list);
  HICON a = Solid(4, 4, 0xFF0000AA), b = Solid(4, 4, 0xFF0000BB), c = Solid(2, 2, 0xFF0000CC);
  EXPECT_EQ(ImageList_ReplaceIcon(list.get(), -1, a), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list.get(), -1, b), 1);
  EXPECT_EQ(ImageList_AddIcon(list.get(), c), 2);  // stretched to 4 x 4
  EXPECT_EQ(ImageList_ReplaceIcon(list.get(), 0, c), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list.get(), 3, a), -1);
  EXPECT_EQ(ImageList_ReplaceIcon(list.get(), -2, a), -1);
  EXPECT_EQ(ImageList_ReplaceIcon(list.get(), -1, nullptr), -1);
  ASSERT_EQ(ImageList_GetImageCount(list.get()), 3);
  EXPECT_EQ(FirstPixel(list.get(), 0), 0xFF0000CCu);
  EXPECT_TRUE(ImageList_Remove(list.get(), 0));
  EXPECT_FALSE(ImageList_Remove(list.get(), 2));
  EXPECT_EQ(FirstPixel(list.get(), 0), 0xFF0000BBu);
  EXPECT_EQ(ImageList_GetIcon(list.get(), 2, ILD_NORMAL), nullptr);
  EXPECT_TRUE(ImageList_Copy(list.get(), 0, list.get(), 1, ILCF_SWAP));
  EXPECT_EQ(FirstPixel(list.get(), 0), 0xFF0000CCu);
  EXPECT_EQ(FirstPixel(list.get(), 1), 0xFF0000BBu);
  EXPECT_TRUE(ImageList_Remove(list.get(), -1));
  EXPECT_EQ(ImageList_GetImageCount(list.get()), 0);
  for (HICON i : {a, b, c}) DestroyIcon(i);
}

TEST(ImageList, PicturesComeBackWithTheirMaskAndAlpha) {
  ListPtr list(ImageList_Create(2, 1, ILC_COLOR32 | ILC_MASK, 0, 4));
  TIconPixels p;
  p.width = 2;
  p.height = 1;
  p.color = {0x80123456, 0x00FFFFFF};
  p.mask = {0, 1};
  p.hasAlpha = true;
  HICON icon = CreateIconFromPixels(p);
  ImageList_AddIcon(list.get(), icon);
  HICON back = ImageList_GetIcon(list.get(), 0, ILD_NORMAL);
  EXPECT_EQ(GetIconPixels(back)->color, p.color);
  EXPECT_EQ(GetIconPixels(back)->mask, p.mask);
  EXPECT_TRUE(GetIconPixels(back)->hasAlpha);
  DestroyIcon(back);
  // Lists below 32 bits drop alpha; lists without a mask drop the mask.
  ListPtr flat(ImageList_Create(2, 1, ILC_COLOR24, 0, 4));
  ImageList_AddIcon(flat.get(), icon);
  back = ImageList_GetIcon(flat.get(), 0, ILD_NORMAL);
  EXPECT_EQ(GetIconPixels(back)->color, (std::vector<std::uint32_t>{0x00123456, 0x00FFFFFF}));
  EXPECT_EQ(GetIconPixels(back)->mask, (std::vector<std::uint8_t>{0, 0}));
  DestroyIcon(back);
  DestroyIcon(icon);
}

TEST(ImageList, StripsAndMaskColours) {
  ListPtr list(ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 0, 4));
  // A 4 x 2 strip: two pictures; red marks the transparent pixels.
  Surface32 strip(4, 2, RGB(0, 255, 0));
  SetPixel(strip.dc, 0, 0, RGB(255, 0, 0));
  SetPixel(strip.dc, 3, 1, RGB(255, 0, 0));
  SelectObject(strip.dc, strip.old);
  EXPECT_EQ(ImageList_AddMasked(list.get(), strip.bmp, RGB(255, 0, 0)), 0);
  SelectObject(strip.dc, strip.bmp);
  ASSERT_EQ(ImageList_GetImageCount(list.get()), 2);
  HICON first = ImageList_GetIcon(list.get(), 0, ILD_NORMAL);
  HICON second = ImageList_GetIcon(list.get(), 1, ILD_NORMAL);
  EXPECT_EQ(GetIconPixels(first)->mask, (std::vector<std::uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(GetIconPixels(second)->mask, (std::vector<std::uint8_t>{0, 0, 0, 1}));
  EXPECT_EQ(GetIconPixels(first)->color[0], 0u);  // masked pixels turn black
  DestroyIcon(first);
  DestroyIcon(second);
  EXPECT_TRUE(ImageList_SetIconSize(list.get(), 3, 3));
  EXPECT_EQ(ImageList_GetImageCount(list.get()), 0);
  EXPECT_EQ(ImageList_Create(0, 3, ILC_COLOR32, 0, 4), nullptr);
  EXPECT_EQ(ImageList_Create(1 << 16, 1 << 16, ILC_COLOR32, 0, 4), nullptr);
}

struct DrawCase {
  const char* what;
  UINT flags;
  std::uint32_t color;
  int mask;
  UINT style;
  COLORREF bk;
  COLORREF expect;  // over RGB(100, 150, 200)
};

class ImageListDraw : public ::testing::TestWithParam<DrawCase> {};

TEST_P(ImageListDraw, OnePixel) {
  const DrawCase& c = GetParam();
  ListPtr list(ImageList_Create(1, 1, c.flags, 0, 4));
  TIconPixels p;
  p.width = p.height = 1;
  p.color = {c.color};
  p.mask = {std::uint8_t(c.mask)};
  p.hasAlpha = (c.color >> 24) != 0;
  HICON icon = CreateIconFromPixels(p);
  ImageList_AddIcon(list.get(), icon);
  DestroyIcon(icon);
  ImageList_SetBkColor(list.get(), c.bk);
  Surface32 s(1, 1, RGB(100, 150, 200));
  ASSERT_TRUE(ImageList_Draw(list.get(), 0, s.dc, 0, 0, c.style));
  EXPECT_EQ(s.At(0, 0), c.expect) << c.what;
  EXPECT_FALSE(ImageList_Draw(list.get(), 1, s.dc, 0, 0, c.style));
}

constexpr UINT kFull = ILC_COLOR32 | ILC_MASK;
INSTANTIATE_TEST_SUITE_P(
    Pixels, ImageListDraw,
    ::testing::Values(DrawCase{"alpha blends", kFull, 0x80FF0000, 0, ILD_NORMAL, CLR_NONE, RGB(178, 75, 100)},
                      DrawCase{"masked pixel shows the target", kFull, 0x00FFFFFF, 1, ILD_NORMAL, CLR_NONE,
                               RGB(100, 150, 200)},
                      DrawCase{"masked pixel on the list colour", kFull, 0x00FFFFFF, 1, ILD_NORMAL, RGB(1, 2, 3),
                               RGB(1, 2, 3)},
                      DrawCase{"transparent style ignores the list colour", kFull, 0x00FFFFFF, 1, ILD_TRANSPARENT,
                               RGB(1, 2, 3), RGB(100, 150, 200)},
                      DrawCase{"no mask flag: opaque", ILC_COLOR32, 0x00FFFFFF, 1, ILD_NORMAL, CLR_NONE,
                               RGB(255, 255, 255)},
                      DrawCase{"mask style", kFull, 0x00336699, 1, ILD_MASK, CLR_NONE, RGB(255, 255, 255)},
                      DrawCase{"half blend with the highlight", kFull, 0x00FFFFFF, 0, ILD_BLEND50, CLR_NONE,
                               RGB((255 + 51) / 2, (255 + 153) / 2, 255)}));

}  // namespace
