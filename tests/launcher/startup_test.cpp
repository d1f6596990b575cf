// The program entry and the start-up message: the product title from lame.dll, the
// creation steps, the companion program started once after the window is up, and the run
// that ends by itself when the title names no edition.
#include <string>

#include "launcher/busy.h"
#include "launcher_fixture.h"
#include "platform/profile/profile.h"

namespace launchertest {
namespace {

struct TitleCase {
  const char* name;
  std::string body;  // empty: no lame.dll at all
  std::string title;
};

class ProductTitle : public LauncherTest, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(ProductTitle, ReadAsTheProfileRulesSay) {
  const TitleCase& c = GetParam();
  Start(c.body.empty() ? std::nullopt : std::optional<std::string>(c.body));
  EXPECT_EQ(Application->Title(), c.title);
  EXPECT_EQ(form->Caption(), c.title);
}

INSTANTIATE_TEST_SUITE_P(
    Startup, ProductTitle,
    ::testing::Values(TitleCase{"Plain", "[SYSTEM]\nName=Brimlow\n", "Brimlow"},
                      TitleCase{"Blanks", "[SYSTEM]\nName=   Brimlow \t \n", "Brimlow"},
                      TitleCase{"DoubleQuotes", "[SYSTEM]\nName=\"Brimlow\"\n", "Brimlow"},
                      TitleCase{"SingleQuotes", "[SYSTEM]\nName='Brimlow'\n", "Brimlow"},
                      TitleCase{"QuotesInsideBlanks", "[SYSTEM]\nName=  \"Brimlow\"  \n", "Brimlow"},
                      TitleCase{"LowerCaseNames", "[system]\nname=Brimlow\n", "Brimlow"},
                      TitleCase{"MixedCaseNames", "[SyStEm]\nNAME = Brimlow\n", "Brimlow"},
                      TitleCase{"CrLf", "[SYSTEM]\r\nName=Brimlow\r\nVersion=2.0\r\n", "Brimlow"},
                      TitleCase{"OtherKeysFirst", "[SYSTEM]\nVersion=2.0\nCompany=X\nName=Velmora\n", "Velmora"},
                      TitleCase{"FirstSectionWins", "[SYSTEM]\nName=Quistal\n[SYSTEM]\nName=Brimlow\n", "Quistal"},
                      TitleCase{"OtherSection", "[OTHER]\nName=Brimlow\n", ""},
                      TitleCase{"MissingKey", "[SYSTEM]\nVersion=2.0\n", ""},
                      TitleCase{"MissingFile", "", ""},
                      TitleCase{"Long", "[SYSTEM]\nName=" + std::string(3000, 'x') + "\n", std::string(2047, 'x')},
                      // UTF-8 shows as the same text in the code page; a code-page file stays as it is.
                      TitleCase{"Utf8", "[SYSTEM]\nName=S\xC3\xB6" "ftware \xE2\x82\xAC \xCE\xA9\n", "S\xF6" "ftware \x80 ?"},
                      TitleCase{"Utf8WithBom", "\xEF\xBB\xBF[SYSTEM]\nName=S\xC3\xB6\n", "S\xF6"},
                      TitleCase{"CodePage", "[SYSTEM]\nName=S\xF6" "ftware \xC3\xB6\n", "S\xF6" "ftware \xC3\xB6"},
                      TitleCase{"LongUtf8", "[SYSTEM]\nName=" + [] { std::string s; for (int i = 0; i < 2048; ++i) s += "\xC3\xB6"; return s; }() + "\n",
                                 std::string(2047, '\xF6')}),
    [](const ::testing::TestParamInfo<TitleCase>& info) { return std::string(info.param.name); });

TEST_F(LauncherTest, CreationFillsCaptionsEditionAndLists) {
  Start(ProductFile("Brimlow"));
  EXPECT_EQ(form->Caption(), "Brimlow");
  EXPECT_EQ(form->MediaOntheWeb1->Caption(), "Brimlow On the Web...");
  EXPECT_EQ(form->AboutMedia1->Caption(), "A&bout Brimlow...");
  EXPECT_EQ(form->PopupMenu->Items()->FindByAccel('b'), form->AboutMedia1);
  EXPECT_EQ(form->PopupMenu->Items()->Count(), 2);
  EXPECT_EQ(form->WebAddress, "https://www.tarnhollow.example/brimlow/");
  EXPECT_EQ(form->OrderAddress, "https://shop.tarnhollow.example/order/brimlow");
  EXPECT_EQ(form->SupportAddress, "brimlow-support@tarnhollow.example");
  // Four categories, an empty task list, nothing selected, nothing started yet.
  ASSERT_EQ(form->ListBoxMain->Count(), 4);
  EXPECT_EQ(form->ListBoxMain->Items()->Strings(0), "Data");
  EXPECT_EQ(form->ListBoxMain->Items()->Strings(3), "Tools");
  EXPECT_EQ(form->ListBoxMain->ItemHeight(), 80);
  EXPECT_EQ(form->ListBoxMain->Style(), lbOwnerDrawFixed);
  EXPECT_EQ(form->ListBoxData->ItemHeight(), 75);
  EXPECT_EQ(form->ListBoxData->Style(), lbOwnerDrawFixed);
  EXPECT_EQ(form->ListBoxData->Count(), 0);
  EXPECT_EQ(form->ListBoxMain->ItemIndex(), -1);
  EXPECT_TRUE(form->DoubleBuffered());
  EXPECT_TRUE(form->ListBoxMain->DoubleBuffered());
  EXPECT_TRUE(form->ListBoxData->DoubleBuffered());
  EXPECT_FALSE(QuitRequested());
  EXPECT_TRUE(ShellCalls().empty());
  EXPECT_TRUE(errors.empty());
}

TEST_F(LauncherTest, WindowGeometry) {
  Start(ProductFile("Brimlow"));
  ShowAndPump();
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 658);
  EXPECT_EQ(client.bottom, 478);
  // Centred on the 1024 x 768 screen.
  RECT r;
  GetWindowRect(form->Handle(), &r);
  EXPECT_EQ(r.left, (1024 - 658) / 2);
  struct Expect {
    TControl* c;
    int l, t, w, h;
  } controls[] = {{form->ListBoxMain, 8, 8, 169, 401}, {form->ListBoxData, 184, 8, 466, 401},
                  {form->ButtonHelp, 8, 432, 46, 42},  {form->ButtonOK, 568, 432, 81, 42},
                  {form->Bevel1, 8, 424, 641, 9}};
  for (const Expect& e : controls) {
    EXPECT_EQ(e.c->Left(), e.l) << e.c->Name();
    EXPECT_EQ(e.c->Top(), e.t) << e.c->Name();
    EXPECT_EQ(e.c->Width(), e.w) << e.c->Name();
    EXPECT_EQ(e.c->Height(), e.h) << e.c->Name();
  }
  EXPECT_EQ(form->ButtonOK->Caption(), "&OK");
  EXPECT_EQ(form->ButtonHelp->Caption(), "") << "the Help button shows only its glyph";
}

TEST_F(LauncherTest, CompanionStartsOnceAfterTheWindowIsVisible) {
  Start(ProductFile("Brimlow"));
  EXPECT_TRUE(ShellCalls().empty()) << "nothing starts while the window is made";
  ShowAndPump();
  ASSERT_EQ(ShellCalls().size(), 1u);
  const ShellCall& c = ShellCalls()[0];
  EXPECT_EQ(c.parent, form->Handle()) << "the main window is the parent";
  EXPECT_TRUE(c.parentVisible);
  EXPECT_EQ(c.verb, "open");
  EXPECT_EQ(c.file, folder.Path() + "vemp.exe");
  EXPECT_TRUE(c.parametersNull);
  EXPECT_TRUE(c.directoryNull);
  EXPECT_EQ(c.showCommand, 5);
  EXPECT_EQ(c.screenCursor, crDefault) << "no busy cursor for the companion";
  EXPECT_EQ(c.busyCount, 0);
  // The window's whole first picture was on the screen before the companion was asked for.
  EXPECT_TRUE(c.parentFrame == headless::PresentedFrame(form->Handle()).pixels);
  // Nothing else brings it back: clicks, category changes, more messages.
  ClickCategory(2);
  HoverTask(1);
  Pump();
  EXPECT_EQ(StartsOf("vemp.exe"), 1);
  EXPECT_FALSE(QuitRequested());
}

TEST_F(LauncherTest, StartupMessageBringsTheWindowToTheFront) {
  Start(ProductFile("Brimlow"));
  form->Show();  // the run step; the start-up message is still queued
  // Another window of the session comes up in front before the message is handled.
  auto* other = new TForm(Application);
  other->SetBounds(100, 100, 200, 150);
  other->Show();
  ASSERT_EQ(headless::TopLevelWindows().front(), other->Handle());
  ASSERT_EQ(GetForegroundWindow(), other->Handle());
  Pump();
  EXPECT_EQ(StartsOf("vemp.exe"), 1);
  EXPECT_EQ(headless::TopLevelWindows().front(), form->Handle());
  EXPECT_EQ(GetForegroundWindow(), form->Handle());
}

TEST_F(LauncherTest, FolderWithoutSeparatorStillJoinsOnce) {
  folder.Write("lame.dll", ProductFile("Brimlow"));
  TLauncherHost host;
  host.folder = folder.Path().substr(0, folder.Path().size() - 1);
  host.shellExecute = &RecordingShell;
  form = StartLauncher(host);
  EXPECT_EQ(Application->Title(), "Brimlow");
  ShowAndPump();
  EXPECT_EQ(StartsOf("vemp.exe"), 1);
}

// With a title that selects no edition the run still shows the window, handles the
// start-up message (companion started once) and then ends without any user input.
struct NoEditionCase {
  const char* name;
  std::string body;
};

class EndsByItself : public LauncherTest, public ::testing::WithParamInterface<NoEditionCase> {};

TEST_P(EndsByItself, AfterStartingTheCompanionOnce) {
  if (!GetParam().body.empty()) folder.Write("lame.dll", GetParam().body);
  bool waitedForInput = false;
  headless::SetIdleHandler([&] {
    waitedForInput = true;
    return false;
  });
  TLauncherHost host;
  host.folder = folder.Path();
  host.shellExecute = &RecordingShell;
  const int exitCode = RunLauncher(host);
  EXPECT_EQ(exitCode, 0);
  EXPECT_FALSE(waitedForInput) << "the loop waited for the user instead of ending";
  ASSERT_EQ(ShellCalls().size(), 1u);
  EXPECT_EQ(ShellCalls()[0].file, folder.Path() + "vemp.exe");
  EXPECT_TRUE(ShellCalls()[0].parentVisible);
  auto* main = dynamic_cast<TMainForm*>(Application->MainForm());
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->WebAddress, "");
  EXPECT_EQ(main->OrderAddress, "");
  EXPECT_EQ(main->SupportAddress, "");
  // The creation steps after the edition still ran.
  EXPECT_EQ(main->ListBoxMain->Count(), 4);
}

INSTANTIATE_TEST_SUITE_P(Startup, EndsByItself,
                         ::testing::Values(NoEditionCase{"OtherCase", ProductFile("brimlow")},
                                           NoEditionCase{"Upper", ProductFile("BRIMLOW")},
                                           NoEditionCase{"Nobody", ProductFile("Nobody")},
                                           NoEditionCase{"EmptyName", ProductFile("")},
                                           NoEditionCase{"NoFile", ""}),
                         [](const ::testing::TestParamInfo<NoEditionCase>& info) { return std::string(info.param.name); });

TEST_F(LauncherTest, RunEndsWithOkAndExitCodeZero) {
  folder.Write("lame.dll", ProductFile("Brimlow"));
  int idleCalls = 0;
  headless::SetIdleHandler([&] {
    ++idleCalls;
    auto* main = dynamic_cast<TMainForm*>(Application->MainForm());
    if (!main || idleCalls > 1) return false;
    // The window is up with the companion started; the user presses OK.
    EXPECT_EQ(StartsOf("vemp.exe"), 1);
    EXPECT_TRUE(IsWindowVisible(main->Handle()));
    headless::ClickAt(main->ButtonOK->Handle(), 40, 20);
    return true;
  });
  TLauncherHost host;
  host.folder = folder.Path();
  host.shellExecute = &RecordingShell;
  EXPECT_EQ(RunLauncher(host), 0);
  EXPECT_EQ(idleCalls, 1) << "OK did not end the run";
  EXPECT_EQ(ShellCalls().size(), 1u);
}

TEST_F(LauncherTest, HandPointIsTheSystemHand) {
  EXPECT_EQ(CursorId(Screen->Cursors(crHandPoint)), 32649);
}

}  // namespace
}  // namespace launchertest
