// The floor of the start-up measurement under Wine (bench/startup): a bare program of the
// system's own calls that shows one frame of the launcher's size, with the colours the
// measurement looks for where the launcher's first frame has them, and nothing else.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

void Fill(HDC dc, RECT r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    Fill(dc, RECT{0, 0, 658, 478}, RGB(0xF0, 0xF0, 0xF0));  // button face
    Fill(dc, RECT{184, 8, 650, 424}, RGB(0xFF, 0xFF, 0xFF));  // the task list
    Fill(dc, RECT{186, 10, 648, 86}, RGB(0x80, 0x80, 0x80));  // its selected item
    EndPaint(h, &ps);
    return 0;
  }
  if (m == WM_ERASEBKGND) return 1;
  if (m == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(h, m, wp, lp);
}

}  // namespace

int main() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Proc;
  wc.lpszClassName = L"Floor";
  wc.hInstance = GetModuleHandleW(nullptr);
  RegisterClassW(&wc);
  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT r{0, 0, 658, 478};
  AdjustWindowRect(&r, style, FALSE);
  HWND h = CreateWindowW(L"Floor", L"Floor", style, 180, 134, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                         wc.hInstance, nullptr);
  ShowWindow(h, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
