// How the Win32 backend reads the system's window messages: which input each one is for
// the window system's routing, in plain numbers, so that the rules can be checked on any
// machine without a display.
#pragma once

#include <cstdint>

#include "platform/win/win_internal.h"

namespace winsys {

// A message the system sent to one of our native windows, as the native layer reports it.
struct NativeMessage {
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  POINT origin;              // screen position of the native window's client area
  std::uint32_t unit = 0;    // key-down only: the UTF-16 unit the key produced, 0 for none
};

enum class NativeInputKind {
  None,         // nothing for the window system
  Mouse,        // pointer moved, button pressed or released, wheel turned
  PointerLeft,  // the pointer left the native window
  Key,
  Close,        // the user asked to close the window
  Activated,    // the window became the system's active window
  Deactivated,  // it stopped being the active one; `other` took over (0 for none)
  Placed,       // moved or resized: read its client area again
};

struct NativeInput {
  NativeInputKind kind = NativeInputKind::None;
  MouseEvent mouse = MouseEvent::Move;
  int button = 0;       // 1 left, 2 middle, 3 right
  int wheelDelta = 0;
  POINT screen;         // pointer position in screen coordinates
  UINT vk = 0;
  bool down = false;
  char ch = 0;          // the character of a key-down in the program's code page, 0 for none
  std::uintptr_t other = 0;
};

NativeInput TranslateNativeMessage(const NativeMessage& m);

// A UTF-16 unit as the single-byte character the program works with (Windows-1252), 0
// when it has none there or is a control character Windows does not pass on as text.
char CharFromUtf16(std::uint32_t unit);

}  // namespace winsys
