// The parts of the window system not yet in files of their own, one section per concern
// (each opens with what it holds). The state they share is the window-system object of
// system.h; every function here takes it or reaches it through winsys::Current().
#include <algorithm>
#include <cstring>

#include <strings.h>

#include "platform/win/system.h"

using namespace winsys;

// ======================================================================================
// Window classes. The class table is process-wide and outlives any one window system, as
// class libraries register each class once per process; a class that a live window uses
// cannot be unregistered.

namespace {

std::vector<std::unique_ptr<WindowClass>>& Classes() {
  static std::vector<std::unique_ptr<WindowClass>> classes;
  return classes;
}

}  // namespace

namespace winsys {

WindowClass* FindClass(LPCSTR name) {
  if (!name) return nullptr;
  for (auto& c : Classes()) {
    if (IS_INTRESOURCE(name)) {
      if (c->atom == WORD(reinterpret_cast<std::uintptr_t>(name))) return c.get();
    } else if (strcasecmp(c->name.c_str(), name) == 0) {
      return c.get();
    }
  }
  return nullptr;
}

}  // namespace winsys

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !wc->lpfnWndProc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) ||
      !*wc->lpszClassName || FindClass(wc->lpszClassName) || wc->cbWndExtra < 0)
    return 0;
  static ATOM next = 0xC000;
  auto c = std::make_unique<WindowClass>();
  c->name = wc->lpszClassName;
  c->wc = *wc;
  c->wc.lpszClassName = nullptr;  // the caller's string need not outlive the call
  c->wc.lpszMenuName = nullptr;
  c->atom = next++;
  ATOM atom = c->atom;
  Classes().push_back(std::move(c));
  return atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  WindowClass* c = FindClass(className);
  if (!c) return FALSE;
  if (System::ClassInUse(c)) return FALSE;
  auto& list = Classes();
  list.erase(std::find_if(list.begin(), list.end(), [&](auto& p) { return p.get() == c; }));
  return TRUE;
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR className, WNDCLASSA* out) {
  WindowClass* c = FindClass(className);
  if (!c) return FALSE;
  if (out) {
    *out = c->wc;
    out->lpszClassName = c->name.c_str();
  }
  return TRUE;
}

// ======================================================================================
// The tree of windows: creating and destroying windows, parents, owners and children,
// window longs and texts, and the walks up the tree that every other part asks for
// (top-level window, visibility, enabling, client origins).

namespace winsys {

Window* TopOf(Window* w) {
  while (w && w->IsChild() && w->parent) w = w->parent;
  return w;
}

bool IsInTree(Window* w, Window* root) {
  for (; w; w = w->IsChild() ? w->parent : nullptr)
    if (w == root) return true;
  return false;
}

bool Visible(Window* w) {
  for (; w; w = w->IsChild() ? w->parent : nullptr) {
    if (!(w->style & WS_VISIBLE)) return false;
    if (!w->IsChild()) return !w->iconic;
  }
  return false;
}

bool Enabled(Window* w) {
  for (; w; w = w->IsChild() ? w->parent : nullptr)
    if (w->style & WS_DISABLED) return false;
  return true;
}

POINT OriginInTop(Window* w) {
  POINT p;
  while (w && w->IsChild()) {
    p.x += w->rect.left;
    p.y += w->rect.top;
    w = w->parent;
  }
  return p;
}

POINT ScreenOrigin(Window* w) {
  POINT p = OriginInTop(w);
  Window* top = TopOf(w);
  p.x += top->rect.left;
  p.y += top->rect.top;
  return p;
}

RECT ClientRectOf(Window* w) { return RECT{0, 0, w->Width(), w->Height()}; }

}  // namespace winsys

// ---------------------------------------------------------------------------------------
// Creating and destroying

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parentArg, HMENU menu, HINSTANCE instance, void* param) {
  System* s = Current();
  if (!s) return nullptr;
  WindowClass* cls = FindClass(className);
  if (!cls) return nullptr;
  Window* parent = nullptr;
  Window* owner = nullptr;
  if (style & WS_CHILD) {
    parent = s->Live(parentArg);
    if (!parent || parent->destroying) return nullptr;
  } else if (parentArg) {
    owner = TopOf(s->Live(parentArg));
    if (!owner) return nullptr;
  }
  if (!(style & WS_CHILD)) {
    RECT screen = s->backend->ScreenRect();
    if (width == CW_USEDEFAULT) {
      width = (screen.right - screen.left) * 3 / 4;
      height = (screen.bottom - screen.top) * 3 / 4;
    }
    if (x == CW_USEDEFAULT) x = y = 26;
  } else {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
  }
  width = std::max(0, width);
  height = std::max(0, height);

  Window* w = new Window;
  w->cls = cls;
  w->proc = cls->wc.lpfnWndProc;
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  w->parent = parent;
  w->owner = owner;
  w->rect = RECT{x, y, x + width, y + height};
  w->id = LONG_PTR(reinterpret_cast<std::uintptr_t>(menu));
  w->instance = instance;
  w->extra.assign(std::size_t(cls->wc.cbWndExtra + int(sizeof(LONG_PTR)) - 1) / sizeof(LONG_PTR), 0);
  s->live.insert(w);
  if (parent) {
    parent->children.push_back(w);
  } else {
    InsertTop(*s, w);
    MakeBackBuffer(w);
    s->backend->CreateNative(w);
    HCURSOR shown = s->cursors.override ? s->cursors.override : s->cursors.current;
    w->shownCursor = shown;
    s->backend->DefineCursor(w, shown);
    if (!title || !*title) s->backend->SetTitle(w);
  }

  CREATESTRUCTA cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parentArg;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = LONG(style);
  cs.lpszName = title;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  if (!SendMessageA(w, WM_NCCREATE, 0, LPARAM(&cs))) {
    DestroyWindow(w);
    return nullptr;
  }
  if (!s->Live(w)) return nullptr;
  if (SendMessageA(w, WM_CREATE, 0, LPARAM(&cs)) == -1) {
    DestroyWindow(w);
    return nullptr;
  }
  if (!s->Live(w)) return nullptr;
  SendMessageA(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->Width(), w->Height()));
  if (!s->Live(w)) return nullptr;
  SendMessageA(w, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
  if (!s->Live(w)) return nullptr;
  if (style & WS_VISIBLE) ShowWindow(w, SW_SHOW);
  return s->Live(w);
}

BOOL IsWindow(HWND hwnd) { return LiveWindow(hwnd) != nullptr; }

namespace {

void CollectTree(Window* w, std::vector<Window*>& out) {
  out.push_back(w);
  for (Window* c : w->children) CollectTree(c, out);
}

void FreeTree(System& s, Window* w) {
  std::vector<Window*> kids = w->children;
  for (Window* c : kids) FreeTree(s, c);
  s.live.erase(w);
  if (w->IsTopLevel()) {
    s.backend->DestroyNative(w);
    if (w->backBuffer) DeleteObject(w->backBuffer);
  }
  delete w;
}

}  // namespace

BOOL DestroyWindow(HWND hwnd) {
  System* sp = Current();
  Window* w = sp ? sp->Live(hwnd) : nullptr;
  if (!w || w->destroying) return FALSE;
  System& s = *sp;
  if (w->IsTopLevel()) {
    std::vector<Window*> owned;
    for (Window* t : s.tops)
      if (t->owner == w) owned.push_back(t);
    for (Window* o : owned) DestroyWindow(o);
    if (!s.Live(w) || w->destroying) return TRUE;
  }
  std::vector<Window*> tree;
  CollectTree(w, tree);
  for (Window* t : tree) t->destroying = true;
  auto inTree = [&](Window* x) { return x && std::find(tree.begin(), tree.end(), x) != tree.end(); };

  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  if (w->IsChild()) {
    if (wasVisible && Visible(w->parent)) {
      RECT r = w->rect;
      InvalidateArea(w->parent, r, w);
    }
  } else {
    DropGrab(s, w);
    if (wasVisible) {
      w->style &= ~WS_VISIBLE;
      s.backend->ShowNative(w, false);
    }
  }
  if (inTree(s.focus.capture)) ReleaseCaptureInternal(s);
  if (inTree(s.input.hover)) s.input.hover = nullptr;
  if (inTree(s.input.lastClickWnd)) s.input.lastClickWnd = nullptr;
  if (w->IsTopLevel() && s.focus.active == w) ActivateNext(s, w);
  if (inTree(s.focus.window)) {
    Window* to = w->IsChild() && !w->parent->destroying && Enabled(w->parent) ? w->parent : nullptr;
    SetFocusInternal(s, to);
  }
  auto& timers = s.queue.timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return inTree(t.hwnd); }),
               timers.end());

  for (Window* t : tree)
    if (s.Live(t)) SendMessageA(t, WM_DESTROY, 0, 0);
  for (auto it = tree.rbegin(); it != tree.rend(); ++it)
    if (s.Live(*it)) SendMessageA(*it, WM_NCDESTROY, 0, 0);

  // Late changes by the handlers (focus or capture taken back) must not point at freed memory.
  if (inTree(s.focus.window)) s.focus.window = nullptr;
  if (inTree(s.focus.capture)) s.focus.capture = nullptr;
  if (inTree(s.focus.active)) s.focus.active = nullptr;
  for (Window* t : s.tops)
    if (inTree(t->lastFocus)) t->lastFocus = nullptr;
  for (Window* t : s.tops)
    if (t->owner == w) t->owner = nullptr;
  DropGrab(s, w);

  if (w->IsChild()) {
    auto& sib = w->parent->children;
    sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
  } else {
    s.tops.erase(std::remove(s.tops.begin(), s.tops.end(), w), s.tops.end());
  }
  FreeTree(s, w);
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Window longs

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
  Window* w = LiveWindow(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWLP_WNDPROC: return LONG_PTR(reinterpret_cast<std::uintptr_t>(w->proc));
    case GWLP_HINSTANCE: return LONG_PTR(reinterpret_cast<std::uintptr_t>(w->instance));
    case GWLP_HWNDPARENT: return LONG_PTR(reinterpret_cast<std::uintptr_t>(w->IsChild() ? w->parent : w->owner));
    case GWLP_ID: return w->id;
    case GWL_STYLE: return LONG_PTR(w->style);
    case GWL_EXSTYLE: return LONG_PTR(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    default: break;
  }
  if (index >= 0 && std::size_t(index) / sizeof(LONG_PTR) < w->extra.size() && index % int(sizeof(LONG_PTR)) == 0)
    return w->extra[std::size_t(index) / sizeof(LONG_PTR)];
  return 0;
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  Window* w = LiveWindow(hwnd);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtrA(hwnd, index);
  switch (index) {
    case GWLP_WNDPROC:
      if (value) w->proc = reinterpret_cast<WNDPROC>(std::uintptr_t(value));
      return old;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(std::uintptr_t(value)); return old;
    case GWLP_HWNDPARENT:
      if (w->IsTopLevel()) {
        Window* o = TopOf(LiveWindow(reinterpret_cast<HWND>(std::uintptr_t(value))));
        if (o != w) w->owner = o;
      }
      return old;
    case GWLP_ID: w->id = value; return old;
    case GWL_STYLE: w->style = DWORD(value); return old;
    case GWL_EXSTYLE: w->exStyle = DWORD(value); return old;
    case GWLP_USERDATA: w->userData = value; return old;
    default: break;
  }
  if (index >= 0 && std::size_t(index) / sizeof(LONG_PTR) < w->extra.size() && index % int(sizeof(LONG_PTR)) == 0) {
    w->extra[std::size_t(index) / sizeof(LONG_PTR)] = value;
    return old;
  }
  return 0;
}

// ---------------------------------------------------------------------------------------
// Parents, owners and relatives

HWND GetParent(HWND hwnd) {
  Window* w = LiveWindow(hwnd);
  if (!w) return nullptr;
  if (w->IsChild()) return w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  System* s = Current();
  Window* w = s ? s->Live(child) : nullptr;
  Window* p = s ? s->Live(newParent) : nullptr;
  if (!w || !p || !w->IsChild() || IsInTree(p, w)) return nullptr;
  Window* old = w->parent;
  if ((w->style & WS_VISIBLE)) InvalidateArea(old, w->rect, w);
  old->children.erase(std::find(old->children.begin(), old->children.end(), w));
  w->parent = p;
  p->children.push_back(w);
  if (TopOf(old) != TopOf(p)) {
    for (Window* t : s->tops)
      if (t->lastFocus && IsInTree(t->lastFocus, w)) t->lastFocus = nullptr;
  }
  if (w->style & WS_VISIBLE) InvalidateTree(w);
  return old;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  System* s = Current();
  Window* w = s ? s->Live(hwnd) : nullptr;
  if (!w) return nullptr;
  const std::vector<Window*>* list = nullptr;
  std::vector<Window*> ordered;  // topmost first
  if (cmd <= GW_HWNDPREV) {
    if (w->IsChild()) {
      ordered.assign(w->parent->children.rbegin(), w->parent->children.rend());
    } else {
      ordered = s->tops;
    }
    list = &ordered;
  }
  switch (cmd) {
    case GW_HWNDFIRST: return list->front();
    case GW_HWNDLAST: return list->back();
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
      auto it = std::find(list->begin(), list->end(), w);
      if (cmd == GW_HWNDNEXT) return (it + 1 != list->end()) ? *(it + 1) : nullptr;
      return it != list->begin() ? *(it - 1) : nullptr;
    }
    case GW_OWNER: return w->IsChild() ? nullptr : w->owner;
    case GW_CHILD: return w->children.empty() ? nullptr : w->children.back();
    case GW_ENABLEDPOPUP: {
      // The last active enabled window owned by this one (recursively), else null.
      for (Window* t : s->tops) {
        if (t == w || !Visible(t) || !Enabled(t)) continue;
        for (Window* o = t->owner; o; o = o->owner)
          if (o == w) return t;
      }
      return nullptr;
    }
    default: return nullptr;
  }
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Window* w = LiveWindow(hwnd);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->IsChild() ? w->parent : nullptr;
    case GA_ROOT: return TopOf(w);
    case GA_ROOTOWNER: {
      Window* t = TopOf(w);
      while (t->owner) t = t->owner;
      return t;
    }
    default: return nullptr;
  }
}

BOOL IsChild(HWND parent, HWND hwnd) {
  Window* p = LiveWindow(parent);
  Window* w = LiveWindow(hwnd);
  return p && w && w != p && IsInTree(w, p);
}

// ---------------------------------------------------------------------------------------
// Texts

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (!LiveWindow(hwnd)) return FALSE;
  return BOOL(SendMessageA(hwnd, WM_SETTEXT, 0, LPARAM(text)));
}

int GetWindowTextA(HWND hwnd, char* buffer, int size) {
  if (!LiveWindow(hwnd)) {
    if (buffer && size > 0) buffer[0] = 0;
    return 0;
  }
  return int(SendMessageA(hwnd, WM_GETTEXT, WPARAM(std::max(0, size)), LPARAM(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
  if (!LiveWindow(hwnd)) return 0;
  return int(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

// ======================================================================================
// Where windows are and whether they show: the z-order of top-level windows (popups and
// topmost windows in the upper band, owned windows above their owner), showing, hiding
// and minimising, moving and sizing, and the mapping between client and screen points.

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
  if (sized) MakeBackBuffer(top);
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
    if (sized) MakeBackBuffer(w);
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

// ======================================================================================
// The default window procedure: what a window does with a message its own procedure
// passes on (texts, closing, background erase with the class brush, the class cursor,
// restoring the focus on activation, Alt+F4), and CallWindowProcA for subclassing.

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  System* s = Current();
  Window* w = s ? s->Live(hwnd) : nullptr;
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
        w->text = cs->lpszName;
        if (w->IsTopLevel()) s->backend->SetTitle(w);
      }
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hwnd, WM_CLOSE, 0, 0);
      if ((wParam & 0xFFF0) == SC_MINIMIZE) ShowWindow(hwnd, SW_MINIMIZE);
      if ((wParam & 0xFFF0) == SC_RESTORE) ShowWindow(hwnd, SW_RESTORE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH brush = w->cls ? w->cls->wc.hbrBackground : nullptr;
      if (!brush) return 0;
      RECT r = ClientRectOf(w);
      auto v = reinterpret_cast<std::uintptr_t>(brush);
      if (v > 0 && v <= 31) {
        FillSolidRect(reinterpret_cast<HDC>(wParam), r, GetSysColor(int(v - 1)));
      } else {
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
      }
      return 1;
    }
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      if (w->IsTopLevel()) s->backend->SetTitle(w);
      return TRUE;
    case WM_GETTEXT: {
      int size = int(wParam);
      char* buf = reinterpret_cast<char*>(lParam);
      if (size <= 0 || !buf) return 0;
      int n = std::min(size - 1, int(w->text.size()));
      std::memcpy(buf, w->text.data(), std::size_t(n));
      buf[n] = 0;
      return n;
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(w->text.size());
    case WM_SETCURSOR:
      if (w->IsChild() && SendMessageA(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (LOWORD(std::uintptr_t(lParam)) == HTCLIENT && w->cls && w->cls->wc.hCursor) {
        SetCursor(w->cls->wc.hCursor);
        return TRUE;
      }
      return FALSE;
    case WM_MOUSEWHEEL:
      if (w->IsChild()) return SendMessageA(w->parent, msg, wParam, lParam);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
        Window* f = w->lastFocus;
        bool ok = s->Live(f) && IsInTree(f, w) && Enabled(f) && Visible(f);
        SetFocus(ok ? f : w);
      }
      return 0;
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (wp && !(wp->flags & SWP_NOMOVE)) SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
      if (wp && !(wp->flags & SWP_NOSIZE) && s->Live(hwnd))
        SendMessageA(hwnd, WM_SIZE, w->iconic ? SIZE_MINIMIZED : SIZE_RESTORED, MAKELPARAM(w->Width(), w->Height()));
      return 0;
    }
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & (LPARAM(1) << 29))) {
        PostMessageA(TopOf(w), WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_MOUSEACTIVATE:
      return MA_ACTIVATE;
    default:
      return 0;
  }
}
