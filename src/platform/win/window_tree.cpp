// The tree of windows: creating and destroying windows, parents, owners and children,
// window longs and texts, and the walks up the tree that every other part asks for
// (top-level window, visibility, enabling, client origins).
#include <algorithm>
#include <cstring>

#include "platform/win/system.h"

using namespace winsys;

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
    s->backend->CreateNative(w);
    MakeBackBuffer(*s, w);
    HCURSOR shown = s->cursors.override ? s->cursors.override : s->cursors.current;
    w->shownCursor = shown;
    s->backend->DefineCursor(w, shown);
    if (!title || !*title) s->backend->SetTitle(w);
    if (!s->appIcon.empty()) ApplyIcon(*s, w);
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
