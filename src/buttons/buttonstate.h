// The input side of a painted button, apart from its looks: how mouse presses, dragging,
// Space, focus loss, Enter, Esc and access keys turn into a pressed look and clicks.
// The button feeds events in and does what the returned effect asks; painters only read.
#pragma once

#include <string>

#include "ui/controls/controls.h"

// What a painter may know about the press in progress.
struct TPressState {
  bool tracking = false;       // a left-button press that began on the button is held
  bool pointerInside = false;  // the pointer is over the button (hover)
  bool pressedLook = false;    // to be drawn pressed now (mouse held inside, or Space held)
  bool spaceArmed = false;     // a Space press began on this button
};

// What the button has to do after an event: repaint its face, and click once.
struct TPressEffect {
  bool refresh = false;
  bool click = false;
};

class TPressTracker {
 public:
  const TPressState& State() const { return state_; }

  // A left press on an enabled button, after the button asked for the focus: only a
  // button that got it goes down (a focus refused by the form leaves it up).
  TPressEffect Press(bool focused);
  // The pointer moved while the press is held; inside excludes the right and bottom edge.
  TPressEffect Move(bool inside);
  // Any mouse button went up: a held press ends, and clicks when released inside.
  TPressEffect Release(bool inside);
  // Space went down; Alt+Space belongs to the window menu and does not press.
  TPressEffect SpaceDown(bool alt);
  // Space went up: clicks when the press began here. The arming is used up, so one
  // press gives one click even if a stray release follows.
  TPressEffect SpaceUp();
  // The focus went elsewhere: a Space press is abandoned and the face comes up. A held
  // mouse press keeps tracking (its release decides).
  TPressEffect FocusLost();
  // Hover; true when the value changed.
  bool PointerEntered();
  bool PointerLeft();

  // Whether a dialog key clicks the button: Enter when it acts as default, Esc when it is
  // a cancel button, without Shift, Ctrl or Alt, and only while it could take the focus.
  static bool DialogKeyClicks(WORD key, TShiftState shift, bool actsAsDefault, bool cancel, bool canFocus);
  // Whether a dialog character is the caption's access key while the button could take
  // the focus.
  static bool DialogCharClicks(WORD ch, const std::string& caption, bool canFocus);

 private:
  TPressState state_;
};
