// Drawing a PNG image (opaque stretch, key colour, alpha blend) and the queries of its
// size, pixels, rows and palette, plus the copy into a bitmap.
//
// Sections: size and rows / pixel access / palette / drawing / alpha blend drawing /
// export.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "platform/base/muldiv.h"
#include "platform/gdi/alphablend.h"
#include "platform/gdi/packed.h"
#include "png/pngimage.h"
#include "png/rowconv.h"

namespace {

inline COLORREF ColorOf(unsigned r, unsigned g, unsigned b) { return COLORREF(r | g << 8 | b << 16); }

}  // namespace

// ---------------------------------------------------------------------------------------
// Size and rows

int TPngImage::PixelWidth() { return HasHeader() ? int(ImageHeader().ImageWidth()) : 0; }
int TPngImage::PixelHeight() { return HasHeader() ? int(ImageHeader().ImageHeight()) : 0; }
bool TPngImage::IsTransparent() { return TransparencyKind() != tkNone; }

void TPngImage::SetPixelWidth(int) { RaisePngError<EPngError>(this, png_messages::kCannotResize); }
void TPngImage::SetPixelHeight(int) { RaisePngError<EPngError>(this, png_messages::kCannotResize); }

// Both raise without a header, and go by the storage's size.
std::uint8_t* TPngImage::PixelRow(int y) const {
  ImageHeader();
  return storage_.PixelRow(y);
}

std::uint8_t* TPngImage::AlphaRow(int y) const {
  return HasAlphaSamples(ImageHeader().ColorType()) ? storage_.AlphaRow(y) : nullptr;
}

// ---------------------------------------------------------------------------------------
// Pixel access

// Pixels inside the header's size and the storage's: a header changed after its storage
// was made does not lead outside the storage.
COLORREF TPngImage::PixelColor(int x, int y) {
  const TChunkIHDR& h = ImageHeader();
  const std::uint8_t* row = y < h.ImageHeight() ? PixelRow(y) : nullptr;
  if (!row || x < 0 || std::uint32_t(x) >= h.ImageWidth() || x >= storage_.Width()) return 0;
  unsigned bits = unsigned(storage_.StorageBits());
  switch (h.ColorType()) {
    using enum TPngColorType;
    case Grey:
    case Palette: {
      unsigned v = PackedIndex(row, std::uint32_t(x), bits);
      if (h.ColorType() == Palette) {
        // The colour table already holds the gamma-corrected colour that is drawn.
        const TChunkPLTE* plte = chunks_.FirstOfClass<TChunkPLTE>();
        if (!plte) RaisePngError<EPngError>(this, png_messages::kNoSuchPaletteEntry);
        std::uint32_t e = plte->Item(v);
        return ColorOf(e >> 16 & 0xFF, e >> 8 & 0xFF, e & 0xFF);
      }
      unsigned g = bits == 1 ? gammaMap_[(v * 255) & 255] : gammaMap_[(v * ((1u << bits) + 1)) & 255];
      return ColorOf(g, g, g);
    }
    case GreyAlpha: {
      unsigned g = bits >= 8 ? row[x] : MulDivRound(PackedIndex(row, std::size_t(x), bits), 255, (1 << bits) - 1);
      return ColorOf(g, g, g);
    }
    default: {
      const std::uint8_t* p = row + std::size_t(x) * 3;
      return ColorOf(p[2], p[1], p[0]);
    }
  }
}

void TPngImage::SetPixelColor(int x, int y, COLORREF color) {
  const TChunkIHDR& h = ImageHeader();
  std::uint8_t* row = y < h.ImageHeight() ? PixelRow(y) : nullptr;
  if (!row || x < 0 || std::uint32_t(x) >= h.ImageWidth() || x >= storage_.Width()) return;
  COLORREF c = COLORREF(ColorToRGB(TColor(color)));
  unsigned r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
  unsigned bits = unsigned(storage_.StorageBits());
  switch (h.ColorType()) {
    using enum TPngColorType;
    case Grey:
    case Palette: {
      // Only the entries the storage can address take part, so the index always fits.
      unsigned entries = 1u << bits;
      if (h.ColorType() == Palette)
        if (const auto* plte = chunks_.FirstOfClass<TChunkPLTE>())
          entries = std::clamp<unsigned>(unsigned(std::max(plte->Count(), 1)), 1, entries);
      unsigned best = 0, bestDist = ~0u;
      for (unsigned i = 0; i < entries; ++i) {
        const RGBQUAD& q = storage_.HeaderInfo().bmiColors[i];
        int dr = int(q.rgbRed) - int(r), dg = int(q.rgbGreen) - int(g), db = int(q.rgbBlue) - int(b);
        unsigned dist = unsigned(dr * dr + dg * dg + db * db);
        if (dist < bestDist) {
          bestDist = dist;
          best = i;
        }
      }
      SetPackedIndex(row, std::uint32_t(x), bits, best);
      break;
    }
    case GreyAlpha:
      if (bits >= 8) row[x] = std::uint8_t(r);
      else SetPackedIndex(row, std::uint32_t(x), bits, MulDivRound(r, (1 << bits) - 1, 255));
      break;
    default: {
      std::uint8_t* p = row + std::size_t(x) * 3;
      p[0] = std::uint8_t(b);
      p[1] = std::uint8_t(g);
      p[2] = std::uint8_t(r);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Palette

HPALETTE TPngImage::PaletteHandle() {
  if (!IsIndexedOrGrey(ImageHeader().ColorType())) return nullptr;
  if (!paletteCache_) {
    LOGPALETTE lp;
    lp.palVersion = 0x300;
    lp.palNumEntries = 256;
    for (int i = 0; i < 256; ++i) {
      const RGBQUAD& q = storage_.HeaderInfo().bmiColors[i];
      lp.palPalEntry[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    paletteCache_ = CreatePalette(&lp);
  }
  return paletteCache_;
}

void TPngImage::SetPaletteHandle(HPALETTE palette) {
  if (!IsIndexedOrGrey(ImageHeader().ColorType())) return;
  PALETTEENTRY entries[256] = {};
  UINT n = palette ? GetPaletteEntries(palette, 0, UINT(std::size(entries)), entries) : 0;
  for (UINT i = 0; i < n; ++i) {
    RGBQUAD& q = storage_.HeaderInfo().bmiColors[i];
    q.rgbRed = entries[i].peRed;
    q.rgbGreen = entries[i].peGreen;
    q.rgbBlue = entries[i].peBlue;
  }
  DeletePaletteCache();
}

// ---------------------------------------------------------------------------------------
// Drawing

void TPngImage::DrawOnCanvas(TCanvas& canvas, const RECT& rect) {
  if (!HasHeader()) return;
  const TPngStorage& s = storage_;
  if (!s.PixelBits() || s.Width() <= 0 || s.Height() <= 0) return;
  switch (TransparencyKind()) {
    case tkKeyColor:
      DrawWithKeyColor(canvas.Handle(), rect);
      break;
    case tkAlpha:
      DrawWithAlpha(canvas.Handle(), rect);
      break;
    case tkNone:
      StretchDIBits(canvas.Handle(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0,
                    s.Width(), s.Height(), s.PixelBits(), &s.HeaderInfo(), DIB_RGB_COLORS, SRCCOPY);
      break;
  }
}

void TPngImage::DrawWithKeyColor(HDC target, const RECT& rect) {
  const TPngStorage& s = storage_;
  int W = rect.right - rect.left, H = rect.bottom - rect.top;
  int w = s.Width(), hh = s.Height();
  if (W <= 0 || H <= 0) return;
  COLORREF key = COLORREF(ColorToRGB(TColor(KeyColor())));

  DcPtr src(CreateCompatibleDC(target)), mask(CreateCompatibleDC(target)), inverse(CreateCompatibleDC(target)),
      work(CreateCompatibleDC(target));
  GdiPtr<GdiBitmap> srcBmp(
      CreateDIBitmap(target, &s.HeaderInfo().bmiHeader, CBM_INIT, s.PixelBits(), &s.HeaderInfo(), DIB_RGB_COLORS));
  GdiPtr<GdiBitmap> maskBmp(CreateBitmap(W, H, 1, 1, nullptr)), inverseBmp(CreateBitmap(W, H, 1, 1, nullptr));
  GdiPtr<GdiBitmap> workBmp(CreateCompatibleBitmap(target, W, H));
  if (!src || !mask || !inverse || !work || !srcBmp || !maskBmp || !inverseBmp || !workBmp)
    RaisePngError<EPngOutMemory>(this, png_messages::kOutMemory);
  HGDIOBJ oldSrc = SelectObject(src.get(), srcBmp.get());
  HGDIOBJ oldMask = SelectObject(mask.get(), maskBmp.get());
  HGDIOBJ oldInverse = SelectObject(inverse.get(), inverseBmp.get());
  HGDIOBJ oldWork = SelectObject(work.get(), workBmp.get());

  // Key-coloured pixels become white in the mask, all others black.
  COLORREF oldBk = SetBkColor(src.get(), key);
  StretchBlt(mask.get(), 0, 0, W, H, src.get(), 0, 0, w, hh, SRCCOPY);
  SetBkColor(src.get(), oldBk);
  BitBlt(inverse.get(), 0, 0, W, H, mask.get(), 0, 0, NOTSRCCOPY);
  // The background survives only where the image is transparent ...
  BitBlt(work.get(), 0, 0, W, H, target, rect.left, rect.top, SRCCOPY);
  BitBlt(work.get(), 0, 0, W, H, mask.get(), 0, 0, SRCAND);
  // ... and the image's key-coloured pixels turn black before they are OR-ed in.
  StretchBlt(src.get(), 0, 0, w, hh, inverse.get(), 0, 0, W, H, SRCAND);
  StretchBlt(work.get(), 0, 0, W, H, src.get(), 0, 0, w, hh, SRCPAINT);
  BitBlt(target, rect.left, rect.top, W, H, work.get(), 0, 0, SRCCOPY);

  SelectObject(src.get(), oldSrc);
  SelectObject(mask.get(), oldMask);
  SelectObject(inverse.get(), oldInverse);
  SelectObject(work.get(), oldWork);
}

// ---------------------------------------------------------------------------------------
// Alpha blend drawing

namespace {

// Largest byte of p[0 .. n).
unsigned MaxByte(const std::uint8_t* p, std::size_t n) {
  std::size_t i = 0;
  unsigned m = 0;
#if defined(__SSE2__)
  const std::size_t vectorEnd = pngrow::CurrentRowLevel() >= pngrow::RowLevel::Sse2 ? n : 0;
  __m128i v = _mm_setzero_si128();
  for (; i + 16 <= vectorEnd; i += 16) v = _mm_max_epu8(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
  v = _mm_max_epu8(v, _mm_srli_si128(v, 8));
  v = _mm_max_epu8(v, _mm_srli_si128(v, 4));
  v = _mm_max_epu8(v, _mm_srli_si128(v, 2));
  v = _mm_max_epu8(v, _mm_srli_si128(v, 1));
  m = unsigned(_mm_cvtsi128_si32(v)) & 0xFF;
#endif
  for (; i < n; ++i) m = std::max<unsigned>(m, p[i]);
  return m;
}

// Whether every index of a palette image has a PLTE entry; looked at before any pixel is
// drawn, so that an image that raises leaves the target as it was.
bool IndexesValid(const BlendSource& src, unsigned bits, unsigned validEntries) {
  if (validEntries >= (1u << bits)) return true;
  std::vector<std::uint8_t> unpacked(bits < 8 ? std::size_t(src.width) : 0);
  for (int y = 0; y < src.height; ++y) {
    const std::uint8_t* row = src.pixels + src.pixelStep * y;
    if (bits < 8) {
      for (int x = 0; x < src.width; ++x) unpacked[std::size_t(x)] = std::uint8_t(PackedIndex(row, std::uint32_t(x), bits));
      row = unpacked.data();
    }
    if (MaxByte(row, std::size_t(src.width)) >= validEntries) return false;
  }
  return true;
}

}  // namespace

void TPngImage::DrawWithAlpha(HDC target, const RECT& rect) {
  const TPngStorage& h = storage_;
  const int w = h.Width(), hh = h.Height();
  // Refused where the 32-bit bitmap of the background would be refused.
  if (hh <= 0 || std::uint64_t(w) * 4 * std::uint64_t(hh) > kMaxBitmapBytes)
    RaisePngError<EPngOutMemory>(this, png_messages::kOutMemory);

  // The storage is read in place: its rows are bottom-up, the alpha plane's top-down.
  BlendSource src;
  src.width = w;
  src.height = hh;
  src.pixels = h.PixelBits() + std::ptrdiff_t(h.RowStride()) * (hh - 1);
  src.pixelStep = -std::ptrdiff_t(h.RowStride());
  src.alpha = h.AlphaPlane();
  src.alphaStep = w;
  DWORD table[256] = {};
  src.table = table;
  const unsigned bits = unsigned(h.StorageBits());
  const BlendLayout packed = bits == 1 ? BlendLayout::Index1 : bits == 4 ? BlendLayout::Index4 : BlendLayout::Index8;
  if (bits == 24) {
    src.layout = BlendLayout::Bgr;
  } else if (ImageHeader().ColorType() == TPngColorType::GreyAlpha) {
    // Grey levels below 8 bits (an alpha plane added to a low-depth grey image) stand for
    // 0 .. 255 evenly.
    src.layout = bits >= 8 ? BlendLayout::Grey : packed;
    for (int i = 0; bits < 8 && i < (1 << bits); ++i)
      table[i] = 0xFF000000u | MulDivRound(i, 255, (1 << bits) - 1) * 0x010101u;
  } else {
    src.layout = packed;
    src.alpha = nullptr;
    const TChunkPLTE* plte = chunks_.FirstOfClass<TChunkPLTE>();
    const TChunktRNS* trns = chunks_.FirstOfClass<TChunktRNS>();
    for (int i = 0; i < 256; ++i) {
      const RGBQUAD& q = h.HeaderInfo().bmiColors[i];
      DWORD a = trns ? trns->AlphaValues()[i] : 255;
      table[i] = DWORD(q.rgbBlue) | DWORD(q.rgbGreen) << 8 | DWORD(q.rgbRed) << 16 | a << 24;
    }
    if (!IndexesValid(src, bits, plte ? unsigned(std::clamp(plte->Count(), 0, 256)) : 0))
      RaisePngError<EPngError>(this, png_messages::kNoSuchPaletteEntry);
  }
  BlendStraightAlpha(target, rect.left, rect.top, src);
}

// ---------------------------------------------------------------------------------------
// Export

void TPngImage::ExportToBitmap(TBitmap* target) {
  if (!HasHeader()) {
    TGraphic::AssignTo(target);
    return;
  }
  const TPngStorage& h = storage_;
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateDIBitmap(screen, &h.HeaderInfo().bmiHeader, h.PixelBits() ? CBM_INIT : 0, h.PixelBits(),
                               &h.HeaderInfo(), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  target->SetHandle(bmp);
  switch (h.StorageBits()) {
    case 1: target->SetPixelFormat(pf1bit); break;
    case 4: target->SetPixelFormat(pf4bit); break;
    case 8: target->SetPixelFormat(pf8bit); break;
    case 24: target->SetPixelFormat(pf24bit); break;
    default: target->SetPixelFormat(pf32bit); break;
  }
  if (TransparencyKind() == tkKeyColor) {
    target->SetTransparentColor(TColor(KeyColor()));
    target->SetTransparent(true);
  }
}
