// The main window in use: the lists at start, choosing categories, hovering and clicking
// tasks (every pair starts its program through the shell with the hourglass shown), the
// help menu and its web link, and the item drawing rules.
#include <string>

#include "launcher/busy.h"
#include "launcher/catalogue.h"
#include "launcher_fixture.h"

namespace launchertest {
namespace {

class MainWindow : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start(ProductFile("Brimlow"));
    ShowAndPump();
    ShellCalls().clear();  // the companion's start is tested elsewhere
  }
  headless::Frame Frame() const { return headless::PresentedFrame(form->Handle()); }
};

TEST_F(MainWindow, AtStartDataIsSelectedWithItsFourTasks) {
  EXPECT_EQ(form->ListBoxMain->ItemIndex(), 0);
  ASSERT_EQ(form->ListBoxData->Count(), 4);
  for (int t = 0; t < 4; ++t) EXPECT_EQ(form->ListBoxData->Items()->Strings(t), TaskText(0, t, "Brimlow"));
  EXPECT_EQ(form->ListBoxData->ItemIndex(), 0);
  EXPECT_TRUE(ShellCalls().empty());
}

TEST_F(MainWindow, ChoosingACategoryRebuildsTheTaskListEachTime) {
  ClickCategory(3);
  ASSERT_EQ(form->ListBoxData->Count(), 5);
  EXPECT_EQ(form->ListBoxData->Items()->Strings(4), TaskText(3, 4, "Brimlow"));
  HoverTask(2);
  EXPECT_EQ(form->ListBoxData->ItemIndex(), 2);
  ClickCategory(3);  // the same category again resets the task selection
  EXPECT_EQ(form->ListBoxData->ItemIndex(), 0);
  ClickCategory(1);
  EXPECT_EQ(form->ListBoxData->Count(), 2);
  // The keyboard moves the category too.
  headless::KeyPress(VK_DOWN);
  Pump();
  EXPECT_EQ(form->ListBoxMain->ItemIndex(), 2);
  EXPECT_EQ(form->ListBoxData->Count(), 3);
  // No category chosen (cleared by the program): the task list stays as it is.
  form->ListBoxMain->SetItemIndex(-1);
  form->ListBoxMainClick(form->ListBoxMain);
  EXPECT_EQ(form->ListBoxData->Count(), 3);
  EXPECT_TRUE(ShellCalls().empty()) << "choosing a category starts nothing";
}

struct PairCase {
  int category;
  int task;
  const char* program;
};

class EveryTask : public MainWindow, public ::testing::WithParamInterface<PairCase> {};

TEST_P(EveryTask, ClickStartsItsProgramWithTheHourglass) {
  const PairCase& c = GetParam();
  ClickCategory(c.category);
  ASSERT_TRUE(ShellCalls().empty());
  HoverTask(c.task);
  EXPECT_EQ(form->ListBoxData->ItemIndex(), c.task);
  EXPECT_TRUE(ShellCalls().empty()) << "pointing selects without starting";
  ClickTask(c.task);
  ASSERT_EQ(ShellCalls().size(), 1u);
  const ShellCall& call = ShellCalls()[0];
  EXPECT_EQ(call.file, folder.Path() + c.program);
  EXPECT_EQ(call.parent, Application->Handle()) << "the application window is the parent";
  EXPECT_EQ(call.verb, "open");
  EXPECT_TRUE(call.parametersNull);
  EXPECT_TRUE(call.directoryNull);
  EXPECT_EQ(call.showCommand, 10);
  EXPECT_EQ(call.screenCursor, crHourGlass);
  EXPECT_EQ(call.busyCount, 1);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(GetOverrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Launcher, EveryTask,
    ::testing::Values(PairCase{0, 0, "Tolvane.exe"}, PairCase{0, 1, "Tolvane.exe"}, PairCase{0, 2, "Tolvane.exe"},
                      PairCase{0, 3, "Tolvane.exe"}, PairCase{1, 0, "Merrock.exe"}, PairCase{1, 1, "Pashley.exe"},
                      PairCase{2, 0, "Quorrel.exe"}, PairCase{2, 1, "Quorrel.exe"}, PairCase{2, 2, "Quorrel.exe"},
                      PairCase{3, 0, "Wistel.exe"}, PairCase{3, 1, "Nandrel.exe"}, PairCase{3, 2, "Orrith.exe"},
                      PairCase{3, 3, "Calvrin.exe"}, PairCase{3, 4, "Dunmarl.exe"}));

TEST_F(MainWindow, ClickOnTheSelectedTaskStartsItAgainEachTime) {
  ClickCategory(1);
  for (int i = 0; i < 3; ++i) ClickTask(0);
  EXPECT_EQ(StartsOf("Merrock.exe"), 3);
  EXPECT_EQ(ShellCalls().size(), 3u);
}

TEST_F(MainWindow, KeyboardMovesInTheTaskListStartTheTaskReached) {
  ClickTask(0);
  ShellCalls().clear();
  headless::KeyPress(VK_DOWN);
  Pump();
  ASSERT_EQ(ShellCalls().size(), 1u);
  EXPECT_EQ(form->ListBoxData->ItemIndex(), 1);
  EXPECT_EQ(StartsOf("Tolvane.exe"), 1);
}

TEST_F(MainWindow, LettersChooseCategoriesAndOnlyAltReachesTheButtons) {
  ClickCategory(0);
  headless::KeyPress('O', 'o');  // no category starts with it; the OK button's key is Alt+O
  Pump();
  EXPECT_FALSE(QuitRequested());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(form->ListBoxMain->ItemIndex(), 0);
  headless::KeyPress('M', 'm');
  Pump();
  EXPECT_EQ(form->ListBoxMain->ItemIndex(), 1);
  EXPECT_EQ(form->ListBoxData->Count(), 2) << "the task list follows as after a click";
  headless::KeyPress('T', 't');
  Pump();
  EXPECT_EQ(form->ListBoxMain->ItemIndex(), 3);
  EXPECT_EQ(form->ListBoxData->Count(), 5);
  headless::KeyPress('D', 'd');
  Pump();
  EXPECT_EQ(form->ListBoxMain->ItemIndex(), 0);
  EXPECT_EQ(form->ListBoxData->Count(), 4);
  EXPECT_TRUE(ShellCalls().empty());
  headless::KeyDown(VK_MENU);
  headless::KeyPress('O', 'o');
  headless::KeyUp(VK_MENU);
  Pump();
  EXPECT_TRUE(QuitRequested());
}

TEST_F(MainWindow, PointingSelectsTheTaskUnderThePointerFirstOneIncluded) {
  ClickCategory(3);
  HoverTask(4);
  // Rows in the list's window coordinates: items start inside the 2-pixel border.
  const struct {
    int y, task;
  } kPoints[] = {{2, 0}, {2 + 74, 0}, {2 + 75, 1}, {2 + 4 * 75 - 1, 3}, {2 + 4 * 75, 4}, {2 + 30, 0}};
  for (const auto& p : kPoints) {
    headless::MovePointerTo(form->ListBoxData->Handle(), 200, p.y);
    Pump();
    EXPECT_EQ(form->ListBoxData->ItemIndex(), p.task) << "pointer at row " << p.y;
  }
  EXPECT_TRUE(ShellCalls().empty());
}

TEST_F(MainWindow, HoverOutsideTheItemsChangesNothing) {
  HoverTask(2);
  ASSERT_EQ(form->ListBoxData->ItemIndex(), 2);
  const int before = headless::PresentCount(form->Handle());
  // Below the last of the four Data tasks, still inside the list.
  headless::MovePointerTo(form->ListBoxData->Handle(), 200, 2 + 4 * 75 + 10);
  Pump();
  EXPECT_EQ(form->ListBoxData->ItemIndex(), 2);
  // On the list's border and outside the list.
  headless::MovePointerTo(form->ListBoxData->Handle(), 0, 30);
  Pump();
  headless::MovePointerTo(form->Handle(), 600, 420);
  Pump();
  EXPECT_EQ(form->ListBoxData->ItemIndex(), 2);
  EXPECT_EQ(headless::PresentCount(form->Handle()), before) << "nothing was repainted";
  EXPECT_TRUE(ShellCalls().empty());
}

TEST_F(MainWindow, MissingToolLeavesTheLauncherUnchangedWithTheDefaultCursor) {
  SetShellBehaviour(ShellBehaviour::kFileNotFound);
  ClickCategory(2);
  ClickTask(1);
  ASSERT_EQ(ShellCalls().size(), 1u);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(GetOverrideCursor(), nullptr);
  EXPECT_EQ(form->ListBoxMain->ItemIndex(), 2);
  EXPECT_EQ(form->ListBoxData->ItemIndex(), 1);
  EXPECT_TRUE(errors.empty()) << "a failed start shows no dialog";
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(MainWindow, FailingShellStillEndsTheBusyCursor) {
  SetShellBehaviour(ShellBehaviour::kThrow);
  ClickTask(0);
  EXPECT_EQ(ShellCalls().size(), 1u);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(BusyCount(), 0);
  EXPECT_THROW(form->MediaOntheWeb1->Click(), std::runtime_error);
  EXPECT_EQ(BusyCount(), 0);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(ShellCalls().size(), 2u);
}

TEST_F(MainWindow, StartProgramJoinsTheFolderAndTheName) {
  form->StartProgram("Merrock.exe");
  ASSERT_EQ(ShellCalls().size(), 1u);
  EXPECT_EQ(ShellCalls()[0].file, folder.Path() + "Merrock.exe");
  EXPECT_EQ(ShellCalls()[0].showCommand, 10);
}

TEST_F(MainWindow, HelpMenuDropsFromTheHelpButtonsBottomLeftCorner) {
  headless::ClickAt(form->ButtonHelp->Handle(), 20, 20);
  Pump();
  ASSERT_TRUE(form->PopupMenu->IsOpen());
  RECT menu, window;
  GetWindowRect(form->PopupMenu->WindowHandle(), &menu);
  GetWindowRect(form->Handle(), &window);
  EXPECT_EQ(menu.left, window.left + 8);
  EXPECT_EQ(menu.top, window.top + 474);
  EXPECT_TRUE(ShellCalls().empty());
}

TEST_F(MainWindow, WebLinkOpensTheEditionsPageWithTheHourglass) {
  headless::ClickAt(form->ButtonHelp->Handle(), 20, 20);
  Pump();
  const RECT item = form->PopupMenu->ItemRect(0);
  headless::ClickAt(form->PopupMenu->WindowHandle(), item.left + 20, item.top + 5);
  Pump();
  EXPECT_FALSE(form->PopupMenu->IsOpen());
  ASSERT_EQ(ShellCalls().size(), 1u);
  const ShellCall& c = ShellCalls()[0];
  EXPECT_EQ(c.file, "https://www.tarnhollow.example/brimlow/");
  EXPECT_EQ(c.parent, Application->Handle());
  EXPECT_EQ(c.verb, "open");
  EXPECT_TRUE(c.parametersNull);
  EXPECT_TRUE(c.directoryNull);
  EXPECT_EQ(c.showCommand, 10);
  EXPECT_EQ(c.screenCursor, crHourGlass);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(MainWindow, OkClosesTheWindowAndRequestsTheEnd) {
  headless::ClickAt(form->ButtonOK->Handle(), 40, 20);
  Pump();
  int code = -1;
  EXPECT_TRUE(QuitRequested(&code));
  EXPECT_EQ(code, 0);
}

// ---------------------------------------------------------------------------------------
// Drawing

constexpr std::uint32_t kWhite = 0xFFFFFF, kGrey = 0x808080, kBlack = 0x000000;

// Left edge of the first pixel of colour `ink` in a band of the frame, -1 when none.
int FirstInkColumn(const headless::Frame& f, const RECT& band, std::uint32_t ink) {
  for (int x = band.left; x < band.right; ++x)
    for (int y = band.top; y < band.bottom; ++y)
      if ((f.At(x, y) & 0xFFFFFF) == ink) return x;
  return -1;
}

// Pixels of a row segment that show the focus outline's inversion of grey.
int InvertedGrey(const headless::Frame& f, int left, int right, int y) {
  int n = 0;
  for (int x = left; x < right; ++x) n += (f.At(x, y) & 0xFFFFFF) == (kGrey ^ kWhite);
  return n;
}

bool HalfOf165(int n) { return n == 82 || n == 83; }

TEST_F(MainWindow, SelectedItemsAreGreyWithWhiteTextAndOneFocusRectangle) {
  // The category list (at 8, 8 with a 2-pixel border) has the focus at start: its selected
  // Data item is grey with a white name and one dotted outline (every other pixel of its
  // top row inverted; a second outline would have cancelled the first).
  headless::Frame f = Frame();
  EXPECT_EQ(f.At(12, 12) & 0xFFFFFF, kGrey);
  EXPECT_EQ(f.At(12, 10 + 80) & 0xFFFFFF, kWhite) << "the unselected Music item";
  EXPECT_NE(FirstInkColumn(f, RECT{10, 10 + 55, 175, 10 + 72}, kWhite), -1) << "white name on grey";
  EXPECT_PRED1(HalfOf165, InvertedGrey(f, 10, 10 + 165, 10));
  // The task list's selected item: grey, no outline while the list has no focus.
  EXPECT_EQ(f.At(190, 12) & 0xFFFFFF, kGrey);
  EXPECT_EQ(InvertedGrey(f, 186, 186 + 462, 10), 0);
  // Focus moves to the task list and the pointer selects task 1.
  HoverTask(1);
  form->ListBoxData->SetFocus();
  Pump();
  f = Frame();
  EXPECT_EQ(InvertedGrey(f, 186, 186 + 462, 10 + 75), 462 / 2);
  EXPECT_EQ(InvertedGrey(f, 186, 186 + 462, 10 + 75 + 74), 462 / 2) << "bottom row of the outline";
  EXPECT_EQ(f.At(186 + 5, 10 + 75 + 5) & 0xFFFFFF, kGrey);
  EXPECT_EQ(f.At(190, 12) & 0xFFFFFF, kWhite) << "task 0 is no longer selected";
  EXPECT_EQ(InvertedGrey(f, 10, 10 + 165, 10), 0) << "the category list lost the focus";
}

TEST_F(MainWindow, CategoryNameIsCentredOnTheOuterWidth) {
  const headless::Frame f = Frame();
  // Measured on a bitmap with the list's font: the list's own canvas has a device
  // context only while it paints.
  TBitmap measure(1, 1, pf32bit);
  TCanvas* c = measure.Canvas();
  c->Font()->Assign(form->ListBoxMain->Font());
  for (int i = 1; i < 4; ++i) {
    const std::string name = kCategoryNames[i];
    const int width = c->TextWidth(name), height = c->TextHeight(name);
    ASSERT_EQ(height, 13);
    // Item rectangle left is 0 in the list's item coordinates: frame x = 8 + 2 + (169 - w) / 2.
    const int x = 10 + (169 - width) / 2, y = 10 + i * 80 + 58;
    const int ink = FirstInkColumn(f, RECT{10, y, 175, y + 13}, kBlack);
    EXPECT_GE(ink, x) << name;
    EXPECT_LE(ink, x + 1) << name << ": the first glyph column lies within its left bearing";
    // Nothing of the name above its cell (below the icon, which ends at item top + 54) or below it.
    EXPECT_EQ(FirstInkColumn(f, RECT{10, 10 + i * 80 + 54, 175, y}, kBlack), -1) << name;
    EXPECT_EQ(FirstInkColumn(f, RECT{10, y + 13, 175, 10 + (i + 1) * 80 - 1}, kBlack), -1) << name;
  }
}

TEST_F(MainWindow, TaskLinesStartAtTheirOffsets) {
  const headless::Frame f = Frame();
  // Item 1 ("Data DVD") is white with black text; its four lines begin at x = 186 + 100.
  const int left = 186, top = 10 + 75;
  const int lineTop[] = {5, 25, 40, 55};
  for (int line = 0; line < 4; ++line) {
    const RECT band{left, top + lineTop[line], left + 464, top + lineTop[line] + 13};
    const int ink = FirstInkColumn(f, band, kBlack);
    EXPECT_GE(ink, left + 100) << "line " << line;
    EXPECT_LE(ink, left + 101) << "line " << line;
  }
  // Nothing of the text left of its column: beside and below the icon at (25, 15), 48 wide.
  EXPECT_EQ(FirstInkColumn(f, RECT{left, top, left + 25, top + 75}, kBlack), -1);
  EXPECT_EQ(FirstInkColumn(f, RECT{left + 73, top, left + 99, top + 75}, kBlack), -1);
  EXPECT_EQ(FirstInkColumn(f, RECT{left, top + 63, left + 99, top + 75}, kBlack), -1);
}

}  // namespace
}  // namespace launchertest
