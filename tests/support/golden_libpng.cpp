// Golden files read and written through libpng.
#include <png.h>

#include "support/golden.h"

namespace testsupport {
namespace {

// Golden pictures are window-sized; anything far larger is a corrupt file.
constexpr std::size_t kMaxPixels = std::size_t(1) << 26;

}  // namespace

bool ReadPng(const std::string& path, Image* out, std::string* error, PngAlpha alpha) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) {
    if (error) *error = path + ": " + img.message;
    png_image_free(&img);
    return false;
  }
  if (std::size_t(img.width) * img.height > kMaxPixels) {
    if (error) *error = path + ": picture too large";
    png_image_free(&img);
    return false;
  }
  img.format = PNG_FORMAT_BGRA;
  std::vector<std::uint8_t> buf(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, buf.data(), 0, nullptr)) {
    if (error) *error = path + ": " + img.message;
    png_image_free(&img);
    return false;
  }
  Image result(int(img.width), int(img.height));
  for (std::size_t i = 0; i < result.pixels.size(); ++i) {
    const std::uint8_t* p = &buf[i * 4];
    const std::uint32_t x = alpha == PngAlpha::kKeep ? p[3] : 0;
    result.pixels[i] = (x << 24) | Bgrx(p[2], p[1], p[0]);
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
  std::vector<std::uint8_t> buf(image.pixels.size() * std::size_t(channels));
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const std::uint32_t p = image.pixels[i];
    std::uint8_t* d = &buf[i * std::size_t(channels)];
    d[0] = std::uint8_t(p);
    d[1] = std::uint8_t(p >> 8);
    d[2] = std::uint8_t(p >> 16);
    if (channels == 4) d[3] = std::uint8_t(p >> 24);
  }
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = png_uint_32(image.width);
  img.height = png_uint_32(image.height);
  img.format = channels == 4 ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
  if (!png_image_write_to_file(&img, path.c_str(), 0, buf.data(), image.width * channels, nullptr)) {
    if (error) *error = path + ": " + img.message;
    png_image_free(&img);
    return false;
  }
  return true;
}

}  // namespace testsupport
