#include "support/golden.h"

#include "platform/font/font.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace testsupport {
namespace {

std::string Hex(std::uint32_t bgrx) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%06X", unsigned(bgrx & 0xFFFFFF));
  return buf;
}

bool EnsureParent(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  return !ec;
}

}  // namespace

COLORREF Image::Color(int x, int y) const {
  const std::uint32_t p = At(x, y);
  return RGB(BYTE(p >> 16), BYTE(p >> 8), BYTE(p));
}

Image ImageFromBitmap(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || GetObjectA(bitmap, sizeof(BITMAP), &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight == 0) return {};
  const int width = bm.bmWidth;
  const int height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  BITMAPINFO info{};
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  Image image(width, height);
  HDC dc = CreateCompatibleDC(nullptr);
  const int rows = GetDIBits(dc, bitmap, 0, UINT(height), image.pixels.data(), &info, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (rows != height) return {};
  return image;
}

Image ImageFromDC(HDC hdc, const RECT& rect) {
  const Image full = ImageFromBitmap(GetDCSurface(hdc));
  POINT org{};
  GetViewportOrgEx(hdc, &org);
  RECT r = rect;
  OffsetRect(&r, org.x, org.y);
  if (!IntersectRect(&r, r, RECT{0, 0, full.width, full.height})) return {};
  Image part(r.right - r.left, r.bottom - r.top);
  for (int y = 0; y < part.height; ++y)
    for (int x = 0; x < part.width; ++x) part.At(x, y) = full.At(r.left + x, r.top + y);
  return part;
}

::testing::AssertionResult HasNamedPixels(const Image& image, const std::vector<NamedPixel>& pixels) {
  std::ostringstream bad;
  for (const NamedPixel& p : pixels) {
    const bool inside = p.x >= 0 && p.y >= 0 && p.x < image.width && p.y < image.height;
    const COLORREF got = inside ? image.Color(p.x, p.y) : CLR_INVALID;
    if (got == p.want) continue;
    char buf[96];
    std::snprintf(buf, sizeof buf, "(%d, %d): got 0x%06X, want 0x%06X: ", p.x, p.y, unsigned(got), unsigned(p.want));
    bad << "\n  " << buf << p.why;
  }
  if (bad.str().empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "named pixels (colours 0x00BBGGRR) that differ:" << bad.str();
}

std::vector<NamedPixel> InkEnds(int width, int height, COLORREF background, const std::function<void(HDC)>& draw,
                                const std::string& why) {
  BITMAPINFO info{};
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  FillSolidRect(dc, RECT{0, 0, width, height}, background);
  draw(dc);
  SelectObject(dc, old);
  DeleteDC(dc);
  const Image img = ImageFromBitmap(bmp);
  DeleteObject(bmp);
  std::vector<NamedPixel> ends;
  for (std::size_t i = 0; i < img.pixels.size(); ++i) {
    const int x = int(i % std::size_t(width)), y = int(i / std::size_t(width));
    if (img.Color(x, y) == background) continue;
    if (ends.size() == 2) ends.pop_back();
    ends.push_back(NamedPixel{x, y, img.Color(x, y), why + (ends.empty() ? ": first ink" : ": last ink")});
  }
  return ends;
}

namespace {
// Selects the UI font into a DC for the life of the object.
class UiFontIn {
 public:
  UiFontIn(HDC dc, UiFont font) : dc_(dc) {
    LOGFONTA lf;
    lf.lfHeight = -11;
    lf.lfWeight = font == UiFont::kBold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = font == UiFont::kUnderline;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "Tahoma");
    font_ = CreateFontIndirectA(&lf);
    old_ = SelectObject(dc, font_);
  }
  ~UiFontIn() {
    SelectObject(dc_, old_);
    DeleteObject(font_);
  }
  UiFontIn(const UiFontIn&) = delete;
  UiFontIn& operator=(const UiFontIn&) = delete;

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ old_;
};
}  // namespace

int UiTextWidth(UiFont font, const std::string& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  int width = 0;
  {
    UiFontIn f(dc, font);
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_CALCRECT);
    width = r.right;
  }
  DeleteDC(dc);
  return width;
}

std::vector<NamedPixel> TextInk(const Image& image, COLORREF background, COLORREF ink, UiFont font, int x, int y,
                                const std::string& text, const std::string& why) {
  std::vector<NamedPixel> ends = InkEnds(image.width, image.height, background, [&](HDC dc) {
    UiFontIn f(dc, font);
    SetTextColor(dc, ink);
    SetBkMode(dc, TRANSPARENT);
    RECT r{x, y, image.width, y + 13};
    DrawTextA(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOCLIP);
  }, "\"" + text + "\" " + why);
  // A caption with letters that leaves no ink fails by a pixel no image holds.
  if (ends.empty() && text.find_first_not_of(" &") != std::string::npos)
    ends.push_back(NamedPixel{-1, -1, ink, "\"" + text + "\" " + why + ": draws nothing"});
  return ends;
}

::testing::AssertionResult MatchesGolden(const Image& image, const std::string& name,
                                         const std::string& sourceDir, const std::string& binaryDir) {
  const std::string golden = sourceDir + "/tests/golden/" + name + ".png";
  const std::string actualPath = binaryDir + "/golden-out/" + name + ".actual.png";
  const std::string diffPath = binaryDir + "/golden-out/" + name + ".diff.png";
  std::string error;

  const char* update = std::getenv("LB_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    if (!EnsureParent(golden) || !WritePng(golden, image, PngAlpha::kNone, &error))
      return ::testing::AssertionFailure() << "could not write golden image " << golden << ": " << error;
    return ::testing::AssertionSuccess() << "wrote golden image " << golden;
  }

  auto writeActual = [&]() {
    return EnsureParent(actualPath) && WritePng(actualPath, image, PngAlpha::kNone);
  };
  if (!std::filesystem::exists(golden)) {
    const bool wrote = writeActual();
    return ::testing::AssertionFailure()
           << "golden image " << golden << " does not exist"
           << (wrote ? "; the picture drawn now is in " + actualPath : std::string())
           << ". To create it, run this test with LB_UPDATE_GOLDEN=1 in the environment, look at the "
              "picture, and commit it.";
  }
  Image expected;
  if (!ReadPng(golden, &expected, &error)) return ::testing::AssertionFailure() << "cannot read golden image: " << error;

  if (expected.width != image.width || expected.height != image.height) {
    writeActual();
    return ::testing::AssertionFailure() << name << ": size differs: expected " << expected.width << " x "
                                         << expected.height << ", actual " << image.width << " x " << image.height
                                         << "; actual picture written to " << actualPath;
  }
  std::size_t differing = 0;
  int firstX = -1, firstY = -1;
  Image diff(image.width, image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t e = expected.At(x, y) & 0xFFFFFF;
      const std::uint32_t a = image.At(x, y) & 0xFFFFFF;
      if (e != a) {
        if (differing++ == 0) firstX = x, firstY = y;
        diff.At(x, y) = Bgrx(255, 0, 0);
      } else {
        // A faded copy of the picture, so the red marks stand out but can be placed.
        auto fade = [](std::uint32_t c) { return std::uint8_t(255 - (255 - (c & 0xFF)) / 4); };
        diff.At(x, y) = Bgrx(fade(e >> 16), fade(e >> 8), fade(e));
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  writeActual();
  WritePng(diffPath, diff);
  std::ostringstream msg;
  msg << name << ": " << differing << " of " << image.pixels.size() << " pixels differ; first at (" << firstX
      << ", " << firstY << "): expected " << Hex(expected.At(firstX, firstY)) << ", actual "
      << Hex(image.At(firstX, firstY)) << " (RGB). Wrote " << actualPath << " and " << diffPath
      << "; run with LB_UPDATE_GOLDEN=1 to accept the new picture.";
  return ::testing::AssertionFailure() << msg.str();
}

}  // namespace testsupport
