// Window classes. The class table is process-wide and outlives any one window system, as
// class libraries register each class once per process; a class that a live window uses
// cannot be unregistered.
#include <algorithm>

#include <strings.h>

#include "platform/win/system.h"

using namespace winsys;

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
