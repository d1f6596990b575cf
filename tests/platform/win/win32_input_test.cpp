// The system's window messages as the Win32 backend hands them to the routing: pointer
// positions made absolute from the client origin, buttons, the wheel's signed delta in
// screen coordinates, plain and system keys with their character, and the characters of
// the program's code page.
#include <gtest/gtest.h>

#include "platform/win/win32_input.h"

using winsys::CharFromUtf16;
using winsys::MouseEvent;
using winsys::NativeInputKind;
using winsys::NativeMessage;
using winsys::TranslateNativeMessage;

namespace {

struct MessageCase {
  const char* what;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  std::uint32_t unit;
  NativeInputKind kind;
  MouseEvent mouse;
  int button, wheel, x, y;  // x, y: screen position expected for pointer input
  UINT vk;
  bool down;
  char ch;
};

constexpr POINT kOrigin{100, 200};
constexpr auto M = NativeInputKind::Mouse;
constexpr auto K = NativeInputKind::Key;
constexpr LPARAM XY(int x, int y) { return LPARAM((std::uint32_t(std::uint16_t(y)) << 16) | std::uint16_t(x)); }

const MessageCase kMessages[] = {
    {"move", WM_MOUSEMOVE, 0, XY(10, 20), 0, M, MouseEvent::Move, 0, 0, 110, 220, 0, false, 0},
    {"captured move left of the window", WM_MOUSEMOVE, 0, XY(-5, -7), 0, M, MouseEvent::Move, 0, 0, 95, 193, 0, false, 0},
    {"left press", WM_LBUTTONDOWN, 1, XY(3, 4), 0, M, MouseEvent::Down, 1, 0, 103, 204, 0, false, 0},
    {"left double click is a press", WM_LBUTTONDBLCLK, 1, XY(3, 4), 0, M, MouseEvent::Down, 1, 0, 103, 204, 0, false, 0},
    {"middle press", WM_MBUTTONDOWN, 0x10, XY(0, 0), 0, M, MouseEvent::Down, 2, 0, 100, 200, 0, false, 0},
    {"right release", WM_RBUTTONUP, 0, XY(1, 1), 0, M, MouseEvent::Up, 3, 0, 101, 201, 0, false, 0},
    {"wheel towards the user, screen position", WM_MOUSEWHEEL, WPARAM(std::uint16_t(-120)) << 16, XY(300, 400), 0, M,
     MouseEvent::Wheel, 0, -120, 300, 400, 0, false, 0},
    {"wheel away", WM_MOUSEWHEEL, WPARAM(240) << 16, XY(5, 6), 0, M, MouseEvent::Wheel, 0, 240, 5, 6, 0, false, 0},
    {"letter", WM_KEYDOWN, 'A', 1, 'a', K, MouseEvent::Move, 0, 0, 0, 0, 'A', true, 'a'},
    {"Alt+O is a system key with its letter", WM_SYSKEYDOWN, 'O', 0x20000001, 'o', K, MouseEvent::Move, 0, 0, 0, 0, 'O',
     true, 'o'},
    {"Alt released", WM_SYSKEYUP, VK_MENU, LPARAM(0xC0000001u), 'x', K, MouseEvent::Move, 0, 0, 0, 0, VK_MENU, false, 0},
    {"key up has no character", WM_KEYUP, 'A', LPARAM(0xC0000001u), 'a', K, MouseEvent::Move, 0, 0, 0, 0, 'A', false, 0},
    {"Delete gives no character", WM_KEYDOWN, VK_DELETE, 1, 0x7F, K, MouseEvent::Move, 0, 0, 0, 0, VK_DELETE, true, 0},
    {"euro sign in the code page", WM_KEYDOWN, 'E', 1, 0x20AC, K, MouseEvent::Move, 0, 0, 0, 0, 'E', true, char(0x80)},
    {"letter outside the code page", WM_KEYDOWN, 'Q', 1, 0x0416, K, MouseEvent::Move, 0, 0, 0, 0, 'Q', true, 0},
    {"no key code", WM_KEYDOWN, 0, 1, 'a', NativeInputKind::None, MouseEvent::Move, 0, 0, 0, 0, 0, false, 0},
    {"key code out of range", WM_KEYDOWN, 0x1FF, 1, 0, NativeInputKind::None, MouseEvent::Move, 0, 0, 0, 0, 0, false, 0},
    {"leave", WM_MOUSELEAVE, 0, 0, 0, NativeInputKind::PointerLeft, MouseEvent::Move, 0, 0, 0, 0, 0, false, 0},
    {"close", WM_CLOSE, 0, 0, 0, NativeInputKind::Close, MouseEvent::Move, 0, 0, 0, 0, 0, false, 0},
    {"activated by click", WM_ACTIVATE, 2, 0, 0, NativeInputKind::Activated, MouseEvent::Move, 0, 0, 0, 0, 0, false, 0},
    {"resized", WM_SIZE, 0, XY(658, 478), 0, NativeInputKind::Placed, MouseEvent::Move, 0, 0, 0, 0, 0, false, 0},
    {"moved", WM_MOVE, 0, XY(8, 30), 0, NativeInputKind::Placed, MouseEvent::Move, 0, 0, 0, 0, 0, false, 0},
    {"paint is none of the routing's", WM_PAINT, 0, 0, 0, NativeInputKind::None, MouseEvent::Move, 0, 0, 0, 0, 0, false, 0},
};

class NativeMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(NativeMessages, TranslateToRoutedInput) {
  const MessageCase& c = GetParam();
  NativeMessage m;
  m.msg = c.msg;
  m.wParam = c.wParam;
  m.lParam = c.lParam;
  m.origin = kOrigin;
  m.unit = c.unit;
  const winsys::NativeInput in = TranslateNativeMessage(m);
  SCOPED_TRACE(c.what);
  ASSERT_EQ(in.kind, c.kind);
  if (c.kind == M) {
    EXPECT_EQ(in.mouse, c.mouse);
    EXPECT_EQ(in.button, c.button);
    EXPECT_EQ(in.wheelDelta, c.wheel);
    EXPECT_EQ(in.screen.x, c.x);
    EXPECT_EQ(in.screen.y, c.y);
  }
  if (c.kind == K) {
    EXPECT_EQ(in.vk, c.vk);
    EXPECT_EQ(in.down, c.down);
    EXPECT_EQ(in.ch, c.ch);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, NativeMessages, ::testing::ValuesIn(kMessages));

TEST(NativeMessages, DeactivationNamesTheWindowTakingOver) {
  NativeMessage m;
  m.msg = WM_ACTIVATE;
  m.wParam = WA_INACTIVE;
  m.lParam = 0x1234;
  const winsys::NativeInput in = TranslateNativeMessage(m);
  EXPECT_EQ(in.kind, NativeInputKind::Deactivated);
  EXPECT_EQ(in.other, 0x1234u);
}

TEST(NativeCharacters, Windows1252) {
  // Unit, byte: ASCII and Latin-1 stay, the 1252 extras move to 0x80..0x9F, C1 controls,
  // DEL and anything outside the code page give none.
  const std::pair<std::uint32_t, int> table[] = {
      {'A', 'A'},     {'\r', '\r'},   {0x01, 0x01},   {0xE9, 0xE9},   {0xFF, 0xFF},   {0xA0, 0xA0},
      {0x7F, 0},      {0x85, 0},      {0x9F, 0},      {0x20AC, 0x80}, {0x201A, 0x82}, {0x0178, 0x9F},
      {0x2122, 0x99}, {0x017E, 0x9E}, {0x0416, 0},    {0x3042, 0},    {0xD83D, 0},
  };
  for (const auto& [unit, byte] : table) EXPECT_EQ(std::uint8_t(CharFromUtf16(unit)), byte) << std::hex << unit;
}

}  // namespace
