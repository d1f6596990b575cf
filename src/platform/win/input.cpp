// Input: hit testing, routing of the pointer and the keys a backend delivers (to the
// capture, to a grabbing popup, or to the window under the pointer or with the focus),
// double clicks, WM_MOUSELEAVE tracking, and the key states the program can ask for.
#include <cstdlib>

#include "platform/win/system.h"

using namespace winsys;

namespace {

Window* TopAt(System& s, POINT screen) {
  for (Window* t : s.tops)
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

void CheckLeave(System& s, Window* now) {
  if (now == s.input.hover) return;
  Window* old = s.input.hover;
  s.input.hover = now;
  if (s.Live(old) && old->trackLeave) {
    old->trackLeave = false;
    Post(s, old, WM_MOUSELEAVE, 0, 0, false);
  }
}

WPARAM MouseKeys(const System& s) {
  const BYTE* keys = s.input.asyncState;
  WPARAM k = 0;
  if (keys[VK_LBUTTON] & 0x80) k |= MK_LBUTTON;
  if (keys[VK_RBUTTON] & 0x80) k |= MK_RBUTTON;
  if (keys[VK_MBUTTON] & 0x80) k |= MK_MBUTTON;
  if (keys[VK_SHIFT] & 0x80) k |= MK_SHIFT;
  if (keys[VK_CONTROL] & 0x80) k |= MK_CONTROL;
  return k;
}

}  // namespace

namespace winsys {

void SetKey(BYTE* state, UINT vk, bool down) {
  if (vk > 255) return;
  if (down && !(state[vk] & 0x80)) state[vk] ^= 1;
  state[vk] = BYTE((state[vk] & 1) | (down ? 0x80 : 0));
}

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

// ---------------------------------------------------------------------------------------
// What backends deliver

void DeliverMouse(System& s, Window* topHint, POINT screen, MouseEvent kind, int button, int wheelDelta) {
  InputState& in = s.input;
  in.pointer = screen;
  UINT vk = button == 1 ? VK_LBUTTON : button == 2 ? VK_MBUTTON : VK_RBUTTON;
  if (kind == MouseEvent::Down) SetKey(in.asyncState, vk, true);
  if (kind == MouseEvent::Up) SetKey(in.asyncState, vk, false);

  Window* hitTop = (topHint && s.Live(topHint)) ? topHint : TopAt(s, screen);
  if (hitTop && !Visible(hitTop)) hitTop = nullptr;
  Window* hit = HitIn(hitTop, screen);
  CheckLeave(s, hit);

  Window* target = nullptr;
  if (s.focus.capture) {
    target = s.focus.capture;
  } else if (!s.focus.grabs.empty()) {
    bool inside = false;
    for (Window* p : s.focus.grabs) inside = inside || (hit && IsInTree(hit, p));
    target = inside ? hit : s.focus.grabs.back();
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

  if (target == hit && !s.focus.capture && kind != MouseEvent::Up && kind != MouseEvent::Wheel) {
    SendMessageA(target, WM_SETCURSOR, WPARAM(target), MAKELPARAM(HTCLIENT, int(msg)));
    if (!s.Live(target)) return;
  }
  Window* top = TopOf(target);
  if (kind == MouseEvent::Down && top != s.focus.active && Activatable(top)) {
    Activate(s, top, true);
    if (!s.Live(target)) return;
  }

  if (kind == MouseEvent::Down) {
    DWORD now = s.backend->Now();
    bool dbl = (target->cls && (target->cls->wc.style & CS_DBLCLKS)) && in.lastClickWnd == target &&
               in.lastClickMsg == msg && now - in.lastClickTime <= 500 &&
               std::abs(screen.x - in.lastClickPt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
               std::abs(screen.y - in.lastClickPt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    if (dbl) {
      in.lastClickWnd = nullptr;
      msg += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    } else {
      in.lastClickWnd = target;
      in.lastClickMsg = msg;
      in.lastClickTime = now;
      in.lastClickPt = screen;
    }
  }

  if (kind == MouseEvent::Wheel) {
    Post(s, target, msg, MAKEWPARAM(int(MouseKeys(s)), wheelDelta), MAKELPARAM(screen.x, screen.y), true);
    return;
  }
  POINT o = ScreenOrigin(target);
  Post(s, target, msg, MouseKeys(s), MAKELPARAM(screen.x - o.x, screen.y - o.y), true);
}

void DeliverPointerLeft(System& s) { CheckLeave(s, nullptr); }

void SyncModifiers(System& s, bool shift, bool control, bool alt) {
  BYTE* keys = s.input.asyncState;
  if (bool(keys[VK_SHIFT] & 0x80) != shift) SetKey(keys, VK_SHIFT, shift);
  if (bool(keys[VK_CONTROL] & 0x80) != control) SetKey(keys, VK_CONTROL, control);
  if (bool(keys[VK_MENU] & 0x80) != alt) SetKey(keys, VK_MENU, alt);
}

void DeliverKey(System& s, UINT vk, bool down, char ch) {
  if (vk == 0 || vk > 255) return;
  BYTE* keys = s.input.asyncState;
  bool wasDown = keys[vk] & 0x80;
  SetKey(keys, vk, down);
  bool alt = keys[VK_MENU] & 0x80;
  bool ctrl = keys[VK_CONTROL] & 0x80;
  bool sys = (alt && !ctrl) || vk == VK_F10 || (vk == VK_MENU && !ctrl);

  Window* target = nullptr;
  if (!s.focus.grabs.empty()) {
    Window* popup = s.focus.grabs.back();
    target = (s.focus.window && IsInTree(s.focus.window, popup)) ? s.focus.window : popup;
  } else if (s.focus.window) {
    target = s.focus.window;
  } else if (s.focus.active) {
    target = s.focus.active;  // no focus: the active window gets the keys as system keys
    sys = true;
  }
  if (!target || !Enabled(target)) return;
  UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lp = 1;
  if (alt) lp |= LPARAM(1) << 29;
  if (!down || wasDown) lp |= LPARAM(1) << 30;
  if (!down) lp |= LPARAM(std::int32_t(0x80000000u));
  Post(s, target, msg, vk, lp, true, down ? BYTE(ch) : 0);
}

void DeliverClose(System& s, Window* top) {
  if (!s.Live(top) || !Enabled(top)) return;
  Post(s, top, WM_SYSCOMMAND, SC_CLOSE, 0, false);
}

}  // namespace winsys

// ---------------------------------------------------------------------------------------
// Key states and the pointer

std::int16_t GetKeyState(int vk) {
  System* s = Current();
  if (!s || vk < 0 || vk > 255) return 0;
  BYTE k = s->input.keyState[vk];
  return std::int16_t((k & 0x80 ? 0x8000 : 0) | (k & 1));
}

std::int16_t GetAsyncKeyState(int vk) {
  System* s = Current();
  if (!s || vk < 0 || vk > 255) return 0;
  return std::int16_t(s->input.asyncState[vk] & 0x80 ? 0x8000 : 0);
}

BOOL GetCursorPos(POINT* p) {
  if (!p) return FALSE;
  System* s = Current();
  if (!s) {
    *p = POINT{};
    return FALSE;
  }
  *p = s->backend->PointerPos();
  return TRUE;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  System* s = Current();
  if (!s || !tme || tme->cbSize != sizeof(TRACKMOUSEEVENT)) return FALSE;
  Window* w = s->Live(tme->hwndTrack);
  if (!w) return FALSE;
  if (!(tme->dwFlags & TME_LEAVE)) return TRUE;
  if (tme->dwFlags & TME_CANCEL) {
    w->trackLeave = false;
    return TRUE;
  }
  if (s->input.hover == w) {
    w->trackLeave = true;
  } else {
    Post(*s, w, WM_MOUSELEAVE, 0, 0, false);
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Windows at a point

HWND WindowFromPoint(POINT screen) {
  System* s = Current();
  if (!s) return nullptr;
  Window* top = TopAt(*s, screen);
  if (!top || (top->style & WS_DISABLED)) return nullptr;
  return HitIn(top, screen);
}

HWND ChildWindowFromPointEx(HWND parent, POINT client, UINT flags) {
  Window* p = LiveWindow(parent);
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
