// DIB transfers: StretchDIBits and SetDIBitsToDevice from every depth and row order,
// GetDIBits / SetDIBits round trips, CreateDIBitmap and CreateDIBSection.
#include <cstring>
#include <random>
#include <vector>

#include "gdi_test_util.h"

namespace {

int Stride(int w, int bpp) { return ((w * bpp + 31) / 32) * 4; }

// A hand-built DIB: pixels written straight into the byte layout the format defines.
struct Dib {
  BITMAPINFO info;
  std::vector<BYTE> bits;
  int w, h, bpp;
  bool topDown;
  Dib(int width, int height, int depth, bool td) : w(width), h(height), bpp(depth), topDown(td) {
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = td ? -h : h;
    info.bmiHeader.biBitCount = WORD(bpp);
    bits.assign(std::size_t(Stride(w, bpp)) * h, 0);
    if (bpp <= 8)
      for (int i = 0; i < (1 << bpp); ++i) info.bmiColors[i] = RGBQUAD{BYTE(i * 7), BYTE(255 - i), BYTE(i * 13), 0};
  }
  BYTE* Row(int y) { return bits.data() + std::size_t(Stride(w, bpp)) * (topDown ? y : h - 1 - y); }
  void Put(int x, int y, unsigned v) {
    BYTE* r = Row(y);
    switch (bpp) {
      case 1: r[x / 8] |= BYTE((v & 1) << (7 - x % 8)); break;
      case 4: r[x / 2] |= BYTE((v & 15) << (x % 2 ? 0 : 4)); break;
      case 8: r[x] = BYTE(v); break;
      case 24: r[x * 3] = BYTE(v), r[x * 3 + 1] = BYTE(v >> 8), r[x * 3 + 2] = BYTE(v >> 16); break;
      default: std::memcpy(r + x * 4, &v, 4); break;
    }
  }
  // The colour a pixel value stands for.
  COLORREF Colour(unsigned v) const {
    if (bpp <= 8) {
      const RGBQUAD& q = info.bmiColors[v];
      return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    return RGB(BYTE(v >> 16), BYTE(v >> 8), BYTE(v));
  }
};

unsigned ValueAt(int x, int y, int bpp) {
  if (bpp <= 8) return unsigned(x * 3 + y * 5 + 1) % (1u << bpp);
  return (unsigned(x * 40) << 16) | (unsigned(y * 70) << 8) | unsigned(x + y + 1);
}

struct DibCase {
  int bpp;
  bool topDown;
};
std::string DibName(const ::testing::TestParamInfo<DibCase>& i) {
  return std::to_string(i.param.bpp) + (i.param.topDown ? "bpp_topdown" : "bpp_bottomup");
}
const DibCase kDibCases[] = {{1, false}, {1, true}, {4, false}, {4, true}, {8, false},
                             {8, true},  {24, false}, {24, true}, {32, false}, {32, true}};

class DibToDevice : public ::testing::TestWithParam<DibCase> {};

TEST_P(DibToDevice, StretchDIBitsAndSetDIBitsToDevice) {
  const DibCase& c = GetParam();
  Dib dib(5, 3, c.bpp, c.topDown);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) dib.Put(x, y, ValueAt(x, y, c.bpp));
  auto want = [&](int x, int y) { return dib.Colour(ValueAt(x, y, c.bpp)); };

  Surface32 s(7, 5);
  EXPECT_EQ(StretchDIBits(s.dc, 1, 1, 5, 3, 0, 0, 5, 3, dib.bits.data(), &dib.info, DIB_RGB_COLORS, SRCCOPY), 3);
  EXPECT_TRUE(PixelsMatch(s, [&](int x, int y) {
    return x >= 1 && x < 6 && y >= 1 && y < 4 ? want(x - 1, y - 1) : RGB(255, 255, 255);
  }));

  Surface32 t(7, 5);
  EXPECT_EQ(SetDIBitsToDevice(t.dc, 2, 0, 5, 3, 0, 0, 0, 3, dib.bits.data(), &dib.info, DIB_RGB_COLORS), 3);
  EXPECT_TRUE(PixelsMatch(t, [&](int x, int y) {
    return x >= 2 && y < 3 ? want(x - 2, y) : RGB(255, 255, 255);
  }));

  Surface32 big(10, 6);
  StretchDIBits(big.dc, 0, 0, 10, 6, 0, 0, 5, 3, dib.bits.data(), &dib.info, DIB_RGB_COLORS, SRCCOPY);
  EXPECT_TRUE(PixelsMatch(big, [&](int x, int y) { return want(x / 2, y / 2); }));

  // A one-row source rectangle: its y counts from the bottom for bottom-up DIBs.
  Surface32 row(2, 1);
  StretchDIBits(row.dc, 0, 0, 2, 1, 1, 0, 2, 1, dib.bits.data(), &dib.info, DIB_RGB_COLORS, SRCCOPY);
  int imageRow = c.topDown ? 0 : 2;
  EXPECT_TRUE(PixelsMatch(row, [&](int x, int) { return want(x + 1, imageRow); }));
}
INSTANTIATE_TEST_SUITE_P(Depths, DibToDevice, ::testing::ValuesIn(kDibCases), DibName);

TEST(StretchDIBits, RopAndBadHeaders) {
  Dib dib(2, 1, 24, true);
  dib.Put(0, 0, 0x0000FF);
  dib.Put(1, 0, 0xFFFFFF);
  Surface32 s(2, 1, RGB(0, 255, 0));
  StretchDIBits(s.dc, 0, 0, 2, 1, 0, 0, 2, 1, dib.bits.data(), &dib.info, DIB_RGB_COLORS, SRCAND);
  EXPECT_EQ(s.At(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(s.At(1, 0), RGB(0, 255, 0));
  BITMAPINFO bad = dib.info;
  bad.bmiHeader.biBitCount = 16;
  EXPECT_EQ(StretchDIBits(s.dc, 0, 0, 2, 1, 0, 0, 2, 1, dib.bits.data(), &bad, DIB_RGB_COLORS, SRCCOPY), 0);
  bad = dib.info;
  bad.bmiHeader.biCompression = 1;
  EXPECT_EQ(StretchDIBits(s.dc, 0, 0, 2, 1, 0, 0, 2, 1, dib.bits.data(), &bad, DIB_RGB_COLORS, SRCCOPY), 0);
  EXPECT_EQ(StretchDIBits(s.dc, 0, 0, 2, 1, 0, 0, 2, 1, nullptr, &dib.info, DIB_RGB_COLORS, SRCCOPY), 0);
}

// ---------------------------------------------------------------------------------------
// GetDIBits / SetDIBits

unsigned ReadValue(const BYTE* bits, int w, int h, int bpp, bool topDown, int x, int y) {
  const BYTE* r = bits + std::size_t(Stride(w, bpp)) * (topDown ? y : h - 1 - y);
  switch (bpp) {
    case 1: return (r[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (r[x / 2] >> (x % 2 ? 0 : 4)) & 15;
    case 8: return r[x];
    case 24: return unsigned(r[x * 3]) | (unsigned(r[x * 3 + 1]) << 8) | (unsigned(r[x * 3 + 2]) << 16);
    default: {
      unsigned v;
      std::memcpy(&v, r + x * 4, 4);
      return v & 0xFFFFFF;
    }
  }
}

class GetDIBitsRoundTrip : public ::testing::TestWithParam<DibCase> {};

TEST_P(GetDIBitsRoundTrip, OddSizeEveryDepth) {
  const DibCase& c = GetParam();
  const int W = 47, H = 33;
  Dib proto(W, H, c.bpp, c.topDown);
  void* p = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &proto.info, DIB_RGB_COLORS, &p, nullptr, 0);
  ASSERT_NE(bmp, nullptr);
  std::mt19937 rng(unsigned(c.bpp * 2 + c.topDown));
  std::size_t bytes = std::size_t(Stride(W, c.bpp)) * H;
  for (std::size_t i = 0; i < bytes; ++i) static_cast<BYTE*>(p)[i] = BYTE(rng());
  HDC dc = CreateCompatibleDC(nullptr);

  // Header only: size and colour table come back.
  BITMAPINFO q;
  q.bmiHeader.biWidth = W;
  q.bmiHeader.biHeight = c.topDown ? -H : H;
  q.bmiHeader.biBitCount = WORD(c.bpp);
  EXPECT_NE(GetDIBits(dc, bmp, 0, H, nullptr, &q, DIB_RGB_COLORS), 0);
  EXPECT_EQ(q.bmiHeader.biSizeImage, DWORD(bytes));
  if (c.bpp <= 8) {
    EXPECT_EQ(q.bmiColors[3].rgbGreen, proto.info.bmiColors[3].rgbGreen);
  }

  // Same format: every pixel value comes back.
  std::vector<BYTE> same(bytes);
  EXPECT_EQ(GetDIBits(dc, bmp, 0, H, same.data(), &q, DIB_RGB_COLORS), H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      ASSERT_EQ(ReadValue(same.data(), W, H, c.bpp, c.topDown, x, y),
                ReadValue(static_cast<BYTE*>(p), W, H, c.bpp, c.topDown, x, y))
          << "pixel (" << x << ", " << y << ")";

  // Into 32 bits top-down: colours.
  BITMAPINFO q32;
  q32.bmiHeader.biWidth = W;
  q32.bmiHeader.biHeight = -H;
  q32.bmiHeader.biBitCount = 32;
  std::vector<BYTE> full(std::size_t(W) * H * 4);
  EXPECT_EQ(GetDIBits(dc, bmp, 0, H, full.data(), &q32, DIB_RGB_COLORS), H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      unsigned v = ReadValue(static_cast<BYTE*>(p), W, H, c.bpp, c.topDown, x, y);
      ASSERT_EQ(ReadValue(full.data(), W, H, 32, true, x, y), proto.Colour(v) == 0 ? 0 :
                ((proto.Colour(v) & 0xFF) << 16 | (proto.Colour(v) & 0xFF00) | (proto.Colour(v) >> 16)))
          << "pixel (" << x << ", " << y << ")";
    }

  // And back: SetDIBits from the 32-bit copy into a cleared bitmap of the same format.
  // Indexed formats pick the nearest entry, which is the entry itself for table colours
  // unless two entries share a colour (not the case in this table).
  std::memset(p, 0, bytes);
  EXPECT_EQ(SetDIBits(dc, bmp, 0, H, full.data(), &q32, DIB_RGB_COLORS), H);
  EXPECT_EQ(GetDIBits(dc, bmp, 0, H, same.data(), &q, DIB_RGB_COLORS), H);
  std::vector<BYTE> back(bytes);
  std::memcpy(back.data(), p, bytes);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      unsigned got = ReadValue(back.data(), W, H, c.bpp, c.topDown, x, y);
      unsigned want = ReadValue(full.data(), W, H, 32, true, x, y);
      ASSERT_EQ(proto.Colour(got), RGB(BYTE(want >> 16), BYTE(want >> 8), BYTE(want)))
          << "pixel (" << x << ", " << y << ")";
    }
  DeleteDC(dc);
  DeleteObject(bmp);
}
INSTANTIATE_TEST_SUITE_P(Depths, GetDIBitsRoundTrip, ::testing::ValuesIn(kDibCases), DibName);

TEST(GetDIBits, PartialScansAndHeaderQuery) {
  HBITMAP bmp = CreateCompatibleBitmap(GetDC(nullptr), 3, 4);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  for (int y = 0; y < 4; ++y) SetPixel(dc, 0, y, RGB(BYTE(y * 10), 0, 0));
  SelectObject(dc, old);
  BITMAPINFO q;
  q.bmiHeader.biBitCount = 0;
  EXPECT_EQ(GetDIBits(dc, bmp, 0, 4, nullptr, &q, DIB_RGB_COLORS), 4);
  EXPECT_EQ(q.bmiHeader.biWidth, 3);
  EXPECT_EQ(q.bmiHeader.biHeight, 4);
  EXPECT_EQ(q.bmiHeader.biBitCount, 32);
  EXPECT_EQ(q.bmiHeader.biSizeImage, 48u);
  // Bottom-up scans 1..2 are image rows 2 and 1.
  q.bmiHeader.biBitCount = 24;
  std::vector<BYTE> two(2 * 12, 0xEE);
  EXPECT_EQ(GetDIBits(dc, bmp, 1, 2, two.data(), &q, DIB_RGB_COLORS), 2);
  EXPECT_EQ(two[2], 20);       // first buffer row = scan 1 = image row 2
  EXPECT_EQ(two[12 + 2], 10);  // second = image row 1
  EXPECT_EQ(GetDIBits(dc, nullptr, 0, 4, two.data(), &q, DIB_RGB_COLORS), 0);
  DeleteDC(dc);
  DeleteObject(bmp);
}

TEST(CreateDIBitmap, InitialisesFromBits) {
  Dib dib(2, 2, 8, false);
  dib.Put(0, 0, 1);
  dib.Put(1, 1, 2);
  HBITMAP bmp = CreateDIBitmap(GetDC(nullptr), &dib.info.bmiHeader, CBM_INIT, dib.bits.data(), &dib.info,
                               DIB_RGB_COLORS);
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->bitsPerPixel, 32);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  EXPECT_EQ(GetPixel(dc, 0, 0), dib.Colour(1));
  EXPECT_EQ(GetPixel(dc, 1, 1), dib.Colour(2));
  EXPECT_EQ(GetPixel(dc, 1, 0), dib.Colour(0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
}

TEST(CreateDIBSection, PaletteColoursResolveThroughTheDcPalette) {
  LOGPALETTE lp;
  lp.palNumEntries = 2;
  lp.palPalEntry[0] = PALETTEENTRY{10, 20, 30, 0};
  lp.palPalEntry[1] = PALETTEENTRY{40, 50, 60, 0};
  HPALETTE pal = CreatePalette(&lp);
  HDC dc = CreateCompatibleDC(nullptr);
  HPALETTE old = SelectPalette(dc, pal, FALSE);
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = 1;
  bi.bmiHeader.biHeight = 1;
  bi.bmiHeader.biBitCount = 1;
  const WORD idx[2] = {1, 0};
  std::memcpy(bi.bmiColors, idx, sizeof idx);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_PAL_COLORS, nullptr, nullptr, 0);
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->colorTable[0].rgbRed, 40);
  EXPECT_EQ(bmp->colorTable[1].rgbBlue, 30);
  EXPECT_FALSE(bmp->topDown);
  SelectPalette(dc, old, FALSE);
  DeleteDC(dc);
  DeleteObject(bmp);
  DeleteObject(pal);
}

}  // namespace

namespace {

BITMAPV4HEADER V4(int w, int h, DWORD compression, DWORD red, DWORD green, DWORD blue, DWORD alpha) {
  BITMAPV4HEADER v4;
  v4.bV4Width = w;
  v4.bV4Height = h;
  v4.bV4BitCount = 32;
  v4.bV4V4Compression = compression;
  v4.bV4RedMask = red;
  v4.bV4GreenMask = green;
  v4.bV4BlueMask = blue;
  v4.bV4AlphaMask = alpha;
  return v4;
}

struct V4Case {
  const char* what;
  BITMAPV4HEADER header;
  bool accepted;
};

class DibV4 : public ::testing::TestWithParam<V4Case> {};

TEST_P(DibV4, SectionsTakeOnlyTheStandardLayout) {
  void* bits = reinterpret_cast<void*>(1);
  HBITMAP bmp = CreateDIBSection(nullptr, &GetParam().header, DIB_RGB_COLORS, &bits, nullptr, 0);
  EXPECT_EQ(bmp != nullptr, GetParam().accepted) << GetParam().what;
  EXPECT_EQ(bits != nullptr, GetParam().accepted) << GetParam().what;
  if (bmp) DeleteObject(bmp);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DibV4,
    ::testing::Values(V4Case{"bitfields with alpha", V4(3, 2, BI_BITFIELDS, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u), true},
                      V4Case{"bitfields without alpha", V4(3, -2, BI_BITFIELDS, 0xFF0000, 0xFF00, 0xFF, 0), true},
                      V4Case{"masks left 0", V4(3, 2, BI_BITFIELDS, 0, 0, 0, 0), true},
                      V4Case{"plain 32 bits", V4(3, 2, BI_RGB, 0, 0, 0, 0), true},
                      V4Case{"red and blue swapped", V4(3, 2, BI_BITFIELDS, 0xFF, 0xFF00, 0xFF0000, 0), false},
                      V4Case{"565 masks", V4(3, 2, BI_BITFIELDS, 0xF800, 0x7E0, 0x1F, 0), false},
                      V4Case{"zero width", V4(0, 2, BI_BITFIELDS, 0xFF0000, 0xFF00, 0xFF, 0), false}));

TEST(DibV4Transfer, GetDIBitsKeepsTheFourthByteOfA32BitBitmap) {
  // A bottom-up section written through its bits, read top-down through a V4 header.
  BITMAPV4HEADER up = V4(2, 2, BI_BITFIELDS, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u);
  void* p = nullptr;
  GdiPtr<GdiBitmap> bmp(CreateDIBSection(nullptr, &up, DIB_RGB_COLORS, &p, nullptr, 0));
  ASSERT_TRUE(bmp);
  auto* px = static_cast<std::uint32_t*>(p);
  px[0] = 0x80112233;  // bottom-left
  px[3] = 0x01AABBCC;  // top-right
  BITMAPV4HEADER down = V4(2, -2, BI_BITFIELDS, 0, 0, 0, 0);
  std::uint32_t out[4] = {};
  DcPtr dc(CreateCompatibleDC(nullptr));
  ASSERT_EQ(GetDIBits(dc.get(), bmp.get(), 0, 2, out, &down, DIB_RGB_COLORS), 2);
  EXPECT_EQ(out[2], 0x80112233u);
  EXPECT_EQ(out[1], 0x01AABBCCu);
  EXPECT_EQ(down.bV4RedMask, 0xFF0000u);  // filled in
  EXPECT_EQ(down.bV4SizeImage, 16u);
}

}  // namespace
