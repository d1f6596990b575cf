#include "ui/controls/presstracker.h"

namespace {
bool HasModifier(TShiftState shift) {
  return shift.Contains(ssShift) || shift.Contains(ssCtrl) || shift.Contains(ssAlt);
}
}  // namespace

TPressEffect TPressTracker::Look(bool latest, bool click) {
  const bool was = state_.pressedLook;
  state_.pressedLook = rules_.separateHolds ? (state_.tracking && mouseInside_) || state_.spaceArmed : latest;
  return {state_.pressedLook != was, click};
}

TPressEffect TPressTracker::Press(bool focused) {
  if (!focused && !rules_.pressWithoutFocus) return {};
  state_.tracking = mouseInside_ = true;
  return Look(true, false);
}

TPressEffect TPressTracker::Move(bool inside) {
  if (!state_.tracking) return {};
  mouseInside_ = inside;
  return Look(inside, false);
}

TPressEffect TPressTracker::Release(TMouseButton button, bool inside) {
  if (!state_.tracking || (rules_.leftReleaseOnly && button != mbLeft)) return {};
  state_.tracking = false;
  return Look(false, inside);
}

TPressEffect TPressTracker::SpaceDown(TShiftState shift) {
  if (rules_.spaceWithoutModifiers ? HasModifier(shift) : shift.Contains(ssAlt)) return {};
  state_.spaceArmed = true;
  return Look(true, false);
}

TPressEffect TPressTracker::SpaceUp() {
  const bool click = state_.spaceArmed;
  state_.spaceArmed = false;
  return Look(false, click);
}

TPressEffect TPressTracker::FocusLost() {
  state_.spaceArmed = false;
  if (rules_.focusLossEndsMousePress) state_.tracking = false;
  return Look(false, false);
}

TPressEffect TPressTracker::CaptureLost() {
  if (!state_.tracking) return {};
  state_.tracking = state_.spaceArmed = false;
  return Look(false, false);
}

bool TPressTracker::DialogClicks(const TMessage& message, TShiftState shift, const std::string& caption,
                                 bool actsAsDefault, bool cancel, bool canFocus) {
  const WORD key = WORD(message.WParam);
  if (!canFocus) return false;
  if (message.Msg == CM_DIALOGCHAR) return IsAccel(key, caption);
  return !HasModifier(shift) && ((key == VK_RETURN && actsAsDefault) || (key == VK_ESCAPE && cancel));
}
