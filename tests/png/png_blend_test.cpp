// The alpha drawing of a PNG image: onto 32- and 24-bit targets against the blend formula
// (clip regions, viewport origins, rectangles partly off the surface, the untouched fourth
// byte), onto every kind of surface a DC can have against the copy-blend-copy algorithm of
// the design, and palette indexes without an entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <sstream>

#include "platform/gdi/surface.h"
#include "png/pngimage.h"
#include "pngtest_util.h"

using namespace pngtest;

namespace {

const char* kNoSuchEntry = "There is no such palette entry.";

// The blend as designed: new = (a * s + (255 - a) * old + 255) div 256.
unsigned Blend(unsigned a, unsigned s, unsigned old) { return (a * s + (255 - a) * old + 255) / 256; }

// Alpha of a row: random, or runs of 0 and 255 between random values.
std::vector<std::uint8_t> AlphaPattern(std::size_t n, int mode, std::mt19937& rng) {
  std::vector<std::uint8_t> a(n);
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = mode == 0 ? n : 1 + rng() % 70;
    int kind = mode == 0 ? 2 : int(rng() % 3);
    for (std::size_t k = 0; k < run && i < n; ++k, ++i) a[i] = kind == 0 ? 0 : kind == 1 ? 255 : std::uint8_t(rng());
  }
  return a;
}

// ---------------------------------------------------------------------------------------
// Drawing

void Load(TPngImage& png, const Bytes& b) {
  TBytesStream s(b.data(), std::int64_t(b.size()));
  png.ReadFromStream(s);
}

// A bitmap with a background of varied colours (and fourth bytes, at 32 bits per pixel)
// read and written through its raw surface.
struct Target {
  Target(int w, int h, TPixelFormat format) : bmp(w, h, format) {
    bpp = SurfaceView(Dc()).BitsPerPixel() / 8;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        std::uint8_t* p = At(x, y);
        p[0] = std::uint8_t(x * 37 + y * 11);
        p[1] = std::uint8_t((x * 5) ^ (y * 13));
        p[2] = std::uint8_t(255 - (x + y) * 7);
        if (bpp == 4) p[3] = std::uint8_t(x * 3 + y * 29 + 1);
      }
  }
  HDC Dc() { return bmp.Canvas()->Handle(); }
  HBITMAP Surface() { return GetDCSurface(Dc()); }
  std::uint8_t* At(int x, int y) { return SurfaceView(Dc()).Row(y) + std::ptrdiff_t(x) * bpp; }
  std::vector<std::uint8_t> Pixels() {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < bmp.Height(); ++y) out.insert(out.end(), At(0, y), At(0, y) + bmp.Width() * bpp);
    return out;
  }
  TBitmap bmp;
  int bpp = 4;
};

// The image's colour and alpha at (x, y) as the blend takes them.
struct Sample {
  COLORREF color;
  unsigned alpha;
};
using SampleFn = std::function<Sample(int, int)>;

// "" or the first device pixel where the target differs from `before` blended with the
// image placed at device (ox, oy), only where visible(x, y) holds.
std::string CheckDrawn(Target& t, const std::vector<std::uint8_t>& before, int ox, int oy, int w, int h,
                       const SampleFn& sample, const std::function<bool(int, int)>& visible) {
  int W = t.bmp.Width(), H = t.bmp.Height();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const std::uint8_t* old = before.data() + (std::size_t(y) * W + x) * t.bpp;
      const std::uint8_t* got = t.At(x, y);
      bool in = x >= ox && x < ox + w && y >= oy && y < oy + h && visible(x, y);
      Sample s = in ? sample(x - ox, y - oy) : Sample{0, 0};
      unsigned src[3] = {s.color >> 16 & 0xFF, s.color >> 8 & 0xFF, s.color & 0xFF};  // blue, green, red
      for (int c = 0; c < t.bpp; ++c) {
        unsigned want = in && c < 3 ? Blend(s.alpha, src[c], old[c]) : old[c];
        if (got[c] != want) {
          std::ostringstream m;
          m << "pixel (" << x << ", " << y << ") byte " << c << ": got " << int(got[c]) << " expected " << want;
          return m.str();
        }
      }
    }
  return "";
}

// One kind of alpha image with the sample function for its pixels.
struct ImageKind {
  const char* name;
  int colorType, bitDepth;
  bool addAlpha;  // a grey image given an alpha channel afterwards
};

const ImageKind kKinds[] = {
    {"rgba8", 6, 8, false},     {"rgba16", 6, 16, false},   {"greyalpha8", 4, 8, false},
    {"greyalpha16", 4, 16, false}, {"grey2added", 0, 2, true}, {"grey1added", 0, 1, true},
    {"palette1", 3, 1, false},  {"palette2", 3, 2, false},  {"palette4", 3, 4, false},
    {"palette8", 3, 8, false},
};

// Loads an image of the kind and returns how to sample it. Alpha planes get runs of 0 and
// 255 between random values; palettes get a tRNS alpha per entry.
SampleFn MakeImage(TPngImage& png, const ImageKind& k, std::uint32_t w, std::uint32_t h, std::uint32_t seed) {
  PngPlan plan;
  plan.image = RandomImage(w, h, k.colorType, k.bitDepth, seed);
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> trns;
  if (k.colorType == 3) {
    int entries = 1 << k.bitDepth;
    plan.beforeData.push_back({"PLTE", PaletteBody(entries, seed)});
    trns = AlphaPattern(std::size_t(entries), 1, rng);
    // One entry below 255 alone would make it a key colour.
    if (std::count(trns.begin(), trns.end(), 255) + 2 > entries) {
      trns[0] = 90;
      trns[1] = 0;
    }
    plan.beforeData.push_back({"tRNS", Bytes(trns.begin(), trns.end())});
  }
  Load(png, BuildPng(plan));
  if (k.addAlpha) png.AddAlphaChannel();
  if (k.colorType == 3) {
    auto samples = std::make_shared<RawImage>(plan.image);
    return [&png, samples, trns](int x, int y) {
      unsigned i = samples->samples[std::size_t(y)][std::size_t(x)];
      return Sample{png.PixelColor(x, y), trns[i]};
    };
  }
  for (std::uint32_t y = 0; y < h; ++y) {
    std::vector<std::uint8_t> a = AlphaPattern(w, 1, rng);
    std::copy(a.begin(), a.end(), png.AlphaRow(int(y)));
  }
  return [&png](int x, int y) { return Sample{png.PixelColor(x, y), png.AlphaRow(y)[x]}; };
}

struct DrawCase {
  ImageKind kind;
  TPixelFormat format;
};

class AlphaDrawTest : public ::testing::TestWithParam<DrawCase> {};

TEST_P(AlphaDrawTest, EveryWidthBlendsEveryPixelOnce) {
  std::vector<std::uint32_t> widths;
  for (std::uint32_t n = 1; n <= 37; ++n) widths.push_back(n);
  for (std::uint32_t n : {64u, 75u, 130u}) widths.push_back(n);
  for (std::uint32_t w : widths) {
    TPngImage png;
    SampleFn sample = MakeImage(png, GetParam().kind, w, 3, w);
    ASSERT_EQ(png.TransparencyKind(), tkAlpha);
    Target t(int(w) + 4, 6, GetParam().format);
    std::vector<std::uint8_t> before = t.Pixels();
    png.DrawOnCanvas(*t.bmp.Canvas(), RECT{2, 1, 2 + LONG(w) + 2, 6});
    ASSERT_EQ(CheckDrawn(t, before, 2, 1, int(w), 3, sample, [](int, int) { return true; }), "") << "width " << w;
  }
}

// Viewport origin (4, 2); clip: logical (0, 0)-(20, 14) less (6, 5)-(10, 9), which are
// device (4, 2)-(24, 16) less (10, 7)-(14, 11); the image lands at device (1, 1).
TEST_P(AlphaDrawTest, ClipRegionAndViewportOrigin) {
  TPngImage png;
  SampleFn sample = MakeImage(png, GetParam().kind, 25, 17, 3);
  Target t(30, 20, GetParam().format);
  std::vector<std::uint8_t> before = t.Pixels();
  HDC dc = t.Dc();
  SetViewportOrgEx(dc, 4, 2, nullptr);
  IntersectClipRect(dc, 0, 0, 20, 14);
  ExcludeClipRect(dc, 6, 5, 10, 9);
  png.DrawOnCanvas(*t.bmp.Canvas(), RECT{-3, -1, 40, 40});
  EXPECT_EQ(CheckDrawn(t, before, 1, 1, 25, 17, sample,
                       [](int x, int y) {
                         bool inClip = x >= 4 && x < 24 && y >= 2 && y < 16;
                         bool excluded = x >= 10 && x < 14 && y >= 7 && y < 11;
                         return inClip && !excluded;
                       }),
            "");
}

// A window's DC carries its visible area as a system clip that no application clip can
// widen: the direct blend must stay inside it like every other drawing operation.
TEST_P(AlphaDrawTest, SystemClipHoldsAfterTheApplicationClipIsDropped) {
  TPngImage png;
  SampleFn sample = MakeImage(png, GetParam().kind, 25, 17, 3);
  Target t(30, 20, GetParam().format);
  std::vector<std::uint8_t> before = t.Pixels();
  HDC dc = t.Dc();
  const RECT visible[2] = {RECT{2, 2, 12, 9}, RECT{15, 4, 28, 18}};
  SetDCSystemClip(dc, visible, 2);
  SelectClipRgn(dc, nullptr);
  png.DrawOnCanvas(*t.bmp.Canvas(), RECT{0, 0, 40, 40});
  EXPECT_EQ(CheckDrawn(t, before, 0, 0, 25, 17, sample,
                       [&](int x, int y) {
                         for (const RECT& r : visible)
                           if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
                         return false;
                       }),
            "");
}

TEST_P(AlphaDrawTest, RectanglePartlyOffTheSurface) {
  TPngImage png;
  SampleFn sample = MakeImage(png, GetParam().kind, 21, 13, 5);
  for (POINT at : {POINT{-7, -5}, POINT{9, 4}, POINT{-30, 0}}) {
    Target t(16, 10, GetParam().format);
    std::vector<std::uint8_t> before = t.Pixels();
    png.DrawOnCanvas(*t.bmp.Canvas(), RECT{at.x, at.y, at.x + 21, at.y + 13});
    EXPECT_EQ(CheckDrawn(t, before, at.x, at.y, 21, 13, sample, [](int, int) { return true; }), "")
        << "at " << at.x << ", " << at.y;
  }
}

std::vector<DrawCase> AllDrawCases() {
  std::vector<DrawCase> out;
  for (const ImageKind& k : kKinds)
    for (TPixelFormat f : {pf32bit, pf24bit}) out.push_back({k, f});
  return out;
}

INSTANTIATE_TEST_SUITE_P(All, AlphaDrawTest, ::testing::ValuesIn(AllDrawCases()), [](const auto& info) {
  return std::string(info.param.kind.name) + (info.param.format == pf32bit ? "_on32" : "_on24");
});

// ---------------------------------------------------------------------------------------
// The one alpha path against copy-blend-copy: the target's pixels under the image copied
// into a 32-bit DIB section, blended there row by row, and copied back, as designed.

void CopyBlendCopy(HDC target, POINT at, int w, int h, const SampleFn& sample) {
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biBitCount = 32;
  DcPtr dc(CreateCompatibleDC(nullptr));
  void* bits = nullptr;
  GdiPtr<GdiBitmap> dib(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  HGDIOBJ old = SelectObject(dc.get(), dib.get());
  BitBlt(dc.get(), 0, 0, w, h, target, at.x, at.y, SRCCOPY);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto* p = static_cast<std::uint8_t*>(bits) + (std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4;
      Sample s = sample(x, y);
      p[0] = std::uint8_t(Blend(s.alpha, GetBValue(s.color), p[0]));
      p[1] = std::uint8_t(Blend(s.alpha, GetGValue(s.color), p[1]));
      p[2] = std::uint8_t(Blend(s.alpha, GetRValue(s.color), p[2]));
    }
  BitBlt(target, at.x, at.y, w, h, dc.get(), 0, 0, SRCCOPY);
  SelectObject(dc.get(), old);
}

// Every kind of surface a DC can draw into.
struct SurfaceKind {
  const char* name;
  int bpp;
  bool dib, topDown;
};

const SurfaceKind kSurfaceKinds[] = {
    {"mono", 1, false, true},    {"dib1", 1, true, false},   {"dib4", 4, true, true},
    {"dib8", 8, true, false},    {"dib24", 24, true, false}, {"dib32", 32, true, true},
    {"device32", 32, false, true},
};

// A bitmap of the kind with pixel bytes from a fixed seed; indexed DIBs get a colour table
// with black, white and a repeated entry, so that the nearest entry has ties to break.
HBITMAP MakeSurface(const SurfaceKind& k, int w, int h) {
  BITMAPINFO info;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = k.topDown ? -h : h;
  info.bmiHeader.biBitCount = WORD(k.bpp);
  std::mt19937 rng(unsigned(k.bpp * 2 + k.dib));
  for (int i = 0; i < 256; ++i) info.bmiColors[i] = RGBQUAD{BYTE(rng()), BYTE(rng()), BYTE(rng()), 0};
  info.bmiColors[0] = RGBQUAD{0, 0, 0, 0};
  info.bmiColors[1] = RGBQUAD{255, 255, 255, 0};
  info.bmiColors[5] = info.bmiColors[2];
  HBITMAP bmp = k.dib ? CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0)
                      : CreateBitmap(w, h, 1, UINT(k.bpp), nullptr);
  SurfaceView v(bmp);
  for (int y = 0; y < h; ++y)
    for (int b = 0; b < v.Stride(); ++b) v.Row(y)[b] = std::uint8_t(rng());
  return bmp;
}

// Where the image lands and what clips it.
struct Placement {
  const char* name;
  RECT rect;
  std::function<void(HDC)> clip;
};

const Placement kPlacements[] = {
    {"inside", RECT{2, 1, 40, 40}, [](HDC) {}},
    {"offTopLeft", RECT{-7, -5, 14, 8}, [](HDC) {}},
    {"offBottomRight", RECT{9, 4, 30, 17}, [](HDC) {}},
    {"originAndClipRegion", RECT{-3, -1, 40, 40},
     [](HDC dc) {
       SetViewportOrgEx(dc, 4, 2, nullptr);
       IntersectClipRect(dc, 0, 0, 20, 14);
       ExcludeClipRect(dc, 6, 5, 10, 9);
     }},
    {"systemClip", RECT{0, 0, 40, 40},
     [](HDC dc) {
       const RECT visible[2] = {RECT{2, 2, 12, 9}, RECT{15, 4, 28, 18}};
       SetDCSystemClip(dc, visible, 2);
       IntersectClipRect(dc, 5, 0, 40, 40);
     }},
};

struct EqualityCase {
  ImageKind image;
  SurfaceKind surface;
};

class CopyBlendCopyTest : public ::testing::TestWithParam<EqualityCase> {};

TEST_P(CopyBlendCopyTest, TheAlphaPathEqualsCopyBlendCopy) {
  const EqualityCase& c = GetParam();
  TPngImage png;
  SampleFn sample = MakeImage(png, c.image, 21, 13, 11);
  for (const Placement& p : kPlacements) {
    TBitmap drawn, reference;
    drawn.SetHandle(MakeSurface(c.surface, 30, 20));
    reference.SetHandle(MakeSurface(c.surface, 30, 20));
    p.clip(drawn.Canvas()->Handle());
    p.clip(reference.Canvas()->Handle());
    png.DrawOnCanvas(*drawn.Canvas(), p.rect);
    CopyBlendCopy(reference.Canvas()->Handle(), POINT{p.rect.left, p.rect.top}, 21, 13, sample);
    SurfaceView got(drawn.Handle()), want(reference.Handle());
    for (int y = 0; y < 20; ++y)
      for (int b = 0; b < got.Stride(); ++b)
        ASSERT_EQ(int(got.Row(y)[b]), int(want.Row(y)[b]))
            << p.name << ": row " << y << " byte " << b << " (pixel " << b * 8 / c.surface.bpp << ")";
  }
}

std::vector<EqualityCase> AllEqualityCases() {
  std::vector<EqualityCase> out;
  for (const ImageKind& k : kKinds)
    for (const SurfaceKind& s : kSurfaceKinds) out.push_back({k, s});
  return out;
}

INSTANTIATE_TEST_SUITE_P(All, CopyBlendCopyTest, ::testing::ValuesIn(AllEqualityCases()), [](const auto& info) {
  return std::string(info.param.image.name) + "_on_" + info.param.surface.name;
});

// ---------------------------------------------------------------------------------------
// Palette indexes without an entry: the draw raises before any pixel changes, also when the
// offending pixel lies outside the clip region or the surface.

struct BadIndexCase {
  const char* name;
  int bitDepth, entries;
  unsigned badIndex;  // at the last pixel; 0 for an image whose indexes are all valid
  TPixelFormat format;
  bool clipBadPixel;
};

const BadIndexCase kBadIndexCases[] = {
    {"depth4_on32", 4, 3, 7, pf32bit, false},      {"depth4_on24", 4, 3, 7, pf24bit, false},
    {"depth4_clipped", 4, 3, 3, pf32bit, true},    {"depth2_on32", 2, 3, 3, pf32bit, false},
    {"depth1_on32", 1, 1, 1, pf32bit, false},      {"depth8_on32", 8, 200, 200, pf32bit, false},
    {"depth8_on24", 8, 200, 255, pf24bit, false},  {"depth8_clipped", 8, 200, 200, pf32bit, true},
    {"depth8_valid", 8, 200, 0, pf32bit, false},   {"depth1_valid", 1, 1, 0, pf32bit, false},
};

class BadIndexTest : public ::testing::TestWithParam<BadIndexCase> {};

TEST_P(BadIndexTest, RaisesBeforeDrawing) {
  const BadIndexCase& c = GetParam();
  PngPlan plan;
  plan.image = RandomImage(37, 5, 3, c.bitDepth, 9);
  for (auto& row : plan.image.samples)
    for (auto& v : row) v = std::uint16_t(v % unsigned(c.entries));
  if (c.badIndex) plan.image.samples[4][36] = std::uint16_t(c.badIndex);
  plan.beforeData.push_back({"PLTE", PaletteBody(c.entries)});
  plan.beforeData.push_back({"tRNS", {128, 64}});  // two entries below 255: alpha, not a key
  TPngImage png;
  Load(png, BuildPng(plan));
  ASSERT_EQ(png.TransparencyKind(), tkAlpha);
  Target t(40, 8, c.format);
  if (c.clipBadPixel) IntersectClipRect(t.Dc(), 0, 0, 30, 8);
  std::vector<std::uint8_t> before = t.Pixels();
  Raised r = Catch([&] { png.DrawOnCanvas(*t.bmp.Canvas(), RECT{1, 1, 38, 6}); });
  if (!c.badIndex) {
    EXPECT_EQ(r.className, "");
    EXPECT_NE(t.Pixels(), before);
    return;
  }
  EXPECT_EQ(r.className, "EPngError");
  EXPECT_EQ(r.message, kNoSuchEntry);
  EXPECT_EQ(t.Pixels(), before);
}

INSTANTIATE_TEST_SUITE_P(All, BadIndexTest, ::testing::ValuesIn(kBadIndexCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
