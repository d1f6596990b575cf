// Drawing: the opaque stretch, the key-colour path (transparent pixels show the
// background, compared like with like for low-depth and 16-bit keys) and the alpha blend
// (exact at 255 and 0, rounding at 128, natural size at the rectangle's corner).
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "png/pngimage.h"
#include "pngtest_util.h"

using namespace pngtest;

namespace {

constexpr TColor kBackground = 0x00302010;

void Load(TPngImage& png, const Bytes& b) {
  TBytesStream s(b.data(), std::int64_t(b.size()));
  png.ReadFromStream(s);
}

struct Surface {
  explicit Surface(int w, int h) : bmp(w, h) {
    bmp.Canvas()->Brush()->SetColor(kBackground);
    bmp.Canvas()->FillRect(RECT{0, 0, w, h});
  }
  COLORREF At(int x, int y) { return COLORREF(bmp.Canvas()->Pixels(x, y)); }
  TBitmap bmp;
};

// Returns "" or the first pixel of the region where got differs from expect(x, y).
template <class F>
std::string Check(Surface& s, int w, int h, F expect) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF got = s.At(x, y), want = expect(x, y);
      if (got != want) {
        std::ostringstream m;
        m << "pixel (" << x << ", " << y << "): got " << std::hex << got << " expected " << want;
        return m.str();
      }
    }
  return "";
}

COLORREF Blend(unsigned a, COLORREF src, COLORREF bg) {
  COLORREF out = 0;
  for (int k = 0; k < 3; ++k) {
    unsigned s = src >> (8 * k) & 0xFF, d = bg >> (8 * k) & 0xFF;
    out |= ((a * s + (255 - a) * d + 255) >> 8) << (8 * k);
  }
  return out;
}

Bytes RgbaFile(std::uint32_t w, std::uint32_t h, int alphaMode) {
  PngPlan s;
  s.image = RandomImage(w, h, 6, 8, 11);
  for (auto& row : s.image.samples)
    for (std::size_t i = 3; i < row.size(); i += 4)
      row[i] = alphaMode == 0 ? 255 : alphaMode == 1 ? 0 : alphaMode == 2 ? 128 : row[i];
  return BuildPng(s);
}

class AlphaBlendTest : public ::testing::TestWithParam<int> {};

TEST_P(AlphaBlendTest, BlendsEveryPixel) {
  TPngImage png;
  Load(png, RgbaFile(13, 7, GetParam()));
  Surface s(20, 10);
  png.DrawOnCanvas(*s.bmp.Canvas(), RECT{0, 0, 13, 7});
  EXPECT_EQ(Check(s, 13, 7, [&](int x, int y) { return Blend(png.AlphaRow(y)[x], png.PixelColor(x, y), kBackground); }), "");
  if (GetParam() == 0) {
    EXPECT_EQ(Check(s, 13, 7, [&](int x, int y) { return png.PixelColor(x, y); }), "");
  }
  if (GetParam() == 1) {
    EXPECT_EQ(Check(s, 13, 7, [](int, int) { return COLORREF(kBackground); }), "");
  }
}

std::string AlphaName(int mode) {
  const char* n[] = {"opaque255", "clear0", "half128", "random"};
  return n[mode];
}

INSTANTIATE_TEST_SUITE_P(Alpha, AlphaBlendTest, ::testing::Values(0, 1, 2, 3),
                         [](const auto& info) { return AlphaName(info.param); });

TEST(AlphaDraw, HalfAlphaOverBlackGives128) {
  PngPlan s;
  s.image = RandomImage(1, 1, 6, 8, 1);
  s.image.samples[0] = {255, 255, 255, 128};
  TPngImage png;
  Load(png, BuildPng(s));
  TBitmap black(2, 2);
  black.Canvas()->Brush()->SetColor(clBlack);
  black.Canvas()->FillRect(RECT{0, 0, 2, 2});
  png.DrawOnCanvas(*black.Canvas(), RECT{0, 0, 1, 1});
  EXPECT_EQ(COLORREF(black.Canvas()->Pixels(0, 0)), 0x808080u);
}

TEST(AlphaDraw, LargerRectangleDrawsOnceAtNaturalSize) {
  TPngImage png;
  Load(png, RgbaFile(5, 4, 0));
  Surface s(20, 20);
  png.DrawOnCanvas(*s.bmp.Canvas(), RECT{3, 2, 19, 18});
  EXPECT_EQ(Check(s, 20, 20, [&](int x, int y) {
              bool in = x >= 3 && x < 8 && y >= 2 && y < 6;
              return in ? png.PixelColor(x - 3, y - 2) : COLORREF(kBackground);
            }),
            "");
}

TEST(AlphaDraw, GreyAlphaAndPaletteAlpha) {
  PngPlan grey;
  grey.image = RandomImage(6, 3, 4, 8, 5);
  TPngImage g;
  Load(g, BuildPng(grey));
  Surface s(8, 8);
  g.DrawOnCanvas(*s.bmp.Canvas(), RECT{0, 0, 6, 3});
  EXPECT_EQ(Check(s, 6, 3, [&](int x, int y) { return Blend(g.AlphaRow(y)[x], g.PixelColor(x, y), kBackground); }), "");

  // A 4-bit palette image of width 3 blends exactly three pixels per row.
  PngPlan pal;
  pal.image = RandomImage(3, 2, 3, 4, 6);
  pal.beforeData.push_back({"PLTE", PaletteBody(16)});
  Bytes trns(16);
  for (int i = 0; i < 16; ++i) trns[std::size_t(i)] = std::uint8_t(i * 17);
  pal.beforeData.push_back({"tRNS", trns});
  TPngImage p;
  Load(p, BuildPng(pal));
  ASSERT_EQ(p.TransparencyKind(), tkAlpha);
  Surface t(8, 8);
  p.DrawOnCanvas(*t.bmp.Canvas(), RECT{0, 0, 8, 8});
  EXPECT_EQ(Check(t, 8, 8, [&](int x, int y) {
              if (x >= 3 || y >= 2) return COLORREF(kBackground);
              unsigned idx = pal.image.samples[std::size_t(y)][std::size_t(x)];
              return Blend(idx * 17, p.PixelColor(x, y), kBackground);
            }),
            "");
}

TEST(OpaqueDraw, StretchedToTwiceTheSize) {
  PngPlan s;
  s.image = RandomImage(4, 3, 2, 8, 8);
  TPngImage png;
  Load(png, BuildPng(s));
  Surface out(10, 8);
  png.DrawOnCanvas(*out.bmp.Canvas(), RECT{0, 0, 8, 6});
  EXPECT_EQ(Check(out, 8, 6, [&](int x, int y) { return png.PixelColor(x / 2, y / 2); }), "");
  EXPECT_EQ(out.At(9, 7), COLORREF(kBackground));
}

TEST(OpaqueDraw, PaletteAndGreyImages) {
  for (int depth : {1, 2, 4, 8}) {
    PngPlan s;
    s.image = RandomImage(9, 3, 3, depth, 9);
    s.beforeData.push_back({"PLTE", PaletteBody(1 << depth)});
    TPngImage png;
    Load(png, BuildPng(s));
    Surface out(9, 3);
    png.DrawOnCanvas(*out.bmp.Canvas(), RECT{0, 0, 9, 3});
    EXPECT_EQ(Check(out, 9, 3, [&](int x, int y) { return png.PixelColor(x, y); }), "") << "depth " << depth;
  }
}

// ---------------------------------------------------------------------------------------
// Key colour

struct KeyCase {
  const char* name;
  int colorType, depth;
  std::vector<std::uint16_t> key;  // the raw key samples
};

class KeyColorTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyColorTest, OnlyKeyedSamplesShowTheBackground) {
  const KeyCase& c = GetParam();
  PngPlan s;
  s.image = RandomImage(8, 4, c.colorType, c.depth, 21);
  int ch = Channels(c.colorType);
  // Every other pixel carries the key; the rest differ from it in their raw samples.
  for (std::uint32_t y = 0; y < 4; ++y)
    for (std::uint32_t x = 0; x < 8; ++x)
      for (int k = 0; k < ch; ++k) {
        unsigned max = c.depth == 16 ? 65535 : (1u << c.depth) - 1;
        auto& v = s.image.samples[y][x * ch + std::size_t(k)];
        // 16-bit samples are stored by their high byte, so the others differ there.
        unsigned step = c.depth == 16 ? 256 : 1;
        v = (x + y) % 2 == 0 ? c.key[std::size_t(k)]
                             : std::uint16_t((c.key[std::size_t(k)] + step * (1 + x % 3)) % (max + 1));
        if (v == c.key[std::size_t(k)] && (x + y) % 2) v = std::uint16_t((v + 1) % (max + 1));
      }
  Bytes trns;
  for (std::uint16_t k : c.key) {
    trns.push_back(std::uint8_t(k >> 8));
    trns.push_back(std::uint8_t(k));
  }
  s.beforeData.push_back({"tRNS", trns});
  TPngImage png;
  Bytes file = BuildPng(s);
  SaveSeed(std::string("key_") + c.name, file);
  Load(png, file);
  ASSERT_EQ(png.TransparencyKind(), tkKeyColor);
  Surface out(8, 4);
  png.DrawOnCanvas(*out.bmp.Canvas(), RECT{0, 0, 8, 4});
  EXPECT_EQ(Check(out, 8, 4, [&](int x, int y) {
              return (x + y) % 2 == 0 ? COLORREF(kBackground) : png.PixelColor(x, y);
            }),
            "");
}

const KeyCase kKeyCases[] = {
    {"grey1", 0, 1, {1}},
    {"grey2", 0, 2, {2}},
    {"grey4", 0, 4, {9}},
    {"grey8", 0, 8, {200}},
    {"grey16", 0, 16, {0x4321}},
    {"rgb8", 2, 8, {10, 20, 30}},
    {"rgb16", 2, 16, {0x1234, 0x5678, 0x9ABC}},
};

INSTANTIATE_TEST_SUITE_P(All, KeyColorTest, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeyDraw, PaletteKeyHidesEveryIndexOfThatColour) {
  PngPlan s;
  s.image = RandomImage(4, 1, 3, 8, 1);
  s.image.samples[0] = {0, 1, 2, 3};
  Bytes plte = {10, 20, 30, 40, 50, 60, 10, 20, 30, 70, 80, 90};  // entries 0 and 2 alike
  s.beforeData.push_back({"PLTE", plte});
  s.beforeData.push_back({"tRNS", {0}});
  TPngImage png;
  Load(png, BuildPng(s));
  ASSERT_EQ(png.TransparencyKind(), tkKeyColor);
  Surface out(4, 1);
  png.DrawOnCanvas(*out.bmp.Canvas(), RECT{0, 0, 4, 1});
  EXPECT_EQ(out.At(0, 0), COLORREF(kBackground));
  EXPECT_EQ(out.At(1, 0), 0x3C3228u);
  EXPECT_EQ(out.At(2, 0), COLORREF(kBackground));
  EXPECT_EQ(out.At(3, 0), 0x5A5046u);
}

TEST(KeyDraw, StretchedKeyImage) {
  PngPlan s;
  s.image = RandomImage(2, 1, 2, 8, 1);
  s.image.samples[0] = {1, 2, 3, 200, 100, 50};
  s.beforeData.push_back({"tRNS", {0, 1, 0, 2, 0, 3}});
  TPngImage png;
  Load(png, BuildPng(s));
  Surface out(4, 2);
  png.DrawOnCanvas(*out.bmp.Canvas(), RECT{0, 0, 4, 2});
  EXPECT_EQ(Check(out, 4, 2, [](int x, int) { return x < 2 ? COLORREF(kBackground) : COLORREF(0x3264C8); }), "");
}

// ---------------------------------------------------------------------------------------
// Pixel and palette access

TEST(PixelAccess, SetPixelColorRoundTrips) {
  PngPlan s;
  s.image = RandomImage(5, 2, 2, 8, 1);
  TPngImage png;
  Load(png, BuildPng(s));
  png.SetPixelColor(4, 1, 0x00ABCDEF);
  EXPECT_EQ(png.PixelColor(4, 1), 0x00ABCDEFu);
  png.SetPixelColor(5, 1, 0x111111);  // outside: ignored

  PngPlan p;
  p.image = RandomImage(12, 2, 3, 1, 2);
  p.image.samples[0] = {0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};  // the byte before pixel 8's differs from it
  p.beforeData.push_back({"PLTE", {255, 255, 255, 0, 0, 0}});
  TPngImage pal;
  Load(pal, BuildPng(p));
  pal.SetPixelColor(8, 0, 0x000000);
  pal.SetPixelColor(7, 0, 0xFFFFFF);
  EXPECT_EQ(pal.PixelColor(8, 0), 0u);
  EXPECT_EQ(pal.PixelColor(7, 0), 0xFFFFFFu);
  EXPECT_EQ(pal.PixelColor(9, 0), 0xFFFFFFu);  // the other pixels of its byte keep their index
}

TEST(PixelAccess, PaletteHandleReflectsTheColourTable) {
  PngPlan p;
  p.image = RandomImage(2, 2, 3, 8, 2);
  p.beforeData.push_back({"PLTE", PaletteBody(256)});
  TPngImage pal;
  Load(pal, BuildPng(p));
  HPALETTE h = pal.PaletteHandle();
  ASSERT_NE(h, nullptr);
  PALETTEENTRY e[256];
  ASSERT_EQ(GetPaletteEntries(h, 0, 256, e), 256u);
  EXPECT_EQ(e[7].peBlue, 7);
  e[7].peRed = 1;
  e[7].peGreen = 2;
  e[7].peBlue = 3;
  HPALETTE mine = CreatePalette([&] {
    static LOGPALETTE lp;
    lp.palNumEntries = 256;
    for (int i = 0; i < 256; ++i) lp.palPalEntry[i] = e[i];
    return &lp;
  }());
  pal.SetPaletteHandle(mine);
  DeleteObject(mine);
  EXPECT_EQ(pal.Storage().HeaderInfo().bmiColors[7].rgbRed, 1);
  // No palette: no entry changes.
  const RGBQUAD first = pal.Storage().HeaderInfo().bmiColors[0];
  pal.SetPaletteHandle(nullptr);
  EXPECT_EQ(std::memcmp(&pal.Storage().HeaderInfo().bmiColors[0], &first, sizeof first), 0);
  PngPlan rgb;
  rgb.image = RandomImage(2, 2, 2, 8, 2);
  TPngImage r;
  Load(r, BuildPng(rgb));
  EXPECT_EQ(r.PaletteHandle(), nullptr);
}

TEST(Export, KeyImageBecomesTransparentBitmap) {
  PngPlan s;
  s.image = RandomImage(3, 2, 2, 8, 1);
  s.beforeData.push_back({"tRNS", {0, 1, 0, 2, 0, 3}});
  TPngImage png;
  Load(png, BuildPng(s));
  TBitmap bmp;
  png.AssignTo(&bmp);
  EXPECT_EQ(bmp.Width(), 3);
  EXPECT_EQ(bmp.Height(), 2);
  EXPECT_TRUE(bmp.Transparent());
  EXPECT_EQ(bmp.TransparentColor(), TColor(0x030201));
  EXPECT_EQ(COLORREF(bmp.Canvas()->Pixels(2, 1)), png.PixelColor(2, 1));
}

TEST(Registration, PictureLoadsPngByExtension) {
  EXPECT_NE(TPicture::FindGraphicClass("PNG"), nullptr);
  bool found = false;
  for (const auto& f : TPicture::FileFormats())
    if (f.extension == "png") found = f.description == "Portable Network Graphics";
  EXPECT_TRUE(found);
  // Ended and started again, the codec registers the format afresh.
  UnregisterPngFormat();
  EXPECT_EQ(TPicture::FindGraphicClass("PNG"), nullptr);
  RegisterPngFormat();
  EXPECT_NE(TPicture::FindGraphicClass("PNG"), nullptr);
}

}  // namespace
