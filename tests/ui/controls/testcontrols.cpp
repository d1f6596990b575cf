#include "testcontrols.h"

// ---------------------------------------------------------------------------------------
// TTestButton

TTestButton::TTestButton(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TTestButton::Click() {
  ++clicks;
  if (TCustomForm* f = ParentForm()) f->SetModalResult(modalResult);
  TCustomControl::Click();
}

void TTestButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGKEY: {
      const TShiftState s = KeyDataToShiftState(m.LParam);
      const bool plain = !s.Contains(ssShift) && !s.Contains(ssCtrl) && !s.Contains(ssAlt);
      if (plain && CanFocus() && ((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && isCancel))) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(WORD(m.WParam), Caption()) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
      active_ = dynamic_cast<TTestButton*>(focused) ? focused == this : isDefault;
      break;
    }
    default:
      break;
  }
  TCustomControl::WndProc(m);
}

void TTestButton::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

// ---------------------------------------------------------------------------------------
// TTestEdit, TTestShape

TTestEdit::TTestEdit(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 100, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

void TTestEdit::KeyPress(char& key) {
  TCustomControl::KeyPress(key);
  if (key >= 32) typed += key;
}

void TTestEdit::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_RETURN) ++returns;
}

void TTestShape::Paint() {
  Canvas()->Brush()->SetColor(fill);
  Canvas()->FillRect(ClientRect());
}

// ---------------------------------------------------------------------------------------
// Registration

void RegisterTestClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterControlClasses();
  RegisterComponentClass("TTestButton", "TCustomControl", [](TComponent* o) -> TComponent* { return new TTestButton(o); });
  RegisterComponentClass("TTestEdit", "TCustomControl", [](TComponent* o) -> TComponent* { return new TTestEdit(o); });
  RegisterComponentClass("TTestPanel", "TCustomControl", [](TComponent* o) -> TComponent* { return new TTestPanel(o); });
  RegisterComponentClass("TTestShape", "TGraphicControl", [](TComponent* o) -> TComponent* { return new TTestShape(o); });
  RegisterProperty("TTestButton", "Default", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    static_cast<TTestButton*>(o)->isDefault = ctx.Boolean(v);
  });
  RegisterProperty("TTestButton", "Cancel", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    static_cast<TTestButton*>(o)->isCancel = ctx.Boolean(v);
  });
  RegisterProperty("TTestButton", "ModalResult", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    static_cast<TTestButton*>(o)->modalResult = ctx.Int32(v);
  });
}

// ---------------------------------------------------------------------------------------
// Fixture

void ControlsTest::SetUp() {
  DoneApplicationObjects();
  ASSERT_TRUE(headless::Enable(1024, 768));
  InitApplicationObjects();
  RegisterTestClasses();
  Application->SetTitle("Brimlow");
  Application->OnShowException = [this](const std::string& caption, const std::string& message) {
    errors.push_back({caption, message});
  };
}

void ControlsTest::TearDown() {
  headless::SetIdleHandler(nullptr);
  DoneApplicationObjects();
  ShutdownWindowSystem();
}

TForm* ControlsTest::MakeForm() {
  auto* form = new TForm(Application);
  form->SetBorderStyle(bsSingle);
  form->SetClientWidth(400);
  form->SetClientHeight(300);
  form->SetLeft(100);
  form->SetTop(100);
  return form;
}

void ControlsTest::Key(UINT vk, bool shift, bool alt) {
  if (shift) headless::KeyDown(VK_SHIFT);
  if (alt) headless::KeyDown(VK_MENU);
  headless::KeyPress(vk);
  if (alt) headless::KeyUp(VK_MENU);
  if (shift) headless::KeyUp(VK_SHIFT);
  Pump();
}
