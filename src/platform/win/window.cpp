// The core of the window system: classes, windows and their tree, the message queue,
// painting and presenting, input routing, focus, activation, capture, popups and cursors.
// Backends only create native windows, present frames and translate native events.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <unordered_set>

#include <strings.h>

#include "platform/win/win_internal.h"

struct WindowClass {
  std::string name;
  WNDCLASSA wc;
  ATOM atom = 0;
};

namespace winsys {
std::function<bool()>& IdleHandler();
}

namespace {

using winsys::Backend;

struct Queued {
  MSG msg;
  bool input = false;  // came from a device: updates the key state when retrieved
};

struct Timer {
  Window* hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  DWORD due = 0;
  TIMERPROC proc = nullptr;
};

// X font cursor glyphs (X11/cursorfont.h) for the stock cursors.
CursorObj g_cursors[] = {
    {32512, 68},  {32513, 152}, {32514, 150}, {32515, 34},  {32516, 114},
    {32642, 14},  {32643, 12},  {32644, 108}, {32645, 116}, {32646, 52},
    {32648, 24},  {32649, 60},  {32650, 150}, {32651, 92},
};

// Classes are process-wide and outlive a restart of the window system, as class
// libraries register each class once per process.
std::vector<std::unique_ptr<WindowClass>>& Classes() {
  static std::vector<std::unique_ptr<WindowClass>> classes;
  return classes;
}

struct State {
  std::unique_ptr<Backend> backend;
  std::unordered_set<Window*> live;
  std::vector<Window*> tops;  // topmost first
  std::deque<Queued> queue;
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  UINT_PTR nextTimerId = 0x7F00;
  Window* focus = nullptr;
  Window* active = nullptr;
  Window* capture = nullptr;
  Window* hover = nullptr;
  std::vector<Window*> grabStack;
  HCURSOR cursor = nullptr;
  HCURSOR override = nullptr;
  BYTE keyState[256] = {};
  BYTE asyncState[256] = {};
  POINT pointer;
  DWORD msgTime = 0;
  POINT msgPos;
  // Double-click detection.
  Window* lastClickWnd = nullptr;
  UINT lastClickMsg = 0;
  DWORD lastClickTime = 0;
  POINT lastClickPt;
  bool paintedDuringDispatch = false;
};

State* g = nullptr;
std::string g_error;

bool Running() { return g && g->backend; }

Window* Live(HWND h) {
  if (!g || !h) return nullptr;
  return g->live.count(h) ? h : nullptr;
}

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

bool Grabs(Window* w) {
  return w->IsMenuPopup() && !(w->exStyle & (WS_EX_NOACTIVATE | WS_EX_TRANSPARENT));
}

bool Activatable(Window* w) {
  return w && w->IsTopLevel() && !w->IsMenuPopup() && !(w->exStyle & WS_EX_NOACTIVATE);
}

// Offset of the window's client origin inside its top-level window's back buffer.
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

HDC ProvideWindowDc(HWND hwnd) {
  Window* w = Live(hwnd);
  if (!w) return nullptr;
  return MakeWindowDc(w, nullptr, nullptr);
}

int ReleaseWindowDc(HWND hwnd, HDC hdc) {
  Window* w = Live(hwnd);
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

void Present(Window* top) {
  if (IsRectEmpty(top->dirty) || !Visible(top) || FirstToPaint(top)) return;
  RECT r;
  RECT all{0, 0, top->Width(), top->Height()};
  if (IntersectRect(&r, top->dirty, all)) g->backend->Present(top, r);
  top->dirty = RECT{};
}

void PresentAll() {
  std::vector<Window*> tops = g->tops;
  for (Window* t : tops)
    if (Live(t)) Present(t);
}

void InvalidateWhole(Window* w, bool erase) {
  w->invalid = ClientRectOf(w);
  w->erase = w->erase || erase;
}

void InvalidateTree(Window* w) {
  InvalidateWhole(w, true);
  for (Window* c : w->children) InvalidateTree(c);
}

// Invalidates r (client coordinates of w) in w and in every descendant except `skip`.
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

void MakeBackBuffer(Window* top) {
  if (top->backBuffer) DeleteObject(top->backBuffer);
  top->backBuffer = CreateBitmap(std::max(1, top->Width()), std::max(1, top->Height()), 1, 32, nullptr);
  top->dirty = RECT{};
  InvalidateTree(top);
}

void Post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool input, DWORD ch = 0) {
  Queued q;
  q.msg.hwnd = hwnd;
  q.msg.message = msg;
  q.msg.wParam = wp;
  q.msg.lParam = lp;
  q.msg.time = g->backend->Now();
  q.msg.pt = g->pointer;
  q.msg.lPrivate = ch;
  q.input = input;
  // Only the newest pointer position matters, as on Windows.
  if (msg == WM_MOUSEMOVE && !g->queue.empty() && g->queue.back().msg.message == WM_MOUSEMOVE &&
      g->queue.back().msg.hwnd == hwnd) {
    g->queue.back() = q;
    return;
  }
  g->queue.push_back(q);
}

// ---- z-order of top-level windows

int Band(Window* w) { return (w->IsMenuPopup() || (w->exStyle & WS_EX_TOPMOST)) ? 0 : 1; }

void InsertTop(Window* w) {
  auto it = g->tops.begin();
  while (it != g->tops.end() && Band(*it) < Band(w)) ++it;
  g->tops.insert(it, w);
}

void RaiseTop(Window* w) {
  auto it = std::find(g->tops.begin(), g->tops.end(), w);
  if (it == g->tops.end()) return;
  g->tops.erase(it);
  InsertTop(w);
  if (w->style & WS_VISIBLE) g->backend->Raise(w);
  // Owned windows stay above their owner.
  std::vector<Window*> owned;
  for (Window* t : g->tops)
    if (t->owner == w && t != w) owned.push_back(t);
  for (auto o = owned.rbegin(); o != owned.rend(); ++o) RaiseTop(*o);
}

// ---- focus and activation

void SetFocusInternal(Window* n) {
  Window* old = g->focus;
  if (old == n) return;
  g->focus = n;
  if (n) TopOf(n)->lastFocus = n;
  if (Live(old)) {
    SendMessageA(old, WM_KILLFOCUS, WPARAM(n), 0);
    if (g->focus != n) return;
  }
  if (Live(n)) SendMessageA(n, WM_SETFOCUS, WPARAM(old), 0);
}

void Activate(Window* w, bool click) {
  if (w == g->active) return;
  if (w && (!Activatable(w) || !Enabled(w) || !Visible(w) || w->destroying)) return;
  Window* old = g->active;
  g->active = w;
  if (Live(old) && !old->destroying)
    SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, old->iconic), LPARAM(w));
  if (w && g->active == w) {
    RaiseTop(w);
    g->backend->Activate(w);
    SendMessageA(w, WM_ACTIVATE, MAKEWPARAM(click ? WA_CLICKACTIVE : WA_ACTIVE, w->iconic), LPARAM(old));
  }
  if (g->active == w && g->focus && !IsInTree(g->focus, w)) SetFocusInternal(nullptr);
}

// Activation moves on when the active window goes away: to its owner, else to the
// topmost other window that can take it.
void ActivateNext(Window* leaving) {
  auto usable = [&](Window* t) {
    return Live(t) && t != leaving && !t->destroying && Activatable(t) && Visible(t) && Enabled(t);
  };
  Window* next = nullptr;
  if (usable(leaving->owner)) next = leaving->owner;
  for (auto it = g->tops.begin(); !next && it != g->tops.end(); ++it)
    if (usable(*it)) next = *it;
  if (next) {
    Activate(next, false);
  } else {
    Window* old = g->active;
    g->active = nullptr;
    if (Live(old) && !old->destroying) SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    SetFocusInternal(nullptr);
  }
}

// ---- grabs

void RefreshGrab() {
  if (!g->grabStack.empty()) {
    g->backend->Grab(g->grabStack.back(), true);
  } else if (g->capture) {
    g->backend->Grab(TopOf(g->capture), false);
  } else {
    g->backend->Ungrab();
  }
}

void DropGrab(Window* w) {
  auto it = std::find(g->grabStack.begin(), g->grabStack.end(), w);
  if (it == g->grabStack.end()) return;
  g->grabStack.erase(it);
  w->grabbing = false;
  RefreshGrab();
}

void ReleaseCaptureInternal() {
  Window* old = g->capture;
  if (!old) return;
  g->capture = nullptr;
  RefreshGrab();
  if (Live(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
}

// ---- cursors

void ApplyCursor() {
  HCURSOR shown = g->override ? g->override : g->cursor;
  for (Window* t : g->tops) {
    if (t->shownCursor == shown && t->native) continue;
    t->shownCursor = shown;
    g->backend->DefineCursor(t, shown);
  }
}

// ---- hit testing

Window* TopAt(POINT screen) {
  for (Window* t : g->tops)
    if (Visible(t) && PtInRect(t->rect, screen)) return t;
  return nullptr;
}

// Deepest visible child under a client point of w; a disabled child passes the point to
// its parent.
Window* DeepestAt(Window* w, POINT client) {
  for (;;) {
    Window* hit = nullptr;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
      Window* c = *it;
      if ((c->style & WS_VISIBLE) && PtInRect(c->rect, client)) {
        hit = c;
        break;
      }
    }
    if (!hit || (hit->style & WS_DISABLED)) return w;
    client.x -= hit->rect.left;
    client.y -= hit->rect.top;
    w = hit;
  }
}

Window* HitIn(Window* top, POINT screen) {
  if (!top || !Visible(top) || !PtInRect(top->rect, screen)) return nullptr;
  return DeepestAt(top, POINT{screen.x - top->rect.left, screen.y - top->rect.top});
}

void CheckLeave(Window* now) {
  if (now == g->hover) return;
  Window* old = g->hover;
  g->hover = now;
  if (Live(old) && old->trackLeave) {
    old->trackLeave = false;
    Post(old, WM_MOUSELEAVE, 0, 0, false);
  }
}

WPARAM MouseKeys() {
  WPARAM k = 0;
  if (g->asyncState[VK_LBUTTON] & 0x80) k |= MK_LBUTTON;
  if (g->asyncState[VK_RBUTTON] & 0x80) k |= MK_RBUTTON;
  if (g->asyncState[VK_MBUTTON] & 0x80) k |= MK_MBUTTON;
  if (g->asyncState[VK_SHIFT] & 0x80) k |= MK_SHIFT;
  if (g->asyncState[VK_CONTROL] & 0x80) k |= MK_CONTROL;
  return k;
}

void SetKey(BYTE* state, UINT vk, bool down) {
  if (vk > 255) return;
  if (down && !(state[vk] & 0x80)) state[vk] ^= 1;
  state[vk] = BYTE((state[vk] & 1) | (down ? 0x80 : 0));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Backend entry points

namespace winsys {

std::function<bool()>& IdleHandler() {
  static std::function<bool()> handler;
  return handler;
}

bool IsLive(Window* w) { return Live(w) != nullptr; }
std::vector<Window*> TopLevels() { return g ? g->tops : std::vector<Window*>{}; }
Window* CurrentGrab() { return (g && !g->grabStack.empty()) ? g->grabStack.back() : nullptr; }

char DefaultKeyChar(UINT vk, bool shift, bool control) {
  if (vk >= 'A' && vk <= 'Z') {
    if (control) return char(vk - 'A' + 1);
    return shift ? char(vk) : char(vk - 'A' + 'a');
  }
  if (control) return 0;
  if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : char(vk);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_BACK: return 0x08;
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    default: break;
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return char('0' + (vk - VK_NUMPAD0));
  return 0;
}

void DeliverMouse(Window* topHint, POINT screen, MouseEvent kind, int button, int wheelDelta) {
  if (!Running()) return;
  g->pointer = screen;
  UINT vk = button == 1 ? VK_LBUTTON : button == 2 ? VK_MBUTTON : VK_RBUTTON;
  if (kind == MouseEvent::Down) SetKey(g->asyncState, vk, true);
  if (kind == MouseEvent::Up) SetKey(g->asyncState, vk, false);

  Window* hitTop = (topHint && Live(topHint)) ? topHint : TopAt(screen);
  if (hitTop && !Visible(hitTop)) hitTop = nullptr;
  Window* hit = HitIn(hitTop, screen);
  CheckLeave(hit);

  Window* target = nullptr;
  if (g->capture) {
    target = g->capture;
  } else if (!g->grabStack.empty()) {
    bool inside = false;
    for (Window* p : g->grabStack) inside = inside || (hit && IsInTree(hit, p));
    target = inside ? hit : g->grabStack.back();
  } else {
    target = hit;
  }
  if (!target) return;
  if (!Enabled(target)) {
    // A click on a window disabled by a modal dialog brings the dialog forward.
    if (kind == MouseEvent::Down) {
      if (HWND popup = GetWindow(TopOf(target), GW_ENABLEDPOPUP)) SetForegroundWindow(popup);
    }
    return;
  }

  UINT msg = WM_MOUSEMOVE;
  if (kind == MouseEvent::Down)
    msg = button == 1 ? WM_LBUTTONDOWN : button == 2 ? WM_MBUTTONDOWN : WM_RBUTTONDOWN;
  else if (kind == MouseEvent::Up)
    msg = button == 1 ? WM_LBUTTONUP : button == 2 ? WM_MBUTTONUP : WM_RBUTTONUP;
  else if (kind == MouseEvent::Wheel)
    msg = WM_MOUSEWHEEL;

  if (target == hit && !g->capture && kind != MouseEvent::Up && kind != MouseEvent::Wheel) {
    SendMessageA(target, WM_SETCURSOR, WPARAM(target), MAKELPARAM(HTCLIENT, int(msg)));
    if (!Live(target)) return;
  }
  Window* top = TopOf(target);
  if (kind == MouseEvent::Down && top != g->active && Activatable(top)) {
    Activate(top, true);
    if (!Live(target)) return;
  }

  if (kind == MouseEvent::Down) {
    DWORD now = g->backend->Now();
    bool dbl = (target->cls && (target->cls->wc.style & CS_DBLCLKS)) && g->lastClickWnd == target &&
               g->lastClickMsg == msg && now - g->lastClickTime <= 500 &&
               std::abs(screen.x - g->lastClickPt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
               std::abs(screen.y - g->lastClickPt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    if (dbl) {
      g->lastClickWnd = nullptr;
      msg += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    } else {
      g->lastClickWnd = target;
      g->lastClickMsg = msg;
      g->lastClickTime = now;
      g->lastClickPt = screen;
    }
  }

  if (kind == MouseEvent::Wheel) {
    Post(target, msg, MAKEWPARAM(int(MouseKeys()), wheelDelta), MAKELPARAM(screen.x, screen.y), true);
    return;
  }
  POINT o = ScreenOrigin(target);
  Post(target, msg, MouseKeys(), MAKELPARAM(screen.x - o.x, screen.y - o.y), true);
}

void DeliverPointerLeft() {
  if (Running()) CheckLeave(nullptr);
}

void SyncModifiers(bool shift, bool control, bool alt) {
  if (!Running()) return;
  if (bool(g->asyncState[VK_SHIFT] & 0x80) != shift) SetKey(g->asyncState, VK_SHIFT, shift);
  if (bool(g->asyncState[VK_CONTROL] & 0x80) != control) SetKey(g->asyncState, VK_CONTROL, control);
  if (bool(g->asyncState[VK_MENU] & 0x80) != alt) SetKey(g->asyncState, VK_MENU, alt);
}

void DeliverKey(UINT vk, bool down, char ch) {
  if (!Running() || vk == 0 || vk > 255) return;
  bool wasDown = g->asyncState[vk] & 0x80;
  SetKey(g->asyncState, vk, down);
  bool alt = g->asyncState[VK_MENU] & 0x80;
  bool ctrl = g->asyncState[VK_CONTROL] & 0x80;
  bool sys = (alt && !ctrl) || vk == VK_F10 || (vk == VK_MENU && !ctrl);

  Window* target = nullptr;
  if (!g->grabStack.empty()) {
    Window* popup = g->grabStack.back();
    target = (g->focus && IsInTree(g->focus, popup)) ? g->focus : popup;
  } else if (g->focus) {
    target = g->focus;
  } else if (g->active) {
    target = g->active;  // no focus: the active window gets the keys as system keys
    sys = true;
  }
  if (!target || !Enabled(target)) return;
  UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lp = 1;
  if (alt) lp |= LPARAM(1) << 29;
  if (!down || wasDown) lp |= LPARAM(1) << 30;
  if (!down) lp |= LPARAM(std::int32_t(0x80000000u));
  Post(target, msg, vk, lp, true, down ? BYTE(ch) : 0);
}

void DeliverClose(Window* top) {
  if (!Live(top) || !Enabled(top)) return;
  Post(top, WM_SYSCOMMAND, SC_CLOSE, 0, false);
}

void DeliverConfigure(Window* top, const RECT& r) {
  if (!Live(top) || top->rect == r) return;
  bool sized = r.right - r.left != top->Width() || r.bottom - r.top != top->Height();
  top->rect = r;
  if (sized) MakeBackBuffer(top);
  WINDOWPOS wp{top, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               UINT(SWP_NOZORDER | SWP_NOACTIVATE | (sized ? 0 : SWP_NOSIZE))};
  SendMessageA(top, WM_WINDOWPOSCHANGED, 0, LPARAM(&wp));
}

void DeliverFocus(Window* top, bool in) {
  if (!Live(top)) return;
  if (in) {
    if (top != g->active && Enabled(top) && Activatable(top)) Activate(top, false);
  } else if (top == g->active) {
    Window* old = g->active;
    g->active = nullptr;
    SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    SetFocusInternal(nullptr);
  }
}

}  // namespace winsys

// ---------------------------------------------------------------------------------------
// Start-up

bool InitWindowSystem(WindowBackend which, const WindowSystemOptions& options) {
  ShutdownWindowSystem();
  g_error.clear();
  std::unique_ptr<Backend> backend;
  if (which == WindowBackend::Headless) {
    backend = winsys::MakeHeadlessBackend(std::max(1, options.headlessWidth), std::max(1, options.headlessHeight));
  } else {
    backend = winsys::MakeX11Backend(options, &g_error);
  }
  if (!backend) return false;
  g = new State;
  g->backend = std::move(backend);
  SetWindowDcProvider(&ProvideWindowDc, &ReleaseWindowDc);
  return true;
}

void ShutdownWindowSystem() {
  if (!g) return;
  while (!g->tops.empty()) {
    Window* t = g->tops.back();
    if (!DestroyWindow(t)) {  // should not happen; never loop forever
      g->tops.pop_back();
    }
  }
  SetWindowDcProvider(nullptr, nullptr);
  delete g;
  g = nullptr;
}

bool WindowSystemRunning() { return Running(); }
WindowBackend ActiveWindowBackend() { return Running() ? g->backend->Kind() : WindowBackend::Auto; }
const char* WindowSystemError() { return g_error.c_str(); }
bool WindowSystemUsesSharedMemory() { return Running() && g->backend->UsesSharedMemory(); }

// ---------------------------------------------------------------------------------------
// Classes

namespace {
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
}  // namespace

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
  if (g)
    for (Window* w : g->live)
      if (w->cls == c) return FALSE;  // still in use
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

// ---------------------------------------------------------------------------------------
// Windows

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parentArg, HMENU menu, HINSTANCE instance, void* param) {
  if (!Running()) return nullptr;
  WindowClass* cls = FindClass(className);
  if (!cls) return nullptr;
  Window* parent = nullptr;
  Window* owner = nullptr;
  if (style & WS_CHILD) {
    parent = Live(parentArg);
    if (!parent || parent->destroying) return nullptr;
  } else if (parentArg) {
    owner = TopOf(Live(parentArg));
    if (!owner) return nullptr;
  }
  if (!(style & WS_CHILD)) {
    RECT screen = g->backend->ScreenRect();
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
  g->live.insert(w);
  if (parent) {
    parent->children.push_back(w);
  } else {
    InsertTop(w);
    MakeBackBuffer(w);
    g->backend->CreateNative(w);
    HCURSOR shown = g->override ? g->override : g->cursor;
    w->shownCursor = shown;
    g->backend->DefineCursor(w, shown);
    if (!title || !*title) g->backend->SetTitle(w);
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
  if (!Live(w)) return nullptr;
  if (SendMessageA(w, WM_CREATE, 0, LPARAM(&cs)) == -1) {
    DestroyWindow(w);
    return nullptr;
  }
  if (!Live(w)) return nullptr;
  SendMessageA(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->Width(), w->Height()));
  if (!Live(w)) return nullptr;
  SendMessageA(w, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
  if (!Live(w)) return nullptr;
  if (style & WS_VISIBLE) ShowWindow(w, SW_SHOW);
  return Live(w);
}

BOOL IsWindow(HWND hwnd) { return Live(hwnd) != nullptr; }

namespace {

void CollectTree(Window* w, std::vector<Window*>& out) {
  out.push_back(w);
  for (Window* c : w->children) CollectTree(c, out);
}

void FreeTree(Window* w) {
  std::vector<Window*> kids = w->children;
  for (Window* c : kids) FreeTree(c);
  g->live.erase(w);
  if (w->IsTopLevel()) {
    g->backend->DestroyNative(w);
    if (w->backBuffer) DeleteObject(w->backBuffer);
  }
  delete w;
}

}  // namespace

BOOL DestroyWindow(HWND hwnd) {
  Window* w = Live(hwnd);
  if (!w || w->destroying) return FALSE;
  if (w->IsTopLevel()) {
    std::vector<Window*> owned;
    for (Window* t : g->tops)
      if (t->owner == w) owned.push_back(t);
    for (Window* o : owned) DestroyWindow(o);
    if (!Live(w) || w->destroying) return TRUE;
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
    DropGrab(w);
    if (wasVisible) {
      w->style &= ~WS_VISIBLE;
      g->backend->ShowNative(w, false);
    }
  }
  if (inTree(g->capture)) ReleaseCaptureInternal();
  if (inTree(g->hover)) g->hover = nullptr;
  if (inTree(g->lastClickWnd)) g->lastClickWnd = nullptr;
  if (w->IsTopLevel() && g->active == w) ActivateNext(w);
  if (inTree(g->focus)) {
    Window* to = w->IsChild() && !w->parent->destroying && Enabled(w->parent) ? w->parent : nullptr;
    SetFocusInternal(to);
  }
  g->timers.erase(std::remove_if(g->timers.begin(), g->timers.end(), [&](const Timer& t) { return inTree(t.hwnd); }),
                  g->timers.end());

  for (Window* t : tree)
    if (Live(t)) SendMessageA(t, WM_DESTROY, 0, 0);
  for (auto it = tree.rbegin(); it != tree.rend(); ++it)
    if (Live(*it)) SendMessageA(*it, WM_NCDESTROY, 0, 0);

  // Late changes by the handlers (focus or capture taken back) must not point at freed memory.
  if (inTree(g->focus)) g->focus = nullptr;
  if (inTree(g->capture)) g->capture = nullptr;
  if (inTree(g->active)) g->active = nullptr;
  for (Window* t : g->tops)
    if (inTree(t->lastFocus)) t->lastFocus = nullptr;
  for (Window* t : g->tops)
    if (t->owner == w) t->owner = nullptr;
  DropGrab(w);

  if (w->IsChild()) {
    auto& sib = w->parent->children;
    sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
  } else {
    g->tops.erase(std::remove(g->tops.begin(), g->tops.end(), w), g->tops.end());
  }
  FreeTree(w);
  return TRUE;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = Live(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
        w->text = cs->lpszName;
        if (w->IsTopLevel()) g->backend->SetTitle(w);
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
      if (w->IsTopLevel()) g->backend->SetTitle(w);
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
        bool ok = Live(f) && IsInTree(f, w) && Enabled(f) && Visible(f);
        SetFocus(ok ? f : w);
      }
      return 0;
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (wp && !(wp->flags & SWP_NOMOVE)) SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
      if (wp && !(wp->flags & SWP_NOSIZE) && Live(hwnd))
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

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
  Window* w = Live(hwnd);
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
  Window* w = Live(hwnd);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtrA(hwnd, index);
  switch (index) {
    case GWLP_WNDPROC:
      if (value) w->proc = reinterpret_cast<WNDPROC>(std::uintptr_t(value));
      return old;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(std::uintptr_t(value)); return old;
    case GWLP_HWNDPARENT:
      if (w->IsTopLevel()) {
        Window* o = TopOf(Live(reinterpret_cast<HWND>(std::uintptr_t(value))));
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

BOOL ShowWindow(HWND hwnd, int cmd) {
  Window* w = Live(hwnd);
  if (!w || w->destroying) return FALSE;
  bool was = (w->style & WS_VISIBLE) != 0;
  bool show = cmd != SW_HIDE;
  bool minimize = cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE;
  bool activate = show && !minimize && cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE;

  if (show && !was) {
    SendMessageA(w, WM_SHOWWINDOW, TRUE, 0);
    if (!Live(w)) return FALSE;
    w->style |= WS_VISIBLE;
    InvalidateTree(w);
    if (w->IsTopLevel()) {
      RaiseTop(w);
      g->backend->ShowNative(w, true);
      if (Grabs(w)) {
        g->grabStack.push_back(w);
        w->grabbing = true;
        g->backend->Grab(w, true);
      }
    }
  } else if (!show && was) {
    SendMessageA(w, WM_SHOWWINDOW, FALSE, 0);
    if (!Live(w)) return FALSE;
    w->style &= ~WS_VISIBLE;
    if (IsInTree(g->capture, w)) ReleaseCaptureInternal();
    if (IsInTree(g->hover, w)) g->hover = nullptr;
    if (w->IsChild()) {
      InvalidateArea(w->parent, w->rect, nullptr);
      if (IsInTree(g->focus, w)) {
        Window* top = TopOf(w);
        SetFocusInternal(Enabled(top) && Visible(top) ? top : nullptr);
      }
    } else {
      DropGrab(w);
      g->backend->ShowNative(w, false);
      if (g->active == w) ActivateNext(w);
      if (IsInTree(g->focus, w)) SetFocusInternal(nullptr);
    }
    return was;
  }
  if (w->IsTopLevel()) {
    if (minimize && !w->iconic) {
      w->iconic = true;
      if (g->active == w) ActivateNext(w);
    } else if (!minimize && show && w->iconic) {
      w->iconic = false;
      InvalidateTree(w);
    }
    if (activate && Activatable(w)) {
      if (g->active == w)
        RaiseTop(w);
      else
        Activate(w, false);
    }
  }
  return was;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = Live(hwnd);
  if (!w) return FALSE;
  for (; w; w = w->IsChild() ? w->parent : nullptr)
    if (!(w->style & WS_VISIBLE)) return FALSE;
  return TRUE;
}

BOOL IsIconic(HWND hwnd) {
  Window* w = Live(hwnd);
  return w && w->iconic;
}

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
  Window* w = Live(hwnd);
  if (!w || w->destroying) return FALSE;
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
    g->backend->MoveNative(w);
  }

  if (!(flags & SWP_NOZORDER)) {
    if (w->IsChild()) {
      auto& sib = w->parent->children;
      sib.erase(std::find(sib.begin(), sib.end(), w));
      if (after == HWND_BOTTOM) {
        sib.insert(sib.begin(), w);
      } else if (Window* a = Live(after); a && a->parent == w->parent && a != w) {
        sib.insert(std::find(sib.begin(), sib.end(), a), w);  // just below `after`
      } else {
        sib.push_back(w);
      }
      if (visible && redraw) InvalidateTree(w);
    } else {
      if (after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
      if (after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
      if (after == HWND_BOTTOM) {
        g->tops.erase(std::find(g->tops.begin(), g->tops.end(), w));
        g->tops.push_back(w);
      } else {
        RaiseTop(w);
      }
    }
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(w, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(w, SW_HIDE);
  if ((moved || sized) && Live(w)) {
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

BOOL GetClientRect(HWND hwnd, RECT* r) {
  Window* w = Live(hwnd);
  if (!w || !r) return FALSE;
  *r = ClientRectOf(w);
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* r) {
  Window* w = Live(hwnd);
  if (!w || !r) return FALSE;
  POINT o = ScreenOrigin(w);
  *r = RECT{o.x, o.y, o.x + w->Width(), o.y + w->Height()};
  return TRUE;
}

BOOL AdjustWindowRectEx(RECT* r, DWORD, BOOL, DWORD) { return r ? TRUE : FALSE; }

BOOL ClientToScreen(HWND hwnd, POINT* p) {
  Window* w = Live(hwnd);
  if (!w || !p) return FALSE;
  POINT o = ScreenOrigin(w);
  p->x += o.x;
  p->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* p) {
  Window* w = Live(hwnd);
  if (!w || !p) return FALSE;
  POINT o = ScreenOrigin(w);
  p->x -= o.x;
  p->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  POINT a, b;
  if (from) {
    Window* f = Live(from);
    if (!f) return 0;
    a = ScreenOrigin(f);
  }
  if (to) {
    Window* t = Live(to);
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

HWND GetParent(HWND hwnd) {
  Window* w = Live(hwnd);
  if (!w) return nullptr;
  if (w->IsChild()) return w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  Window* w = Live(child);
  Window* p = Live(newParent);
  if (!w || !p || !w->IsChild() || IsInTree(p, w)) return nullptr;
  Window* old = w->parent;
  if ((w->style & WS_VISIBLE)) InvalidateArea(old, w->rect, w);
  old->children.erase(std::find(old->children.begin(), old->children.end(), w));
  w->parent = p;
  p->children.push_back(w);
  if (TopOf(old) != TopOf(p)) {
    for (Window* t : g->tops)
      if (t->lastFocus && IsInTree(t->lastFocus, w)) t->lastFocus = nullptr;
  }
  if (w->style & WS_VISIBLE) InvalidateTree(w);
  return old;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  Window* w = Live(hwnd);
  if (!w) return nullptr;
  const std::vector<Window*>* list = nullptr;
  std::vector<Window*> ordered;  // topmost first
  if (cmd <= GW_HWNDPREV) {
    if (w->IsChild()) {
      ordered.assign(w->parent->children.rbegin(), w->parent->children.rend());
    } else {
      ordered = g->tops;
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
      for (Window* t : g->tops) {
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
  Window* w = Live(hwnd);
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
  Window* p = Live(parent);
  Window* w = Live(hwnd);
  return p && w && w != p && IsInTree(w, p);
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (!Live(hwnd)) return FALSE;
  return BOOL(SendMessageA(hwnd, WM_SETTEXT, 0, LPARAM(text)));
}

int GetWindowTextA(HWND hwnd, char* buffer, int size) {
  if (!Live(hwnd)) {
    if (buffer && size > 0) buffer[0] = 0;
    return 0;
  }
  return int(SendMessageA(hwnd, WM_GETTEXT, WPARAM(std::max(0, size)), LPARAM(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
  if (!Live(hwnd)) return 0;
  return int(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

HWND WindowFromPoint(POINT screen) {
  if (!Running()) return nullptr;
  Window* top = TopAt(screen);
  if (!top || (top->style & WS_DISABLED)) return nullptr;
  return HitIn(top, screen);
}

HWND ChildWindowFromPointEx(HWND parent, POINT client, UINT flags) {
  Window* p = Live(parent);
  if (!p || !PtInRect(ClientRectOf(p), client)) return nullptr;
  for (auto it = p->children.rbegin(); it != p->children.rend(); ++it) {
    Window* c = *it;
    if ((flags & CWP_SKIPINVISIBLE) && !(c->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (c->style & WS_DISABLED)) continue;
    if (PtInRect(c->rect, client)) return c;
  }
  return p;
}

HWND ChildWindowFromPoint(HWND parent, POINT client) { return ChildWindowFromPointEx(parent, client, CWP_ALL); }

BOOL BringWindowToTop(HWND hwnd) {
  Window* w = Live(hwnd);
  if (!w) return FALSE;
  if (w->IsChild()) return SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (Activatable(w) && Visible(w) && Enabled(w)) {
    if (g->active == w)
      RaiseTop(w);
    else
      Activate(w, false);
  } else {
    RaiseTop(w);
  }
  return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd) {
  Window* w = TopOf(Live(hwnd));
  if (!w || !Visible(w) || !Enabled(w)) return FALSE;
  return BringWindowToTop(w);
}

HWND GetForegroundWindow() { return Running() ? g->active : nullptr; }

HWND SetActiveWindow(HWND hwnd) {
  if (!Running()) return nullptr;
  Window* old = g->active;
  Window* w = Live(hwnd);
  if (!w) return nullptr;
  Activate(TopOf(w), false);
  return old;
}

HWND GetActiveWindow() { return Running() ? g->active : nullptr; }

int GetSystemMetrics(int index) {
  RECT s = Running() ? g->backend->ScreenRect() : RECT{0, 0, 1024, 768};
  switch (index) {
    case SM_CXSCREEN: return s.right - s.left;
    case SM_CYSCREEN: return s.bottom - s.top;
    case SM_CXFULLSCREEN: {
      RECT wa = GetWorkArea();
      return wa.right - wa.left;
    }
    case SM_CYFULLSCREEN: {
      RECT wa = GetWorkArea();
      return wa.bottom - wa.top - 22;
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 22;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 20;
    case SM_SWAPBUTTON: return 0;
    case SM_CXFRAME:
    case SM_CYFRAME: return 8;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK: return 13;
    default: return 0;
  }
}

RECT GetWorkArea() {
  if (!Running()) return RECT{0, 0, 1024, 768};
  RECT wa = g->backend->WorkArea();
  if (IsRectEmpty(wa)) wa = g->backend->ScreenRect();
  return wa;
}

BOOL SystemParametersInfoA(UINT action, UINT, void* pvParam, UINT) {
  if (action != SPI_GETWORKAREA || !pvParam) return FALSE;
  *static_cast<RECT*>(pvParam) = GetWorkArea();
  return TRUE;
}

RECT ClampRectToWorkArea(const RECT& r) {
  RECT wa = GetWorkArea();
  int w = std::min(r.right - r.left, wa.right - wa.left);
  int h = std::min(r.bottom - r.top, wa.bottom - wa.top);
  int x = std::max(wa.left, std::min(r.left, wa.right - w));
  int y = std::max(wa.top, std::min(r.top, wa.bottom - h));
  return RECT{x, y, x + w, y + h};
}

// ---------------------------------------------------------------------------------------
// Painting

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!Running()) return FALSE;
  if (!hwnd) {
    for (Window* t : g->tops) InvalidateRect(t, nullptr, erase);
    return TRUE;
  }
  Window* w = Live(hwnd);
  if (!w) return FALSE;
  RECT r = ClientRectOf(w);
  if (rect && !IntersectRect(&r, r, *rect)) return TRUE;
  if (IsRectEmpty(r)) return TRUE;
  UnionRect(&w->invalid, w->invalid, r);
  if (erase) w->erase = true;
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  Window* w = Live(hwnd);
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
  Window* w = Live(hwnd);
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

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  Window* w = Live(hwnd);
  if (!w || !ps) return nullptr;
  *ps = PAINTSTRUCT{};
  RECT rc = w->invalid;
  bool erase = w->erase;
  w->invalid = RECT{};
  w->erase = false;
  g->paintedDuringDispatch = true;
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

namespace {
void PaintNow(Window* w) {
  if (!NeedsPaint(w)) return;
  RECT before = w->invalid;
  g->paintedDuringDispatch = false;
  SendMessageA(w, WM_PAINT, 0, 0);
  // A window procedure that ignores WM_PAINT would be asked forever.
  if (Live(w) && !g->paintedDuringDispatch && w->invalid == before) ValidateRect(w, nullptr);
}

void UpdateTree(Window* w) {
  PaintNow(w);
  if (!Live(w)) return;
  std::vector<Window*> kids = w->children;
  for (Window* c : kids)
    if (Live(c)) UpdateTree(c);
}
}  // namespace

BOOL UpdateWindow(HWND hwnd) {
  Window* w = Live(hwnd);
  if (!w) return FALSE;
  PaintNow(w);
  if (Live(w)) Present(TopOf(w));
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
  if (!Running()) return FALSE;
  if (!hwnd) {
    std::vector<Window*> tops = g->tops;
    for (Window* t : tops) RedrawWindow(t, rect, nullptr, flags | RDW_ALLCHILDREN);
    return TRUE;
  }
  Window* w = Live(hwnd);
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
      UpdateTree(w);
    else
      PaintNow(w);
    if (Live(w)) Present(TopOf(w));
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Messages

namespace {

bool Matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
  if (filter && m.hwnd != filter) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

void NoteRetrieved(const Queued& q) {
  g->msgTime = q.msg.time;
  g->msgPos = q.msg.pt;
  if (!q.input) return;
  UINT m = q.msg.message;
  if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN || m == WM_KEYUP || m == WM_SYSKEYUP) {
    bool down = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
    SetKey(g->keyState, UINT(q.msg.wParam), down);
  } else if (m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK) {
    WPARAM k = q.msg.wParam;
    auto sync = [&](UINT vk, bool down) {
      if (bool(g->keyState[vk] & 0x80) != down) SetKey(g->keyState, vk, down);
    };
    sync(VK_LBUTTON, k & MK_LBUTTON);
    sync(VK_RBUTTON, k & MK_RBUTTON);
    sync(VK_MBUTTON, k & MK_MBUTTON);
  }
}

Window* NextToPaint(HWND filter) {
  for (Window* t : g->tops) {
    if (!Visible(t)) continue;
    if (Window* w = FirstToPaint(t)) {
      if (!filter || filter == w) return w;
    }
  }
  if (Window* f = Live(filter)) return NeedsPaint(f) ? f : nullptr;
  return nullptr;
}

int NextTimerWait() {
  if (g->timers.empty()) return -1;
  DWORD now = g->backend->Now();
  long best = -1;
  for (const Timer& t : g->timers) {
    long wait = long(std::int32_t(t.due - now));
    if (wait < 0) wait = 0;
    if (best < 0 || wait < best) best = wait;
  }
  return int(best);
}

// One retrieval in Windows order. skipQuit leaves a pending quit request in place.
bool Retrieve(MSG* out, HWND filter, UINT lo, UINT hi, bool remove, bool skipQuit) {
  PresentAll();
  g->backend->ReadEvents();
  for (auto it = g->queue.begin(); it != g->queue.end();) {
    if (it->msg.hwnd && !Live(it->msg.hwnd)) {
      it = g->queue.erase(it);
      continue;
    }
    if (Matches(it->msg, filter, lo, hi)) {
      Queued q = *it;
      if (remove) {
        g->queue.erase(it);
        NoteRetrieved(q);
      }
      *out = q.msg;
      return true;
    }
    ++it;
  }
  if (g->quit && !skipQuit && ((lo == 0 && hi == 0) || (WM_QUIT >= lo && WM_QUIT <= hi))) {
    *out = MSG{};
    out->message = WM_QUIT;
    out->wParam = WPARAM(std::intptr_t(g->quitCode));
    out->time = g->backend->Now();
    out->pt = g->pointer;
    if (remove) g->quit = false;
    return true;
  }
  if ((lo == 0 && hi == 0) || (WM_PAINT >= lo && WM_PAINT <= hi)) {
    if (Window* w = NextToPaint(filter)) {
      *out = MSG{};
      out->hwnd = w;
      out->message = WM_PAINT;
      out->time = g->backend->Now();
      out->pt = g->pointer;
      return true;
    }
  }
  if ((lo == 0 && hi == 0) || (WM_TIMER >= lo && WM_TIMER <= hi)) {
    DWORD now = g->backend->Now();
    for (Timer& t : g->timers) {
      if (std::int32_t(now - t.due) < 0 || (filter && t.hwnd != filter)) continue;
      *out = MSG{};
      out->hwnd = t.hwnd;
      out->message = WM_TIMER;
      out->wParam = t.id;
      out->lParam = LPARAM(reinterpret_cast<std::uintptr_t>(t.proc));
      out->time = now;
      out->pt = g->pointer;
      if (remove) t.due = now + std::max<UINT>(1, t.elapse);
      return true;
    }
  }
  return false;
}

}  // namespace

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT lo, UINT hi) {
  if (!Running() || !msg) return -1;
  for (;;) {
    if (Retrieve(msg, hwnd, lo, hi, true, false)) return msg->message == WM_QUIT ? 0 : 1;
    int wait = NextTimerWait();
    if (!g->backend->WaitEvents(wait) && wait < 0) {
      auto& idle = winsys::IdleHandler();
      if (idle && idle()) continue;
      return -1;
    }
  }
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT lo, UINT hi, UINT remove) {
  if (!Running() || !msg) return FALSE;
  return Retrieve(msg, hwnd, lo, hi, (remove & PM_REMOVE) != 0, false);
}

BOOL TranslateMessage(const MSG* msg) {
  if (!Running() || !msg) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
  UINT vk = UINT(msg->wParam);
  if (vk == VK_MENU || vk == VK_SHIFT || vk == VK_CONTROL) return FALSE;
  char ch = char(msg->lPrivate);
  if (!ch)
    ch = winsys::DefaultKeyChar(vk, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0);
  if (!ch) return FALSE;
  Queued q;
  q.msg = *msg;
  q.msg.message = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  q.msg.wParam = WPARAM(BYTE(ch));
  q.msg.lPrivate = 0;
  g->queue.push_front(q);  // the character comes next, ahead of later input
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!Running() || !msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(std::uintptr_t(msg->lParam));
    proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  Window* w = Live(msg->hwnd);
  if (!w) return 0;
  if (msg->message == WM_PAINT) {
    PaintNow(w);
    if (Live(w)) Present(TopOf(w));
    return 0;
  }
  return w->proc(w, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!Running() || (hwnd && !Live(hwnd))) return FALSE;
  Post(hwnd, msg, wParam, lParam, false);
  return TRUE;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = Live(hwnd);
  if (!w || !w->proc) return 0;
  return w->proc(w, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  if (!Running()) return;
  g->quit = true;
  g->quitCode = exitCode;
}

BOOL WaitMessage() {
  if (!Running()) return FALSE;
  MSG m;
  while (!Retrieve(&m, nullptr, 0, 0, false, false)) {
    int wait = NextTimerWait();
    if (!g->backend->WaitEvents(wait) && wait < 0) return FALSE;
  }
  return TRUE;
}

BOOL WaitMessageTimeout(int timeoutMs) {
  if (!Running()) return FALSE;
  MSG m;
  DWORD start = g->backend->Now();
  for (;;) {
    if (Retrieve(&m, nullptr, 0, 0, false, false)) return TRUE;
    int left = timeoutMs - int(g->backend->Now() - start);
    if (left <= 0) return FALSE;
    int wait = NextTimerWait();
    if (wait < 0 || wait > left) wait = left;
    g->backend->WaitEvents(wait);
  }
}

int PumpPendingMessages() {
  if (!Running()) return 0;
  g->backend->Sync();
  int n = 0;
  MSG m;
  // Bounded so that a window invalidating itself from its own paint cannot hang the caller.
  while (n < 100000 && Retrieve(&m, nullptr, 0, 0, true, true)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
    ++n;
  }
  PresentAll();
  return n;
}

bool QuitRequested(int* exitCode) {
  if (!Running() || !g->quit) return false;
  if (exitCode) *exitCode = g->quitCode;
  return true;
}

DWORD GetMessageTime() { return Running() ? g->msgTime : 0; }
DWORD GetMessagePos() { return Running() ? DWORD(MAKELPARAM(g->msgPos.x, g->msgPos.y)) : 0; }

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (!Running() || (hwnd && !Live(hwnd))) return 0;
  if (!hwnd) id = ++g->nextTimerId;
  DWORD now = g->backend->Now();
  for (Timer& t : g->timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.elapse = elapse;
      t.due = now + std::max<UINT>(1, elapse);
      t.proc = proc;
      return hwnd ? (id ? id : 1) : id;
    }
  }
  g->timers.push_back(Timer{hwnd, id, elapse, now + std::max<UINT>(1, elapse), proc});
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  if (!Running()) return FALSE;
  auto it = std::find_if(g->timers.begin(), g->timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == g->timers.end()) return FALSE;
  g->timers.erase(it);
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Input state, focus, capture

std::int16_t GetKeyState(int vk) {
  if (!Running() || vk < 0 || vk > 255) return 0;
  BYTE s = g->keyState[vk];
  return std::int16_t((s & 0x80 ? 0x8000 : 0) | (s & 1));
}

std::int16_t GetAsyncKeyState(int vk) {
  if (!Running() || vk < 0 || vk > 255) return 0;
  return std::int16_t(g->asyncState[vk] & 0x80 ? 0x8000 : 0);
}

BOOL GetCursorPos(POINT* p) {
  if (!p) return FALSE;
  if (!Running()) {
    *p = POINT{};
    return FALSE;
  }
  *p = g->backend->PointerPos();
  return TRUE;
}

HWND SetFocus(HWND hwnd) {
  if (!Running()) return nullptr;
  Window* old = g->focus;
  if (!hwnd) {
    SetFocusInternal(nullptr);
    return old;
  }
  Window* w = Live(hwnd);
  if (!w || w->destroying || !Enabled(w)) return nullptr;
  Window* top = TopOf(w);
  if (top != g->active && Activatable(top)) {
    Activate(top, false);
    if (g->active != top) return nullptr;
  }
  if (!Live(w)) return nullptr;
  SetFocusInternal(w);
  return old;
}

HWND GetFocus() { return Running() ? g->focus : nullptr; }

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = Live(hwnd);
  if (!w) return FALSE;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    SendMessageA(w, WM_ENABLE, TRUE, 0);
    // An owner re-enabled after its dialog already closed takes the activation back.
    if (Live(w) && w->IsTopLevel() && !g->active && Visible(w) && Activatable(w)) Activate(w, false);
  } else if (!enable && !wasDisabled) {
    w->style |= WS_DISABLED;
    if (IsInTree(g->capture, w)) ReleaseCaptureInternal();
    if (IsInTree(g->focus, w)) {
      Window* top = TopOf(w);
      SetFocusInternal(top != w && Enabled(top) ? top : nullptr);
    }
    if (Live(w)) SendMessageA(w, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = Live(hwnd);
  return w && !(w->style & WS_DISABLED);
}

HWND SetCapture(HWND hwnd) {
  if (!Running()) return nullptr;
  Window* w = Live(hwnd);
  Window* old = g->capture;
  if (!w || w == old) return old;
  g->capture = w;
  RefreshGrab();
  if (Live(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, LPARAM(w));
  return old;
}

BOOL ReleaseCapture() {
  if (!Running()) return FALSE;
  ReleaseCaptureInternal();
  return TRUE;
}

HWND GetCapture() { return Running() ? g->capture : nullptr; }

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  if (!Running() || !tme || tme->cbSize != sizeof(TRACKMOUSEEVENT)) return FALSE;
  Window* w = Live(tme->hwndTrack);
  if (!w) return FALSE;
  if (!(tme->dwFlags & TME_LEAVE)) return TRUE;
  if (tme->dwFlags & TME_CANCEL) {
    w->trackLeave = false;
    return TRUE;
  }
  if (g->hover == w) {
    w->trackLeave = true;
  } else {
    Post(w, WM_MOUSELEAVE, 0, 0, false);
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Cursors

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance || !IS_INTRESOURCE(name)) return nullptr;
  int id = int(reinterpret_cast<std::uintptr_t>(name));
  for (CursorObj& c : g_cursors)
    if (c.id == id) return &c;
  return nullptr;
}

int CursorId(HCURSOR cursor) { return cursor ? cursor->id : 0; }

HCURSOR SetCursor(HCURSOR cursor) {
  if (!Running()) return nullptr;
  HCURSOR old = g->cursor;
  g->cursor = cursor;
  ApplyCursor();
  return old;
}

HCURSOR GetCursor() { return Running() ? g->cursor : nullptr; }

HCURSOR SetOverrideCursor(HCURSOR cursor) {
  if (!Running()) return nullptr;
  HCURSOR old = g->override;
  g->override = cursor;
  ApplyCursor();
  return old;
}

HCURSOR GetOverrideCursor() { return Running() ? g->override : nullptr; }

HBITMAP GetBackBufferBitmap(HWND hwnd) {
  Window* w = TopOf(Live(hwnd));
  return w ? w->backBuffer : nullptr;
}

unsigned long GetNativeWindowId(HWND hwnd) {
  Window* w = TopOf(Live(hwnd));
  return w ? g->backend->NativeId(w) : 0;
}
