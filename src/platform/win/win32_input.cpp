// The system's window messages as input for the window system's routing.
#include "platform/win/win32_input.h"

namespace winsys {

namespace {

// The characters Windows-1252 puts at 0x80..0x9F; 0 where it has none.
constexpr std::uint16_t kHigh1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

NativeInput Mouse(const NativeMessage& m, MouseEvent kind, int button) {
  NativeInput in;
  in.kind = NativeInputKind::Mouse;
  in.mouse = kind;
  in.button = button;
  in.screen = POINT{m.origin.x + GET_X_LPARAM(m.lParam), m.origin.y + GET_Y_LPARAM(m.lParam)};
  return in;
}

}  // namespace

char CharFromUtf16(std::uint32_t unit) {
  if (unit == 0x7F || (unit >= 0x80 && unit < 0xA0)) return 0;
  if (unit < 0x100) return char(unit);
  for (int i = 0; i < 32; ++i)
    if (kHigh1252[i] == unit) return char(0x80 + i);
  return 0;
}

NativeInput TranslateNativeMessage(const NativeMessage& m) {
  NativeInput in;
  switch (m.msg) {
    case WM_MOUSEMOVE: return Mouse(m, MouseEvent::Move, 0);
    // Double clicks are the window system's own business: the native class asks for none,
    // but a message of that kind still counts as a press.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return Mouse(m, MouseEvent::Down, 1);
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: return Mouse(m, MouseEvent::Down, 2);
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: return Mouse(m, MouseEvent::Down, 3);
    case WM_LBUTTONUP: return Mouse(m, MouseEvent::Up, 1);
    case WM_MBUTTONUP: return Mouse(m, MouseEvent::Up, 2);
    case WM_RBUTTONUP: return Mouse(m, MouseEvent::Up, 3);
    case WM_MOUSEWHEEL:
      // The wheel reports the pointer in screen coordinates already.
      in.kind = NativeInputKind::Mouse;
      in.mouse = MouseEvent::Wheel;
      in.wheelDelta = int(std::int16_t(HIWORD(m.wParam)));
      in.screen = POINT{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
      return in;
    case WM_MOUSELEAVE: in.kind = NativeInputKind::PointerLeft; return in;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      // Whether a key is a system key is decided by the routing from its own Alt state, so
      // plain and system keys arrive alike.
      if (m.wParam == 0 || m.wParam > 255) return in;
      in.kind = NativeInputKind::Key;
      in.vk = UINT(m.wParam);
      in.down = m.msg == WM_KEYDOWN || m.msg == WM_SYSKEYDOWN;
      in.ch = in.down ? CharFromUtf16(m.unit) : 0;
      return in;
    case WM_CLOSE: in.kind = NativeInputKind::Close; return in;
    case WM_ACTIVATE:
      in.kind = LOWORD(m.wParam) == WA_INACTIVE ? NativeInputKind::Deactivated : NativeInputKind::Activated;
      in.other = std::uintptr_t(m.lParam);
      return in;
    case WM_MOVE:
    case WM_SIZE: in.kind = NativeInputKind::Placed; return in;
    default: return in;
  }
}

}  // namespace winsys
