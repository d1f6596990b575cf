// A headless window system with a fresh application and one shown form for the button
// tests, and a 32 x 32 image list that paints each picture in a colour of its own.
#pragma once

#include <gtest/gtest.h>

#include "buttons/imagebutton.h"
#include "platform/win/headless.h"
#include "ui/controls/forms.h"
#include "ui/stdctrls/stdctrls.h"

class ButtonForm : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(headless::Enable(1024, 768));
    DoneApplicationObjects();
    InitApplicationObjects();
    Application->Initialize();
    RegisterButtonClasses();
    form = new TForm(Application);
    form->SetBorderStyle(bsSingle);
    form->SetPosition(poDesigned);
    form->SetBounds(100, 100, 400, 300);
    form->SetClientWidth(400);
    form->SetClientHeight(300);
    form->SetColor(clBtnFace);
  }
  void TearDown() override {
    delete form;
    form = nullptr;
    DoneApplicationObjects();
    ShutdownWindowSystem();
  }
  void ShowForm() {
    form->Show();
    headless::PumpUntilIdle();
  }
  static void Pump() { headless::PumpUntilIdle(); }
  template <class T>
  T* Add(int x, int y, int w, int h, const char* caption) {
    T* b = new T(form);
    b->SetParent(form);
    b->SetBounds(x, y, w, h);
    b->SetCaption(caption);
    return b;
  }

  TForm* form = nullptr;
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
