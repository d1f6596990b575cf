#include "pngtest_util.h"

#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "ui/core/sysutils.h"

namespace pngtest {

int Channels(int ct) {
  switch (ct) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

std::size_t RowBytes(int ct, int d, std::uint32_t w) { return (std::size_t(w) * Channels(ct) * d + 7) / 8; }

RawImage RandomImage(std::uint32_t w, std::uint32_t h, int ct, int d, std::uint32_t seed) {
  RawImage img;
  img.width = w;
  img.height = h;
  img.colorType = ct;
  img.bitDepth = d;
  std::mt19937 rng(seed);
  unsigned max = d == 16 ? 65535 : (1u << d) - 1;
  img.samples.resize(h);
  for (auto& row : img.samples) {
    row.resize(std::size_t(w) * Channels(ct));
    for (auto& s : row) s = std::uint16_t(rng() % (max + 1));
  }
  return img;
}

void PutBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v >> 24);
  p[1] = std::uint8_t(v >> 16);
  p[2] = std::uint8_t(v >> 8);
  p[3] = std::uint8_t(v);
}

Bytes ChunkBytes(const std::string& type, const Bytes& body) {
  Bytes out(12 + body.size());
  PutBE32(out.data(), std::uint32_t(body.size()));
  std::memcpy(out.data() + 4, type.data(), 4);
  if (!body.empty()) std::memcpy(out.data() + 8, body.data(), body.size());
  std::uint32_t crc = std::uint32_t(crc32(0, out.data() + 4, uInt(4 + body.size())));
  PutBE32(out.data() + 8 + body.size(), crc);
  return out;
}

Bytes IhdrBody(std::uint32_t w, std::uint32_t h, int d, int ct, int interlace) {
  Bytes b(13);
  PutBE32(b.data(), w);
  PutBE32(b.data() + 4, h);
  b[8] = std::uint8_t(d);
  b[9] = std::uint8_t(ct);
  b[12] = std::uint8_t(interlace);
  return b;
}

namespace {

// Packs the samples of the listed columns of one image row.
Bytes PackRow(const RawImage& img, std::uint32_t y, const std::vector<std::uint32_t>& cols) {
  int ch = Channels(img.colorType), d = img.bitDepth;
  Bytes out((cols.size() * ch * d + 7) / 8, 0);
  std::size_t bit = 0;
  for (std::uint32_t x : cols) {
    for (int c = 0; c < ch; ++c) {
      unsigned s = img.samples[y][std::size_t(x) * ch + c];
      if (d == 16) {
        out[bit / 8] = std::uint8_t(s >> 8);
        out[bit / 8 + 1] = std::uint8_t(s);
      } else if (d == 8) {
        out[bit / 8] = std::uint8_t(s);
      } else {
        out[bit / 8] |= std::uint8_t(s << (8 - d - bit % 8));
      }
      bit += std::size_t(d);
    }
  }
  return out;
}

int Paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

}  // namespace

void AppendFiltered(Bytes& out, const Bytes& row, const Bytes& prev, int filter, std::size_t bpp) {
  out.push_back(std::uint8_t(filter));
  for (std::size_t i = 0; i < row.size(); ++i) {
    int a = i >= bpp ? row[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0, pred = 0;
    switch (filter) {
      case 1: pred = a; break;
      case 2: pred = b; break;
      case 3: pred = (a + b) / 2; break;
      case 4: pred = Paeth(a, b, c); break;
      default: pred = 0;
    }
    out.push_back(std::uint8_t(row[i] - pred));
  }
}

Bytes FilteredData(const RawImage& img, int interlace, int filter) {
  std::size_t bpp = std::max<std::size_t>(1, std::size_t(Channels(img.colorType) * img.bitDepth / 8));
  Bytes out;
  int rowCounter = 0;
  auto emitPass = [&](std::uint32_t r0, std::uint32_t c0, std::uint32_t rs, std::uint32_t cs) {
    std::vector<std::uint32_t> cols;
    for (std::uint32_t x = c0; x < img.width; x += cs) cols.push_back(x);
    if (cols.empty()) return;
    Bytes prev;
    for (std::uint32_t y = r0; y < img.height; y += rs) {
      Bytes row = PackRow(img, y, cols);
      if (prev.empty()) prev.assign(row.size(), 0);
      int f = filter < 0 ? rowCounter % 5 : filter;
      ++rowCounter;
      AppendFiltered(out, row, prev, f, bpp);
      prev = row;
    }
  };
  if (interlace == 0) {
    emitPass(0, 0, 1, 1);
  } else {
    const std::uint32_t r0[7] = {0, 0, 4, 0, 2, 0, 1}, c0[7] = {0, 4, 0, 2, 0, 1, 0};
    const std::uint32_t rs[7] = {8, 8, 8, 4, 4, 2, 2}, cs[7] = {8, 8, 4, 4, 2, 2, 1};
    for (int p = 0; p < 7; ++p) emitPass(r0[p], c0[p], rs[p], cs[p]);
  }
  return out;
}

Bytes Deflate(const Bytes& data, int level) {
  uLongf n = compressBound(uLong(data.size()));
  Bytes out(n);
  compress2(out.data(), &n, data.data(), uLong(data.size()), level);
  out.resize(n);
  return out;
}

Bytes BuildPng(const PngPlan& plan) {
  const RawImage& img = plan.image;
  Bytes out = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  auto add = [&](const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); };
  add(ChunkBytes("IHDR", IhdrBody(img.width, img.height, img.bitDepth, img.colorType, plan.interlace)));
  for (const Chunk& c : plan.beforeData) add(ChunkBytes(c.type, c.body));
  Bytes z = Deflate(FilteredData(img, plan.interlace, plan.filter));
  std::size_t pieces = std::max<std::size_t>(1, plan.idatPieces);
  std::size_t step = (z.size() + pieces - 1) / pieces;
  for (std::size_t i = 0; i < pieces; ++i) {
    std::size_t a = std::min(z.size(), i * step), b = std::min(z.size(), a + step);
    add(ChunkBytes("IDAT", Bytes(z.begin() + std::ptrdiff_t(a), z.begin() + std::ptrdiff_t(b))));
  }
  for (const Chunk& c : plan.afterData) add(ChunkBytes(c.type, c.body));
  add(ChunkBytes("IEND", {}));
  return out;
}

Bytes PaletteBody(int n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b;
  for (int i = 0; i < n; ++i) {
    b.push_back(std::uint8_t(rng()));
    b.push_back(std::uint8_t(rng()));
    b.push_back(std::uint8_t(i));  // blue differs per entry, so all entries are distinct
  }
  return b;
}

std::size_t FindChunk(const Bytes& png, const std::string& type, int occurrence) {
  std::size_t at = 8;
  while (at + 8 <= png.size()) {
    std::uint32_t len = std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 | std::uint32_t(png[at + 2]) << 8 |
                        png[at + 3];
    if (std::memcmp(png.data() + at + 4, type.data(), 4) == 0 && occurrence-- == 0) return at;
    at += 12 + std::size_t(len);
  }
  return std::string::npos;
}

void FixCrc(Bytes& png, std::size_t at) {
  std::uint32_t len = std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 | std::uint32_t(png[at + 2]) << 8 |
                      png[at + 3];
  std::uint32_t crc = std::uint32_t(crc32(0, png.data() + at + 4, uInt(4 + len)));
  PutBE32(png.data() + at + 8 + len, crc);
}

std::vector<std::uint8_t> GammaTable(std::uint32_t gama) {
  std::vector<std::uint8_t> t(256);
  for (int i = 0; i < 256; ++i) t[std::size_t(i)] = std::uint8_t(i);
  if (gama == 0) return t;
  long double e = 1.0L / ((long double)gama / 100000.0L * 2.2L);
  for (int i = 0; i < 256; ++i) {
    long double v = i == 0 ? 0.0L : std::pow((long double)i / 255.0L, e) * 255.0L;
    t[std::size_t(i)] = std::uint8_t(std::nearbyint(v));
  }
  return t;
}

void SaveSeed(const std::string& name, const Bytes& png, const std::string& target) {
  std::filesystem::path dir = std::filesystem::path(LB_BINARY_DIR) / "fuzz-seeds" / target;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (png.size() > 65536) return;
  std::ofstream f(dir / (name + ".png"), std::ios::binary);
  f.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
}

Raised Catch(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const Exception& e) {
    return {e.ClassName(), e.Message()};
  }
  return {};
}

}  // namespace pngtest
