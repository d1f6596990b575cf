// The input side of a push button, apart from its looks: how mouse presses, dragging,
// Space, focus loss, Enter, Esc and access keys turn into a pushed look and clicks. The
// standard button and the painted buttons both feed it events and do what the returned
// effect asks; painters only read the state. Where the two kinds of button keep different
// rules, TPressRules names the rule.
#pragma once

#include <string>

#include "ui/controls/controls.h"

// The rules in which buttons differ; all off is the painted buttons' set.
struct TPressRules {
  bool pressWithoutFocus = false;        // a left press pushes it even when it got no focus
  bool spaceWithoutModifiers = false;    // Space needs no Shift, Ctrl or Alt (else: no Alt)
  bool leftReleaseOnly = false;          // only a left release ends a mouse press (else any)
  bool focusLossEndsMousePress = false;  // losing the focus ends it too, without a click
  // The mouse held inside and an armed Space each keep it pushed (else the latest press,
  // move, release or Space alone decides the look).
  bool separateHolds = false;
};
// The standard push button's set (TButton): every rule on.
constexpr TPressRules kPushButtonRules{true, true, true, true, true};

// What a painter may know about the press in progress.
struct TPressState {
  bool tracking = false;       // a left-button press that began on the button is held
  bool pointerInside = false;  // the pointer is over the button (hover)
  bool pressedLook = false;    // to be drawn pushed now
  bool spaceArmed = false;     // a Space press began on this button
};

// What the button has to do after an event: repaint its face (the look changed), and
// click once.
struct TPressEffect {
  bool refresh = false;
  bool click = false;
};

class TPressTracker {
 public:
  explicit TPressTracker(TPressRules rules = {}) : rules_(rules) {}
  const TPressState& State() const { return state_; }

  // A left press on an enabled button, after the button asked for the focus: a button
  // that did not get it stays up unless pressWithoutFocus.
  TPressEffect Press(bool focused);
  // The pointer moved while the press is held; inside excludes the right and bottom edge.
  TPressEffect Move(bool inside);
  // A mouse button went up: a held press ends, and clicks when released inside.
  TPressEffect Release(TMouseButton button, bool inside);
  // Space went down with these modifiers.
  TPressEffect SpaceDown(TShiftState shift);
  // Space went up: clicks when the press began here. The arming is used up, so one
  // press gives one click even if a stray release follows.
  TPressEffect SpaceUp();
  // The focus went elsewhere: a Space press is abandoned and the face comes up.
  TPressEffect FocusLost();
  // The mouse capture was taken away: a held mouse press ends with everything else.
  TPressEffect CaptureLost();
  // Hover.
  void SetPointerInside(bool inside) { state_.pointerInside = inside; }

  // Whether a dialog key (CM_DIALOGKEY) or character (CM_DIALOGCHAR) clicks the button,
  // only while it could take the focus: Enter when it acts as default, Esc when it is a
  // cancel button, without Shift, Ctrl or Alt; a character that is the caption's access key.
  static bool DialogClicks(const TMessage& message, TShiftState shift, const std::string& caption, bool actsAsDefault,
                           bool cancel, bool canFocus);

 private:
  // The look after an event: under separateHolds the mouse held inside and an armed Space
  // each push the button, else the event's own say (`latest`) alone.
  TPressEffect Look(bool latest, bool click);

  TPressRules rules_;
  TPressState state_;
  bool mouseInside_ = false;  // where the held mouse press last was
};
