// Painting and presenting: invalid areas, the visible part of a window, window DCs on the
// top-level window's back buffer, WM_PAINT on demand, and presenting the drawn part of a
// back buffer once nothing in the window still waits to be painted (so the screen never
// shows a half-painted frame).
#include <algorithm>

#include "platform/win/system.h"

using namespace winsys;

namespace {

// Cuts `cut` out of a list of non-overlapping rectangles.
void Subtract(std::vector<RECT>& list, const RECT& cut) {
  if (IsRectEmpty(cut)) return;
  std::vector<RECT> out;
  out.reserve(list.size() + 4);
  for (const RECT& r : list) {
    RECT in;
    if (!IntersectRect(&in, r, cut)) {
      out.push_back(r);
      continue;
    }
    if (r.top < in.top) out.push_back(RECT{r.left, r.top, r.right, in.top});
    if (in.bottom < r.bottom) out.push_back(RECT{r.left, in.bottom, r.right, r.bottom});
    if (r.left < in.left) out.push_back(RECT{r.left, in.top, in.left, in.bottom});
    if (in.right < r.right) out.push_back(RECT{in.right, in.top, r.right, in.bottom});
  }
  list.swap(out);
}

// The parts of a window's client area that are not covered, in back-buffer coordinates:
// clipped by every ancestor, minus visible siblings above it (and above each ancestor)
// and minus its own visible children.
std::vector<RECT> VisibleRects(Window* w) {
  POINT o = OriginInTop(w);
  RECT vis{o.x, o.y, o.x + w->Width(), o.y + w->Height()};
  for (Window* a = w; a->IsChild(); a = a->parent) {
    Window* p = a->parent;
    POINT po = OriginInTop(p);
    RECT pr{po.x, po.y, po.x + p->Width(), po.y + p->Height()};
    if (!IntersectRect(&vis, vis, pr)) return {};
  }
  std::vector<RECT> list{vis};
  for (Window* a = w; a->IsChild(); a = a->parent) {
    Window* p = a->parent;
    POINT po = OriginInTop(p);
    auto it = std::find(p->children.begin(), p->children.end(), a);
    for (++it; it != p->children.end(); ++it) {
      Window* s = *it;
      if (!(s->style & WS_VISIBLE)) continue;
      RECT sr = s->rect;
      OffsetRect(&sr, po.x, po.y);
      Subtract(list, sr);
    }
  }
  for (Window* c : w->children) {
    if (!(c->style & WS_VISIBLE)) continue;
    RECT cr = c->rect;
    OffsetRect(&cr, o.x, o.y);
    Subtract(list, cr);
  }
  return list;
}

RECT Bounds(const std::vector<RECT>& list) {
  RECT b{};
  for (const RECT& r : list) UnionRect(&b, b, r);
  return b;
}

void AddDirty(Window* top, const RECT& r) {
  if (!IsRectEmpty(r)) UnionRect(&top->dirty, top->dirty, r);
}

// A DC on the window's part of the back buffer; clipClient (client coordinates) narrows
// the visible part further.
HDC MakeWindowDc(Window* w, const RECT* clipClient, RECT* drawnInTop) {
  Window* top = TopOf(w);
  if (!top->backBuffer) return nullptr;
  HDC hdc = CreateBitmapDC(top->backBuffer);
  if (!hdc) return nullptr;
  POINT o = OriginInTop(w);
  std::vector<RECT> rects = VisibleRects(w);
  if (clipClient) {
    RECT c = *clipClient;
    OffsetRect(&c, o.x, o.y);
    std::vector<RECT> cut;
    for (const RECT& r : rects) {
      RECT in;
      if (IntersectRect(&in, r, c)) cut.push_back(in);
    }
    rects.swap(cut);
  }
  // The visible part goes into the system clip, which the window's own drawing code cannot
  // widen (SelectClipRgn(hdc, nullptr), RestoreDC); the application clip starts empty.
  const RECT nothing{};
  if (rects.empty())
    SetDCSystemClip(hdc, &nothing, 1);
  else
    SetDCSystemClip(hdc, rects.data(), int(rects.size()));
  SetViewportOrgEx(hdc, o.x, o.y, nullptr);
  if (drawnInTop) *drawnInTop = Bounds(rects);
  return hdc;
}

void InvalidateWhole(Window* w, bool erase) {
  w->invalid = ClientRectOf(w);
  w->erase = w->erase || erase;
}

void UpdateTree(System& s, Window* w) {
  PaintNow(s, w);
  if (!s.Live(w)) return;
  std::vector<Window*> kids = w->children;
  for (Window* c : kids)
    if (s.Live(c)) UpdateTree(s, c);
}

}  // namespace

namespace winsys {

HDC ProvideWindowDc(HWND hwnd) {
  Window* w = LiveWindow(hwnd);
  if (!w) return nullptr;
  return MakeWindowDc(w, nullptr, nullptr);
}

int ReleaseWindowDc(HWND hwnd, HDC hdc) {
  Window* w = LiveWindow(hwnd);
  if (!hdc) return 0;
  DeleteDC(hdc);
  if (w) AddDirty(TopOf(w), Bounds(VisibleRects(w)));
  return 1;
}

bool NeedsPaint(Window* w) { return !IsRectEmpty(w->invalid) && Visible(w); }

Window* FirstToPaint(Window* w) {
  if (!(w->style & WS_VISIBLE)) return nullptr;
  if (NeedsPaint(w)) return w;
  for (Window* c : w->children)
    if (Window* r = FirstToPaint(c)) return r;
  return nullptr;
}

void Present(System& s, Window* top) {
  if (IsRectEmpty(top->dirty) || !Visible(top) || FirstToPaint(top)) return;
  RECT r;
  RECT all{0, 0, top->Width(), top->Height()};
  if (IntersectRect(&r, top->dirty, all)) s.backend->Present(top, r);
  top->dirty = RECT{};
}

void PresentAll(System& s) {
  std::vector<Window*> tops = s.tops;
  for (Window* t : tops)
    if (s.Live(t)) Present(s, t);
}

void InvalidateTree(Window* w) {
  InvalidateWhole(w, true);
  for (Window* c : w->children) InvalidateTree(c);
}

void InvalidateArea(Window* w, RECT r, Window* skip) {
  if (w == skip) return;
  RECT in;
  if (IntersectRect(&in, r, ClientRectOf(w))) {
    UnionRect(&w->invalid, w->invalid, in);
    w->erase = true;
  }
  for (Window* c : w->children) {
    RECT rc = r;
    OffsetRect(&rc, -c->rect.left, -c->rect.top);
    InvalidateArea(c, rc, skip);
  }
}

void MakeBackBuffer(System& s, Window* top) {
  if (top->backBuffer) DeleteObject(top->backBuffer);
  top->backBuffer = s.backend->NewBackBuffer(top);
  if (!top->backBuffer)
    top->backBuffer = CreateBitmap(std::max(1, top->Width()), std::max(1, top->Height()), 1, 32, nullptr);
  top->dirty = RECT{};
  InvalidateTree(top);
}

void PaintNow(System& s, Window* w) {
  if (!NeedsPaint(w)) return;
  RECT before = w->invalid;
  s.paintedDuringDispatch = false;
  SendMessageA(w, WM_PAINT, 0, 0);
  // A window procedure that ignores WM_PAINT would be asked forever.
  if (s.Live(w) && !s.paintedDuringDispatch && w->invalid == before) ValidateRect(w, nullptr);
}

}  // namespace winsys

// ---------------------------------------------------------------------------------------
// Invalid areas

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  System* s = Current();
  if (!s) return FALSE;
  if (!hwnd) {
    for (Window* t : s->tops) InvalidateRect(t, nullptr, erase);
    return TRUE;
  }
  Window* w = s->Live(hwnd);
  if (!w) return FALSE;
  RECT r = ClientRectOf(w);
  if (rect && !IntersectRect(&r, r, *rect)) return TRUE;
  if (IsRectEmpty(r)) return TRUE;
  UnionRect(&w->invalid, w->invalid, r);
  if (erase) w->erase = true;
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  Window* w = LiveWindow(hwnd);
  if (!w) return FALSE;
  if (!rect) {
    w->invalid = RECT{};
    w->erase = false;
    return TRUE;
  }
  // The invalid area is kept as one box: only strips along its edges can be taken away.
  RECT& inv = w->invalid;
  if (rect->left <= inv.left && rect->right >= inv.right) {
    if (rect->top <= inv.top && rect->bottom > inv.top) inv.top = std::min(inv.bottom, rect->bottom);
    if (rect->bottom >= inv.bottom && rect->top < inv.bottom) inv.bottom = std::max(inv.top, rect->top);
  }
  if (rect->top <= inv.top && rect->bottom >= inv.bottom) {
    if (rect->left <= inv.left && rect->right > inv.left) inv.left = std::min(inv.right, rect->right);
    if (rect->right >= inv.right && rect->left < inv.right) inv.right = std::max(inv.left, rect->left);
  }
  if (IsRectEmpty(inv)) {
    inv = RECT{};
    w->erase = false;
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
  Window* w = LiveWindow(hwnd);
  if (!w) return FALSE;
  if (rect) *rect = w->invalid;
  bool any = !IsRectEmpty(w->invalid);
  if (any && erase && w->erase) {
    HDC hdc = MakeWindowDc(w, &w->invalid, nullptr);
    w->erase = false;
    if (hdc) {
      SendMessageA(w, WM_ERASEBKGND, WPARAM(hdc), 0);
      RECT drawn;
      DeleteDC(hdc);
      drawn = Bounds(VisibleRects(w));
      AddDirty(TopOf(w), drawn);
    }
  }
  return any;
}

// ---------------------------------------------------------------------------------------
// Painting

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  System* s = Current();
  Window* w = s ? s->Live(hwnd) : nullptr;
  if (!w || !ps) return nullptr;
  *ps = PAINTSTRUCT{};
  RECT rc = w->invalid;
  bool erase = w->erase;
  w->invalid = RECT{};
  w->erase = false;
  s->paintedDuringDispatch = true;
  RECT drawn;
  HDC hdc = MakeWindowDc(w, &rc, &drawn);
  if (!hdc) return nullptr;
  AddDirty(TopOf(w), drawn);
  ps->hdc = hdc;
  ps->rcPaint = rc;
  ps->fErase = erase && !IsRectEmpty(rc) ? !SendMessageA(hwnd, WM_ERASEBKGND, WPARAM(hdc), 0) : FALSE;
  return hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (ps && ps->hdc) DeleteDC(ps->hdc);
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  System* s = Current();
  Window* w = s ? s->Live(hwnd) : nullptr;
  if (!w) return FALSE;
  PaintNow(*s, w);
  if (s->Live(w)) Present(*s, TopOf(w));
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
  System* s = Current();
  if (!s) return FALSE;
  if (!hwnd) {
    std::vector<Window*> tops = s->tops;
    for (Window* t : tops) RedrawWindow(t, rect, nullptr, flags | RDW_ALLCHILDREN);
    return TRUE;
  }
  Window* w = s->Live(hwnd);
  if (!w) return FALSE;
  RECT r = rect ? *rect : ClientRectOf(w);
  bool all = (flags & RDW_ALLCHILDREN) != 0;
  if (flags & RDW_INVALIDATE) {
    if (all) {
      InvalidateArea(w, r, nullptr);
    } else {
      InvalidateRect(w, &r, (flags & RDW_ERASE) != 0);
    }
    if (flags & RDW_NOERASE) w->erase = false;
  } else if (flags & RDW_VALIDATE) {
    ValidateRect(w, rect);
  }
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
    if (all)
      UpdateTree(*s, w);
    else
      PaintNow(*s, w);
    if (s->Live(w)) Present(*s, TopOf(w));
  }
  return TRUE;
}
