// The older-platform icon path: with common controls below version 6.0 (set before the
// version is first read, so this is a program of its own) the system image list holds
// icons whose colour is the picture put onto the item's background and whose mask marks
// the fully transparent pixels, and the list draws them without alpha.
#include <gtest/gtest.h>

#include "platform/os/os.h"
#include "pngil_util.h"

namespace {

const bool kOlderControls = SetCommonControlsVersion(0x00050052);

using pngil::Blend;
using pngil::Rgba8;

// Pixels: opaque red, fully transparent, blue at alpha 128.
std::unique_ptr<TPngImage> Picture() {
  return pngil::Rgba(3, 1, [](int x, int) {
    return x == 0 ? Rgba8{255, 0, 0, 255} : x == 1 ? Rgba8{0, 0, 0, 0} : Rgba8{0, 0, 255, 128};
  });
}

TEST(OlderPlatform, IconsArePutOntoTheBackground) {
  ASSERT_TRUE(kOlderControls);
  ASSERT_EQ(CommonControlsVersion(), 0x00050052u);
  TPngImageList list(nullptr);
  list.SetSize(3, 1);
  TPngImageCollectionItem* item = list.PngImages()->AddItem();
  item->SetBackground(clLime);
  item->SetPngImage(Picture().get());
  HICON icon = ImageList_GetIcon(list.Handle(), 0, ILD_NORMAL);
  const TIconPixels* p = GetIconPixels(icon);
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->hasAlpha);
  EXPECT_EQ(p->mask, (std::vector<std::uint8_t>{0, 1, 0}));
  EXPECT_EQ(p->color[0] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(p->color[2] & 0xFFFFFF, std::uint32_t(Blend(128, 0, 0)) << 16 | std::uint32_t(Blend(128, 0, 255)) << 8 |
                                        Blend(128, 255, 0));
  DestroyIcon(icon);
  // Drawn from the handle over white: the transparent pixel shows white, the half one is
  // the colour made on lime, with no alpha.
  TBitmap target(3, 1);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(RECT{0, 0, 3, 1});
  ImageList_Draw(list.Handle(), 0, target.Canvas()->Handle(), 0, 0, ILD_NORMAL);
  EXPECT_EQ(target.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(target.Canvas()->Pixels(1, 0), clWhite);
  EXPECT_EQ(target.Canvas()->Pixels(2, 0), TColor(RGB(0, Blend(128, 0, 255), Blend(128, 255, 0))));
  // The mask of a key-colour picture marks the key (4, 5, 6), that of a grey one alpha 0.
  list.PngImages()->Items(0)->SetPngImage(
      pngil::FromSamples(3, 1, 2, {{4, 5, 6, 1, 2, 3, 4, 5, 6}}, {{"tRNS", {0, 4, 0, 5, 0, 6}}}).get());
  list.PngImages()->AddItem()->SetPngImage(pngil::FromSamples(3, 1, 4, {{9, 0, 9, 1, 9, 0}}).get());
  for (int i : {0, 1}) {
    icon = ImageList_GetIcon(list.Handle(), i, ILD_NORMAL);
    EXPECT_EQ(GetIconPixels(icon)->mask, (std::vector<std::uint8_t>{1, 0, 1})) << i;
    DestroyIcon(icon);
  }
}

TEST(OlderPlatform, DisabledIconsUseTheButtonFace) {
  TPngImageList list(nullptr);
  list.SetSize(3, 1);
  list.PngImages()->AddItem()->SetPngImage(Picture().get());
  list.SetEnabledImages(false);
  HICON icon = ImageList_GetIcon(list.Handle(), 0, ILD_NORMAL);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  // Opaque red blended to alpha 128 onto the face.
  const std::uint32_t expect = std::uint32_t(Blend(128, 255, GetRValue(face))) << 16 |
                               std::uint32_t(Blend(128, 0, GetGValue(face))) << 8 | Blend(128, 0, GetBValue(face));
  EXPECT_EQ(GetIconPixels(icon)->color[0] & 0xFFFFFF, expect);
  DestroyIcon(icon);
}

}  // namespace
