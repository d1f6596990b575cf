// The platform bridge of the accessibility model: what exposes the model to the desktop's
// assistive technology. On Linux it is a module of its own (src/ui/atspi, AT-SPI 2 through
// ATK and its bridge), loaded only when assistive technology can be reached, so that the
// program maps none of its libraries otherwise.
#pragma once

#include "platform/win/win.h"
#include "ui/access/access.h"

// A started bridge hears the model's events and serves its bus connections from the
// message wait.
class TAccBridge : public TAccListener, public ExternalWaitSource {
 public:
  ~TAccBridge() override = default;
};

// The module's entry: starts the bridge over the tree below `root`, or returns null (and
// writes nothing) when no accessibility bus can be reached.
using TAccBridgeStart = TAccBridge* (*)(TAccessible* root);
constexpr const char* kAccBridgeEntry = "lb_access_bridge_start";
// The module's file, beside the executable.
constexpr const char* kAccBridgeFile = "launcher-atspi.so";

// Starts the bridge once, when the session has a bus that may lead to assistive technology
// and NO_AT_BRIDGE is not set; does nothing otherwise, for a window that is not on a real
// desktop (headless), and on systems whose bridge lives elsewhere. Programs call it once
// their first window is painted; the loading waits until that frame is on the screen, so
// the start-up is the same with and without an accessibility bus.
void StartAccessibilityBridge(HWND shownWindow);
