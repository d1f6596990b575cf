// Keyboard focus: tab order with nested containers and skipped controls, default and
// cancel buttons, accelerators with and without Alt, and the IsAccel helper.
#include "testcontrols.h"

namespace {

struct TabForm {
  TForm* form;
  TTestButton* a;
  TTestEdit* b;
  TTestPanel* panel;
  TTestButton* c;  // inside the panel
  TTestButton* d;  // inside the panel
  TTestButton* e;
};

// Tab order: a, b, panel(c, d), e; the panel itself is no tab stop.
TabForm BuildTabForm(TForm* form) {
  TabForm t{form, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  t.a = new TTestButton(form);
  t.a->SetName("A");
  t.a->SetParent(form);
  t.b = new TTestEdit(form);
  t.b->SetName("B");
  t.b->SetParent(form);
  t.panel = new TTestPanel(form);
  t.panel->SetName("Panel");
  t.panel->SetParent(form);
  t.panel->SetBounds(10, 100, 200, 100);
  t.c = new TTestButton(form);
  t.c->SetName("C");
  t.c->SetParent(t.panel);
  t.d = new TTestButton(form);
  t.d->SetName("D");
  t.d->SetParent(t.panel);
  t.d->SetLeft(80);
  t.e = new TTestButton(form);
  t.e->SetName("E");
  t.e->SetParent(form);
  t.e->SetTop(250);
  return t;
}

std::string FocusName() {
  TWinControl* c = TWinControl::FindControl(GetFocus());
  return c ? c->Name() : std::string("<none>");
}

}  // namespace

TEST_F(ControlsTest, TabCyclesForwardAndBackThroughNestedContainers) {
  TForm* form = MakeForm();
  TabForm t = BuildTabForm(form);
  form->Show();
  Pump();
  EXPECT_EQ(FocusName(), "A") << "the first tab stop takes the focus when the form is shown";
  const char* forward[] = {"B", "C", "D", "E", "A", "B"};
  for (const char* expected : forward) {
    Key(VK_TAB);
    EXPECT_EQ(FocusName(), expected);
  }
  const char* backward[] = {"A", "E", "D", "C", "B", "A"};
  for (const char* expected : backward) {
    Key(VK_TAB, true);
    EXPECT_EQ(FocusName(), expected);
  }
  EXPECT_EQ(form->ActiveControl(), t.a);
}

TEST_F(ControlsTest, TabOrderPropertyReordersSiblings) {
  TForm* form = MakeForm();
  TabForm t = BuildTabForm(form);
  t.e->SetTabOrder(0);
  EXPECT_EQ(t.e->TabOrder(), 0);
  EXPECT_EQ(t.a->TabOrder(), 1);
  form->Show();
  Pump();
  EXPECT_EQ(FocusName(), "E");
  Key(VK_TAB);
  EXPECT_EQ(FocusName(), "A");
}

// Each way of taking a control out of the tab order, applied to C (inside the panel) and
// to the whole panel.
enum class Skip { Disabled, Invisible, NoTabStop, PanelDisabled, PanelInvisible };
struct SkipCase {
  Skip skip;
  const char* name;
  std::vector<std::string> cycle;  // Tab from A
};

class TabSkipTest : public ControlsTest, public ::testing::WithParamInterface<SkipCase> {};

TEST_P(TabSkipTest, SkipsControlsThatCannotTakeTheFocus) {
  TForm* form = MakeForm();
  TabForm t = BuildTabForm(form);
  switch (GetParam().skip) {
    case Skip::Disabled: t.c->SetEnabled(false); break;
    case Skip::Invisible: t.c->SetVisible(false); break;
    case Skip::NoTabStop: t.c->SetTabStop(false); break;
    case Skip::PanelDisabled: t.panel->SetEnabled(false); break;
    case Skip::PanelInvisible: t.panel->SetVisible(false); break;
  }
  form->Show();
  Pump();
  ASSERT_EQ(FocusName(), "A");
  for (const std::string& expected : GetParam().cycle) {
    Key(VK_TAB);
    EXPECT_EQ(FocusName(), expected) << GetParam().name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TabSkipTest,
    ::testing::Values(SkipCase{Skip::Disabled, "disabled", {"B", "D", "E", "A"}},
                      SkipCase{Skip::Invisible, "invisible", {"B", "D", "E", "A"}},
                      SkipCase{Skip::NoTabStop, "no tab stop", {"B", "D", "E", "A"}},
                      SkipCase{Skip::PanelDisabled, "panel disabled", {"B", "E", "A"}},
                      SkipCase{Skip::PanelInvisible, "panel invisible", {"B", "E", "A"}}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (ch == ' ') ch = '_';
      return n;
    });

TEST_F(ControlsTest, ArrowKeysStayWithAListThatWantsThem) {
  TForm* form = MakeForm();
  TabForm t = BuildTabForm(form);
  t.b->dialogCode = dcWantArrows | dcWantChars;
  int downs = 0;
  t.b->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    if (key == VK_DOWN) ++downs;
  };
  form->Show();
  Pump();
  t.b->SetFocus();
  Pump();
  Key(VK_DOWN);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(FocusName(), "B");
}

// ---------------------------------------------------------------------------------------
// Default and cancel buttons

struct DialogForm {
  TForm* form;
  TTestEdit* edit;
  TTestButton* ok;
  TTestButton* cancel;
  TTestButton* other;
};

DialogForm BuildDialog(TForm* form) {
  DialogForm d{form, new TTestEdit(form), new TTestButton(form), new TTestButton(form), new TTestButton(form)};
  d.edit->SetName("Edit");
  d.edit->SetParent(form);
  d.ok->SetName("OK");
  d.ok->SetCaption("&OK");
  d.ok->isDefault = true;
  d.ok->SetParent(form);
  d.ok->SetTop(50);
  d.cancel->SetName("Cancel");
  d.cancel->SetCaption("Cancel");
  d.cancel->isCancel = true;
  d.cancel->SetParent(form);
  d.cancel->SetTop(100);
  d.other->SetName("Other");
  d.other->SetCaption("&Help");
  d.other->SetParent(form);
  d.other->SetTop(150);
  return d;
}

TEST_F(ControlsTest, EnterClicksTheDefaultButtonAndEscTheCancelButton) {
  DialogForm d = BuildDialog(MakeForm());
  d.form->Show();
  Pump();
  ASSERT_EQ(FocusName(), "Edit");
  Key(VK_RETURN);
  EXPECT_EQ(d.ok->clicks, 1);
  EXPECT_EQ(d.edit->returns, 1) << "the focused control sees its key first";
  Key(VK_ESCAPE);
  EXPECT_EQ(d.cancel->clicks, 1);
  EXPECT_EQ(d.ok->clicks, 1);
}

TEST_F(ControlsTest, AFocusedButtonTakesEnterItself) {
  DialogForm d = BuildDialog(MakeForm());
  d.form->Show();
  Pump();
  d.other->SetFocus();
  Pump();
  EXPECT_TRUE(d.other->ActsAsDefault());
  EXPECT_FALSE(d.ok->ActsAsDefault());
  Key(VK_RETURN);
  EXPECT_EQ(d.other->clicks, 1);
  EXPECT_EQ(d.ok->clicks, 0);
  // Focus back on a non-button: the default button is the default again.
  d.edit->SetFocus();
  Pump();
  EXPECT_TRUE(d.ok->ActsAsDefault());
}

TEST_F(ControlsTest, AControlThatWantsEnterKeepsIt) {
  DialogForm d = BuildDialog(MakeForm());
  d.edit->dialogCode = dcWantAllKeys | dcWantChars;
  d.form->Show();
  Pump();
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  EXPECT_EQ(d.ok->clicks, 0);
  EXPECT_EQ(d.cancel->clicks, 0);
  EXPECT_EQ(d.edit->returns, 1);
}

TEST_F(ControlsTest, ShiftEnterIsNoDefaultButtonKey) {
  DialogForm d = BuildDialog(MakeForm());
  d.form->Show();
  Pump();
  Key(VK_RETURN, true);
  EXPECT_EQ(d.ok->clicks, 0);
}

// ---------------------------------------------------------------------------------------
// Accelerators

struct AccelCase {
  const char* name;
  bool focusOnEdit;  // the focused control takes characters
  bool alt;
  UINT key;
  int okClicks;
  int helpClicks;
  const char* typed;
};

class AcceleratorTest : public ControlsTest, public ::testing::WithParamInterface<AccelCase> {};

TEST_P(AcceleratorTest, DialogCharactersReachTheControlWithThatAccelerator) {
  const AccelCase& p = GetParam();
  DialogForm d = BuildDialog(MakeForm());
  d.form->Show();
  Pump();
  if (p.focusOnEdit) d.edit->SetFocus();
  else d.cancel->SetFocus();
  Pump();
  Key(p.key, false, p.alt);
  EXPECT_EQ(d.ok->clicks, p.okClicks) << p.name;
  EXPECT_EQ(d.other->clicks, p.helpClicks) << p.name;
  EXPECT_EQ(d.edit->typed, p.typed) << p.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AcceleratorTest,
    ::testing::Values(AccelCase{"AltO_in_edit", true, true, 'O', 1, 0, ""},
                      AccelCase{"AltH_in_edit", true, true, 'H', 0, 1, ""},
                      AccelCase{"plain_o_in_edit_is_text", true, false, 'O', 0, 0, "o"},
                      AccelCase{"plain_o_on_button", false, false, 'O', 1, 0, ""},
                      AccelCase{"plain_h_on_button", false, false, 'H', 0, 1, ""},
                      AccelCase{"AltX_no_accelerator", true, true, 'X', 0, 0, ""},
                      AccelCase{"plain_x_on_button", false, false, 'X', 0, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct IsAccelCase {
  WORD key;
  const char* caption;
  bool expected;
};

class IsAccelTest : public ::testing::TestWithParam<IsAccelCase> {};

TEST_P(IsAccelTest, FindsTheMarkedCharacter) {
  EXPECT_EQ(IsAccel(GetParam().key, GetParam().caption), GetParam().expected)
      << "key " << char(GetParam().key) << " caption \"" << GetParam().caption << "\"";
}

INSTANTIATE_TEST_SUITE_P(Cases, IsAccelTest,
                         ::testing::Values(IsAccelCase{'O', "&OK", true}, IsAccelCase{'o', "&OK", true},
                                           IsAccelCase{'K', "&OK", false}, IsAccelCase{'U', "&Updates...", true},
                                           IsAccelCase{'B', "A&&B", false}, IsAccelCase{'C', "A&&B&C", true},
                                           IsAccelCase{'A', "OK&", false}, IsAccelCase{'O', "OK", false},
                                           IsAccelCase{'&', "&&", false}, IsAccelCase{'X', "", false}));

TEST(StripHotkeyTest, RemovesMarks) {
  EXPECT_EQ(StripHotkey("&OK"), "OK");
  EXPECT_EQ(StripHotkey("A&&B"), "A&B");
  EXPECT_EQ(StripHotkey("Yes to &All"), "Yes to All");
}
