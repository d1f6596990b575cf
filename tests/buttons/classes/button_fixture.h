// The form fixture of the button tests, and a 32 x 32 image list that paints each picture
// in a colour of its own.
#pragma once

#include "buttons/imagebutton.h"
#include "support/headless_form.h"

// The shared form fixture with the button classes registered.
class ButtonForm : public HeadlessForm {
 protected:
  void RegisterClasses() override { RegisterButtonClasses(); }
};

// Pictures of one solid colour each (index i: colour kColors[i]), drawn with a grey
// cross when disabled, so a test can tell which picture and which look was drawn.
class SolidImageList : public TCustomImageList {
 public:
  static constexpr TColor kColors[] = {0x0000C0, 0x00C000, 0xC00000};
  explicit SolidImageList(TComponent* owner) : TCustomImageList(owner) {
    SetSize(32, 32);
    HandleNeeded();
  }
  int draws = 0;
  void Changed() { Change(); }

 protected:
  void DoDraw(int index, TCanvas* canvas, int x, int y, UINT, bool enabled) override {
    ++draws;
    if (index < 0 || index >= 3) return;
    canvas->Brush()->SetColor(kColors[index]);
    canvas->FillRect(RECT{x, y, x + Width(), y + Height()});
    if (!enabled) {
      canvas->Brush()->SetColor(clGray);
      canvas->FillRect(RECT{x, y + 15, x + Width(), y + 17});
    }
  }
};
