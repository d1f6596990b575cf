// Sections: the process-wide switch; theme handles; the push-button look and its
// anti-aliased rounded shapes; part geometry; the parent's background.
#include "platform/theme/theme.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

struct ThemeData {
  const char* className;
};

namespace {

// ---------------------------------------------------------------------------------------
// The switch

constexpr DWORD kAllowAll = STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT;

std::optional<DWORD>& AppProperties() {
  static std::optional<DWORD> properties;
  return properties;
}

// ---------------------------------------------------------------------------------------
// Handles: one static record per class that has a look.

ThemeData gButton{"BUTTON"};

bool SameName(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
  return true;
}

}  // namespace

BOOL IsThemeActive() { return TRUE; }

DWORD GetThemeAppProperties() {
  if (AppProperties()) return *AppProperties();
  const char* classic = std::getenv("LB_CLASSIC_LOOK");
  return classic && *classic && std::strcmp(classic, "0") != 0 ? 0 : kAllowAll;
}

void SetThemeAppProperties(DWORD flags) { AppProperties() = flags; }

BOOL IsAppThemed() { return IsThemeActive() && (GetThemeAppProperties() & STAP_ALLOW_CONTROLS) ? TRUE : FALSE; }

HTHEME OpenThemeData(HWND hwnd, const char* classList) {
  (void)hwnd;
  if (!classList || !IsAppThemed()) return nullptr;
  std::string list = classList;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string name = list.substr(start, end - start);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    if (SameName(name, gButton.className)) return &gButton;
    start = end + 1;
  }
  return nullptr;
}

HRESULT CloseThemeData(HTHEME theme) { return theme ? S_OK : E_INVALIDARG; }

namespace {

// ---------------------------------------------------------------------------------------
// The push-button look

struct ButtonLook {
  COLORREF border;
  std::optional<COLORREF> ring;  // a second, inner ring (the default button)
  COLORREF faceTop, faceBottom;
};

// A light neutral face that darkens a little downwards; blue tints for hover and press
// (the press darker at the top, as if pushed in); the default button wears the accent.
const ButtonLook& PushButtonLook(int state) {
  static const ButtonLook looks[] = {
      {RGB(173, 173, 173), std::nullopt, RGB(253, 253, 253), RGB(229, 229, 229)},        // normal
      {RGB(72, 140, 214), std::nullopt, RGB(241, 248, 255), RGB(212, 231, 251)},         // hot
      {RGB(34, 94, 160), std::nullopt, RGB(190, 217, 245), RGB(214, 232, 251)},          // pressed
      {RGB(204, 204, 204), std::nullopt, RGB(245, 245, 245), RGB(245, 245, 245)},        // disabled
      {RGB(0, 103, 192), RGB(153, 200, 242), RGB(253, 253, 253), RGB(229, 229, 229)},    // defaulted
  };
  return looks[state - 1];
}

constexpr int kCornerRadius = 4;
constexpr int kContentMargin = 3;
constexpr int kSamples = 4;  // per axis: 16 coverage levels per pixel

// A rectangle with rounded corners in pixel units.
struct RoundedBox {
  int left, top, right, bottom, radius;

  bool Empty() const { return right <= left || bottom <= top; }
  // How many of the 16 sample points of pixel (x, y) lie inside.
  int Coverage(int x, int y) const {
    if (x < left || x >= right || y < top || y >= bottom) return 0;
    const int r = std::min({radius, (right - left) / 2, (bottom - top) / 2});
    const bool nearX = x < left + r || x >= right - r, nearY = y < top + r || y >= bottom - r;
    if (!nearX || !nearY) return kSamples * kSamples;
    int inside = 0;
    for (int j = 0; j < kSamples; ++j)
      for (int i = 0; i < kSamples; ++i) {
        const double px = x + (i + 0.5) / kSamples, py = y + (j + 0.5) / kSamples;
        const double cx = std::clamp(px, double(left + r), double(right - r));
        const double cy = std::clamp(py, double(top + r), double(bottom - r));
        if ((px - cx) * (px - cx) + (py - cy) * (py - cy) <= double(r) * r) ++inside;
      }
    return inside;
  }
};

// Pixels of the DIB are BGRX; colours are COLORREF (0x00BBGGRR).
std::uint32_t Blend(std::uint32_t dst, COLORREF color, int coverage) {
  constexpr int full = kSamples * kSamples;
  if (coverage == 0) return dst;
  if (coverage == full)
    return std::uint32_t(GetRValue(color)) << 16 | std::uint32_t(GetGValue(color)) << 8 | GetBValue(color);
  auto mix = [&](int d, int c) { return std::uint32_t((d * (full - coverage) + c * coverage + full / 2) / full); };
  return mix(dst >> 16 & 0xFF, GetRValue(color)) << 16 | mix(dst >> 8 & 0xFF, GetGValue(color)) << 8 |
         mix(dst & 0xFF, GetBValue(color));
}

COLORREF Lerp(COLORREF a, COLORREF b, int i, int n) {
  if (n <= 1) return a;
  auto ch = [&](int ca, int cb) { return BYTE((ca * (n - 1 - i) + cb * i + (n - 1) / 2) / (n - 1)); };
  return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

// Composes the button over the w x h background in `pixels` (top-down BGRX).
void PaintPushButton(std::uint32_t* pixels, int w, int h, int state) {
  const ButtonLook& look = PushButtonLook(state);
  const RoundedBox outer{0, 0, w, h, kCornerRadius};
  const RoundedBox ring{1, 1, w - 1, h - 1, kCornerRadius - 1};
  const RoundedBox face = look.ring ? RoundedBox{2, 2, w - 2, h - 2, kCornerRadius - 2} : ring;
  for (int y = 0; y < h; ++y) {
    const COLORREF faceColor = Lerp(look.faceTop, look.faceBottom, y - face.top, face.bottom - face.top);
    for (int x = 0; x < w; ++x) {
      std::uint32_t& p = pixels[std::size_t(y) * w + x];
      p = Blend(p, look.border, outer.Coverage(x, y));
      if (look.ring && !ring.Empty()) p = Blend(p, *look.ring, ring.Coverage(x, y));
      if (!face.Empty()) p = Blend(p, faceColor, face.Coverage(x, y));
    }
  }
}

bool KnownPart(HTHEME theme, int partId, int stateId) {
  return theme == &gButton && partId == BP_PUSHBUTTON && stateId >= PBS_NORMAL && stateId <= PBS_DEFAULTED;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Drawing and geometry

HRESULT DrawThemeBackground(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* rect, const RECT* clip) {
  if (!hdc || !rect || !KnownPart(theme, partId, stateId)) return E_INVALIDARG;
  const int w = rect->right - rect->left, h = rect->bottom - rect->top;
  if (w <= 0 || h <= 0) return S_OK;
  // Composed in a DIB over a copy of what is there, so the corners blend with the parent.
  BITMAPINFO info;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  GdiPtr<GdiBitmap> dib(CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  DcPtr mem(CreateCompatibleDC(hdc));
  if (!dib || !bits || !mem) return E_FAIL;
  HGDIOBJ old = SelectObject(mem.get(), dib.get());
  BitBlt(mem.get(), 0, 0, w, h, hdc, rect->left, rect->top, SRCCOPY);
  PaintPushButton(static_cast<std::uint32_t*>(bits), w, h, stateId);
  const int saved = SaveDC(hdc);
  if (clip) IntersectClipRect(hdc, clip->left, clip->top, clip->right, clip->bottom);
  BitBlt(hdc, rect->left, rect->top, w, h, mem.get(), 0, 0, SRCCOPY);
  RestoreDC(hdc, saved);
  SelectObject(mem.get(), old);
  return S_OK;
}

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* bounds,
                                      RECT* content) {
  (void)hdc;
  if (!bounds || !content || !KnownPart(theme, partId, stateId)) return E_INVALIDARG;
  *content = *bounds;
  InflateRect(content, -kContentMargin, -kContentMargin);
  return S_OK;
}

HRESULT GetThemeBackgroundExtent(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* content,
                                 RECT* extent) {
  (void)hdc;
  if (!content || !extent || !KnownPart(theme, partId, stateId)) return E_INVALIDARG;
  *extent = *content;
  InflateRect(extent, kContentMargin, kContentMargin);
  return S_OK;
}

BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int partId, int stateId) {
  return KnownPart(theme, partId, stateId) ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------------------
// The parent's background

HRESULT DrawThemeParentBackground(HWND hwnd, HDC hdc, const RECT* rect) {
  HWND parent = hwnd ? GetParent(hwnd) : nullptr;
  if (!parent || !hdc) return E_FAIL;
  POINT origin{0, 0};
  MapWindowPoints(hwnd, parent, &origin, 1);
  RECT parentClient;
  GetClientRect(parent, &parentClient);
  struct Restore {
    HDC dc;
    int saved;
    ~Restore() { RestoreDC(dc, saved); }
  } restore{hdc, SaveDC(hdc)};
  if (rect) IntersectClipRect(hdc, rect->left, rect->top, rect->right, rect->bottom);
  OffsetViewportOrgEx(hdc, -origin.x, -origin.y, nullptr);
  IntersectClipRect(hdc, parentClient.left, parentClient.top, parentClient.right, parentClient.bottom);
  SendMessageA(parent, WM_ERASEBKGND, WPARAM(hdc), 0);
  SendMessageA(parent, WM_PRINTCLIENT, WPARAM(hdc), PRF_CLIENT);
  return S_OK;
}
