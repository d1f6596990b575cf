// Timers: SetTimer and KillTimer, and the two things retrieval asks of them (how long it
// may wait, and the next due timer as a WM_TIMER message). A timer that fires is due
// again one period after it was retrieved, so a slow program never receives a burst.
#include <algorithm>

#include "platform/win/system.h"

using namespace winsys;

namespace winsys {

int NextTimerWait(System& s) {
  if (s.queue.timers.empty()) return -1;
  DWORD now = s.backend->Now();
  long best = -1;
  for (const Timer& t : s.queue.timers) {
    long wait = long(std::int32_t(t.due - now));
    if (wait < 0) wait = 0;
    if (best < 0 || wait < best) best = wait;
  }
  return int(best);
}

bool TakeDueTimer(System& s, HWND filter, bool remove, MSG* out) {
  DWORD now = s.backend->Now();
  for (Timer& t : s.queue.timers) {
    if (std::int32_t(now - t.due) < 0 || (filter && t.hwnd != filter)) continue;
    *out = MSG{};
    out->hwnd = t.hwnd;
    out->message = WM_TIMER;
    out->wParam = t.id;
    out->lParam = LPARAM(reinterpret_cast<std::uintptr_t>(t.proc));
    out->time = now;
    out->pt = s.input.pointer;
    if (remove) t.due = now + std::max<UINT>(1, t.elapse);
    return true;
  }
  return false;
}

}  // namespace winsys

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  System* s = Current();
  if (!s || (hwnd && !s->Live(hwnd))) return 0;
  if (!hwnd) id = ++s->queue.nextTimerId;
  DWORD now = s->backend->Now();
  for (Timer& t : s->queue.timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.elapse = elapse;
      t.due = now + std::max<UINT>(1, elapse);
      t.proc = proc;
      return hwnd ? (id ? id : 1) : id;
    }
  }
  s->queue.timers.push_back(Timer{hwnd, id, elapse, now + std::max<UINT>(1, elapse), proc});
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  System* s = Current();
  if (!s) return FALSE;
  auto& timers = s->queue.timers;
  auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}
