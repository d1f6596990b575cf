// The accessibility model of the launcher's windows, headless: one table of nodes (role,
// name, description, states, children, actions) over the main window, its help menu and
// the About dialog, then the selection and actions doing what keys and clicks do, and the
// focus and selection events.
#include <functional>

#include "launcher/about.h"
#include "launcher/catalogue.h"
#include "launcher_fixture.h"
#include "ui/access/access.h"

namespace launchertest {
namespace {

struct Recorder : TAccListener {
  std::vector<std::pair<TAccEvent, TAccessible*>> events;
  void AccessibleEvent(TAccEvent event, TAccessible* node) override { events.emplace_back(event, node); }
  bool Saw(TAccEvent event, TAccessible* node) const {
    return std::find(events.begin(), events.end(), std::make_pair(event, node)) != events.end();
  }
};

struct NodeRow {
  const char* window;     // "main", "menu" or "about"
  const char* component;  // "" the window itself, "*" the application
  int item;               // a child of it, -1 for none
  TAccRole role;
  std::string name;
  std::string description;
  TAccStates has;
  TAccStates hasNot;
  int children;
  std::vector<std::string> actions;
};

std::vector<NodeRow> Rows() {
  const TEdition& e = *FindEdition("Brimlow");
  const TAccStates live{asEnabled, asVisible};
  return {
      {"main", "*", -1, TAccRole::Application, "Brimlow", "", live, {}, 1, {}},
      {"main", "", -1, TAccRole::Frame, "Brimlow", "", live, {asFocusable}, 5, {}},
      {"main", "ListBoxMain", -1, TAccRole::List, "", "", live + TAccStates{asFocusable}, {}, 4, {}},
      {"main", "ListBoxMain", 1, TAccRole::ListItem, "Music", "", {asSelectable, asSelected, asVisible}, {}, 0, {"click"}},
      {"main", "ListBoxMain", 3, TAccRole::ListItem, "Tools", "", {asSelectable, asEnabled}, {asSelected}, 0, {"click"}},
      {"main", "ListBoxData", 0, TAccRole::ListItem, "Audio CD",
       "Create a standard data Audio CD which will play on all audio CD players. MP3/OGG/WMA files will be automatically "
       "converted to Audio CD format during the burn process.",
       {asSelectable, asEnabled, asVisible, asSelected}, {}, 0, {"click"}},
      {"main", "ButtonHelp", -1, TAccRole::PushButton, "Help", "", live + TAccStates{asFocusable}, {asPressed}, 0, {"click"}},
      {"main", "ButtonOK", -1, TAccRole::PushButton, "OK", "", live, {asDefault}, 0, {"click"}},
      {"main", "Bevel1", -1, TAccRole::Separator, "", "", live, {asFocusable}, 0, {}},
      {"menu", "PopupMenu", -1, TAccRole::Menu, "", "", live, {}, 2, {}},
      {"menu", "AboutMedia1", -1, TAccRole::MenuItem, "About Brimlow...", "", live + TAccStates{asSelectable}, {asSelected}, 0, {"click"}},
      {"menu", "MediaOntheWeb1", -1, TAccRole::MenuItem, "Brimlow On the Web...", "", {asSelected, asFocused}, {}, 0, {"click"}},
      {"about", "", -1, TAccRole::Dialog, "About Brimlow", "", live, {}, 1, {}},
      {"about", "PageControlMain", -1, TAccRole::PageTabList, "", "", live, {}, 2, {}},
      {"about", "TabSheetAbout", -1, TAccRole::PageTab, "About", "", live + TAccStates{asSelected}, {}, 6, {"click"}},
      {"about", "TabSheetUpdate", -1, TAccRole::PageTab, "Update", "", {asSelectable}, {asSelected, asVisible}, 5, {"click"}},
      {"about", "LabelCopyright", -1, TAccRole::Label, "Copyright \xC2\xA9 2030 Tarnhollow Software", "", live, {}, 0, {}},
      {"about", "LabelWeb", -1, TAccRole::Link, e.webAddress, "", live, {}, 0, {"open"}},
      {"about", "LabelSupportEmail", -1, TAccRole::Link, e.supportAddress, "", live, {}, 0, {"open"}},
      {"about", "ImageLeft", -1, TAccRole::Link, e.orderAddress, "", live, {}, 0, {"open"}},
      {"about", "LabelVersion", -1, TAccRole::Label, "2.0", "", {asEnabled}, {asVisible}, 0, {}},
      {"about", "ButtonUpdates", -1, TAccRole::PushButton, "Updates...", "", {asFocusable}, {asDefault}, 0, {"click"}},
      {"about", "ButtonOK", -1, TAccRole::PushButton, "OK", "", live + TAccStates{asDefault}, {}, 0, {"click"}},
  };
}

class Access : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start(ProductFile("Brimlow"));
    ShowAndPump();
    ShellCalls().clear();
    SetAccessibleListener(&recorder);
  }
  void TearDown() override {
    SetAccessibleListener(nullptr);
    headless::SetIdleHandler(nullptr);
    LauncherTest::TearDown();
  }
  // Does the action now (the message loop would, after the request has returned).
  static void Act(TAccessible* node, int action = 0) {
    ASSERT_TRUE(node->DoAction(action));
    RunPendingAccessActions();
    Pump();
  }
  void Check(const NodeRow& row, TForm& window) {
    SCOPED_TRACE(std::string(row.window) + " " + row.component + " " + std::to_string(row.item));
    const std::string c = row.component;
    TAccessible* node = c == "*" ? AccessibleApplication() : AccessibleOf(c.empty() ? &window : window.FindComponent(c));
    ASSERT_NE(node, nullptr);
    if (row.item >= 0) node = node->Child(row.item);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Role(), row.role);
    EXPECT_EQ(node->Name(), row.name);
    EXPECT_EQ(node->Description(), row.description);
    EXPECT_EQ(node->States() * row.has, row.has) << std::hex << node->States().Bits();
    EXPECT_TRUE((node->States() * row.hasNot).Empty()) << std::hex << node->States().Bits();
    EXPECT_EQ(node->ChildCount(), row.children);
    EXPECT_EQ(node->Actions(), row.actions);
    for (int i = 0; i < node->ChildCount(); ++i) EXPECT_EQ(node->Child(i)->Parent(), node);
    EXPECT_EQ(node->Child(node->ChildCount()), nullptr);
    EXPECT_FALSE(node->SelectChild(node->ChildCount()));
    // What shows lies on the screen inside what holds it.
    const RECT r = node->Bounds(), outer = node->Parent() ? node->Parent()->Bounds() : RECT{};
    if (row.has.Contains(asVisible) && node->Parent() && node->Parent()->Parent()) {
      EXPECT_TRUE(r.left < r.right && r.top < r.bottom && r.left >= outer.left && r.right <= outer.right &&
                  r.top >= outer.top && r.bottom <= outer.bottom)
          << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    if (node->Parent()) {
      EXPECT_EQ(node->Parent()->Child(node->IndexInParent()), node);
    }
  }
  Recorder recorder;
};

TEST_F(Access, EveryNodeOfTheTableAnswersAsTheUserSeesIt) {
  ClickCategory(1);  // Music: "Audio CD" is its first task
  for (const NodeRow& row : Rows()) {
    if (std::string(row.window) == "main") Check(row, *form);
  }
  // The help menu is opened by the Help button's action and is a window of the application.
  Act(AccessibleOf(form->ButtonHelp));
  ASSERT_TRUE(form->PopupMenu->IsOpen());
  EXPECT_EQ(AccessibleApplication()->ChildCount(), 2);
  EXPECT_TRUE(recorder.Saw(TAccEvent::ChildrenChanged, AccessibleApplication()));
  headless::KeyPress(VK_DOWN);  // the first entry highlighted
  Pump();
  for (const NodeRow& row : Rows()) {
    if (std::string(row.window) == "menu") Check(row, *form);
  }
  // Its About entry opens the dialog; every row of it is checked while it waits for input.
  bool checked = false;
  headless::SetIdleHandler([&] {
    TFormAbout* about = nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i) about = about ? about : dynamic_cast<TFormAbout*>(Screen->Forms(i));
    if (!about || checked) {
      if (about) PostMessageA(about->Handle(), WM_CLOSE, 0, 0);
      return about != nullptr;
    }
    for (const NodeRow& row : Rows()) {
      if (std::string(row.window) == "about") Check(row, *about);
    }
    checked = true;
    return true;
  });
  Act(AccessibleOf(form->AboutMedia1));
  EXPECT_TRUE(checked);
  EXPECT_TRUE(ShellCalls().empty());
}

TEST_F(Access, SelectionIsAKeyLandingAndAnItemsActionIsAClick) {
  TAccessible* categories = AccessibleOf(form->ListBoxMain);
  TAccessible* tasks = AccessibleOf(form->ListBoxData);
  form->ListBoxMain->SetFocus();
  ASSERT_TRUE(categories->SelectChild(1));
  EXPECT_EQ(form->ListBoxMain->ItemIndex(), 0) << "done from the message loop, not within the request";
  RunPendingAccessActions();
  EXPECT_EQ(categories->SelectedChild(), 1);
  EXPECT_EQ(tasks->ChildCount(), TaskCount(1));
  EXPECT_TRUE(recorder.Saw(TAccEvent::ChildrenChanged, tasks));
  EXPECT_TRUE(recorder.Saw(TAccEvent::Selection, categories));
  EXPECT_TRUE(recorder.Saw(TAccEvent::Focus, categories->Child(1)));
  EXPECT_EQ(tasks->Child(0)->Name(), "Audio CD");
  EXPECT_TRUE(ShellCalls().empty()) << "choosing a category starts nothing";
  // Items beyond the new count are gone, and the bridge heard so.
  ASSERT_TRUE(categories->SelectChild(0));
  RunPendingAccessActions();
  TAccessible* fourth = tasks->Child(3);
  ASSERT_TRUE(categories->SelectChild(1));
  RunPendingAccessActions();
  EXPECT_TRUE(recorder.Saw(TAccEvent::Defunct, fourth));
  EXPECT_EQ(tasks->Child(3), nullptr);
  // The "Audio CD" item's action starts its tool once; the list takes the focus.
  recorder.events.clear();
  Act(tasks->Child(0));
  EXPECT_EQ(StartsOf("Merrock.exe"), 1);
  EXPECT_TRUE(recorder.Saw(TAccEvent::Focus, tasks));
  EXPECT_TRUE(tasks->Child(0)->States().Contains(asFocused));
  // By keys alone: Enter on the focused task list starts the selected task.
  headless::KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(StartsOf("Merrock.exe"), 2);
  // Focus moves by request too, and a disabled button does nothing.
  ASSERT_TRUE(AccessibleOf(form->ButtonOK)->GrabFocus());
  EXPECT_TRUE(recorder.Saw(TAccEvent::Focus, AccessibleOf(form->ButtonOK)));
  form->ButtonOK->SetEnabled(false);
  EXPECT_FALSE(AccessibleOf(form->ButtonOK)->DoAction(0));
  EXPECT_FALSE(AccessibleOf(form->ButtonHelp)->DoAction(1));
}

}  // namespace
}  // namespace launchertest
