// The application icon from the built-in PNG pictures.
#include "appicon.h"

#include <cstdint>
#include <vector>

#include "embedded_resources.h"
#include "platform/win/win.h"
#include "png/pngimage.h"
#include "ui/core/streams.h"
#include "ui/core/sysutils.h"

namespace {

// Only the sizes that task bars, switchers and title bars take from a window. The larger
// pictures are installed as theme icons, which desktops prefer where an entry names one;
// decoding them here would cost start-up time for nothing.
constexpr const char* kPictures[] = {"APPICON16", "APPICON32", "APPICON48"};

// The picture as 0xAARRGGBB with straight alpha, in the colours the codec draws. Pictures
// without an alpha channel are opaque.
std::vector<std::uint32_t> ArgbPixels(TPngImage& png) {
  const int width = png.PixelWidth(), height = png.PixelHeight();
  std::vector<std::uint32_t> out;
  out.reserve(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* alpha = png.AlphaRow(y);
    for (int x = 0; x < width; ++x) {
      const COLORREF c = png.PixelColor(x, y);
      const std::uint32_t a = alpha ? alpha[x] : 255u;
      out.push_back(a << 24 | std::uint32_t(GetRValue(c)) << 16 | std::uint32_t(GetGValue(c)) << 8 | GetBValue(c));
    }
  }
  return out;
}

}  // namespace

bool SetLauncherIcon() {
  RegisterEmbeddedResources_launcher_app();
  std::vector<std::vector<std::uint32_t>> pixels;
  std::vector<IconPixels> sizes;
  try {
    for (const char* name : kPictures) {
      TResourceStream stream(name);
      TPngImage png;
      png.LoadFromStream(stream);
      pixels.push_back(ArgbPixels(png));
      sizes.push_back(IconPixels{png.PixelWidth(), png.PixelHeight(), nullptr});
    }
  } catch (const Exception&) {
    return false;
  }
  for (std::size_t i = 0; i < sizes.size(); ++i) sizes[i].argb = pixels[i].data();
  return SetWindowIconPixels(nullptr, sizes.data(), int(sizes.size())) != FALSE;
}
