// A headless window system with a fresh application and one 400 x 300 form for the control
// tests, in the classic look unless a test turns visual styles on; and the pictures a test
// cuts from the frames the headless window system keeps.
#pragma once

#include <algorithm>
#include <climits>
#include <initializer_list>

#include <gtest/gtest.h>

#include "platform/theme/theme.h"
#include "platform/win/headless.h"
#include "support/golden.h"
#include "ui/controls/forms.h"
#include "ui/stdctrls/stdctrls.h"

namespace testsupport {

// The part (x, y, width, height) of a frame, the fourth byte cleared; the whole frame by
// default.
inline Image FrameImage(const headless::Frame& f, int x = 0, int y = 0, int width = -1, int height = -1) {
  Image img(width < 0 ? f.width - x : width, height < 0 ? f.height - y : height);
  for (int row = 0; row < img.height; ++row)
    for (int col = 0; col < img.width; ++col) img.At(col, row) = f.At(x + col, y + row) & 0x00FFFFFFu;
  return img;
}

// Copies `part` into `into` with its top-left corner at (x, y).
inline void Paste(Image& into, int x, int y, const Image& part) {
  for (int row = 0; row < part.height; ++row)
    for (int col = 0; col < part.width; ++col) into.At(x + col, y + row) = part.At(col, row);
}

// What the screen shows of the windows, later ones on top, cut to their joint bounds.
inline Image ScreenImage(std::initializer_list<HWND> windows) {
  RECT all{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (HWND w : windows) {
    RECT r;
    GetWindowRect(w, &r);
    all = RECT{std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
               std::max(all.bottom, r.bottom)};
  }
  Image img(all.right - all.left, all.bottom - all.top);
  for (HWND w : windows) {
    RECT r;
    GetWindowRect(w, &r);
    Paste(img, r.left - all.left, r.top - all.top, FrameImage(headless::PresentedFrame(w)));
  }
  return img;
}

}  // namespace testsupport

class HeadlessForm : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(headless::Enable(1024, 768));
    // Tests and pictures are of the classic look; themed ones turn styles on.
    SetThemeAppProperties(STAP_ALLOW_NONCLIENT);
    DoneApplicationObjects();
    InitApplicationObjects();
    Application->Initialize();
    RegisterClasses();
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
  // The classes the window-definition reader is to know.
  virtual void RegisterClasses() { RegisterStdControlClasses(); }
  void ShowForm() {
    form->Show();
    headless::PumpUntilIdle();
  }
  static void Pump() { headless::PumpUntilIdle(); }
  // A control of class T on the form, with its caption when one is given.
  template <class T>
  T* Add(int x, int y, int w, int h, const char* caption = nullptr) {
    T* c = new T(form);
    c->SetParent(form);
    c->SetBounds(x, y, w, h);
    if (caption) c->SetCaption(caption);
    return c;
  }

  TForm* form = nullptr;
};
