// One 48 x 48 RGBA picture drawn by a PNG image list enabled, blended, grey and both, over
// white (top row) and over the button face (bottom row), compared with the golden image;
// a few pixels are also checked against the formulas, with the picture read by libpng.
#include <gtest/gtest.h>

#include "pngil_util.h"
#include "support/golden.h"

namespace {

constexpr int kTile = 48, kGap = 4, kStep = kTile + kGap;
const TPngOptions kLooks[] = {TPngOptions{}, TPngOptions{pngBlendOnDisabled}, TPngOptions{pngGrayscaleOnDisabled},
                              TPngOptions{pngBlendOnDisabled, pngGrayscaleOnDisabled}};
const std::string kPicture = std::string(LB_SOURCE_DIR) + "/resources/art/category-music.png";

// The grey of the disabled look where 0.30 R + 0.59 G + 0.11 B is no exact half.
bool Grey(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint8_t& out) {
  const std::uint32_t hundredths = 30 * r + 59 * g + 11 * b;
  out = std::uint8_t((hundredths + 50) / 100);
  return hundredths % 100 != 50;
}

TEST(PngImageListGolden, FourLooksOverWhiteAndTheButtonFace) {
  TPngImageList list(nullptr);
  list.SetSize(kTile, kTile);
  TPngImage picture;
  picture.LoadFromFile(kPicture);
  list.PngImages()->AddItem()->SetPngImage(&picture);

  const TColor backgrounds[] = {clWhite, clBtnFace};
  TBitmap sheet(kGap + 4 * kStep, kGap + 2 * kStep);
  for (int row = 0; row < 2; ++row) {
    sheet.Canvas()->Brush()->SetColor(backgrounds[row]);
    sheet.Canvas()->FillRect(RECT{0, row * kStep, sheet.Width(), (row + 1) * kStep + kGap});
    for (int col = 0; col < 4; ++col) {
      list.SetPngOptions(kLooks[col]);
      list.Draw(sheet.Canvas(), kGap + col * kStep, kGap + row * kStep, 0, col == 0);
    }
  }
  testsupport::ExpectMatchesGolden(testsupport::ImageFromBitmap(sheet.Handle()), "pngimagelist_looks");

  // Pixels checked by formula: the first opaque one and the first partly transparent one.
  testsupport::Image source;
  ASSERT_TRUE(testsupport::ReadPng(kPicture, &source, nullptr, testsupport::PngAlpha::kKeep));
  int checked = 0;
  for (bool opaque : {true, false}) {
    for (int i = 0; i < kTile * kTile; ++i) {
      const std::uint32_t p = source.pixels[std::size_t(i)];
      const std::uint32_t a = p >> 24, r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
      std::uint8_t grey = 0;
      if ((opaque ? a != 255 : (a == 0 || a == 255)) || !Grey(r, g, b, grey)) continue;
      const int x = i % kTile, y = i / kTile;
      for (int row = 0; row < 2; ++row) {
        const COLORREF bg = ColorToRGB(COLORREF(backgrounds[row]));
        auto mix = [&](unsigned alpha, unsigned cr, unsigned cg, unsigned cb) {
          return TColor(RGB(pngil::Blend(alpha, cr, GetRValue(bg)), pngil::Blend(alpha, cg, GetGValue(bg)),
                            pngil::Blend(alpha, cb, GetBValue(bg))));
        };
        const unsigned half = pngil::HalfAlpha(a);
        const TColor expect[4] = {mix(a, r, g, b), mix(half, r, g, b), mix(a, grey, grey, grey),
                                  mix(half, grey, grey, grey)};
        for (int col = 0; col < 4; ++col)
          EXPECT_EQ(sheet.Canvas()->Pixels(kGap + col * kStep + x, kGap + row * kStep + y), expect[col])
              << "look " << col << " row " << row << " pixel (" << x << ", " << y << ") alpha " << a;
      }
      ++checked;
      break;
    }
  }
  EXPECT_EQ(checked, 2);
}

}  // namespace
