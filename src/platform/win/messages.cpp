// The message queue: posting, retrieval in Windows order (posted messages and input, then
// the quit request, then WM_PAINT, then WM_TIMER), sending, dispatching, translating keys
// into characters and waiting for input. Retrieval presents finished frames first, so
// whatever was drawn shows before the program waits.
#include <algorithm>

#include "platform/win/system.h"

using namespace winsys;

namespace winsys {

void Post(System& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool input, DWORD ch) {
  Queued q;
  q.msg.hwnd = hwnd;
  q.msg.message = msg;
  q.msg.wParam = wp;
  q.msg.lParam = lp;
  q.msg.time = s.backend->Now();
  q.msg.pt = s.input.pointer;
  q.msg.lPrivate = ch;
  q.input = input;
  // Only the newest pointer position matters, as on Windows.
  auto& posted = s.queue.posted;
  if (msg == WM_MOUSEMOVE && !posted.empty() && posted.back().msg.message == WM_MOUSEMOVE &&
      posted.back().msg.hwnd == hwnd) {
    posted.back() = q;
    return;
  }
  posted.push_back(q);
}

}  // namespace winsys

namespace {

bool Matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
  if (filter && m.hwnd != filter) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

// Input updates the key state the program sees when the program takes it out of the queue.
void NoteRetrieved(System& s, const Queued& q) {
  s.queue.msgTime = q.msg.time;
  s.queue.msgPos = q.msg.pt;
  if (!q.input) return;
  BYTE* keys = s.input.keyState;
  UINT m = q.msg.message;
  if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN || m == WM_KEYUP || m == WM_SYSKEYUP) {
    bool down = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
    SetKey(keys, UINT(q.msg.wParam), down);
  } else if (m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK) {
    WPARAM k = q.msg.wParam;
    auto sync = [&](UINT vk, bool down) {
      if (bool(keys[vk] & 0x80) != down) SetKey(keys, vk, down);
    };
    sync(VK_LBUTTON, k & MK_LBUTTON);
    sync(VK_RBUTTON, k & MK_RBUTTON);
    sync(VK_MBUTTON, k & MK_MBUTTON);
  }
}

Window* NextToPaint(System& s, HWND filter) {
  for (Window* t : s.tops) {
    if (!Visible(t)) continue;
    if (Window* w = FirstToPaint(t)) {
      if (!filter || filter == w) return w;
    }
  }
  if (Window* f = s.Live(filter)) return NeedsPaint(f) ? f : nullptr;
  return nullptr;
}

// One retrieval in Windows order. skipQuit leaves a pending quit request in place.
bool Retrieve(System& s, MSG* out, HWND filter, UINT lo, UINT hi, bool remove, bool skipQuit) {
  PresentAll(s);
  s.backend->ReadEvents();
  auto& posted = s.queue.posted;
  for (auto it = posted.begin(); it != posted.end();) {
    if (it->msg.hwnd && !s.Live(it->msg.hwnd)) {
      it = posted.erase(it);
      continue;
    }
    if (Matches(it->msg, filter, lo, hi)) {
      Queued q = *it;
      if (remove) {
        posted.erase(it);
        NoteRetrieved(s, q);
      }
      *out = q.msg;
      return true;
    }
    ++it;
  }
  if (s.queue.quit && !skipQuit && ((lo == 0 && hi == 0) || (WM_QUIT >= lo && WM_QUIT <= hi))) {
    *out = MSG{};
    out->message = WM_QUIT;
    out->wParam = WPARAM(std::intptr_t(s.queue.quitCode));
    out->time = s.backend->Now();
    out->pt = s.input.pointer;
    if (remove) s.queue.quit = false;
    return true;
  }
  if ((lo == 0 && hi == 0) || (WM_PAINT >= lo && WM_PAINT <= hi)) {
    if (Window* w = NextToPaint(s, filter)) {
      *out = MSG{};
      out->hwnd = w;
      out->message = WM_PAINT;
      out->time = s.backend->Now();
      out->pt = s.input.pointer;
      return true;
    }
  }
  if ((lo == 0 && hi == 0) || (WM_TIMER >= lo && WM_TIMER <= hi)) return TakeDueTimer(s, filter, remove, out);
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Retrieving and dispatching

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT lo, UINT hi) {
  System* s = Current();
  if (!s || !msg) return -1;
  for (;;) {
    if (Retrieve(*s, msg, hwnd, lo, hi, true, false)) return msg->message == WM_QUIT ? 0 : 1;
    int wait = NextTimerWait(*s);
    if (!s->backend->WaitEvents(wait) && wait < 0) {
      if (s->backend->Idle()) continue;
      return -1;
    }
  }
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT lo, UINT hi, UINT remove) {
  System* s = Current();
  if (!s || !msg) return FALSE;
  return Retrieve(*s, msg, hwnd, lo, hi, (remove & PM_REMOVE) != 0, false);
}

BOOL TranslateMessage(const MSG* msg) {
  System* s = Current();
  if (!s || !msg) return FALSE;
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
  s->queue.posted.push_front(q);  // the character comes next, ahead of later input
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  System* s = Current();
  if (!s || !msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(std::uintptr_t(msg->lParam));
    proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  Window* w = s->Live(msg->hwnd);
  if (!w) return 0;
  if (msg->message == WM_PAINT) {
    PaintNow(*s, w);
    if (s->Live(w)) Present(*s, TopOf(w));
    return 0;
  }
  return w->proc(w, msg->message, msg->wParam, msg->lParam);
}

// ---------------------------------------------------------------------------------------
// Posting and sending

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  System* s = Current();
  if (!s || (hwnd && !s->Live(hwnd))) return FALSE;
  Post(*s, hwnd, msg, wParam, lParam, false);
  return TRUE;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = LiveWindow(hwnd);
  if (!w || !w->proc) return 0;
  return w->proc(w, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  System* s = Current();
  if (!s) return;
  s->queue.quit = true;
  s->queue.quitCode = exitCode;
}

bool QuitRequested(int* exitCode) {
  System* s = Current();
  if (!s || !s->queue.quit) return false;
  if (exitCode) *exitCode = s->queue.quitCode;
  return true;
}

// ---------------------------------------------------------------------------------------
// Waiting

void SetExternalWaitSource(ExternalWaitSource* source) {
  if (System* s = Current()) s->backend->external = source;
}

BOOL WaitMessage() {
  System* s = Current();
  if (!s) return FALSE;
  MSG m;
  while (!Retrieve(*s, &m, nullptr, 0, 0, false, false)) {
    int wait = NextTimerWait(*s);
    if (!s->backend->WaitEvents(wait) && wait < 0) return FALSE;
  }
  return TRUE;
}

BOOL WaitMessageTimeout(int timeoutMs) {
  System* s = Current();
  if (!s) return FALSE;
  MSG m;
  DWORD start = s->backend->Now();
  for (;;) {
    if (Retrieve(*s, &m, nullptr, 0, 0, false, false)) return TRUE;
    int left = timeoutMs - int(s->backend->Now() - start);
    if (left <= 0) return FALSE;
    int wait = NextTimerWait(*s);
    if (wait < 0 || wait > left) wait = left;
    s->backend->WaitEvents(wait);
  }
}

int PumpPendingMessages() {
  System* s = Current();
  if (!s) return 0;
  s->backend->Sync();
  int n = 0;
  MSG m;
  // Bounded so that a window invalidating itself from its own paint cannot hang the caller.
  while (n < 100000 && Retrieve(*s, &m, nullptr, 0, 0, true, true)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
    ++n;
  }
  PresentAll(*s);
  return n;
}
