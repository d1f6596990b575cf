// The system's own windows behind one window class. Each window keeps its cursor and
// icons; everything else it receives goes to the listener, which the Win32 backend is.
//
// Sections: window data and styles / the window procedure / icons / start and stop /
// windows: create, place, title, raise, activate, present, cursor, icon, capture / the
// message pump and system queries.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "platform/native/native_access.h"
#include "platform/native/native_window.h"

namespace nativewin {

namespace {

constexpr wchar_t kClassName[] = L"LbWindow";

Listener* g_listener = nullptr;
ATOM g_class = 0;
// The character the key-down being dispatched produced (its WM_CHAR is taken out of the
// queue before the key-down is dispatched, so both arrive as one).
std::uint32_t g_pendingUnit = 0;

struct WindowData {
  Look look;
  HCURSOR cursor = nullptr;
  HICON big = nullptr, small = nullptr;
  bool tracking = false;  // asked to hear when the pointer leaves
};

WindowData* Data(HWND h) { return reinterpret_cast<WindowData*>(GetWindowLongPtrW(h, GWLP_USERDATA)); }

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring w(std::size_t(std::max(0, n)), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), n);
  return w;
}

DWORD StyleOf(const Look& l) {
  if (l.popup) return WS_POPUP | WS_CLIPSIBLINGS;
  DWORD s = WS_OVERLAPPED | WS_CAPTION | WS_CLIPSIBLINGS;
  if (l.sysMenu) s |= WS_SYSMENU;
  if (l.thickFrame) s |= WS_THICKFRAME;
  if (l.minimizeBox) s |= WS_MINIMIZEBOX;
  if (l.maximizeBox) s |= WS_MAXIMIZEBOX;
  return s;
}

DWORD ExStyleOf(const Look& l) {
  if (l.popup) return WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  DWORD s = 0;
  if (l.dialogFrame) s |= WS_EX_DLGMODALFRAME;
  if (l.topmost) s |= WS_EX_TOPMOST;
  if (l.toolWindow) s |= WS_EX_TOOLWINDOW;
  return s;
}

// The whole window around a client area, frame and caption included.
RECT Outer(DWORD style, DWORD exStyle, const Rect& client) {
  RECT r{client.left, client.top, client.right, client.bottom};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return r;
}

POINT Origin(HWND h) {
  POINT p{0, 0};
  ClientToScreen(h, &p);
  return p;
}

void Blit(HDC dc, const Pixels& frame, const Rect& area) {
  int left = std::max(0, area.left), top = std::max(0, area.top);
  int right = std::min(area.right, frame.width), bottom = std::min(area.bottom, frame.height);
  if (!frame.bits || right <= left || bottom <= top || frame.stride < frame.width * 4) return;
  // Only the rows shown, as a top-down image of their own: with the whole image given, the
  // source rectangle of a top-down image is read from the bottom in some implementations.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = frame.stride / 4;
  bi.bmiHeader.biHeight = -(bottom - top);
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  const auto* rows = static_cast<const unsigned char*>(frame.bits) + std::size_t(top) * std::size_t(frame.stride);
  SetDIBitsToDevice(dc, left, top, DWORD(right - left), DWORD(bottom - top), left, 0, 0, UINT(bottom - top), rows,
                    &bi, DIB_RGB_COLORS);
}

void Forward(HWND h, UINT msg, WPARAM wp, LPARAM lp, std::uint32_t unit = 0) {
  if (!g_listener) return;
  Message m;
  m.window = h;
  m.msg = msg;
  m.wParam = wp;
  m.lParam = lp;
  POINT o = Origin(h);
  m.originX = o.x;
  m.originY = o.y;
  m.unit = unit;
  m.shift = GetKeyState(VK_SHIFT) < 0;
  m.control = GetKeyState(VK_CONTROL) < 0;
  m.alt = GetKeyState(VK_MENU) < 0;
  g_listener->OnMessage(m);
}

LRESULT CALLBACK WindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  WindowData* d = Data(h);
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
      break;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(h, GWLP_USERDATA, 0);
      if (d) {
        if (d->big) DestroyIcon(d->big);
        if (d->small) DestroyIcon(d->small);
        delete d;
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Rect area{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
      if (g_listener) Blit(dc, g_listener->OnExpose(h, area), area);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;  // every pixel comes from a frame
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && d) {
        ::SetCursor(d->cursor);
        return TRUE;
      }
      break;
    case WM_MOUSEACTIVATE:
      if (d && d->look.popup) return MA_NOACTIVATE;
      break;
    case WM_MOUSEMOVE:
      if (d && !d->tracking) {
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, h, 0};
        d->tracking = TrackMouseEvent(&t) != FALSE;
      }
      Forward(h, msg, wp, lp);
      return 0;
    case WM_MOUSELEAVE:
      if (d) d->tracking = false;
      Forward(h, msg, wp, lp);
      return 0;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
      Forward(h, msg, wp, lp);
      return 0;
    // System keys too: the program has its own Alt handling, and the system's would open
    // the window menu on Alt and on F10.
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
      Forward(h, msg, wp, lp, g_pendingUnit);
      g_pendingUnit = 0;
      return 0;
    case WM_KEYUP: case WM_SYSKEYUP:
      Forward(h, msg, wp, lp);
      return 0;
    case WM_CHAR: case WM_SYSCHAR: case WM_DEADCHAR: case WM_SYSDEADCHAR: return 0;
    case WM_CLOSE:
      Forward(h, msg, wp, lp);
      return 0;  // the program decides whether the window goes
    case WM_GETOBJECT: {
      std::intptr_t result = 0;
      if (nativeacc::Answer(h, wp, lp, &result)) return result;
      break;
    }
    case WM_ACTIVATE:
    case WM_MOVE:
    case WM_SIZE:
      Forward(h, msg, wp, lp);
      break;
    default: break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

HICON MakeIcon(const std::uint32_t* argb, int w, int h) {
  BITMAPV5HEADER bh{};
  bh.bV5Size = sizeof bh;
  bh.bV5Width = w;
  bh.bV5Height = -h;
  bh.bV5Planes = 1;
  bh.bV5BitCount = 32;
  bh.bV5Compression = BI_BITFIELDS;
  bh.bV5RedMask = 0x00FF0000;
  bh.bV5GreenMask = 0x0000FF00;
  bh.bV5BlueMask = 0x000000FF;
  bh.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bh), DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!color || !bits) {
    if (color) DeleteObject(color);
    return nullptr;
  }
  std::copy(argb, argb + std::size_t(w) * std::size_t(h), static_cast<std::uint32_t*>(bits));
  // An all-clear mask: the alpha channel says what shows.
  std::vector<unsigned char> maskBits(std::size_t((w + 15) / 16 * 2) * std::size_t(h), 0);
  HBITMAP mask = CreateBitmap(w, h, 1, 1, maskBits.data());
  ICONINFO ii{TRUE, 0, 0, mask, color};
  HICON icon = mask ? CreateIconIndirect(&ii) : nullptr;
  if (mask) DeleteObject(mask);
  DeleteObject(color);
  return icon;
}

}  // namespace

bool Start(Listener* listener, std::string* error) {
  // Frames are shown pixel for pixel; the system must not scale them.
  SetProcessDPIAware();
  g_listener = listener;
  if (g_class) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  g_class = RegisterClassExW(&wc);
  if (!g_class) {
    if (error) *error = "The system refused the window class (error " + std::to_string(GetLastError()) + ").";
    g_listener = nullptr;
    return false;
  }
  return true;
}

void Stop() {
  if (g_class) UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
  g_class = 0;
  g_listener = nullptr;
}

Handle Create(const Look& look, Handle owner, const Rect& client, const std::string& titleUtf8) {
  DWORD style = StyleOf(look), ex = ExStyleOf(look);
  // An owned window is a dialog box: a window manager focuses it when it opens over its owner.
  if (owner && !look.popup) style |= WS_POPUP;
  RECT r = Outer(style, ex, client);
  auto* d = new WindowData;
  d->look = look;
  HWND h = CreateWindowExW(ex, kClassName, Wide(titleUtf8).c_str(), style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, static_cast<HWND>(owner), nullptr, GetModuleHandleW(nullptr), d);
  if (!h) delete d;
  return h;
}

void Destroy(Handle w) {
  if (w) DestroyWindow(static_cast<HWND>(w));
}

void Show(Handle w, bool show) { ShowWindow(static_cast<HWND>(w), show ? SW_SHOWNA : SW_HIDE); }

void Place(Handle w, const Rect& client) {
  HWND h = static_cast<HWND>(w);
  RECT r = Outer(DWORD(GetWindowLongW(h, GWL_STYLE)), DWORD(GetWindowLongW(h, GWL_EXSTYLE)), client);
  SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

bool ClientArea(Handle w, Rect* client) {
  HWND h = static_cast<HWND>(w);
  if (IsIconic(h)) return false;
  RECT r;
  if (!GetClientRect(h, &r)) return false;
  POINT o = Origin(h);
  *client = Rect{o.x, o.y, o.x + r.right, o.y + r.bottom};
  return true;
}

void SetTitle(Handle w, const std::string& titleUtf8) {
  SetWindowTextW(static_cast<HWND>(w), Wide(titleUtf8).c_str());
}

void Raise(Handle w) {
  SetWindowPos(static_cast<HWND>(w), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Enable(Handle w, bool enable) { EnableWindow(static_cast<HWND>(w), enable ? TRUE : FALSE); }

void Activate(Handle w) {
  HWND h = static_cast<HWND>(w);
  SetForegroundWindow(h);
  SetActiveWindow(h);
  SetFocus(h);
}

void Present(Handle w, const Pixels& frame, const Rect& area) {
  HWND h = static_cast<HWND>(w);
  HDC dc = GetDC(h);
  if (!dc) return;
  Blit(dc, frame, area);
  ReleaseDC(h, dc);
}

void SetCursor(Handle w, int stockId) {
  HWND h = static_cast<HWND>(w);
  WindowData* d = Data(h);
  if (!d) return;
  d->cursor = stockId ? LoadCursorW(nullptr, MAKEINTRESOURCEW(stockId)) : nullptr;
  // Shown at once when the pointer is on the window; elsewhere with the next WM_SETCURSOR.
  POINT p;
  if (GetCapture() == h || (GetCursorPos(&p) && WindowFromPoint(p) == h)) {
    RECT c;
    GetClientRect(h, &c);
    ScreenToClient(h, &p);
    if (GetCapture() == h || PtInRect(&c, p)) ::SetCursor(d->cursor);
  }
}

void SetIcon(Handle w, const std::vector<std::uint32_t>& icon) {
  HWND h = static_cast<HWND>(w);
  WindowData* d = Data(h);
  if (!d) return;
  // The sizes closest to what the system shows in the task bar and in the caption.
  const int wantBig = GetSystemMetrics(SM_CXICON), wantSmall = GetSystemMetrics(SM_CXSMICON);
  std::size_t bestBig = icon.size(), bestSmall = icon.size();
  int distBig = 1 << 30, distSmall = 1 << 30;
  for (std::size_t i = 0; i + 2 <= icon.size();) {
    std::size_t n = std::size_t(icon[i]) * std::size_t(icon[i + 1]);
    if (icon[i] == 0 || n > icon.size() - i - 2) break;
    int side = int(icon[i]);
    if (std::abs(side - wantBig) < distBig) distBig = std::abs(side - wantBig), bestBig = i;
    if (std::abs(side - wantSmall) < distSmall) distSmall = std::abs(side - wantSmall), bestSmall = i;
    i += 2 + n;
  }
  auto make = [&](std::size_t at) {
    return at < icon.size() ? MakeIcon(&icon[at + 2], int(icon[at]), int(icon[at + 1])) : nullptr;
  };
  HICON big = make(bestBig), small = make(bestSmall);
  SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (d->big) DestroyIcon(d->big);
  if (d->small) DestroyIcon(d->small);
  d->big = big;
  d->small = small;
}

void Capture(Handle w) {
  if (w)
    SetCapture(static_cast<HWND>(w));
  else if (GetCapture())
    ReleaseCapture();
}

bool Pump() {
  bool any = false;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    any = true;
    if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
      TranslateMessage(&m);
      MSG c;
      if (PeekMessageW(&c, m.hwnd, WM_CHAR, WM_SYSDEADCHAR, PM_REMOVE))
        g_pendingUnit = (c.message == WM_CHAR || c.message == WM_SYSCHAR) ? std::uint32_t(c.wParam) : 0;
    }
    DispatchMessageW(&m);
    g_pendingUnit = 0;
  }
  return any;
}

bool Wait(int timeoutMs) {
  DWORD t = timeoutMs < 0 ? INFINITE : DWORD(timeoutMs);
  return MsgWaitForMultipleObjectsEx(0, nullptr, t, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
}

void PointerPos(int* x, int* y) {
  POINT p{0, 0};
  GetCursorPos(&p);
  *x = p.x;
  *y = p.y;
}

Rect Screen() { return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return 0;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

Rect WorkArea() {
  RECT r;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return Screen();
  return Rect{r.left, r.top, r.right, r.bottom};
}

}  // namespace nativewin
