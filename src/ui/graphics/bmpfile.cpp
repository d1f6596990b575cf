// Windows BMP files for TBitmap. Every size and offset taken from the file is checked
// before use: a bad file raises EInvalidGraphic "Bitmap image is not valid" and never makes
// us read past the data or allocate more than the platform's bitmap limit.
//
// Sections: little-endian helpers, header parsing, RLE decoding, ReadFromStream,
// WriteToStream.
#include <cstring>

#include "platform/base/muldiv.h"
#include "platform/gdi/surface.h"
#include "ui/graphics/graphics.h"

namespace {

constexpr DWORD kBiRle8 = 1;
constexpr DWORD kBiRle4 = 2;
constexpr DWORD kBiBitfields = 3;

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

std::uint16_t U16(const BYTE* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t U32(const BYTE* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
void Put16(BYTE* p, std::uint32_t v) {
  p[0] = BYTE(v);
  p[1] = BYTE(v >> 8);
}
void Put32(BYTE* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = BYTE(v >> (8 * i));
}

// Reads exactly n bytes or reports the file as invalid (a short file is a broken file).
void ReadExact(TStream& s, void* buf, std::int64_t n) {
  auto* p = static_cast<BYTE*>(buf);
  while (n > 0) {
    std::int64_t got = s.Read(p, n);
    if (got <= 0) Invalid();
    p += got;
    n -= got;
  }
}

// Run-length encoded pixels (8 or 4 bits) into a bottom-up DIB. Runs that go past the right
// edge are cut there, and the data ends at the end-of-bitmap code, at the last row or at the
// end of the input, whichever comes first.
void DecodeRle(const BYTE* data, std::size_t size, const SurfaceView& bmp, bool four) {
  std::size_t i = 0;
  int x = 0, y = 0;  // y counts rows from the bottom
  const int w = bmp.Width(), h = bmp.Height();
  auto put = [&](int px, BYTE v) {
    if (px < 0 || px >= w || y >= h) return;
    BYTE* row = bmp.Row(h - 1 - y);
    if (four) {
      BYTE& b = row[px >> 1];
      if (px & 1) b = BYTE((b & 0xF0) | (v & 0x0F));
      else b = BYTE((b & 0x0F) | (v << 4));
    } else {
      row[px] = v;
    }
  };
  while (i + 1 < size && y < h) {
    BYTE n = data[i], c = data[i + 1];
    i += 2;
    if (n > 0) {
      for (int k = 0; k < n && x < w; ++k, ++x) put(x, four ? BYTE(k & 1 ? c & 0x0F : c >> 4) : c);
      continue;
    }
    if (c == 0) {  // end of line
      x = 0;
      ++y;
    } else if (c == 1) {  // end of bitmap
      return;
    } else if (c == 2) {  // delta
      if (i + 1 >= size) Invalid();
      x += data[i];
      y += data[i + 1];
      i += 2;
    } else {  // absolute run of c pixels, padded to a 16-bit boundary
      std::size_t bytes = four ? (std::size_t(c) + 1) / 2 : c;
      std::size_t padded = (bytes + 1) & ~std::size_t(1);
      if (size - i < bytes) Invalid();
      for (int k = 0; k < c; ++k, ++x) {
        BYTE v = four ? BYTE(k & 1 ? data[i + k / 2] & 0x0F : data[i + k / 2] >> 4) : data[i + k];
        if (x < w) put(x, v);
      }
      i += std::min(padded, size - i);
    }
  }
}

// 16 bpp (5-5-5 or given masks) and 32 bpp with masks become plain 24 / 32 bpp.
int MaskShift(std::uint32_t mask) {
  int s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}
int MaskBits(std::uint32_t mask) {
  mask >>= MaskShift(mask);
  int n = 0;
  while (mask & 1) {
    mask >>= 1;
    ++n;
  }
  return n;
}
BYTE Channel(std::uint32_t px, std::uint32_t mask) {
  if (!mask) return 0;
  int bits = MaskBits(mask);
  std::uint32_t v = (px & mask) >> MaskShift(mask);
  if (bits >= 8) return BYTE(v >> (bits - 8));
  return BYTE(MulDivRound(v, 255, (1 << bits) - 1));
}

}  // namespace

void TBitmap::ReadFromStream(TStream& stream) {
  const std::int64_t start = stream.Position();
  std::int64_t total = stream.Size() - start;  // bytes available from the file header on
  BYTE fh[14];
  ReadExact(stream, fh, 14);
  if (fh[0] != 'B' || fh[1] != 'M') Invalid();
  const std::uint32_t offBits = U32(fh + 10);

  BYTE ih[124] = {};
  ReadExact(stream, ih, 4);
  const std::uint32_t headerSize = U32(ih);
  const bool core = headerSize == 12;
  if (!core && (headerSize < 40 || headerSize > 124)) Invalid();
  ReadExact(stream, ih + 4, headerSize - 4);

  std::int64_t width, height;
  int bpp;
  DWORD compression = BI_RGB;
  std::uint32_t clrUsed = 0;
  if (core) {
    width = U16(ih + 4);
    height = U16(ih + 6);
    if (U16(ih + 8) != 1) Invalid();
    bpp = U16(ih + 10);
  } else {
    width = std::int32_t(U32(ih + 4));
    height = std::int32_t(U32(ih + 8));
    if (U16(ih + 12) != 1) Invalid();
    bpp = U16(ih + 14);
    compression = U32(ih + 16);
    clrUsed = U32(ih + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) Invalid();
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Invalid();
  if (compression == kBiRle8 && bpp != 8) Invalid();
  if (compression == kBiRle4 && bpp != 4) Invalid();
  if ((compression == kBiRle8 || compression == kBiRle4) && topDown) Invalid();
  if (compression == kBiBitfields && bpp != 16 && bpp != 32) Invalid();
  if (compression > kBiBitfields) Invalid();

  // Channel masks: after a 40-byte header they follow it; larger headers hold them.
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  std::int64_t afterHeader = 14 + std::int64_t(headerSize);
  if (compression == kBiBitfields) {
    if (headerSize == 40) {
      BYTE mb[12];
      ReadExact(stream, mb, 12);
      afterHeader += 12;
      for (int i = 0; i < 3; ++i) masks[i] = U32(mb + 4 * i);
    } else {
      for (int i = 0; i < 3; ++i) masks[i] = U32(ih + 40 + 4 * i);
    }
  } else if (bpp == 32) {
    masks[0] = 0x00FF0000;
    masks[1] = 0x0000FF00;
    masks[2] = 0x000000FF;
  }

  // The colour table: at most 2^bpp entries; a count beyond that is a broken file.
  std::uint32_t colors = 0;
  if (bpp <= 8) {
    std::uint32_t full = 1u << bpp;
    if (clrUsed > full) Invalid();
    colors = clrUsed ? clrUsed : full;
  } else if (clrUsed > 256) {
    // Palettes of true-colour files are only a hint; an absurd count is still an error.
    Invalid();
  } else {
    colors = clrUsed;
  }
  const int entrySize = core ? 3 : 4;
  BITMAPINFO info;
  {
    BYTE table[256 * 4];
    ReadExact(stream, table, std::int64_t(colors) * entrySize);
    if (bpp <= 8)
      for (std::uint32_t i = 0; i < colors; ++i)
        info.bmiColors[i] = RGBQUAD{table[i * entrySize], table[i * entrySize + 1], table[i * entrySize + 2], 0};
    afterHeader += std::int64_t(colors) * entrySize;
  }

  // Pixel data starts at the stated offset (when it is a sane one) or right after the table.
  std::int64_t dataPos = afterHeader;
  if (offBits != 0) {
    if (offBits < afterHeader || std::int64_t(offBits) > total) Invalid();
    dataPos = offBits;
  }
  const std::int64_t available = total - dataPos;

  // Sizes in 64 bits: width < 2^31 and bpp <= 32, so no product below can overflow.
  const std::int64_t fileStride = ((width * bpp + 31) / 32) * 4;
  const int outBpp = bpp == 16 ? 24 : bpp;
  const std::int64_t outStride = ((width * outBpp + 31) / 32) * 4;
  if (outStride > std::int64_t(kMaxBitmapBytes) / height || fileStride > std::int64_t(kMaxBitmapBytes) / height)
    Invalid();
  const bool rle = compression == kBiRle8 || compression == kBiRle4;
  // Uncompressed data must all be there before anything is allocated for it.
  if (!rle && fileStride * height > available) Invalid();

  stream.SetPosition(start + dataPos);
  info.bmiHeader.biWidth = LONG(width);
  info.bmiHeader.biHeight = LONG(topDown ? -height : height);
  info.bmiHeader.biBitCount = WORD(outBpp);
  GdiPtr<GdiBitmap> bmp(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
  if (!bmp) Invalid();

  {
    SurfaceView pixels(bmp.get());
    if (rle) {
      std::vector<BYTE> data;
      try {
        data.resize(std::size_t(available));
      } catch (const std::exception&) {
        Invalid();
      }
      ReadExact(stream, data.data(), available);
      DecodeRle(data.data(), data.size(), pixels, compression == kBiRle4);
    } else if (bpp == 16 || (bpp == 32 && compression == kBiBitfields)) {
      std::vector<BYTE> row(static_cast<std::size_t>(fileStride));
      for (std::int64_t fy = 0; fy < height; ++fy) {
        ReadExact(stream, row.data(), fileStride);
        BYTE* out = pixels.Row(int(topDown ? fy : height - 1 - fy));
        for (std::int64_t x = 0; x < width; ++x) {
          std::uint32_t px = bpp == 16 ? U16(&row[std::size_t(x * 2)]) : U32(&row[std::size_t(x * 4)]);
          BYTE* o = out + x * (outBpp / 8);
          o[0] = Channel(px, masks[2]);
          o[1] = Channel(px, masks[1]);
          o[2] = Channel(px, masks[0]);
        }
      }
    } else {
      // Same layout in the file and in the DIB (same row order was asked for).
      for (std::int64_t fy = 0; fy < height; ++fy)
        ReadExact(stream, pixels.Row(int(topDown ? fy : height - 1 - fy)), fileStride);
    }
  }

  TPixelFormat format = outBpp == 1 ? pf1bit : outBpp == 4 ? pf4bit : outBpp == 8 ? pf8bit : outBpp == 24 ? pf24bit : pf32bit;
  if (palette_) {
    DeleteObject(palette_);
    palette_ = nullptr;
  }
  Replace(bmp.release(), int(width), int(height), format);
}

void TBitmap::WriteToStream(TStream& stream) {
  HBITMAP h = Handle();
  if (!h) {
    // An empty bitmap writes nothing, so reading it back gives an empty bitmap too.
    return;
  }
  SurfaceView pixels(h);
  const int bpp = pixels.BitsPerPixel();
  const std::uint32_t colors = bpp <= 8 ? (1u << bpp) : 0;
  const std::uint32_t stride = std::uint32_t(((std::int64_t(pixels.Width()) * bpp + 31) / 32) * 4);
  const std::uint32_t imageSize = stride * std::uint32_t(pixels.Height());
  const std::uint32_t offBits = 14 + 40 + colors * 4;
  BYTE head[14 + 40] = {};
  head[0] = 'B';
  head[1] = 'M';
  Put32(head + 2, offBits + imageSize);
  Put32(head + 10, offBits);
  BYTE* ih = head + 14;
  Put32(ih, 40);
  Put32(ih + 4, std::uint32_t(pixels.Width()));
  Put32(ih + 8, std::uint32_t(pixels.Height()));  // bottom-up
  Put16(ih + 12, 1);
  Put16(ih + 14, std::uint32_t(bpp));
  Put32(ih + 16, BI_RGB);
  Put32(ih + 20, imageSize);
  Put32(ih + 24, 3780);  // 96 dpi in pixels per metre
  Put32(ih + 28, 3780);
  Put32(ih + 32, colors);
  stream.WriteBuffer(head, sizeof head);
  if (colors) {
    std::vector<BYTE> table(colors * 4, 0);
    std::span<RGBQUAD> entries = pixels.ColorTable();
    for (std::uint32_t i = 0; i < colors && i < entries.size(); ++i) {
      table[i * 4] = entries[i].rgbBlue;
      table[i * 4 + 1] = entries[i].rgbGreen;
      table[i * 4 + 2] = entries[i].rgbRed;
    }
    stream.WriteBuffer(table.data(), std::int64_t(table.size()));
  }
  for (int y = pixels.Height() - 1; y >= 0; --y) stream.WriteBuffer(pixels.Row(y), stride);
}
