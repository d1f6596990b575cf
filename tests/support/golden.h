// Golden-image helpers for the pixel tests: a plain 32-bit image, PNG reading and writing
// (through libpng, or zlib alone where there is none), capturing bitmaps and DC regions,
// and exact comparison with the pictures checked in under tests/golden/.
//
// Use from a test (built with lb_test, which defines LB_SOURCE_DIR and LB_BINARY_DIR):
//
//   #include "support/golden.h"
//   TEST(Button, Classic) {
//     ... draw into a 32-bit bitmap `bmp` ...
//     testsupport::ExpectMatchesGolden(testsupport::ImageFromBitmap(bmp), "button_classic");
//   }
//
// The golden file is LB_SOURCE_DIR/tests/golden/<name>.png. On a mismatch the test fails
// with the first differing pixel (coordinates and both colours) and the number of
// differing pixels, and writes LB_BINARY_DIR/golden-out/<name>.actual.png and
// <name>.diff.png (differences in red over a faded copy of the expected picture). Run
// the test with LB_UPDATE_GOLDEN=1 in the environment to (re)write the golden file
// instead; look at it before committing it. Comparison ignores the fourth byte of every
// pixel, since golden files hold RGB only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"

namespace testsupport {

// A picture in BGRX: each pixel one uint32_t 0xXXRRGGBB (bytes blue, green, red, X in
// memory), rows top-down without padding.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  Image() = default;
  Image(int w, int h, std::uint32_t fill = 0) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
  std::uint32_t& At(int x, int y) { return pixels[std::size_t(y) * width + x]; }
  std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
  // The pixel as a COLORREF (0x00BBGGRR), the form drawing code speaks.
  COLORREF Color(int x, int y) const;
  friend bool operator==(const Image&, const Image&) = default;
};

// Builds a BGRX pixel from red, green, blue.
constexpr std::uint32_t Bgrx(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | b;
}

enum class PngAlpha { kNone, kKeep };

// Reads any PNG into BGRX; with PngAlpha::kKeep the X byte holds the alpha (255 for
// images without one), otherwise it is 0. Returns false and says why in *error.
bool ReadPng(const std::string& path, Image* out, std::string* error = nullptr,
             PngAlpha alpha = PngAlpha::kNone);
// Writes 8-bit RGB (or RGBA from the X byte with PngAlpha::kKeep). Creates no folders.
bool WritePng(const std::string& path, const Image& image, PngAlpha alpha = PngAlpha::kNone,
              std::string* error = nullptr);

// Any GDI bitmap (1 to 32 bits per pixel, either row order) as a top-down BGRX image, read
// through GetDIBits. Empty image for a null or invalid bitmap.
Image ImageFromBitmap(HBITMAP bitmap);
// The part `rect` (logical coordinates of the DC) of the bitmap the DC draws into, cut to
// the bitmap.
Image ImageFromDC(HDC hdc, const RECT& rect);

// A pixel whose colour follows from the design (a position, a colour, a text offset, a
// bevel row), checked beside the golden comparison so that a golden regenerated from
// faulty drawing cannot carry the fault unnoticed.
struct NamedPixel {
  int x, y;
  COLORREF want;
  std::string why;
};
// Succeeds when the image holds every named pixel; otherwise names each one it does not.
::testing::AssertionResult HasNamedPixels(const Image& image, const std::vector<NamedPixel>& pixels);
// Where a text drawn at its designed place must show ink: `draw` paints it on a
// width x height surface filled with `background`, and the first and the last changed
// pixel in reading order become named pixels (with the colour drawn there); none when it
// changes nothing. A text moved by a pixel in any direction loses one of them.
std::vector<NamedPixel> InkEnds(int width, int height, COLORREF background, const std::function<void(HDC)>& draw,
                                const std::string& why);

// The UI font (Tahoma, GDI height -11, 13-pixel lines) in the looks the windows use.
enum class UiFont { kRegular, kBold, kUnderline };
// Width of a caption in the UI font, "&" prefixes not counted.
int UiTextWidth(UiFont font, const std::string& text);
// InkEnds of a caption drawn in the UI font with its cell's top-left corner at (x, y), "&"
// underlining the next letter, on a surface of the image's size.
std::vector<NamedPixel> TextInk(const Image& image, COLORREF background, COLORREF ink, UiFont font, int x, int y,
                                const std::string& text, const std::string& why);

// Compares with <sourceDir>/tests/golden/<name>.png as described above; outputs go to
// <binaryDir>/golden-out/.
::testing::AssertionResult MatchesGolden(const Image& image, const std::string& name,
                                         const std::string& sourceDir, const std::string& binaryDir);

#if defined(LB_SOURCE_DIR) && defined(LB_BINARY_DIR)
// The same with the paths of this build, usable as EXPECT_TRUE(MatchesGolden(img, "x")).
inline ::testing::AssertionResult MatchesGolden(const Image& image, const std::string& name) {
  return MatchesGolden(image, name, LB_SOURCE_DIR, LB_BINARY_DIR);
}

// Records a non-fatal failure at the caller's line when the image does not match.
inline void ExpectMatchesGolden(const Image& image, const std::string& name, const char* file = __builtin_FILE(),
                                int line = __builtin_LINE()) {
  const ::testing::AssertionResult r = MatchesGolden(image, name);
  if (!r) ADD_FAILURE_AT(file, line) << r.message();
}
#endif

}  // namespace testsupport
