// The alpha-blend kernels at every instruction-set level against the per-channel formula
// (every alpha, source and background triple), rows of many widths against the scalar
// level, and the alpha drawing onto 32-bit targets (blended where they stand) and 24-bit
// ones (through a 32-bit copy): clip regions, viewport origins, rectangles partly off the
// surface, the untouched fourth byte, and palette indexes without an entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <sstream>

#include "platform/gdi/surface.h"
#include "png/blend.h"
#include "png/pngimage.h"
#include "pngtest_util.h"

using namespace pngtest;
using pngblend::BlendChannel;
using pngblend::TBlendKernels;
using pngblend::TBlendLevel;

namespace {

const char* kNoSuchEntry = "There is no such palette entry.";

std::string LevelName(TBlendLevel l) {
  switch (l) {
    case TBlendLevel::blScalar: return "scalar";
    case TBlendLevel::blSse2: return "sse2";
    case TBlendLevel::blAvx2: return "avx2";
    default: return "avx512";
  }
}

// ---------------------------------------------------------------------------------------
// Kernels

class KernelTest : public ::testing::TestWithParam<TBlendLevel> {
 protected:
  void SetUp() override {
    if (!pngblend::LevelAvailable(GetParam())) GTEST_SKIP() << "processor lacks " << LevelName(GetParam());
  }
  const TBlendKernels& K() const { return pngblend::KernelsFor(GetParam()); }
};

// Destination row of 256 pixels whose channels run through every old value (each channel
// in another order) and whose fourth byte is a pattern of its own.
std::vector<std::uint8_t> OldRow() {
  std::vector<std::uint8_t> d(256 * 4);
  for (unsigned k = 0; k < 256; ++k) {
    d[4 * k] = std::uint8_t(k);
    d[4 * k + 1] = std::uint8_t(255 - k);
    d[4 * k + 2] = std::uint8_t(k ^ 0x5A);
    d[4 * k + 3] = std::uint8_t(k * 7 + 3);
  }
  return d;
}

// The three source channels for source value s (again each in another order).
unsigned SourceChannel(unsigned s, int c) { return c == 0 ? s : c == 1 ? s ^ 0xA5 : 255 - s; }

// "" or the first pixel of the 256 where the row differs from the formula.
std::string CheckRow(const std::vector<std::uint8_t>& got, unsigned a, unsigned s, bool grey) {
  static const std::vector<std::uint8_t> old = OldRow();
  for (unsigned k = 0; k < 256; ++k)
    for (int c = 0; c < 4; ++c) {
      unsigned o = old[4 * k + unsigned(c)];
      unsigned want = c == 3 ? o : BlendChannel(a, grey ? s : SourceChannel(s, c), o);
      if (got[4 * k + unsigned(c)] != want) {
        std::ostringstream m;
        m << "a " << a << " s " << s << " pixel " << k << " channel " << c << " old " << o << ": got "
          << int(got[4 * k + unsigned(c)]) << " expected " << want;
        return m.str();
      }
    }
  return "";
}

TEST_P(KernelTest, RgbMatchesTheFormulaForEveryTriple) {
  std::vector<std::uint8_t> src(256 * 3), alpha(256);
  for (unsigned a = 0; a < 256; ++a) {
    std::fill(alpha.begin(), alpha.end(), std::uint8_t(a));
    for (unsigned s = 0; s < 256; ++s) {
      for (unsigned k = 0; k < 256; ++k)
        for (int c = 0; c < 3; ++c) src[3 * k + unsigned(c)] = std::uint8_t(SourceChannel(s, c));
      std::vector<std::uint8_t> d = OldRow();
      K().rgb(d.data(), src.data(), alpha.data(), 256);
      std::string e = CheckRow(d, a, s, false);
      ASSERT_EQ(e, "");
    }
  }
}

TEST_P(KernelTest, GreyMatchesTheFormulaForEveryTriple) {
  std::vector<std::uint8_t> grey(256), alpha(256);
  for (unsigned a = 0; a < 256; ++a) {
    std::fill(alpha.begin(), alpha.end(), std::uint8_t(a));
    for (unsigned s = 0; s < 256; ++s) {
      std::fill(grey.begin(), grey.end(), std::uint8_t(s));
      std::vector<std::uint8_t> d = OldRow();
      K().grey(d.data(), grey.data(), alpha.data(), 256);
      ASSERT_EQ(CheckRow(d, a, s, true), "");
    }
  }
}

TEST_P(KernelTest, IndexedMatchesTheFormulaForEveryTriple) {
  // Entry i carries alpha i; every pixel of a row uses entry a.
  std::vector<std::uint32_t> table(256);
  std::vector<std::uint8_t> index(256);
  for (unsigned s = 0; s < 256; ++s) {
    for (unsigned i = 0; i < 256; ++i)
      table[i] = SourceChannel(s, 0) | SourceChannel(s, 1) << 8 | SourceChannel(s, 2) << 16 | i << 24;
    for (unsigned a = 0; a < 256; ++a) {
      std::fill(index.begin(), index.end(), std::uint8_t(a));
      std::vector<std::uint8_t> d = OldRow();
      K().indexed(d.data(), index.data(), table.data(), 256);
      ASSERT_EQ(CheckRow(d, a, s, false), "");
    }
  }
}

// Alpha of a row: random, or runs of 0 and 255 (some longer than a vector block) between
// random values.
std::vector<std::uint8_t> AlphaPattern(std::size_t n, int mode, std::mt19937& rng) {
  std::vector<std::uint8_t> a(n);
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = mode == 0 ? n : 1 + rng() % 70;
    int kind = mode == 0 ? 2 : int(rng() % 3);
    for (std::size_t k = 0; k < run && i < n; ++k, ++i)
      a[i] = kind == 0 ? 0 : kind == 1 ? 255 : std::uint8_t(rng());
  }
  return a;
}

// Each source and alpha row is an allocation of its exact size, so that a kernel reading
// past the row end is caught by the address sanitizer; the destination has guard pixels.
TEST_P(KernelTest, RowsOfEveryWidthMatchTheScalarLevel) {
  const TBlendKernels& scalar = pngblend::KernelsFor(TBlendLevel::blScalar);
  std::mt19937 rng(42);
  std::vector<std::size_t> widths;
  for (std::size_t n = 1; n <= 80; ++n) widths.push_back(n);
  for (std::size_t n : {97, 131, 200, 257}) widths.push_back(n);
  for (std::size_t n : widths)
    for (int mode = 0; mode < 2; ++mode)
      for (int kind = 0; kind < 3; ++kind) {
        std::vector<std::uint8_t> rgb(n * 3), grey(n), index(n), alpha = AlphaPattern(n, mode, rng);
        for (auto& v : rgb) v = std::uint8_t(rng());
        for (auto& v : grey) v = std::uint8_t(rng());
        for (auto& v : index) v = std::uint8_t(rng());
        std::vector<std::uint32_t> table(256);
        std::vector<std::uint8_t> tableAlpha = AlphaPattern(256, mode, rng);
        for (unsigned i = 0; i < 256; ++i) table[i] = (std::uint32_t(rng()) & 0xFFFFFF) | std::uint32_t(tableAlpha[i]) << 24;
        std::vector<std::uint8_t> want((n + 4) * 4);
        for (auto& v : want) v = std::uint8_t(rng());
        std::vector<std::uint8_t> got = want;
        auto run = [&](const TBlendKernels& k, std::uint8_t* d) {
          if (kind == 0) k.rgb(d, rgb.data(), alpha.data(), n);
          if (kind == 1) k.grey(d, grey.data(), alpha.data(), n);
          if (kind == 2) k.indexed(d, index.data(), table.data(), n);
        };
        run(scalar, want.data());
        run(K(), got.data());
        for (std::size_t b = 0; b < got.size(); ++b)
          ASSERT_EQ(int(got[b]), int(want[b])) << "width " << n << " kind " << kind << " alpha mode " << mode
                                               << ": first difference at pixel " << b / 4 << " byte " << b % 4;
      }
}

INSTANTIATE_TEST_SUITE_P(Levels, KernelTest,
                         ::testing::Values(TBlendLevel::blScalar, TBlendLevel::blSse2, TBlendLevel::blAvx2,
                                           TBlendLevel::blAvx512),
                         [](const auto& info) { return LevelName(info.param); });

TEST(KernelLevels, TheBestLevelIsAvailable) {
  EXPECT_TRUE(pngblend::LevelAvailable(pngblend::BestLevel()));
  EXPECT_TRUE(pngblend::LevelAvailable(TBlendLevel::blScalar));
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
        unsigned want = in && c < 3 ? BlendChannel(s.alpha, src[c], old[c]) : old[c];
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
