// Small controls and a fixture for the control-core tests: a push button with default,
// cancel and accelerator handling, a text box that takes characters, a list that takes
// arrows, a container, and a windowless control; all on the headless window system.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/headless.h"
#include "ui/controls/forms.h"

class TTestButton : public TCustomControl {
  LB_CLASS(TTestButton)
 public:
  explicit TTestButton(TComponent* owner);
  bool isDefault = false;
  bool isCancel = false;
  TModalResult modalResult = mrNone;
  int clicks = 0;
  bool ActsAsDefault() const { return active_; }
  void Click() override;

 protected:
  void WndProc(TMessage& m) override;
  void Paint() override;

 private:
  bool active_ = false;
};

// Takes characters (and, with wantAll, Enter and Esc) itself.
class TTestEdit : public TCustomControl {
  LB_CLASS(TTestEdit)
 public:
  explicit TTestEdit(TComponent* owner);
  unsigned dialogCode = dcWantChars;
  std::string typed;
  int returns = 0;

 protected:
  unsigned GetDialogCode() override { return dialogCode; }
  void KeyPress(char& key) override;
  void KeyDown(WORD& key, TShiftState shift) override;
};

class TTestPanel : public TCustomControl {
  LB_CLASS(TTestPanel)
 public:
  explicit TTestPanel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 100, 100); }
};

class TTestShape : public TGraphicControl {
  LB_CLASS(TTestShape)
 public:
  explicit TTestShape(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 20, 20); }
  TColor fill = clBlue;

 protected:
  void Paint() override;
};

// Registers the test classes with the window-definition reader.
void RegisterTestClasses();

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A visible form of client size 400 x 300 at (100, 100).
  TForm* MakeForm();
  void Pump() { headless::PumpUntilIdle(); }
  void Key(UINT vk, bool shift = false, bool alt = false);

  struct ErrorBox {
    std::string caption;
    std::string message;
  };
  std::vector<ErrorBox> errors;
};
