// Sections: the process-wide switch; theme handles; the parts' looks and their
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
ThemeData gListBox{"LISTBOX"};
ThemeData gTab{"TAB"};
ThemeData gMenu{"MENU"};
ThemeData* const gClasses[] = {&gButton, &gListBox, &gTab, &gMenu};

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
    for (ThemeData* data : gClasses)
      if (SameName(name, data->className)) return data;
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

// A part's picture is w x h; `pixels` (top-down BGRX) holds the piece of it that is being
// composed, over the background that was there.
struct PartCanvas {
  std::uint32_t* pixels;
  int w, h;
  RECT piece;
  std::uint32_t& At(int x, int y) const {
    return pixels[std::size_t(y - piece.top) * std::size_t(piece.right - piece.left) + std::size_t(x - piece.left)];
  }
};

// Composes the button over the background.
void PaintPushButton(const PartCanvas& c, int state) {
  const int w = c.w, h = c.h;
  const ButtonLook& look = PushButtonLook(state);
  const RoundedBox outer{0, 0, w, h, kCornerRadius};
  const RoundedBox ring{1, 1, w - 1, h - 1, kCornerRadius - 1};
  const RoundedBox face = look.ring ? RoundedBox{2, 2, w - 2, h - 2, kCornerRadius - 2} : ring;
  for (int y = c.piece.top; y < c.piece.bottom; ++y) {
    const COLORREF faceColor = Lerp(look.faceTop, look.faceBottom, y - face.top, face.bottom - face.top);
    for (int x = c.piece.left; x < c.piece.right; ++x) {
      std::uint32_t& p = c.At(x, y);
      p = Blend(p, look.border, outer.Coverage(x, y));
      if (look.ring && !ring.Empty()) p = Blend(p, *look.ring, ring.Coverage(x, y));
      if (!face.Empty()) p = Blend(p, faceColor, face.Coverage(x, y));
    }
  }
}

// A one-pixel outline between two boxes in `border`, and (when given) the inner box filled
// with a vertical gradient; outside the outer box and, without a fill, inside the inner
// one the background stays.
void PaintOutlined(const PartCanvas& c, const RoundedBox& outer, const RoundedBox& inner, COLORREF border,
                   std::optional<COLORREF> fillTop, COLORREF fillBottom) {
  // Without a fill, the inner box's rows below and above its corners keep the background
  // from its left to its right edge: those pixels are skipped (a list's border would
  // otherwise cost a pass over the whole list).
  const int r = inner.Empty() ? 0 : std::min({inner.radius, (inner.right - inner.left) / 2, (inner.bottom - inner.top) / 2});
  for (int y = c.piece.top; y < c.piece.bottom; ++y) {
    const COLORREF fill = fillTop ? Lerp(*fillTop, fillBottom, y - inner.top, inner.bottom - inner.top) : 0;
    const bool plainRow = !fillTop && !inner.Empty() && y >= inner.top + r && y < inner.bottom - r;
    for (int x = c.piece.left; x < c.piece.right; ++x) {
      if (plainRow && x >= inner.left && x < inner.right) {
        x = inner.right - 1;
        continue;
      }
      std::uint32_t& p = c.At(x, y);
      const int in = inner.Empty() ? 0 : inner.Coverage(x, y);
      p = Blend(p, border, std::max(0, outer.Coverage(x, y) - in));
      if (fillTop) p = Blend(p, fill, in);
    }
  }
}

// Group frames, list borders, the pane and the selected tab are outlines in quiet greys
// (the list's border a little darker, since it frames white); unselected tabs are a shade
// darker than the page they lead to, and the menu highlight is the light blue of a hovered
// button.
constexpr COLORREF kGroupFrame = RGB(213, 213, 213);
constexpr COLORREF kPaneBorder = RGB(188, 188, 188);
constexpr COLORREF kListBorder[] = {RGB(130, 135, 144), RGB(0, 103, 192), RGB(72, 140, 214), RGB(204, 204, 204)};

void PaintGroupBox(const PartCanvas& c, int state) {
  const COLORREF border = state == GBS_DISABLED ? RGB(226, 226, 226) : kGroupFrame;
  PaintOutlined(c, RoundedBox{0, 0, c.w, c.h, 3}, RoundedBox{1, 1, c.w - 1, c.h - 1, 2}, border, std::nullopt, 0);
}

void PaintListBorder(const PartCanvas& c, int state) {
  PaintOutlined(c, RoundedBox{0, 0, c.w, c.h, 0}, RoundedBox{1, 1, c.w - 1, c.h - 1, 0},
                kListBorder[state - LBPSN_NORMAL], std::nullopt, 0);
}

void PaintTabItem(const PartCanvas& c, int state) {
  const int w = c.w, h = c.h;
  // The boxes run past the bottom so only the top corners round and the bottom stays open.
  const RoundedBox outer{0, 0, w, h + 4, 2}, inner{1, 1, w - 1, h + 4, 1};
  switch (state) {
    case TIS_SELECTED:
    case TIS_FOCUSED: PaintOutlined(c, outer, inner, kPaneBorder, std::nullopt, 0); return;
    case TIS_HOT: PaintOutlined(c, outer, inner, RGB(126, 180, 234), RGB(236, 244, 252), RGB(220, 236, 252)); return;
    case TIS_DISABLED:
      PaintOutlined(c, outer, inner, RGB(217, 217, 217), RGB(244, 244, 244), RGB(244, 244, 244));
      return;
    default: PaintOutlined(c, outer, inner, RGB(208, 208, 208), RGB(246, 246, 246), RGB(229, 229, 229)); return;
  }
}

void PaintPane(const PartCanvas& c, int) {
  PaintOutlined(c, RoundedBox{0, 0, c.w, c.h, 0}, RoundedBox{1, 1, c.w - 1, c.h - 1, 0}, kPaneBorder, std::nullopt,
                0);
}

void PaintMenuItem(const PartCanvas& c, int state) {
  const RoundedBox outer{0, 0, c.w, c.h, 2}, inner{1, 1, c.w - 1, c.h - 1, 1};
  if (state == MPI_HOT)
    PaintOutlined(c, outer, inner, RGB(153, 209, 255), RGB(204, 232, 255), RGB(204, 232, 255));
  else if (state == MPI_DISABLEDHOT)
    PaintOutlined(c, outer, inner, RGB(218, 218, 218), RGB(235, 235, 235), RGB(235, 235, 235));
}

using PartPainter = void (*)(const PartCanvas&, int);

struct PartEntry {
  const ThemeData* theme;
  int part;
  int lastState;
  PartPainter paint;
  int contentMargin;
  // An outline with nothing inside: every pixel further than this from the edges keeps the
  // background, so only the band along the edges is composed (0: the whole part).
  int band;
};

const PartEntry kParts[] = {
    {&gButton, BP_PUSHBUTTON, PBS_DEFAULTED, PaintPushButton, kContentMargin, 0},
    {&gButton, BP_GROUPBOX, GBS_DISABLED, PaintGroupBox, 1, 3},
    {&gListBox, LBCP_BORDER_NOSCROLL, LBPSN_DISABLED, PaintListBorder, 1, 1},
    {&gTab, TABP_TABITEM, TIS_FOCUSED, PaintTabItem, 1, 0},
    {&gTab, TABP_PANE, 1, PaintPane, 1, 1},
    {&gMenu, MENU_POPUPITEM, MPI_DISABLEDHOT, PaintMenuItem, 0, 0},
};

const PartEntry* FindPart(HTHEME theme, int partId, int stateId) {
  for (const PartEntry& e : kParts)
    if (e.theme == theme && e.part == partId && stateId >= 1 && stateId <= e.lastState) return &e;
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Drawing and geometry

HRESULT DrawThemeBackground(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* rect, const RECT* clip) {
  const PartEntry* part = FindPart(theme, partId, stateId);
  if (!hdc || !rect || !part) return E_INVALIDARG;
  const int w = rect->right - rect->left, h = rect->bottom - rect->top;
  if (w <= 0 || h <= 0) return S_OK;
  // Composed in a DIB over a copy of what is there, so the corners blend with the parent;
  // an outline only along its band, in four pieces.
  const int b = part->band;
  RECT pieces[4] = {{0, 0, w, h}};
  int count = 1;
  if (b > 0 && w > 2 * b && h > 2 * b) {
    pieces[0] = RECT{0, 0, w, b};
    pieces[1] = RECT{0, h - b, w, h};
    pieces[2] = RECT{0, b, b, h - b};
    pieces[3] = RECT{w - b, b, w, h - b};
    count = 4;
  }
  DcPtr mem(CreateCompatibleDC(hdc));
  if (!mem) return E_FAIL;
  HRESULT result = S_OK;
  for (int i = 0; i < count; ++i) {
    const RECT& p = pieces[i];
    const int pw = p.right - p.left, ph = p.bottom - p.top;
    BITMAPINFO info;
    info.bmiHeader.biWidth = pw;
    info.bmiHeader.biHeight = -ph;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    GdiPtr<GdiBitmap> dib(CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) {
      result = E_FAIL;
      break;
    }
    HGDIOBJ old = SelectObject(mem.get(), dib.get());
    const int x = rect->left + p.left, y = rect->top + p.top;
    BitBlt(mem.get(), 0, 0, pw, ph, hdc, x, y, SRCCOPY);
    part->paint(PartCanvas{static_cast<std::uint32_t*>(bits), w, h, p}, stateId);
    const SavedDcState saved(hdc);  // until the end of this piece
    if (clip) IntersectClipRect(hdc, clip->left, clip->top, clip->right, clip->bottom);
    BitBlt(hdc, x, y, pw, ph, mem.get(), 0, 0, SRCCOPY);
    SelectObject(mem.get(), old);
  }
  return result;
}

namespace {

// The content rectangle lies the part's margin inside the background; `sign` -1 goes in,
// +1 goes out.
HRESULT MoveByContentMargin(HTHEME theme, int partId, int stateId, const RECT* from, RECT* to, int sign) {
  const PartEntry* part = FindPart(theme, partId, stateId);
  if (!from || !to || !part) return E_INVALIDARG;
  *to = *from;
  InflateRect(to, sign * part->contentMargin, sign * part->contentMargin);
  return S_OK;
}

}  // namespace

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC, int partId, int stateId, const RECT* bounds,
                                      RECT* content) {
  return MoveByContentMargin(theme, partId, stateId, bounds, content, -1);
}

HRESULT GetThemeBackgroundExtent(HTHEME theme, HDC, int partId, int stateId, const RECT* content, RECT* extent) {
  return MoveByContentMargin(theme, partId, stateId, content, extent, +1);
}

BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int partId, int stateId) {
  const PartEntry* part = FindPart(theme, partId, stateId);
  // Every part has rounded corners or an open inside.
  return part ? TRUE : FALSE;
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
  const SavedDcState saved(hdc);
  if (rect) IntersectClipRect(hdc, rect->left, rect->top, rect->right, rect->bottom);
  OffsetViewportOrgEx(hdc, -origin.x, -origin.y, nullptr);
  IntersectClipRect(hdc, parentClient.left, parentClient.top, parentClient.right, parentClient.bottom);
  SendMessageA(parent, WM_ERASEBKGND, WPARAM(hdc), 0);
  SendMessageA(parent, WM_PRINTCLIENT, WPARAM(hdc), PRF_CLIENT);
  return S_OK;
}
