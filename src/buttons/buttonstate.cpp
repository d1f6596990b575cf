#include "buttons/buttonstate.h"

TPressEffect TPressTracker::Press(bool focused) {
  if (!focused) return {};
  state_.pressedLook = true;
  state_.tracking = true;
  return {true, false};
}

TPressEffect TPressTracker::Move(bool inside) {
  if (!state_.tracking || inside == state_.pressedLook) return {};
  state_.pressedLook = inside;
  return {true, false};
}

TPressEffect TPressTracker::Release(bool inside) {
  if (!state_.tracking) return {};
  state_.tracking = false;
  state_.pressedLook = false;
  return {true, inside};
}

TPressEffect TPressTracker::SpaceDown(bool alt) {
  if (alt) return {};
  state_.spaceArmed = true;
  state_.pressedLook = true;
  return {true, false};
}

TPressEffect TPressTracker::SpaceUp() {
  const bool click = state_.spaceArmed;
  state_.spaceArmed = false;
  state_.pressedLook = false;
  return {true, click};
}

TPressEffect TPressTracker::FocusLost() {
  state_.spaceArmed = false;
  state_.pressedLook = false;
  return {true, false};
}

bool TPressTracker::PointerEntered() {
  const bool changed = !state_.pointerInside;
  state_.pointerInside = true;
  return changed;
}

bool TPressTracker::PointerLeft() {
  const bool changed = state_.pointerInside;
  state_.pointerInside = false;
  return changed;
}

bool TPressTracker::DialogKeyClicks(WORD key, TShiftState shift, bool actsAsDefault, bool cancel, bool canFocus) {
  if (!canFocus || shift.Contains(ssShift) || shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return false;
  return (key == VK_RETURN && actsAsDefault) || (key == VK_ESCAPE && cancel);
}

bool TPressTracker::DialogCharClicks(WORD ch, const std::string& caption, bool canFocus) {
  return canFocus && IsAccel(ch, caption);
}
