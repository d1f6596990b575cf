// A headless window system with a fresh application and one shown form for each test, in
// the classic look.
#pragma once

#include <gtest/gtest.h>

#include "platform/theme/theme.h"
#include "platform/win/headless.h"
#include "ui/controls/forms.h"
#include "ui/stdctrls/extctrls.h"
#include "ui/stdctrls/menus.h"
#include "ui/stdctrls/stdctrls.h"

class HeadlessForm : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(headless::Enable(1024, 768));
    // The controls' tests and pictures are of the classic look; themed ones turn it on.
    SetThemeAppProperties(STAP_ALLOW_NONCLIENT);
    DoneApplicationObjects();
    InitApplicationObjects();
    Application->Initialize();
    RegisterStdControlClasses();
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

  TForm* form = nullptr;
};
