// Test interface of the headless window system: start it with a screen size, feed input
// through the same routing as real events, run the queue until idle and read the frames
// the windows presented. Time is virtual (starts at 0, moves only when told or when the
// queue waits for a timer), so runs are deterministic.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/win/win.h"

namespace headless {

// Starts the headless window system with a screen of the given size, as InitWindowSystem
// does (ends the one started before that way). The functions below act on the current
// window system when it is a headless one and do nothing otherwise; a test may also open
// its own with WindowSystem::Open(WindowBackend::Headless, ...).
// The density is the one given, whatever LB_SCREEN_DPI says, so tests stay alike everywhere.
bool Enable(int screenWidth = 1024, int screenHeight = 768, int pixelsPerInch = 96);

// Pointer input at screen coordinates. Buttons: 1 left, 2 middle, 3 right.
void MovePointer(int x, int y);
void PressButton(int button);
void ReleaseButton(int button);
void Click(int x, int y, int button = 1);  // move, press, release
void Wheel(int delta);                      // multiples of WHEEL_DELTA, positive away from the user
// Pointer input at a window's client coordinates (converted to screen coordinates first).
void MovePointerTo(HWND hwnd, int x, int y);
void ClickAt(HWND hwnd, int x, int y, int button = 1);
// The pointer leaves every window of ours (moves off to a foreign window).
void PointerLeavesApplication();

// Keyboard input (virtual-key codes). The character of a key follows a US layout and the
// Shift state unless given.
void KeyDown(UINT vk, char ch = 0);
void KeyUp(UINT vk);
void KeyPress(UINT vk, char ch = 0);  // down and up

// Dispatches every posted message, paint and due timer until nothing is left; a quit
// request stays pending. Returns the number of messages handled.
int PumpUntilIdle();

// Virtual time in milliseconds.
DWORD Now();
void AdvanceTime(DWORD ms);

// Called by GetMessageA when the queue is empty and no timer is pending; it may inject
// input or post messages and returns true, or returns false to make GetMessageA fail (-1)
// instead of waiting forever. Belongs to the current window system and goes with it.
void SetIdleHandler(std::function<bool()> handler);

// Frames: 32-bit pixels 0x00RRGGBB, rows top-down.
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};
// What the screen shows of a top-level window (its last presented frame).
Frame PresentedFrame(HWND topLevel);
// The top-level window's back buffer as it is now.
Frame BackBuffer(HWND topLevel);
// How many times the window's frame was presented.
int PresentCount(HWND topLevel);
// Top-level windows that exist, topmost first.
std::vector<HWND> TopLevelWindows();
// The cursor the screen shows at a screen point (null over no window of ours).
HCURSOR CursorAt(int x, int y);
// The window holding the pointer and keyboard grab, null when none does.
HWND GrabWindow();

}  // namespace headless
