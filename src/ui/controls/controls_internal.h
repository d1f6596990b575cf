// What the units of the control library share and nobody else needs.
#pragma once

#include "ui/controls/forms.h"

namespace controls_internal {

// The application object when it exists (never makes one; for destructors).
TApplication* ApplicationIfAny();
TScreen* ScreenIfAny();
// The window class every control window is made of (registered on first use).
const char* ControlWindowClass();
// Runs fn and hands any exception to the application's error handling.
template <class Fn>
void Guarded(TObject* sender, Fn fn) {
  try {
    fn();
  } catch (...) {
    if (TApplication* app = ApplicationIfAny()) {
      app->HandleException(sender);
    }
  }
}
// A form's look at a control going away (it forgets it as its active control).
void ControlRemoving(TCustomForm* form, TControl* control);

// Points a control's canvas at one paint's DC, dressed in the control's font and colour,
// and takes it back off when the paint ends (also when the painter raises).
class CanvasPaintScope {
 public:
  CanvasPaintScope(TControlCanvas& canvas, HDC dc, TFont* font, TColor color) : canvas_(canvas) {
    canvas_.SetPaintDC(dc);
    canvas_.Font()->Assign(font);
    canvas_.Brush()->SetColor(color);
  }
  ~CanvasPaintScope() {
    canvas_.SetPaintDC(nullptr);
  }
  CanvasPaintScope(const CanvasPaintScope&) = delete;
  CanvasPaintScope& operator=(const CanvasPaintScope&) = delete;

 private:
  TControlCanvas& canvas_;
};

}  // namespace controls_internal
