// Focus, activation, enabling, capture and grabs: who receives the keys, which top-level
// window is active (and what becomes active when it goes), and which window or popup
// holds the pointer. Each change sends the Windows notifications in the Windows order.
#include <algorithm>

#include "platform/win/system.h"

using namespace winsys;

namespace {

void RefreshGrab(System& s) {
  if (!s.focus.grabs.empty()) {
    s.backend->Grab(s.focus.grabs.back(), true);
  } else if (s.focus.capture) {
    s.backend->Grab(TopOf(s.focus.capture), false);
  } else {
    s.backend->Ungrab();
  }
}

}  // namespace

namespace winsys {

bool Grabs(Window* w) {
  return w->IsMenuPopup() && !(w->exStyle & (WS_EX_NOACTIVATE | WS_EX_TRANSPARENT));
}

bool Activatable(Window* w) {
  return w && w->IsTopLevel() && !w->IsMenuPopup() && !(w->exStyle & WS_EX_NOACTIVATE);
}

void SetFocusInternal(System& s, Window* n) {
  Window* old = s.focus.window;
  if (old == n) return;
  s.focus.window = n;
  if (n) TopOf(n)->lastFocus = n;
  if (s.Live(old)) {
    SendMessageA(old, WM_KILLFOCUS, WPARAM(n), 0);
    if (s.focus.window != n) return;
  }
  if (s.Live(n)) SendMessageA(n, WM_SETFOCUS, WPARAM(old), 0);
}

void Activate(System& s, Window* w, bool click) {
  if (w == s.focus.active) return;
  if (w && (!Activatable(w) || !Enabled(w) || !Visible(w) || w->destroying)) return;
  Window* old = s.focus.active;
  s.focus.active = w;
  if (s.Live(old) && !old->destroying)
    SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, old->iconic), LPARAM(w));
  if (w && s.focus.active == w) {
    RaiseTop(s, w);
    s.backend->Activate(w);
    SendMessageA(w, WM_ACTIVATE, MAKEWPARAM(click ? WA_CLICKACTIVE : WA_ACTIVE, w->iconic), LPARAM(old));
  }
  if (s.focus.active == w && s.focus.window && !IsInTree(s.focus.window, w)) SetFocusInternal(s, nullptr);
}

void ActivateNext(System& s, Window* leaving) {
  auto usable = [&](Window* t) {
    return s.Live(t) && t != leaving && !t->destroying && Activatable(t) && Visible(t) && Enabled(t);
  };
  Window* next = nullptr;
  if (usable(leaving->owner)) next = leaving->owner;
  for (auto it = s.tops.begin(); !next && it != s.tops.end(); ++it)
    if (usable(*it)) next = *it;
  if (next) {
    Activate(s, next, false);
  } else {
    Window* old = s.focus.active;
    s.focus.active = nullptr;
    if (s.Live(old) && !old->destroying) SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    SetFocusInternal(s, nullptr);
  }
}

void DropGrab(System& s, Window* w) {
  auto& grabs = s.focus.grabs;
  auto it = std::find(grabs.begin(), grabs.end(), w);
  if (it == grabs.end()) return;
  grabs.erase(it);
  w->grabbing = false;
  RefreshGrab(s);
}

void ReleaseCaptureInternal(System& s) {
  Window* old = s.focus.capture;
  if (!old) return;
  s.focus.capture = nullptr;
  RefreshGrab(s);
  if (s.Live(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
}

void DeliverFocus(System& s, Window* top, bool in) {
  if (!s.Live(top)) return;
  if (in) {
    if (top != s.focus.active && Enabled(top) && Activatable(top)) Activate(s, top, false);
  } else if (top == s.focus.active) {
    Window* old = s.focus.active;
    s.focus.active = nullptr;
    SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    SetFocusInternal(s, nullptr);
  }
}

}  // namespace winsys

// ---------------------------------------------------------------------------------------
// Focus and enabling

HWND SetFocus(HWND hwnd) {
  System* s = Current();
  if (!s) return nullptr;
  Window* old = s->focus.window;
  if (!hwnd) {
    SetFocusInternal(*s, nullptr);
    return old;
  }
  Window* w = s->Live(hwnd);
  if (!w || w->destroying || !Enabled(w)) return nullptr;
  Window* top = TopOf(w);
  if (top != s->focus.active && Activatable(top)) {
    Activate(*s, top, false);
    if (s->focus.active != top) return nullptr;
  }
  if (!s->Live(w)) return nullptr;
  SetFocusInternal(*s, w);
  return old;
}

HWND GetFocus() {
  System* s = Current();
  return s ? s->focus.window : nullptr;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  System* sp = Current();
  Window* w = sp ? sp->Live(hwnd) : nullptr;
  if (!w) return FALSE;
  System& s = *sp;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    if (w->IsTopLevel() && w->native) s.backend->EnableNative(w, true);
    SendMessageA(w, WM_ENABLE, TRUE, 0);
    // An owner re-enabled after its dialog already closed takes the activation back.
    if (s.Live(w) && w->IsTopLevel() && !s.focus.active && Visible(w) && Activatable(w)) Activate(s, w, false);
  } else if (!enable && !wasDisabled) {
    w->style |= WS_DISABLED;
    if (w->IsTopLevel() && w->native) s.backend->EnableNative(w, false);
    if (IsInTree(s.focus.capture, w)) ReleaseCaptureInternal(s);
    if (IsInTree(s.focus.window, w)) {
      Window* top = TopOf(w);
      SetFocusInternal(s, top != w && Enabled(top) ? top : nullptr);
    }
    if (s.Live(w)) SendMessageA(w, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = LiveWindow(hwnd);
  return w && !(w->style & WS_DISABLED);
}

// ---------------------------------------------------------------------------------------
// Capture

HWND SetCapture(HWND hwnd) {
  System* s = Current();
  if (!s) return nullptr;
  Window* w = s->Live(hwnd);
  Window* old = s->focus.capture;
  if (!w || w == old) return old;
  s->focus.capture = w;
  RefreshGrab(*s);
  if (s->Live(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, LPARAM(w));
  return old;
}

BOOL ReleaseCapture() {
  System* s = Current();
  if (!s) return FALSE;
  ReleaseCaptureInternal(*s);
  return TRUE;
}

HWND GetCapture() {
  System* s = Current();
  return s ? s->focus.capture : nullptr;
}

// ---------------------------------------------------------------------------------------
// Activation

BOOL BringWindowToTop(HWND hwnd) {
  System* s = Current();
  Window* w = s ? s->Live(hwnd) : nullptr;
  if (!w) return FALSE;
  if (w->IsChild()) return SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (Activatable(w) && Visible(w) && Enabled(w)) {
    if (s->focus.active == w)
      RaiseTop(*s, w);
    else
      Activate(*s, w, false);
  } else {
    RaiseTop(*s, w);
  }
  return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd) {
  Window* w = TopOf(LiveWindow(hwnd));
  if (!w || !Visible(w) || !Enabled(w)) return FALSE;
  return BringWindowToTop(w);
}

HWND GetForegroundWindow() {
  System* s = Current();
  return s ? s->focus.active : nullptr;
}

HWND SetActiveWindow(HWND hwnd) {
  System* s = Current();
  if (!s) return nullptr;
  Window* old = s->focus.active;
  Window* w = s->Live(hwnd);
  if (!w) return nullptr;
  Activate(*s, TopOf(w), false);
  return old;
}

HWND GetActiveWindow() {
  System* s = Current();
  return s ? s->focus.active : nullptr;
}
