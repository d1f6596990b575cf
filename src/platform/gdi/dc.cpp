// Device contexts: creation, the screen DC, object selection, saved states, colours and
// modes, the viewport origin and clipping.
#include <algorithm>
#include <array>
#include <climits>
#include <utility>

#include "platform/gdi/dc_internal.h"

namespace gdi {

namespace {

// Stands for "no clipping": large enough to cover every surface, small enough that the
// viewport origin can move it without overflow.
constexpr LONG kFar = 1 << 29;
constexpr RECT kEverywhere{-kFar, -kFar, kFar, kFar};

WindowDcProvider g_provider = nullptr;
WindowDcReleaser g_releaser = nullptr;

std::array<GdiObject*, 5> Held(const DcState& s) {
  return {s.bitmap, s.brush, s.pen, s.font, s.palette};
}

void HoldAll(const DcState& s) {
  for (GdiObject* o : Held(s)) AddSelection(o);
}

void ReleaseAll(const DcState& s) {
  for (GdiObject* o : Held(s)) DropSelection(o);
}

void InitState(DcState& s, HBITMAP bitmap) {
  s = DcState{};
  s.bitmap = bitmap;
  s.brush = static_cast<HBRUSH>(StockObject(WHITE_BRUSH));
  s.pen = static_cast<HPEN>(StockObject(BLACK_PEN));
  s.font = static_cast<HFONT>(StockObject(DEFAULT_GUI_FONT));
  s.palette = static_cast<HPALETTE>(StockObject(DEFAULT_PALETTE));
  HoldAll(s);
}

HDC NewDc(DeviceContext::Kind kind, HBITMAP bitmap) {
  auto* dc = new DeviceContext;
  dc->kind = kind;
  InitState(dc->state, bitmap);
  return dc;
}

HDC ScreenDc() {
  static HDC screen = [] {
    HBITMAP surface = NewBitmap(kScreenWidth, kScreenHeight, 32, true, false);
    if (surface) surface->stock = true;
    return NewDc(DeviceContext::Kind::Screen, surface);
  }();
  return screen;
}

// How often this DC (current and saved states) holds `o`.
int RefsInDc(HDC hdc, GdiObject* o) {
  int n = 0;
  for (GdiObject* h : Held(hdc->state)) n += h == o;
  for (const DcState& s : hdc->saved)
    for (GdiObject* h : Held(s)) n += h == o;
  return n;
}

template <class T>
HGDIOBJ Swap(T*& slot, T* obj) {
  T* prev = slot;
  AddSelection(obj);
  slot = obj;
  DropSelection(prev);
  return prev;
}

LONG Saturate(std::int64_t v) { return LONG(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX)); }

RECT ToDevice(HDC hdc, int l, int t, int r, int b) {
  const POINT& o = hdc->state.viewportOrg;
  return RECT{Saturate(std::int64_t(l) + o.x), Saturate(std::int64_t(t) + o.y), Saturate(std::int64_t(r) + o.x),
              Saturate(std::int64_t(b) + o.y)};
}

int ClipType(HDC hdc) { return RegionType(ClipRects(hdc)); }

}  // namespace

bool ValidDc(HDC hdc) { return hdc != nullptr; }

GdiBitmap* Surface(HDC hdc) { return hdc ? hdc->state.bitmap : nullptr; }

std::vector<RECT> ClipRects(HDC hdc) {
  GdiBitmap* s = Surface(hdc);
  if (!s) return {};
  RECT bounds{0, 0, s->width, s->height};
  const DcState& st = hdc->state;
  if (!st.clipped && !hdc->systemClipped) return {bounds};
  // Only when both clips are present does the (costlier) banded intersection run.
  const std::vector<RECT>& one = !st.clipped ? hdc->systemClip : st.clip;
  std::vector<RECT> both;
  if (st.clipped && hdc->systemClipped) both = CombineRects(st.clip, hdc->systemClip, RGN_AND);
  std::vector<RECT> out;
  for (const RECT& r : st.clipped && hdc->systemClipped ? both : one) {
    RECT c;
    if (IntersectRect(&c, r, bounds)) out.push_back(c);
  }
  return out;
}

void AddSelection(GdiObject* o) {
  if (o) ++o->selectCount;
}

void DropSelection(GdiObject* o) {
  if (o && o->selectCount > 0) --o->selectCount;
}

}  // namespace gdi

using namespace gdi;

// ---------------------------------------------------------------------------------------
// Creation

HDC GetDC(HWND hwnd) {
  if (!hwnd) return ScreenDc();
  return g_provider ? g_provider(hwnd) : nullptr;
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  if (!hwnd) return hdc == ScreenDc() ? 1 : 0;
  return g_releaser ? g_releaser(hwnd, hdc) : 0;
}

void SetWindowDcProvider(WindowDcProvider get, WindowDcReleaser release) {
  g_provider = get;
  g_releaser = release;
}

HDC CreateCompatibleDC(HDC) { return NewDc(DeviceContext::Kind::Memory, DefaultBitmap()); }

HDC CreateBitmapDC(HBITMAP target) {
  if (!target) return nullptr;
  return NewDc(DeviceContext::Kind::Target, target);
}

BOOL DeleteDC(HDC hdc) {
  if (!hdc || hdc->kind == DeviceContext::Kind::Screen) return FALSE;
  ReleaseAll(hdc->state);
  for (const DcState& s : hdc->saved) ReleaseAll(s);
  delete hdc;
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Objects

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  if (!hdc || !obj) return nullptr;
  DcState& s = hdc->state;
  switch (obj->objType) {
    case OBJ_BITMAP: {
      auto* b = static_cast<HBITMAP>(obj);
      if (hdc->kind == DeviceContext::Kind::Screen) return nullptr;
      // A bitmap draws for one DC at a time; the shared default bitmap is the exception.
      if (!b->stock && b->selectCount > RefsInDc(hdc, b)) return nullptr;
      return Swap(s.bitmap, b);
    }
    case OBJ_BRUSH: return Swap(s.brush, static_cast<HBRUSH>(obj));
    case OBJ_PEN: return Swap(s.pen, static_cast<HPEN>(obj));
    case OBJ_FONT: return Swap(s.font, static_cast<HFONT>(obj));
    case OBJ_PAL: return Swap(s.palette, static_cast<HPALETTE>(obj));
    case OBJ_REGION: {
      int type = SelectClipRgn(hdc, static_cast<HRGN>(obj));
      return reinterpret_cast<HGDIOBJ>(std::intptr_t(type));
    }
    default: return nullptr;
  }
}

HGDIOBJ SelectObject(HDC hdc, HBITMAP bitmap) { return SelectObject(hdc, static_cast<HGDIOBJ>(bitmap)); }

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  if (!hdc) return nullptr;
  switch (type) {
    case OBJ_BITMAP: return hdc->state.bitmap;
    case OBJ_BRUSH: return hdc->state.brush;
    case OBJ_PEN: return hdc->state.pen;
    case OBJ_FONT: return hdc->state.font;
    case OBJ_PAL: return hdc->state.palette;
    default: return nullptr;
  }
}

HPALETTE SelectPalette(HDC hdc, HPALETTE pal, BOOL) {
  if (!hdc || !pal) return nullptr;
  return static_cast<HPALETTE>(Swap(hdc->state.palette, pal));
}

UINT RealizePalette(HDC hdc) { return hdc ? 0 : GDI_ERROR; }

HBITMAP GetDCSurface(HDC hdc) { return Surface(hdc); }

int GetDeviceCaps(HDC hdc, int index) {
  if (!hdc) return 0;
  GdiBitmap* s = Surface(hdc);
  switch (index) {
    case HORZRES: return s ? s->width : 0;
    case VERTRES: return s ? s->height : 0;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case RASTERCAPS: return 0x0001 | 0x0008 | 0x0080 | 0x0200 | 0x0800;  // BITBLT, BITMAP64, DI_BITMAP, STRETCHBLT, STRETCHDIB
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case SIZEPALETTE: return 0;
    default: return 0;
  }
}

int SaveDC(HDC hdc) {
  if (!hdc) return 0;
  hdc->saved.push_back(hdc->state);
  HoldAll(hdc->state);
  return int(hdc->saved.size());
}

BOOL RestoreDC(HDC hdc, int saved) {
  if (!hdc) return FALSE;
  int depth = int(hdc->saved.size());
  int level = saved < 0 ? depth + 1 + saved : saved;
  if (level < 1 || level > depth) return FALSE;
  ReleaseAll(hdc->state);
  hdc->state = std::move(hdc->saved[std::size_t(level - 1)]);
  for (int k = level; k < depth; ++k) ReleaseAll(hdc->saved[std::size_t(k)]);
  hdc->saved.resize(std::size_t(level - 1));
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Colours and modes

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  if (!hdc) return CLR_INVALID;
  return std::exchange(hdc->state.textColor, ColorToRGB(color) & 0xFFFFFF);
}
COLORREF GetTextColor(HDC hdc) { return hdc ? hdc->state.textColor : CLR_INVALID; }

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  if (!hdc) return CLR_INVALID;
  return std::exchange(hdc->state.bkColor, ColorToRGB(color) & 0xFFFFFF);
}
COLORREF GetBkColor(HDC hdc) { return hdc ? hdc->state.bkColor : CLR_INVALID; }

int SetBkMode(HDC hdc, int mode) {
  if (!hdc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(hdc->state.bkMode, mode);
}
int GetBkMode(HDC hdc) { return hdc ? hdc->state.bkMode : 0; }

int SetStretchBltMode(HDC hdc, int mode) {
  if (!hdc || mode < BLACKONWHITE || mode > 4) return 0;
  return std::exchange(hdc->state.stretchMode, mode);
}
int GetStretchBltMode(HDC hdc) { return hdc ? hdc->state.stretchMode : 0; }

BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old) {
  if (!hdc) return FALSE;
  if (old) *old = hdc->state.brushOrg;
  hdc->state.brushOrg = POINT{x, y};
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Viewport and current position

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* old) {
  if (!hdc) return FALSE;
  if (old) *old = hdc->state.viewportOrg;
  hdc->state.viewportOrg = POINT{x, y};
  return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, POINT* out) {
  if (!hdc || !out) return FALSE;
  *out = hdc->state.viewportOrg;
  return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, POINT* old) {
  if (!hdc) return FALSE;
  POINT& o = hdc->state.viewportOrg;
  if (old) *old = o;
  o = POINT{Saturate(std::int64_t(o.x) + dx), Saturate(std::int64_t(o.y) + dy)};
  return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old) {
  if (!hdc) return FALSE;
  if (old) *old = hdc->state.position;
  hdc->state.position = POINT{x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, POINT* out) {
  if (!hdc || !out) return FALSE;
  *out = hdc->state.position;
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Clipping

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  if (!hdc) return ERROR;
  DcState& s = hdc->state;
  std::vector<RECT> base = s.clipped ? s.clip : std::vector<RECT>{kEverywhere};
  RECT r = ToDevice(hdc, left, top, right, bottom);
  s.clip = IsRectEmpty(r) ? CombineRects(base, {}, RGN_COPY) : CombineRects(base, {r}, RGN_DIFF);
  s.clipped = true;
  return ClipType(hdc);
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  if (!hdc) return ERROR;
  DcState& s = hdc->state;
  std::vector<RECT> base = s.clipped ? s.clip : std::vector<RECT>{kEverywhere};
  RECT r = ToDevice(hdc, left, top, right, bottom);
  s.clip = IsRectEmpty(r) ? std::vector<RECT>{} : CombineRects(base, {r}, RGN_AND);
  s.clipped = true;
  return ClipType(hdc);
}

int SelectClipRgn(HDC hdc, HRGN rgn) {
  if (!hdc) return ERROR;
  DcState& s = hdc->state;
  if (!rgn) {
    s.clipped = false;
    s.clip.clear();
    return SIMPLEREGION;
  }
  s.clip = CombineRects(rgn->rects, {}, RGN_COPY);
  s.clipped = true;
  return ClipType(hdc);
}

int GetClipRgn(HDC hdc, HRGN rgn) {
  if (!hdc || !rgn) return -1;
  if (!hdc->state.clipped) return 0;
  rgn->rects = hdc->state.clip;
  return 1;
}

int GetClipBox(HDC hdc, RECT* r) {
  if (!hdc || !r) return ERROR;
  std::vector<RECT> rects = ClipRects(hdc);
  RECT box = BoundingBox(rects);
  if (!rects.empty()) OffsetRect(&box, -hdc->state.viewportOrg.x, -hdc->state.viewportOrg.y);
  *r = box;
  return RegionType(rects);
}

int SetDCSystemClip(HDC hdc, const RECT* deviceRects, int count) {
  if (!hdc || count < 0 || (count > 0 && !deviceRects)) return ERROR;
  if (count == 0) {
    hdc->systemClipped = false;
    hdc->systemClip.clear();
  } else {
    // Normalised, so an empty rectangle leaves nothing visible rather than everything.
    hdc->systemClip = CombineRects(std::vector<RECT>(deviceRects, deviceRects + count), {}, RGN_COPY);
    hdc->systemClipped = true;
  }
  return ClipType(hdc);
}

std::vector<RECT> GetDCClipRects(HDC hdc) { return ClipRects(hdc); }

BOOL PtVisible(HDC hdc, int x, int y) {
  if (!hdc) return FALSE;
  std::int64_t dx = std::int64_t(x) + hdc->state.viewportOrg.x, dy = std::int64_t(y) + hdc->state.viewportOrg.y;
  for (const RECT& r : ClipRects(hdc))
    if (dx >= r.left && dx < r.right && dy >= r.top && dy < r.bottom) return TRUE;
  return FALSE;
}
