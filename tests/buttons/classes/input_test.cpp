// The press/track/click rules of the painted buttons driven by injected mouse and keys:
// each step of a table names an input and the pressed look and click count expected after
// it; default and cancel roles, access keys, groups, and the modal result.
#include <string>
#include <vector>

#include "button_fixture.h"

namespace {

class PaintedButtonInput : public ButtonForm {
 protected:
  void SetUp() override {
    ButtonForm::SetUp();
    button = Add<TPaintedButton>(20, 20, 75, 25, "&OK");
    other = Add<TPaintedButton>(120, 20, 75, 25, "&Other");
    button->OnClick = [this](TObject*) { ++clicks; };
    other->OnClick = [this](TObject*) { ++otherClicks; };
    ShowForm();
  }
  TPaintedButton* button = nullptr;
  TPaintedButton* other = nullptr;
  int clicks = 0;
  int otherClicks = 0;
};

enum class Act { Move, Press, Release, RightRelease, SpaceDown, SpaceUp, AltSpaceDown, FocusOther };
struct Step {
  Act act;
  int x, y;          // client coordinates of the button for pointer steps
  bool pressedLook;  // after the step
  int clicks;        // after the step
};
struct Sequence {
  const char* name;
  std::vector<Step> steps;
};

class PressSequence : public PaintedButtonInput, public ::testing::WithParamInterface<Sequence> {};

TEST_P(PressSequence, PressedLookAndClicksFollowEachStep) {
  int n = 0;
  for (const Step& s : GetParam().steps) {
    switch (s.act) {
      case Act::Move: headless::MovePointerTo(button->Handle(), s.x, s.y); break;
      case Act::Press:
        headless::MovePointerTo(button->Handle(), s.x, s.y);
        headless::PressButton(1);
        break;
      case Act::Release: headless::ReleaseButton(1); break;
      case Act::RightRelease:
        headless::PressButton(3);
        headless::ReleaseButton(3);
        break;
      case Act::SpaceDown:
        button->SetFocus();
        Pump();
        headless::KeyDown(VK_SPACE, ' ');
        break;
      case Act::SpaceUp: headless::KeyUp(VK_SPACE); break;
      case Act::AltSpaceDown:
        button->SetFocus();
        Pump();
        headless::KeyDown(VK_MENU);
        headless::KeyDown(VK_SPACE, ' ');
        headless::KeyUp(VK_SPACE);
        headless::KeyUp(VK_MENU);
        break;
      case Act::FocusOther: other->SetFocus(); break;
    }
    Pump();
    EXPECT_EQ(button->PressedLook(), s.pressedLook) << "step " << n;
    EXPECT_EQ(clicks, s.clicks) << "step " << n;
    ++n;
  }
  EXPECT_EQ(otherClicks, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PressSequence,
    ::testing::Values(
        Sequence{"ReleaseInside", {{Act::Press, 10, 10, true, 0}, {Act::Release, 0, 0, false, 1}}},
        Sequence{"ReleaseOutsideDoesNotClick",
                 {{Act::Press, 10, 10, true, 0}, {Act::Move, 200, 10, false, 0}, {Act::Release, 0, 0, false, 0}}},
        Sequence{"RightAndBottomEdgesAreOutside",
                 {{Act::Press, 10, 10, true, 0}, {Act::Move, 75, 10, false, 0}, {Act::Move, 0, 0, true, 0},
                  {Act::Move, -1, 0, false, 0}, {Act::Move, 74, 24, true, 0},
                  {Act::Move, 10, 25, false, 0}, {Act::Release, 0, 0, false, 0}}},
        Sequence{"DragOffAndBack",
                 {{Act::Press, 10, 10, true, 0}, {Act::Move, 10, -5, false, 0}, {Act::Move, 30, 12, true, 0},
                  {Act::Release, 0, 0, false, 1}}},
        Sequence{"RightReleaseWhileLeftHeldEndsThePress",
                 {{Act::Press, 10, 10, true, 0}, {Act::RightRelease, 0, 0, false, 1}, {Act::Release, 0, 0, false, 1}}},
        Sequence{"TwoPressesTwoClicks",
                 {{Act::Press, 10, 10, true, 0}, {Act::Release, 0, 0, false, 1}, {Act::Press, 5, 5, true, 1},
                  {Act::Release, 0, 0, false, 2}}},
        Sequence{"Space", {{Act::SpaceDown, 0, 0, true, 0}, {Act::SpaceUp, 0, 0, false, 1}}},
        Sequence{"StraySpaceReleaseAfterAClick",
                 {{Act::SpaceDown, 0, 0, true, 0}, {Act::SpaceUp, 0, 0, false, 1}, {Act::SpaceUp, 0, 0, false, 1}}},
        Sequence{"AltSpaceDoesNotPress", {{Act::AltSpaceDown, 0, 0, false, 0}}},
        Sequence{"FocusLostWhileSpaceHeld",
                 {{Act::SpaceDown, 0, 0, true, 0}, {Act::FocusOther, 0, 0, false, 0}, {Act::SpaceUp, 0, 0, false, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PaintedButtonInput, DisabledButtonNeitherPressesNorClicks) {
  button->SetEnabled(false);
  Pump();
  headless::ClickAt(button->Handle(), 10, 10);
  Pump();
  EXPECT_FALSE(button->PressedLook());
  // Nor Enter, Esc or its access key: a button that cannot take the focus takes no key.
  button->SetDefault(true);
  button->SetCancel(true);
  Add<TListBox>(20, 60, 100, 100)->SetFocus();
  Pump();
  for (WORD key : {VK_RETURN, VK_ESCAPE}) headless::KeyPress(key);
  headless::KeyDown(VK_MENU);
  headless::KeyPress('O', 'o');
  headless::KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(clicks, 0);
}

TEST_F(PaintedButtonInput, AltAccessKeyClicksOnce) {
  other->SetFocus();
  Pump();
  headless::KeyDown(VK_MENU);
  headless::KeyPress('O', 'o');
  headless::KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(otherClicks, 0) << "'O' is the access key of the first button only";
}

TEST_F(PaintedButtonInput, EscClicksTheCancelButtonOnly) {
  other->SetCancel(true);
  button->SetFocus();
  Pump();
  headless::KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_EQ(otherClicks, 1);
  EXPECT_EQ(clicks, 0);
}

TEST_F(PaintedButtonInput, EnterGoesToTheDefaultButtonUnlessAnotherButtonHasTheFocus) {
  button->SetDefault(true);
  auto* list = Add<TListBox>(20, 60, 100, 100);
  list->SetFocus();
  Pump();
  EXPECT_TRUE(button->ActsAsDefault());
  headless::KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(otherClicks, 0);

  other->SetFocus();
  Pump();
  EXPECT_FALSE(button->ActsAsDefault()) << "a focused button takes Enter itself";
  headless::KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(otherClicks, 1);

  list->SetFocus();
  Pump();
  headless::KeyDown(VK_SHIFT);
  headless::KeyPress(VK_RETURN);
  headless::KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(clicks, 1) << "Shift+Enter is not the default button's key";
  other->SetDefault(true);
  EXPECT_TRUE(other->ActsAsDefault()) << "setting Default takes effect at once";
  Add<TButton>(20, 170, 75, 25, "Std")->SetFocus();
  Pump();
  EXPECT_FALSE(button->ActsAsDefault()) << "a focused standard button takes Enter itself";
}

TEST_F(PaintedButtonInput, EveryClickHandsItsModalResultToTheFormAlsoZero) {
  form->SetModalResult(mrRetry);
  headless::ClickAt(button->Handle(), 10, 10);
  Pump();
  EXPECT_EQ(form->ModalResult(), mrNone);
  button->SetModalResult(mrOk);
  button->SetFocus();
  Pump();
  headless::KeyPress(VK_SPACE, ' ');
  Pump();
  EXPECT_EQ(form->ModalResult(), mrOk);
  EXPECT_EQ(clicks, 2);
}

// Group toggling: each step clicks one of three buttons of group 1 and lists which are
// down afterwards.
struct GroupCase {
  const char* name;
  bool allowAllUp;
  std::vector<int> clicked;
  std::vector<std::vector<bool>> down;
};

class GroupToggle : public ButtonForm, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(GroupToggle, ClicksMoveTheDownButton) {
  const GroupCase& g = GetParam();
  std::vector<TPaintedButton*> b;
  std::vector<int> clicks(3, 0);
  for (int i = 0; i < 3; ++i) {
    b.push_back(Add<TPaintedButton>(20 + 80 * i, 20, 75, 25, "G"));
    b.back()->SetGroupIndex(1);
    b.back()->OnClick = [&clicks, i](TObject*) { ++clicks[std::size_t(i)]; };
  }
  b[0]->SetAllowAllUp(g.allowAllUp);  // the group takes it over from the sender
  ShowForm();
  for (std::size_t s = 0; s < g.clicked.size(); ++s) {
    headless::ClickAt(b[std::size_t(g.clicked[s])]->Handle(), 10, 10);
    Pump();
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(b[i]->Down(), g.down[s][i]) << "step " << s << " button " << i;
  }
  int total = 0;
  for (int c : clicks) total += c;
  EXPECT_EQ(total, int(g.clicked.size())) << "one click event per click, toggled or not";
}

INSTANTIATE_TEST_SUITE_P(
    Table, GroupToggle,
    ::testing::Values(
        GroupCase{"OneDownAtATime", false, {0, 1, 2}, {{true, false, false}, {false, true, false}, {false, false, true}}},
        GroupCase{"DownButtonStaysDown", false, {1, 1}, {{false, true, false}, {false, true, false}}},
        GroupCase{"AllowAllUpReleases", true, {1, 1, 0}, {{false, true, false}, {false, false, false}, {true, false, false}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ButtonForm, DownNeedsAGroupAndOtherGroupsAreLeftAlone) {
  auto* plain = Add<TPaintedButton>(10, 10, 75, 25, "A");
  auto* g1 = Add<TPaintedButton>(10, 40, 75, 25, "B");
  auto* g2 = Add<TPaintedButton>(10, 70, 75, 25, "C");
  g1->SetGroupIndex(1);
  g2->SetGroupIndex(2);
  plain->SetDown(true);
  EXPECT_FALSE(plain->Down());
  g1->SetDown(true);
  g2->SetDown(true);
  EXPECT_TRUE(g1->Down());
  EXPECT_TRUE(g2->Down());
  g2->SetGroupIndex(1);
  EXPECT_FALSE(g1->Down()) << "a down button joining the group releases the group's one";
}

}  // namespace
