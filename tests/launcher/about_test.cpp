// The About dialog opened from the help menu as the user opens it: what FormCreate fills in
// (afresh for every opening), the links with what they hand to the shell and the cursor
// over them, centring on the main window, the error box for a missing or broken logo, how
// the dialog closes and that the main window takes no input meanwhile; golden pictures of
// both pages and of the dialog without its logo, with named pixels placing every control.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "launcher/about.h"
#include "launcher/catalogue.h"
#include "launcher_fixture.h"
#include "png/pngmessages.h"

namespace launchertest {
namespace {

const std::string kLogoPath = std::string(LB_SOURCE_DIR) + "/resources/art/leftlogo.png";
const TEdition& Brimlow() { return *FindEdition("Brimlow"); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The open About dialog, null when there is none.
TFormAbout* OpenDialog() {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (auto* about = dynamic_cast<TFormAbout*>(Screen->Forms(i))) return about;
  return nullptr;
}

// Screen point at the middle of a control.
POINT Middle(const TControl* c) { return c->ClientToScreen(POINT{c->Width() / 2, c->Height() / 2}); }

class AboutDialog : public LauncherTest {
 protected:
  using Step = std::function<void(TFormAbout&)>;

  void SetUp() override {
    LauncherTest::SetUp();
    headless::MovePointer(1000, 5);  // off both windows, so nothing is hot
    folder.Write("leftlogo.png", ReadFile(kLogoPath));
    // The standard error box as the framework asks for it: caption, icon and text.
    Application->OnShowException = nullptr;
    Application->OnMessageDlg = [this](const TMessageDlgRequest& r) {
      boxes.push_back(r);
      return mrOk;
    };
  }

  void StartWith(const std::string& productFile) {
    Start(productFile);
    ShowAndPump();
    ShellCalls().clear();
  }

  // Opens the dialog from the help menu (its About item's access key). Each step runs when
  // the dialog waits for input; after the last one the dialog is closed by its close box.
  // Steps left when the dialog closes earlier do not run.
  void OpenAbout(std::vector<Step> steps) {
    auto next = std::make_shared<std::size_t>(0);
    headless::SetIdleHandler([steps = std::move(steps), next]() {
      TFormAbout* about = OpenDialog();
      if (!about) {
        ADD_FAILURE() << "the application waits for input without an About dialog";
        return false;
      }
      if (*next < steps.size()) steps[(*next)++](*about);
      else PostMessageA(about->Handle(), WM_CLOSE, 0, 0);
      return true;
    });
    form->ButtonHelpClick(form->ButtonHelp);  // the button may lie outside a shrunken window
    Pump();
    headless::KeyPress('B', 'b');
    Pump();
    headless::SetIdleHandler(nullptr);
    EXPECT_FALSE(Application->Terminated());
  }

  std::vector<TMessageDlgRequest> boxes;
};

// ---------------------------------------------------------------------------------------
// What FormCreate fills in

struct FillCase {
  const char* name;
  std::string productFile;
  std::string title;
  std::string copyright;
  std::string version;
};

class AboutFill : public AboutDialog, public ::testing::WithParamInterface<FillCase> {};

TEST_P(AboutFill, TitleFirstThenVersionCopyrightAndAddresses) {
  const FillCase& c = GetParam();
  SetTestYear(2031);
  StartWith(c.productFile);
  // Drawn as written: what follows the last "&" stands where the text before it, "&" counted,
  // ends. Copyright at (16, 48) of the pages (204, 32), version at (12, 16) of the box (16, 32).
  const auto drawn = [&](const testsupport::Image& page, int x, const std::string& text) {
    const std::size_t tail = text.rfind('&') + 1;
    x += testsupport::UiTextWidth(testsupport::UiFont::kRegular, std::regex_replace(text.substr(0, tail), std::regex("&"), "&&"));
    return testsupport::HasNamedPixels(page, testsupport::TextInk(page, RGB(240, 240, 240), 0, testsupport::UiFont::kRegular, x, 80,
                                                                 text.substr(tail), text));
  };
  OpenAbout({[&](TFormAbout& about) {
    EXPECT_EQ(about.Caption(), "About Brimlow");
    EXPECT_EQ(about.LabalTitle->Caption(), c.title);
    EXPECT_EQ(about.LabelCopyright->Caption(), c.copyright);
    EXPECT_EQ(about.LabelVersion->Caption(), c.version);
    EXPECT_EQ(about.LabelWeb->Caption(), Brimlow().webAddress);
    EXPECT_EQ(about.LabelSupportEmail->Caption(), Brimlow().supportAddress);
    EXPECT_FALSE(about.ImageLeft->Picture()->Graphic()->Empty());
    EXPECT_TRUE(drawn(Compose({about.Handle()}), 204 + 16, c.copyright));
    about.PageControlMain->SetActivePageIndex(1);
  }, [&](TFormAbout& about) { EXPECT_TRUE(drawn(Compose({about.Handle()}), 204 + 28, c.version)); }});
  EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AboutFill,
    ::testing::Values(
        FillCase{"Complete", ProductFile("Brimlow"), "Brimlow 2.0", "Copyright \xA9 2031 Tarnhollow Software", "2.0"},
        // A missing value leaves its blank: after the title, and after the year.
        FillCase{"NoVersion", "[SYSTEM]\nName=Brimlow\nCompany=Tarnhollow Software\n", "Brimlow ",
                 "Copyright \xA9 2031 Tarnhollow Software", ""},
        FillCase{"NoCompany", "[SYSTEM]\nName=Brimlow\nVersion=2.0\n", "Brimlow 2.0", "Copyright \xA9 2031 ", "2.0"},
        // Ampersands and a per cent sign pass through the template as they are.
        FillCase{"Specials", "[SYSTEM]\nName=Brimlow\nVersion=2.0 R&D 100%\nCompany=Tarnhollow & Co %s\n",
                 "Brimlow 2.0 R&D 100%", "Copyright \xA9 2031 Tarnhollow & Co %s", "2.0 R&D 100%"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AboutDialog, EachOpeningReadsTheFileAndTheDateAfresh) {
  SetTestYear(2031);
  StartWith(ProductFile("Brimlow"));
  std::string first, second;
  OpenAbout({[&](TFormAbout& a) { first = a.LabalTitle->Caption() + "|" + a.LabelCopyright->Caption(); }});
  // The title stays the one read at start-up; version, company and year are new.
  folder.Write("lame.dll", "[SYSTEM]\nName=Velmora\nVersion=2.1\nCompany=Tarnhollow Software Ltd\n");
  SetTestYear(2032);
  OpenAbout({[&](TFormAbout& a) { second = a.LabalTitle->Caption() + "|" + a.LabelCopyright->Caption(); }});
  EXPECT_EQ(first, "Brimlow 2.0|Copyright \xA9 2031 Tarnhollow Software");
  EXPECT_EQ(second, "Brimlow 2.1|Copyright \xA9 2032 Tarnhollow Software Ltd");
}

// ---------------------------------------------------------------------------------------
// Links

struct LinkCase {
  const char* control;
  int page;
  std::string target;
  bool hand;  // the system hand over it
};

class AboutLinks : public AboutDialog, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(AboutLinks, AClickHandsItsTargetToTheShellAndTheDialogStays) {
  const LinkCase& c = GetParam();
  StartWith(ProductFile("Brimlow"));
  HCURSOR shown = nullptr;
  bool stillOpen = false;
  POINT p{};
  OpenAbout({[&](TFormAbout& about) {
               about.PageControlMain->SetActivePageIndex(c.page);
               p = Middle(dynamic_cast<TControl*>(about.FindComponent(c.control)));
               headless::MovePointer(p.x, p.y);
             },
             [&](TFormAbout&) {
               shown = headless::CursorAt(p.x, p.y);
               headless::Click(p.x, p.y);
             },
             [&](TFormAbout& about) { stillOpen = about.Showing(); }});
  EXPECT_EQ(shown, LoadCursorA(nullptr, c.hand ? IDC_HAND : IDC_ARROW));
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(ShellCalls().size(), 1u);
  const ShellCall& call = ShellCalls()[0];
  EXPECT_EQ(call.file, c.target);
  EXPECT_EQ(call.parent, Application->Handle());
  EXPECT_EQ(call.verb, "open");
  EXPECT_TRUE(call.parametersNull);
  EXPECT_TRUE(call.directoryNull);
  EXPECT_EQ(call.showCommand, SW_SHOWDEFAULT);
  EXPECT_EQ(call.busyCount, 0);  // links show no hourglass
}

INSTANTIATE_TEST_SUITE_P(Cases, AboutLinks,
                         ::testing::Values(LinkCase{"LabelWeb", 0, Brimlow().webAddress, true},
                                           LinkCase{"LabelSupportEmail", 0,
                                                    std::string("mailto:") + Brimlow().supportAddress, true},
                                           LinkCase{"ImageLeft", 0, Brimlow().orderAddress, true},
                                           LinkCase{"ButtonUpdates", 1, Brimlow().orderAddress, false}),
                         [](const auto& info) { return std::string(info.param.control); });

TEST_F(AboutDialog, ARefusedLinkShowsNoDialogAndIsOnlyNoted) {
  StartWith(ProductFile("Brimlow"));
  SetShellFailure(31);
  bool stillOpen = false;
  OpenAbout({[&](TFormAbout& about) { about.OpenLink("mailto:" + about.LabelSupportEmail->Caption()); },
             [&](TFormAbout& about) { stillOpen = about.Showing(); }});
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(boxes.empty());
  ASSERT_EQ(Notes().size(), 1u);
  EXPECT_EQ(Notes()[0], std::string("launcher: cannot open \"mailto:") + Brimlow().supportAddress +
                            "\": no program is set up to open it (shell error 31)");
}

// ---------------------------------------------------------------------------------------
// Placing

struct CentreCase {
  const char* name;
  int widthDifference, heightDifference;  // main window minus dialog, outer sizes
  int expectedLeft, expectedTop;           // dialog minus main window
  bool moveFirst;                          // the main window is moved before the opening
};

class AboutCentre : public AboutDialog, public ::testing::WithParamInterface<CentreCase> {};

TEST_P(AboutCentre, OnTheMainWindowWithHalvesTruncatedTowardZero) {
  const CentreCase& c = GetParam();
  StartWith(ProductFile("Brimlow"));
  // The dialog's outer size is 523 x 298 inside the same frame as the main window's.
  form->SetClientWidth(523 + c.widthDifference);
  form->SetClientHeight(298 + c.heightDifference);
  // Moved as the window manager moves it: the window itself, not the form's bounds.
  if (c.moveFirst) MoveWindow(form->Handle(), 31, 47, form->ClientWidth(), form->ClientHeight(), TRUE);
  Pump();
  RECT mainRect{}, aboutRect{};
  OpenAbout({[&](TFormAbout& about) {
    GetWindowRect(form->Handle(), &mainRect);
    GetWindowRect(about.Handle(), &aboutRect);
  }});
  if (c.moveFirst) {
    EXPECT_EQ(mainRect.left, 31);
    EXPECT_EQ(mainRect.top, 47);
  }
  EXPECT_EQ(aboutRect.right - aboutRect.left, 523);
  EXPECT_EQ(aboutRect.left - mainRect.left, c.expectedLeft);
  EXPECT_EQ(aboutRect.top - mainRect.top, c.expectedTop);
}

INSTANTIATE_TEST_SUITE_P(Cases, AboutCentre,
                         ::testing::Values(CentreCase{"Design", 658 - 523, 478 - 298, 67, 90, false},
                                           CentreCase{"OddNegative", -5, -7, -2, -3, false},
                                           CentreCase{"OddPositive", 5, 7, 2, 3, false},
                                           CentreCase{"MinusOne", -1, 1, 0, 0, false},
                                           CentreCase{"AfterMoving", 658 - 523, -5, 67, -2, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// A missing or broken logo

struct LogoCase {
  const char* name;
  std::function<std::string()> logo;  // none: no file
  std::function<std::string(const std::string& folder)> message;
};

std::string PatchedLogo(std::size_t offset, char value) {
  std::string png = ReadFile(kLogoPath);
  png[offset] = value;
  return png;
}

class AboutLogo : public AboutDialog, public ::testing::WithParamInterface<LogoCase> {};

TEST_P(AboutLogo, TheErrorBoxComesAndTheDialogOpensWithoutThePicture) {
  const LogoCase& c = GetParam();
  std::remove((folder.Path() + "leftlogo.png").c_str());
  if (c.logo) folder.Write("leftlogo.png", c.logo());
  StartWith(ProductFile("Brimlow"));
  bool shown = false;
  std::uint32_t logoMiddle = 0;
  OpenAbout({[&](TFormAbout& about) {
    shown = about.Showing();
    EXPECT_EQ(about.LabalTitle->Caption(), "Brimlow 2.0");
    EXPECT_EQ(about.LabelCopyright->Caption(), "Copyright \xA9 2030 Tarnhollow Software");
    EXPECT_EQ(about.LabelSupportEmail->Caption(), Brimlow().supportAddress);
    TGraphic* g = about.ImageLeft->Picture()->Graphic();
    EXPECT_TRUE(g == nullptr || g->Empty());
    logoMiddle = headless::PresentedFrame(about.Handle()).At(14 + 85, 14 + 119);
  }});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Brimlow");
  EXPECT_EQ(boxes[0].type, mtError);
  EXPECT_EQ(boxes[0].text, c.message(folder.Path()));
  EXPECT_TRUE(shown);
  EXPECT_EQ(logoMiddle, 0xFFFFFFu) << "the white panel shows where the logo would be";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AboutLogo,
    ::testing::Values(
        LogoCase{"Missing", nullptr,
                 [](const std::string& dir) {
                   return "Cannot open file \"" + SystemForm(dir + "leftlogo.png") + "\". " + std::strerror(ENOENT);
                 }},
        LogoCase{"NotAPicture", [] { return std::string("This is not a picture.\n"); },
                 [](const std::string&) { return std::string(png_messages::kInvalidFileHeader); }},
        // Signature (8) and header chunk (25): the stream ends where the next chunk should start.
        LogoCase{"EndsAfterTheHeader", [] { return ReadFile(kLogoPath).substr(0, 8 + 25); },
                 [](const std::string&) { return std::string(png_messages::kUnexpectedEnd); }},
        // Offset 28 is the header chunk's last data byte: its stored CRC no longer fits.
        LogoCase{"HeaderCrc", [] { return PatchedLogo(28, 1); },
                 [](const std::string&) { return std::string(png_messages::kInvalidCRC); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Closing, modality

enum class Act { kEnter, kEscape, kCloseBox, kClickOk };

struct CloseCase {
  const char* name;
  Act act;
  bool closes;
};

class AboutClose : public AboutDialog, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(AboutClose, EnterOkAndTheCloseBoxCloseEscDoesNot) {
  const CloseCase& c = GetParam();
  StartWith(ProductFile("Brimlow"));
  bool openAfter = false;
  OpenAbout({[&](TFormAbout& about) {
               switch (c.act) {
                 case Act::kEnter: headless::KeyPress(VK_RETURN); break;
                 case Act::kEscape: headless::KeyPress(VK_ESCAPE); break;
                 case Act::kCloseBox: PostMessageA(about.Handle(), WM_CLOSE, 0, 0); break;
                 case Act::kClickOk: {
                   const POINT p = Middle(about.ButtonOK);
                   headless::Click(p.x, p.y);
                   break;
                 }
               }
             },
             [&](TFormAbout& about) { openAfter = about.Showing(); }});
  EXPECT_EQ(openAfter, !c.closes);
  // Closed one way or the other, the dialog is gone and the main window works again.
  EXPECT_EQ(OpenDialog(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  EXPECT_TRUE(ShellCalls().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, AboutClose,
                         ::testing::Values(CloseCase{"Enter", Act::kEnter, true},
                                           CloseCase{"Escape", Act::kEscape, false},
                                           CloseCase{"CloseBox", Act::kCloseBox, true},
                                           CloseCase{"ClickOk", Act::kClickOk, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AboutDialog, TheMainWindowTakesNoInputWhileItIsOpen) {
  StartWith(ProductFile("Brimlow"));
  bool mainEnabled = true;
  OpenAbout({[&](TFormAbout&) {
               mainEnabled = IsWindowEnabled(form->Handle());
               // The first task lies above the dialog, the OK button beside it.
               headless::ClickAt(form->ListBoxData->Handle(), TaskPoint(0).x, TaskPoint(0).y);
             },
             [&](TFormAbout&) { headless::ClickAt(form->ButtonOK->Handle(), 40, 20); }});
  EXPECT_FALSE(mainEnabled);
  EXPECT_TRUE(ShellCalls().empty());
  EXPECT_FALSE(QuitRequested(nullptr));
}

// ---------------------------------------------------------------------------------------
// Golden pictures, each with pixels named from the design's numbers (dialog client
// coordinates; the pages' area starts at (200 + 4, 8 + 24), below the 20-pixel tab row)

using testsupport::NamedPixel;
using testsupport::UiFont;
using Pixels = std::vector<NamedPixel>;

constexpr COLORREF kFace = RGB(240, 240, 240), kShadow = RGB(160, 160, 160), kDark = RGB(105, 105, 105),
                   kLight = RGB(227, 227, 227), kHigh = RGB(255, 255, 255), kWhite = RGB(255, 255, 255),
                   kBlack = 0, kBlue = RGB(0, 0, 255);
constexpr int kPageX = 204, kPageY = 32;

void Add(Pixels& to, const Pixels& more) { to.insert(to.end(), more.begin(), more.end()); }

// A caption centred on a push button, as the classic look places it.
Pixels ButtonCaption(const testsupport::Image& img, int left, int top, int width, int height, const std::string& text) {
  return testsupport::TextInk(img, kFace, kBlack, UiFont::kRegular,
                              left + (width - testsupport::UiTextWidth(UiFont::kRegular, text)) / 2,
                              top + (height - 13) / 2, text, "caption centred on the button");
}

// What both pages show: the picture panel and the default OK button.
Pixels Frame(const testsupport::Image& img) {
  Pixels p = {
      {5, 5, kFace, "dialog background: button face"},
      {12, 12, kShadow, "picture panel at (12, 12): lowered outer bevel, shadow top-left"},
      {186, 253, kHigh, "picture panel: 175 x 242, outer bevel's bright bottom-right"},
      {13, 13, kHigh, "picture panel: raised inner bevel, bright top-left"},
      {185, 252, kShadow, "picture panel: inner bevel's shadow bottom-right"},
      {187, 100, kFace, "right of the picture panel"},
      {200, 100, kHigh, "page control at (200, 8): the page frame's bright left edge"},
      {504, 100, kDark, "page control: 305 wide, dark right edge"},
      {300, 252, kDark, "page control: 245 high, dark bottom edge"},
      {300, 253, kFace, "below the page control"},
      {438, 265, kBlack, "OK at (438, 265): the default button's black frame"},
      {512, 289, kBlack, "OK: 75 x 25, black frame's bottom-right"},
      {437, 270, kFace, "left of the OK button"},
  };
  Add(p, ButtonCaption(img, 438, 265, 75, 25, "&OK"));
  return p;
}

// The logo fills the picture area at (12 + 2, 12 + 2), opaque.
Pixels Logo() {
  testsupport::Image logo;
  EXPECT_TRUE(testsupport::ReadPng(kLogoPath, &logo));
  Pixels p;
  for (const POINT q : {POINT{0, 0}, POINT{170, 0}, POINT{85, 119}, POINT{0, 237}, POINT{170, 237}})
    p.push_back({14 + int(q.x), 14 + int(q.y), logo.Color(q.x, q.y), "logo pixel (" + std::to_string(q.x) + ", " + std::to_string(q.y) + ")"});
  return p;
}

Pixels NoLogo() {
  return {{14, 14, kWhite, "the white panel where the logo would be: top-left"},
          {14 + 85, 14 + 119, kWhite, "white panel: middle"},
          {14 + 170, 14 + 237, kWhite, "white panel: bottom-right"}};
}

Pixels AboutPage(const testsupport::Image& img) {
  Pixels p;
  const int x = kPageX + 16;
  Add(p, testsupport::TextInk(img, kFace, kBlack, UiFont::kBold, x, kPageY + 12, "Brimlow 2.0", "title, bold, at (16, 12)"));
  Add(p, testsupport::TextInk(img, kFace, kBlack, UiFont::kRegular, x, kPageY + 48,
                              "Copyright \xA9 2030 Tarnhollow Software", "copyright line at (16, 48)"));
  Add(p, testsupport::TextInk(img, kFace, kBlack, UiFont::kRegular, x, kPageY + 144, "Web site:", "at (16, 144)"));
  Add(p, testsupport::TextInk(img, kFace, kBlue, UiFont::kUnderline, x, kPageY + 160, Brimlow().webAddress,
                              "web link, blue and underlined, at (16, 160)"));
  Add(p, testsupport::TextInk(img, kFace, kBlack, UiFont::kRegular, x, kPageY + 176, "Support:", "at (16, 176)"));
  Add(p, testsupport::TextInk(img, kFace, kBlue, UiFont::kUnderline, x, kPageY + 192, Brimlow().supportAddress,
                              "support link, blue and underlined, at (16, 192)"));
  return p;
}

Pixels UpdatePage(const testsupport::Image& img) {
  const int x = kPageX + 16;
  // The group box at (16, 32), 275 x 73, etched; its frame's top runs through the middle
  // of the caption row it has no text for.
  const int gl = kPageX + 16, gt = kPageY + 32, gr = gl + 275, gb = gt + 73;
  Pixels p = {
      {gl, gt + 40, kShadow, "group box: etched frame's left shadow"},
      {gl + 1, gt + 40, kHigh, "group box: highlight inside it"},
      {gr - 2, gt + 40, kShadow, "group box: right shadow (275 wide)"},
      {gr - 1, gt + 40, kHigh, "group box: right highlight"},
      {gl + 100, gb - 2, kShadow, "group box: bottom shadow (73 high)"},
      {gl + 100, gb - 1, kHigh, "group box: bottom highlight"},
      {gl + 100, gt + 6, kShadow, "group box: top shadow, no caption gap"},
      {410, 216, kHigh, "Updates at (206, 184) of the page: raised edge, bright outside"},
      {411, 217, kLight, "Updates: inner raised edge"},
      {484, 240, kDark, "Updates: 75 x 25, dark outer bottom-right"},
      {483, 239, kShadow, "Updates: shadow inside it"},
  };
  Add(p, testsupport::TextInk(img, kFace, kBlack, UiFont::kBold, x, kPageY + 12, "Product information", "at (16, 12)"));
  Add(p, testsupport::TextInk(img, kFace, kBlack, UiFont::kRegular, gl + 12, gt + 16, "2.0",
                              "version at (12, 16) in the group box"));
  Add(p, testsupport::TextInk(img, kFace, kBlack, UiFont::kBold, x, kPageY + 132, "Check for update", "at (16, 132)"));
  Add(p, testsupport::TextInk(img, kFace, kBlack, UiFont::kRegular, x, kPageY + 152,
                              "To ensure you're using the latest version, click on the", "first line at (16, 152)"));
  Add(p, testsupport::TextInk(img, kFace, kBlack, UiFont::kRegular, x, kPageY + 152 + 13, "Updates button below.",
                              "second line after the line break"));
  Add(p, ButtonCaption(img, 410, 216, 75, 25, "&Updates..."));
  return p;
}

TEST_F(AboutDialog, GoldenBothPages) {
  StartWith(ProductFile("Brimlow"));
  testsupport::Image about, update;
  OpenAbout({[&](TFormAbout& a) {
               about = Compose({a.Handle()});
               headless::KeyDown(VK_CONTROL);
               headless::KeyPress(VK_TAB);
               headless::KeyUp(VK_CONTROL);
             },
             [&](TFormAbout& a) {
               EXPECT_EQ(a.PageControlMain->ActivePage(), a.TabSheetUpdate);
               update = Compose({a.Handle()});
             }});
  ASSERT_EQ(about.width, 523);
  ASSERT_EQ(about.height, 298);
  Pixels p = Frame(about);
  Add(p, Logo());
  Add(p, AboutPage(about));
  EXPECT_TRUE(testsupport::HasNamedPixels(about, p));
  testsupport::ExpectMatchesGolden(about, "about_page_about");

  Pixels q = Frame(update);
  Add(q, Logo());
  Add(q, UpdatePage(update));
  EXPECT_TRUE(testsupport::HasNamedPixels(update, q));
  testsupport::ExpectMatchesGolden(update, "about_page_update");
}

// At 200 % the dialog is the design doubled (1046 x 596): panels, page control and OK at
// twice their places, the looks' lines as at 100 %, the 1x logo centred, not stretched.
class AboutDialogAt200 : public AboutDialog {
 protected:
  int ScreenPixelsPerInch() const override { return 192; }
};

TEST_F(AboutDialogAt200, GoldenPageAbout) {
  StartWith(ProductFile("Brimlow"));
  testsupport::Image about;
  OpenAbout({[&](TFormAbout& a) { about = Compose({a.Handle()}); }});
  ASSERT_EQ(about.width, 1046);
  ASSERT_EQ(about.height, 596);
  EXPECT_TRUE(testsupport::HasNamedPixels(
      about, {{10, 10, kFace, "dialog background"},
              {24, 24, kShadow, "picture panel at (24, 24): lowered outer bevel"},
              {373, 507, kHigh, "picture panel: 350 x 484, outer bevel's bottom-right"},
              {400, 200, kHigh, "page control at (400, 16): bright left edge"},
              {1009, 200, kDark, "page control: 610 wide, dark right edge"},
              {600, 505, kDark, "page control: 490 high, dark bottom edge"},
              {876, 530, kBlack, "OK at (876, 530): the default button's black frame"},
              {1025, 579, kBlack, "OK: 150 x 50, black frame's bottom-right"}}));
  testsupport::ExpectMatchesGolden(about, "about_page_about_200");
}

TEST_F(AboutDialog, GoldenWithoutLogoAfterTheErrorBox) {
  // A broken logo rather than a missing one: the box's text then names no temporary folder.
  folder.Write("leftlogo.png", "This is not a picture.\n");
  StartWith(ProductFile("Brimlow"));
  Application->OnMessageDlg = nullptr;  // the real error box
  testsupport::Image box, dialog;
  std::string boxCaption;
  // The box comes up while the dialog is being made, before it is shown (over the main
  // window, which is left out of the picture); the dialog shows once the box is dismissed.
  auto next = std::make_shared<int>(0);
  headless::SetIdleHandler([&, next]() {
    TCustomForm* top = Screen->ActiveForm();
    switch ((*next)++) {
      case 0:
        boxCaption = top->Caption();
        box = Compose({top->Handle()});
        headless::KeyPress(VK_RETURN);
        return true;
      case 1:
        EXPECT_NE(dynamic_cast<TFormAbout*>(top), nullptr);
        dialog = Compose({top->Handle()});
        PostMessageA(top->Handle(), WM_CLOSE, 0, 0);
        return true;
      default: return false;
    }
  });
  form->ButtonHelpClick(form->ButtonHelp);
  Pump();
  headless::KeyPress('B', 'b');
  Pump();
  headless::SetIdleHandler(nullptr);
  EXPECT_EQ(*next, 2);
  EXPECT_EQ(boxCaption, "Brimlow");
  testsupport::ExpectMatchesGolden(box, "about_error_box");
  Pixels p = Frame(dialog);
  Add(p, NoLogo());
  Add(p, AboutPage(dialog));
  EXPECT_TRUE(testsupport::HasNamedPixels(dialog, p));
  testsupport::ExpectMatchesGolden(dialog, "about_without_logo");
}

}  // namespace
}  // namespace launchertest
