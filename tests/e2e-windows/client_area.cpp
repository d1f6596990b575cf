// Prints where the client area of a shown top-level window lies on the screen, as
// "X Y WIDTH HEIGHT", for the end-to-end tests: the window manager's frame around it is
// the system's business. Usage: e2e_client_area TITLE [SECONDS]; exit 1 when no window with
// that exact title shows within the time (default 10 s).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: e2e_client_area TITLE [SECONDS]\n");
    return 2;
  }
  int n = MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, nullptr, 0);
  std::wstring title(std::size_t(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, title.data(), n);
  const DWORD limit = DWORD(argc > 2 ? std::atoi(argv[2]) : 10) * 1000;
  const DWORD start = GetTickCount();
  for (;;) {
    HWND h = FindWindowW(nullptr, title.c_str());
    RECT r;
    POINT o{0, 0};
    if (h && IsWindowVisible(h) && GetClientRect(h, &r) && ClientToScreen(h, &o)) {
      std::printf("%ld %ld %ld %ld\n", o.x, o.y, r.right - r.left, r.bottom - r.top);
      return 0;
    }
    if (GetTickCount() - start > limit) break;
    Sleep(50);
  }
  std::fprintf(stderr, "no window titled \"%s\"\n", argv[1]);
  return 1;
}
