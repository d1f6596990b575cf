// Golden files read and written with zlib alone, for builds without libpng (the Windows
// build): 8-bit greyscale, grey+alpha, RGB and RGBA without interlacing, which is what
// golden pictures and test artwork are. Anything else is refused with a reason.
#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "support/golden.h"

namespace testsupport {
namespace {

constexpr std::size_t kMaxPixels = std::size_t(1) << 26;
constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

using Bytes = std::vector<std::uint8_t>;

std::uint32_t BE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
void PutBE32(Bytes& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(std::uint8_t(v >> s));
}

bool ReadFile(const std::string& path, Bytes* out) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) return false;
  std::uint8_t buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) out->insert(out->end(), buf, buf + n);
  return !std::ferror(f.get());
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

bool ReadPng(const std::string& path, Image* out, std::string* error, PngAlpha alpha) {
  auto fail = [&](const std::string& why) {
    if (error) *error = path + ": " + why;
    return false;
  };
  Bytes file;
  if (!ReadFile(path, &file)) return fail("cannot read the file");
  if (file.size() < 8 || !std::equal(kSignature.begin(), kSignature.end(), file.begin())) return fail("not a PNG file");
  std::uint32_t width = 0, height = 0;
  int channels = 0;
  Bytes packed;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::uint32_t length = BE32(&file[at]);
    if (length > file.size() - at - 12) return fail("chunk runs past the end");
    const std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
    const std::uint8_t* body = &file[at + 8];
    if (type == "IHDR") {
      if (length < 13) return fail("short IHDR");
      width = BE32(body);
      height = BE32(body + 4);
      const int depth = body[8], colour = body[9], interlace = body[12];
      channels = colour == 0 ? 1 : colour == 4 ? 2 : colour == 2 ? 3 : colour == 6 ? 4 : 0;
      if (depth != 8 || channels == 0 || interlace != 0)
        return fail("only 8-bit grey, grey+alpha, RGB and RGBA without interlacing are read here");
      if (width == 0 || height == 0 || std::size_t(width) * height > kMaxPixels) return fail("picture too large");
    } else if (type == "IDAT") {
      packed.insert(packed.end(), body, body + length);
    } else if (type == "IEND") {
      break;
    }
    at += 12 + length;
  }
  if (channels == 0) return fail("no IHDR");
  const std::size_t stride = std::size_t(width) * std::size_t(channels);
  Bytes raw((stride + 1) * height);
  uLongf rawSize = uLongf(raw.size());
  if (uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())) != Z_OK || rawSize != raw.size())
    return fail("image data does not inflate to the picture's size");
  Bytes prev(stride, 0), row(stride);
  Image result(static_cast<int>(width), static_cast<int>(height));
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* src = &raw[y * (stride + 1)];
    const int filter = src[0];
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= std::size_t(channels) ? row[i - channels] : 0, b = prev[i];
      const int c = i >= std::size_t(channels) ? prev[i - channels] : 0;
      const int predictor = filter == 0 ? 0 : filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2 : Paeth(a, b, c);
      if (filter > 4) return fail("unknown row filter");
      row[i] = std::uint8_t(src[1 + i] + predictor);
    }
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint8_t* p = &row[std::size_t(x) * channels];
      const bool grey = channels < 3;
      const std::uint8_t r = p[0], g = grey ? p[0] : p[1], b = grey ? p[0] : p[2];
      const std::uint32_t a = channels == 2 ? p[1] : channels == 4 ? p[3] : 255;
      result.At(int(x), int(y)) = (alpha == PngAlpha::kKeep ? a << 24 : 0) | Bgrx(r, g, b);
    }
    prev.swap(row);
  }
  *out = std::move(result);
  return true;
}

bool WritePng(const std::string& path, const Image& image, PngAlpha alpha, std::string* error) {
  if (image.width <= 0 || image.height <= 0 || image.pixels.size() != std::size_t(image.width) * image.height) {
    if (error) *error = "cannot write an empty or inconsistent image";
    return false;
  }
  const int channels = alpha == PngAlpha::kKeep ? 4 : 3;
  Bytes raw;
  raw.reserve((std::size_t(image.width) * channels + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t p = image.At(x, y);
      raw.insert(raw.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
      if (channels == 4) raw.push_back(std::uint8_t(p >> 24));
    }
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  Bytes packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK) {
    if (error) *error = "cannot compress the picture";
    return false;
  }
  packed.resize(packedSize);
  Bytes png(kSignature.begin(), kSignature.end());
  auto chunk = [&png](const char* type, const Bytes& body) {
    PutBE32(png, std::uint32_t(body.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), body.begin(), body.end());
    PutBE32(png, std::uint32_t(crc32(0, &png[start], uInt(png.size() - start))));
  };
  Bytes ihdr;
  PutBE32(ihdr, std::uint32_t(image.width));
  PutBE32(ihdr, std::uint32_t(image.height));
  ihdr.insert(ihdr.end(), {8, std::uint8_t(channels == 4 ? 6 : 2), 0, 0, 0});
  chunk("IHDR", ihdr);
  chunk("IDAT", packed);
  chunk("IEND", {});
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!f || std::fwrite(png.data(), 1, png.size(), f.get()) != png.size() || std::fflush(f.get()) != 0) {
    if (error) *error = path + ": cannot write the file";
    return false;
  }
  return true;
}

}  // namespace testsupport
