// The default window procedure: what a window does with a message its own procedure
// passes on (texts, closing, background erase with the class brush, the class cursor,
// restoring the focus on activation, Alt+F4), and CallWindowProcA for subclassing.
#include <algorithm>
#include <cstring>

#include "platform/win/system.h"

using namespace winsys;

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
