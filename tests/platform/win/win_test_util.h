// Shared helpers of the window-system tests: a window class whose procedure records every
// message and paints its client area in one colour.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win/win.h"

namespace wintest {

struct Rec {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

struct Log {
  std::vector<Rec> all;
  std::vector<RECT> paints;  // rcPaint of every WM_PAINT, in order
  void Clear() {
    all.clear();
    paints.clear();
  }
  // Messages of one kind, in order.
  std::vector<Rec> Of(UINT msg) const {
    std::vector<Rec> out;
    for (const Rec& r : all)
      if (r.msg == msg) out.push_back(r);
    return out;
  }
  // Messages of the given kinds, in order (handy for checking an ordering).
  std::vector<std::pair<HWND, UINT>> Seq(std::initializer_list<UINT> kinds) const {
    std::vector<std::pair<HWND, UINT>> out;
    for (const Rec& r : all)
      for (UINT k : kinds)
        if (r.msg == k) out.emplace_back(r.hwnd, r.msg);
    return out;
  }
};

inline Log& TheLog() {
  static Log log;
  return log;
}

// Extra behaviour for a test: return true to swallow the message with `result`.
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>& Hook() {
  static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> hook;
  return hook;
}

inline LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TheLog().all.push_back(Rec{hwnd, msg, wp, lp});
  LRESULT result = 0;
  if (Hook() && Hook()(hwnd, msg, wp, lp, &result)) return result;
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    TheLog().paints.push_back(ps.rcPaint);
    LONG_PTR colour = GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    if (colour) {
      RECT r;
      GetClientRect(hwnd, &r);
      FillSolidRect(hdc, r, COLORREF(colour - 1));
    }
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

inline const char* ClassName() {
  static bool done = false;
  if (!done) {
    WNDCLASSA wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &RecordingProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "WinTestRecorder";
    RegisterClassA(&wc);
    done = true;
  }
  return "WinTestRecorder";
}

// A window that paints itself in `colour` (0x00BBGGRR).
inline HWND Make(DWORD style, int x, int y, int w, int h, HWND parent, COLORREF colour, const char* title = "",
                 DWORD exStyle = 0) {
  HWND hwnd = CreateWindowExA(exStyle, ClassName(), title, style & ~WS_VISIBLE, x, y, w, h, parent, nullptr,
                              nullptr, nullptr);
  if (hwnd) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, LONG_PTR(colour) + 1);
    if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  }
  return hwnd;
}

// 0x00RRGGBB as frames store it, from a COLORREF.
inline std::uint32_t Px(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

}  // namespace wintest
