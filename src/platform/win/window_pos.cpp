// Where windows are and whether they show: the z-order of top-level windows (popups and
// topmost windows in the upper band, owned windows above their owner), showing, hiding
// and minimising, moving and sizing, and the mapping between client and screen points.
#include <algorithm>

#include "platform/win/system.h"

using namespace winsys;

// ---------------------------------------------------------------------------------------
// Z-order of top-level windows

namespace {
int Band(Window* w) { return (w->IsMenuPopup() || (w->exStyle & WS_EX_TOPMOST)) ? 0 : 1; }
}  // namespace

namespace winsys {

void InsertTop(System& s, Window* w) {
  auto it = s.tops.begin();
  while (it != s.tops.end() && Band(*it) < Band(w)) ++it;
  s.tops.insert(it, w);
}

void RaiseTop(System& s, Window* w) {
  auto it = std::find(s.tops.begin(), s.tops.end(), w);
  if (it == s.tops.end()) return;
  s.tops.erase(it);
  InsertTop(s, w);
  if (w->style & WS_VISIBLE) s.backend->Raise(w);
  // Owned windows stay above their owner.
  std::vector<Window*> owned;
  for (Window* t : s.tops)
    if (t->owner == w && t != w) owned.push_back(t);
  for (auto o = owned.rbegin(); o != owned.rend(); ++o) RaiseTop(s, *o);
}

void DeliverConfigure(System& s, Window* top, const RECT& r) {
  if (!s.Live(top) || top->rect == r) return;
  bool sized = r.right - r.left != top->Width() || r.bottom - r.top != top->Height();
  top->rect = r;
  if (sized) MakeBackBuffer(s, top);
  WINDOWPOS wp{top, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               UINT(SWP_NOZORDER | SWP_NOACTIVATE | (sized ? 0 : SWP_NOSIZE))};
  SendMessageA(top, WM_WINDOWPOSCHANGED, 0, LPARAM(&wp));
}

}  // namespace winsys

// ---------------------------------------------------------------------------------------
// Showing and hiding

BOOL ShowWindow(HWND hwnd, int cmd) {
  System* sp = Current();
  Window* w = sp ? sp->Live(hwnd) : nullptr;
  if (!w || w->destroying) return FALSE;
  System& s = *sp;
  bool was = (w->style & WS_VISIBLE) != 0;
  bool show = cmd != SW_HIDE;
  bool minimize = cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE;
  bool activate = show && !minimize && cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE;

  if (show && !was) {
    SendMessageA(w, WM_SHOWWINDOW, TRUE, 0);
    if (!s.Live(w)) return FALSE;
    w->style |= WS_VISIBLE;
    InvalidateTree(w);
    if (w->IsTopLevel()) {
      RaiseTop(s, w);
      s.backend->ShowNative(w, true);
      if (Grabs(w)) {
        s.focus.grabs.push_back(w);
        w->grabbing = true;
        s.backend->Grab(w, true);
      }
    }
  } else if (!show && was) {
    SendMessageA(w, WM_SHOWWINDOW, FALSE, 0);
    if (!s.Live(w)) return FALSE;
    w->style &= ~WS_VISIBLE;
    if (IsInTree(s.focus.capture, w)) ReleaseCaptureInternal(s);
    if (IsInTree(s.input.hover, w)) s.input.hover = nullptr;
    if (w->IsChild()) {
      InvalidateArea(w->parent, w->rect, nullptr);
      if (IsInTree(s.focus.window, w)) {
        Window* top = TopOf(w);
        SetFocusInternal(s, Enabled(top) && Visible(top) ? top : nullptr);
      }
    } else {
      DropGrab(s, w);
      s.backend->ShowNative(w, false);
      if (s.focus.active == w) ActivateNext(s, w);
      if (IsInTree(s.focus.window, w)) SetFocusInternal(s, nullptr);
    }
    return was;
  }
  if (w->IsTopLevel()) {
    if (minimize && !w->iconic) {
      w->iconic = true;
      if (s.focus.active == w) ActivateNext(s, w);
    } else if (!minimize && show && w->iconic) {
      w->iconic = false;
      InvalidateTree(w);
    }
    if (activate && Activatable(w)) {
      if (s.focus.active == w)
        RaiseTop(s, w);
      else
        Activate(s, w, false);
    }
  }
  return was;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = LiveWindow(hwnd);
  if (!w) return FALSE;
  for (; w; w = w->IsChild() ? w->parent : nullptr)
    if (!(w->style & WS_VISIBLE)) return FALSE;
  return TRUE;
}

BOOL IsIconic(HWND hwnd) {
  Window* w = LiveWindow(hwnd);
  return w && w->iconic;
}

// ---------------------------------------------------------------------------------------
// Moving, sizing and restacking

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
  System* sp = Current();
  Window* w = sp ? sp->Live(hwnd) : nullptr;
  if (!w || w->destroying) return FALSE;
  System& s = *sp;
  RECT nr = w->rect;
  if (!(flags & SWP_NOMOVE)) OffsetRect(&nr, x - nr.left, y - nr.top);
  if (!(flags & SWP_NOSIZE)) {
    nr.right = nr.left + std::max(0, cx);
    nr.bottom = nr.top + std::max(0, cy);
  }
  bool moved = nr.left != w->rect.left || nr.top != w->rect.top;
  bool sized = nr.right - nr.left != w->Width() || nr.bottom - nr.top != w->Height();
  bool redraw = !(flags & SWP_NOREDRAW);
  bool visible = (w->style & WS_VISIBLE) != 0;

  if (w->IsChild() && (moved || sized) && visible && redraw) InvalidateArea(w->parent, w->rect, w);
  w->rect = nr;
  if (w->IsChild()) {
    if ((moved || sized) && visible && redraw) InvalidateTree(w);
  } else if (moved || sized) {
    if (sized) MakeBackBuffer(s, w);
    s.backend->MoveNative(w);
  }

  if (!(flags & SWP_NOZORDER)) {
    if (w->IsChild()) {
      auto& sib = w->parent->children;
      sib.erase(std::find(sib.begin(), sib.end(), w));
      if (after == HWND_BOTTOM) {
        sib.insert(sib.begin(), w);
      } else if (Window* a = s.Live(after); a && a->parent == w->parent && a != w) {
        sib.insert(std::find(sib.begin(), sib.end(), a), w);  // just below `after`
      } else {
        sib.push_back(w);
      }
      if (visible && redraw) InvalidateTree(w);
    } else {
      if (after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
      if (after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
      if (after == HWND_BOTTOM) {
        s.tops.erase(std::find(s.tops.begin(), s.tops.end(), w));
        s.tops.push_back(w);
      } else {
        RaiseTop(s, w);
      }
    }
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(w, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(w, SW_HIDE);
  if ((moved || sized) && s.Live(w)) {
    WINDOWPOS wp{w, after, w->rect.left, w->rect.top, w->Width(), w->Height(),
                 UINT((flags & ~(SWP_NOMOVE | SWP_NOSIZE)) | (moved ? 0 : SWP_NOMOVE) | (sized ? 0 : SWP_NOSIZE))};
    SendMessageA(w, WM_WINDOWPOSCHANGED, 0, LPARAM(&wp));
  }
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

// ---------------------------------------------------------------------------------------
// Rectangles and points

BOOL GetClientRect(HWND hwnd, RECT* r) {
  Window* w = LiveWindow(hwnd);
  if (!w || !r) return FALSE;
  *r = ClientRectOf(w);
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* r) {
  Window* w = LiveWindow(hwnd);
  if (!w || !r) return FALSE;
  POINT o = ScreenOrigin(w);
  *r = RECT{o.x, o.y, o.x + w->Width(), o.y + w->Height()};
  return TRUE;
}

BOOL AdjustWindowRectEx(RECT* r, DWORD, BOOL, DWORD) { return r ? TRUE : FALSE; }

BOOL GetDesktopFrameExtents(DWORD style, DWORD exStyle, RECT* extents) {
  System* s = Current();
  return s && extents && s->backend->FrameExtents(style, exStyle, extents);
}

BOOL ClientToScreen(HWND hwnd, POINT* p) {
  Window* w = LiveWindow(hwnd);
  if (!w || !p) return FALSE;
  POINT o = ScreenOrigin(w);
  p->x += o.x;
  p->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* p) {
  Window* w = LiveWindow(hwnd);
  if (!w || !p) return FALSE;
  POINT o = ScreenOrigin(w);
  p->x -= o.x;
  p->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  POINT a, b;
  if (from) {
    Window* f = LiveWindow(from);
    if (!f) return 0;
    a = ScreenOrigin(f);
  }
  if (to) {
    Window* t = LiveWindow(to);
    if (!t) return 0;
    b = ScreenOrigin(t);
  }
  int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return int(std::uint32_t(WORD(dx)) | (std::uint32_t(WORD(dy)) << 16));
}
