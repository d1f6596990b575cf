// The main window for the title "Brimlow", rendered headless and compared pixel for pixel:
// at start, after choosing Music, after choosing Tools with the pointer on ISO Burner, with
// the help menu open, and its two image buttons hot and pressed. Each picture also holds
// named pixels from the window's design numbers and the artwork files.
#include <algorithm>
#include <tuple>

#include "launcher/catalogue.h"
#include "launcher_fixture.h"
#include "platform/theme/theme.h"
#include "support/golden.h"

namespace launchertest {
namespace {

class Golden : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    if (Themed()) SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS);
    // The pointer rests off the window, so hovering selects nothing before the pictures.
    headless::MovePointer(1000, 5);
    Start(ProductFile("Brimlow"));
    ShowAndPump();
  }

  virtual bool Themed() const { return false; }

  // Checks the window picture `img` against the golden `name` and the named pixels of a
  // state: the frame of the look, category `category` chosen (focused or not) with its task
  // `task` chosen, the glyphs (themed) or the unfocused Help button's edge (classic, when
  // `helpAtRest`), and `more`.
  void ExpectWindow(const testsupport::Image& img, int category, bool focused, int task, bool helpAtRest,
                    const std::vector<testsupport::NamedPixel>& more, const char* name) const;

  // The two image buttons, each first with the pointer on it and then pressed (the mouse
  // button held, released off the button afterwards, so nothing is clicked), side by side:
  // Help hot, Help pressed, OK hot, OK pressed. Adds the glyphs' and the caption's named
  // pixels, the glyph at (7, 5), pressed at (8, 6) in the classic look and at (8, 5) with
  // visual styles; the caption moves with it in the classic look only.
  testsupport::Image ButtonStrip(std::vector<testsupport::NamedPixel>& p);
};

// ---------------------------------------------------------------------------------------
// Named pixels: the window's design numbers checked beside each golden (client coordinates;
// lists at (8, 8) and (184, 8) with 2-pixel sunken edges, items from (10, 10)).

using testsupport::NamedPixel;
using testsupport::UiFont;
using Pixels = std::vector<NamedPixel>;

constexpr COLORREF kFace = RGB(240, 240, 240), kShadow = RGB(160, 160, 160), kDark = RGB(105, 105, 105),
                   kLight = RGB(227, 227, 227), kHigh = RGB(255, 255, 255), kWhite = RGB(255, 255, 255),
                   kGrey = RGB(128, 128, 128), kBlack = 0, kDotOnGrey = RGB(127, 127, 127),
                   kWindowFrame = RGB(100, 100, 100), kRing = RGB(0, 103, 192);

void Add(Pixels& to, const Pixels& more) { to.insert(to.end(), more.begin(), more.end()); }

// The OK button's caption in its caption rectangle (43, 5, 76, 37): centred, text top 14,
// O underlined; the button's top-left corner at (left, top).
Pixels OkCaption(const testsupport::Image& img, COLORREF face, int left, int top) {
  const int width = testsupport::UiTextWidth(UiFont::kRegular, "&OK");
  return testsupport::TextInk(img, face, kBlack, UiFont::kRegular, left + 43 + (33 - width) / 2, top + 14, "&OK",
                              "OK caption centred right of the glyph, O underlined");
}

// What every state of the main window shows: background, list edges, the etched line and the OK button.
Pixels Frame(const testsupport::Image& img) {
  Pixels p = {
      {4, 4, kFace, "window background: button face"},
      {8, 8, kShadow, "category list at (8, 8): outer sunken edge"},
      {9, 9, kDark, "category list: inner sunken edge"},
      {176, 408, kHigh, "category list: 169 x 401, outer edge's bottom-right"},
      {175, 407, kLight, "category list: inner edge's bottom-right"},
      {177, 200, kFace, "right of the category list"},
      {100, 409, kFace, "below the category list"},
      {20, 400, kWhite, "category list background below the four 80-pixel items"},
      {183, 200, kFace, "left of the task list at 184"},
      {184, 8, kShadow, "task list at (184, 8): outer sunken edge"},
      {185, 9, kDark, "task list: inner sunken edge"},
      {649, 408, kHigh, "task list: 466 x 401, outer edge's bottom-right"},
      {648, 407, kLight, "task list: inner edge's bottom-right"},
      {650, 200, kFace, "right of the task list"},
      {7, 424, kFace, "left of the etched line"},
      {8, 424, kShadow, "etched line at (8, 424): shadow row"},
      {648, 424, kShadow, "etched line: 641 wide"},
      {649, 424, kFace, "right of the etched line"},
      {300, 423, kFace, "above the etched line"},
      {300, 425, kHigh, "etched line: highlight row"},
      {300, 426, kFace, "the bevel draws only its top line"},
      {568, 432, kHigh, "OK button at (568, 432): raised edge, bright outside"},
      {569, 433, kLight, "OK button: inner raised edge"},
      {648, 473, kDark, "OK button: 81 x 42, dark outer bottom-right"},
      {647, 472, kShadow, "OK button: shadow inside it"},
      {567, 450, kFace, "left of the OK button"},
      {649, 450, kFace, "right of the OK button"},
      {54, 450, kFace, "right of the Help button"},
  };
  Add(p, OkCaption(img, kFace, 568, 432));
  Add(p, ArtPixels("glyph-help", 8 + 7, 432 + 5, 0xF0F0F0, "Help glyph at (7, 5) of the button"));
  Add(p, ArtPixels("glyph-ok", 568 + 7, 432 + 5, 0xF0F0F0, "OK glyph at (7, 5) of the button"));
  return p;
}

Pixels HelpButtonUnfocused() {
  return {{8, 432, kHigh, "Help button at (8, 432): raised edge, bright outside"},
          {53, 473, kDark, "Help button: 46 x 42, dark outer bottom-right"},
          {52, 472, kShadow, "Help button: shadow inside the dark edge"}};
}

// The category list with `selected` chosen: items 80 high, names centred on the outer
// width 169 at top + 58, the focus around the item: the outline with every other pixel
// inverted (classic), or two pixels of the focused list border's colour and one white.
Pixels Categories(const testsupport::Image& img, int selected, bool focused, bool themed) {
  const int top = 10 + 80 * selected;
  const bool ring = focused && themed;
  const COLORREF edge = ring ? kRing : focused ? kDotOnGrey : kGrey;
  const std::string focus = ring ? "focus ring" : focused ? "focus outline" : "no focus";
  Pixels p = {
      {21, top, ring ? kRing : kGrey, "selected category: first row, " + focus},
      {22, top + 79, ring ? kRing : kGrey, "selected category: last row (items 80 high), " + focus},
      {21, top + 80, kWhite, "the category below the selected one"},
      {10, top, edge, focus + ": corner"},
      {174, top + 78, edge, focus + ": right column (client 165 wide)"},
      {12, top + 2, ring ? kWhite : kGrey, focus + ": white inside the ring, seen on the grey"},
      {13, top + 3, kGrey, "the selection grey inside the focus"},
  };
  if (selected > 0) p.push_back({21, top - 1, kWhite, "the category above the selected one"});
  for (int i = 0; i < kCategoryCount; ++i) {
    const bool sel = i == selected;
    const int x = 10 + (169 - testsupport::UiTextWidth(UiFont::kRegular, kCategoryNames[i])) / 2;
    Add(p, testsupport::TextInk(img, sel ? kGrey : kWhite, sel ? kWhite : kBlack, UiFont::kRegular, x, 10 + 80 * i + 58,
                                kCategoryNames[i], "centred on the outer width at item top + 58"));
    // Half of (169 - 48) across, half of (80 - 48) less 10 down.
    Add(p, ArtPixels(CategoryArt(i), 10 + 60, 10 + 80 * i + 6, sel ? 0x808080 : 0xFFFFFF,
                     "category icon " + std::to_string(i) + " at (60, 6) of its item"));
  }
  return p;
}

// The task list of `category` with `selected` chosen and no focus: items 75 high, four
// lines at (left + 100, top + 5 / 25 / 40 / 55), the first bold.
Pixels Tasks(const testsupport::Image& img, int category, int selected) {
  const int top = 10 + 75 * selected;
  Pixels p = {
      {300, top, kGrey, "selected task: first row"},
      {300, top + 74, kGrey, "selected task: last row (items 75 high)"},
      {300, top + 75, kWhite, "the task below the selected one"},
      {186, top, kGrey, "no focus outline in the task list"},
  };
  if (selected > 0) p.push_back({300, top - 1, kWhite, "the task above the selected one"});
  static constexpr int kLineTop[] = {5, 25, 40, 55};
  for (int t = 0; t < TaskCount(category); ++t) {
    std::string rest = TaskText(category, t, "Brimlow");
    for (int line = 0; line < 4; ++line) {
      const std::size_t cr = line < 3 ? rest.find('\r') : std::string::npos;
      const std::string text = rest.substr(0, cr);
      rest = cr == std::string::npos ? "" : rest.substr(cr + 1);
      Add(p, testsupport::TextInk(img, t == selected ? kGrey : kWhite, t == selected ? kWhite : kBlack,
                                  line == 0 ? UiFont::kBold : UiFont::kRegular, 186 + 100, 10 + 75 * t + kLineTop[line], text,
                                  "task " + std::to_string(t) + " line " + std::to_string(line + 1)));
    }
    static constexpr int kFirstPicture[] = {0, 4, 6, 9};
    const int picture = kFirstPicture[category] + t;
    Add(p, ArtPixels(TaskArt(picture), 186 + 25, 10 + 75 * t + 15, t == selected ? 0x808080 : 0xFFFFFF,
                     "task picture " + std::to_string(picture) + " at (25, 15) of its item"));
  }
  return p;
}

testsupport::Image Golden::ButtonStrip(std::vector<testsupport::NamedPixel>& p) {
  const bool themed = Themed();
  testsupport::Image strip(2 * 46 + 2 * 81, 42);
  int x0 = 0;
  for (TImageButton* b : {form->ButtonHelp, form->ButtonOK}) {
    const bool ok = b == form->ButtonOK;
    for (const bool pressed : {false, true}) {
      headless::MovePointerTo(b->Handle(), 20, 20);
      Pump();
      if (pressed) {
        headless::PressButton(1);
        Pump();
      }
      const testsupport::Image img = Compose({form->Handle()});
      for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x) strip.At(x0 + x, y) = img.At(b->Left() + x, b->Top() + y);
      const int dx = pressed ? 1 : 0, dy = pressed && !themed ? 1 : 0;
      const std::string state = std::string(ok ? "OK" : "Help") + (pressed ? " pressed" : " hot");
      Add(p, ArtPixels(ok ? "glyph-ok" : "glyph-help", x0 + 7 + dx, 5 + dy,
                       themed ? std::nullopt : std::optional<std::uint32_t>(0xF0F0F0), state + ": glyph"));
      if (ok) Add(p, OkCaption(strip, kFace, x0 + dy, dy));
      if (pressed && !themed)
        Add(p, {{x0, 0, kBlack, state + ": black frame"}, {x0 + 1, 1, kShadow, state + ": shadow inside the frame"}});
      if (pressed) {
        headless::MovePointer(1000, 5);
        Pump();
        headless::ReleaseButton(1);
        Pump();
      }
      x0 += b->Width();
    }
  }
  return strip;
}

TEST_F(Golden, AtStart) {
  const testsupport::Image img = Compose({form->Handle()});
  ASSERT_EQ(img.width, 658);
  ASSERT_EQ(img.height, 478);
  ExpectWindow(img, 0, true, 0, true, {}, "launcher_start");
}

TEST_F(Golden, ToolsWithThePointerOnIsoBurner) {
  ClickCategory(3);
  HoverTask(3);
  ASSERT_EQ(form->ListBoxData->ItemIndex(), 3);
  ExpectWindow(Compose({form->Handle()}), 3, true, 3, true, {}, "launcher_tools_iso_burner");
}

TEST_F(Golden, AfterMusic) {
  ClickCategory(1);
  ExpectWindow(Compose({form->Handle()}), 1, true, 0, true, {}, "launcher_music");
}

TEST_F(Golden, ImageButtonsHotAndPressed) {
  Pixels p;
  const testsupport::Image strip = ButtonStrip(p);
  EXPECT_TRUE(testsupport::HasNamedPixels(strip, p));
  testsupport::ExpectMatchesGolden(strip, "launcher_buttons");
  EXPECT_TRUE(ShellCalls().size() == 1 && !QuitRequested()) << "nothing but the companion was started, nothing closed";
}

TEST_F(Golden, HelpMenuOpen) {
  headless::ClickAt(form->ButtonHelp->Handle(), 20, 20);
  Pump();
  ASSERT_TRUE(form->PopupMenu->IsOpen());
  // The pointer on the About item, so the menu shows its highlight.
  const RECT item = form->PopupMenu->ItemRect(1);
  headless::MovePointerTo(form->PopupMenu->WindowHandle(), item.left + 20, item.top + 5);
  Pump();
  const testsupport::Image img = Compose({form->Handle(), form->PopupMenu->WindowHandle()});
  ASSERT_EQ(img.height, 474 + 3 + 17 + 17 + 3) << "the menu hangs from the Help button's bottom-left corner";
  // Menu at (8, 474): raised edge and one pixel of menu colour, two 17-pixel items with
  // their text 17 pixels in and centred, the second highlighted.
  const COLORREF kMenu = kFace, kBlue = RGB(51, 153, 255);
  const int right = 8 + 6 + testsupport::UiTextWidth(UiFont::kRegular, "Brimlow On the Web...") + 17 + 21;
  Pixels p = {
      {8, 432, kWindowFrame, "the clicked Help button has the focus: a frame in the window-frame colour"},
      {9, 433, kHigh, "Help button: raised edge inside the frame"},
      {12, 437, kBlack, "Help button: dotted focus frame 4 pixels in, left column from its second row"},
      {13, 436, kBlack, "Help button: dotted focus frame, top row from its second column"},
      {12, 436, kFace, "Help button: the dotted frame leaves its corner alone"},
      {8, 473, kWindowFrame, "Help button: the focus frame's bottom row"},
      {52, 472, kDark, "Help button: dark edge inside the frame"},
      {8, 474, kHigh, "menu at the Help button's bottom-left (8, 474): bright outer edge"},
      {9, 475, kLight, "menu: inner raised edge"},
      {10, 476, kMenu, "menu: one pixel of menu colour"},
      {11, 477, kMenu, "menu: first item's top-left"},
      {11, 493, kMenu, "menu: first item's last row"},
      {11, 494, kBlue, "menu: second item highlighted from row 494"},
      {right - 4, 510, kBlue, "menu: highlight to 3 pixels inside the right edge"},
      {right - 3, 510, kMenu, "menu: frame's menu-colour column"},
      {right - 1, 500, kDark, "menu: dark outer right edge"},
      {11, 511, kMenu, "menu: frame below the last item"},
      {30, 513, kDark, "menu: dark outer bottom edge"},
  };
  Add(p, testsupport::TextInk(img, kMenu, kBlack, UiFont::kRegular, 11 + 17, 477 + 2, "Brimlow On the Web...", "first item"));
  Add(p, testsupport::TextInk(img, kBlue, kWhite, UiFont::kRegular, 11 + 17, 494 + 2, "A&bout Brimlow...", "highlighted item"));
  ExpectWindow(img, 0, false, 0, false, p, "launcher_help_menu");
}

// ---------------------------------------------------------------------------------------
// The same window with visual styles on: flat one-pixel list borders, themed push buttons
// and menu highlight, everything at the classic look's places.

class GoldenThemed : public Golden {
 protected:
  bool Themed() const override { return true; }
};

constexpr COLORREF kListBorder = RGB(130, 135, 144), kButtonBorder = RGB(173, 173, 173),
                   kButtonFaceTop = RGB(253, 253, 253), kMenuHotBorder = RGB(153, 209, 255),
                   kMenuHot = RGB(204, 232, 255);

Pixels ThemedFrame() {
  return {
      {8, 8, kListBorder, "category list at (8, 8): one-pixel border"},
      {9, 9, kWhite, "category list: the border's second pixel is the list's background"},
      {176, 408, kListBorder, "category list: 169 x 401, border's bottom-right"},
      {177, 200, kFace, "right of the category list"},
      {184, 8, kListBorder, "task list at (184, 8): one-pixel border"},
      {649, 408, kListBorder, "task list: 466 x 401, border's bottom-right"},
      {8, 424, kShadow, "the bevel stays etched: shadow row"},
      {300, 425, kHigh, "etched line: highlight row"},
      {568, 432, kFace, "OK button's rounded corner shows the window"},
      {600, 432, kButtonBorder, "OK button at (568, 432): themed border"},
      {600, 433, kButtonFaceTop, "OK button: face's top row"},
      {648, 450, kButtonBorder, "OK button: 81 wide, right border"},
      {649, 450, kFace, "right of the OK button"},
  };
}

// The glyphs' opaque pixels: the themed face is a gradient.
Pixels ThemedGlyphs() {
  Pixels p = ArtPixels("glyph-help", 8 + 7, 432 + 5, std::nullopt, "Help glyph at (7, 5) of the button");
  Add(p, ArtPixels("glyph-ok", 568 + 7, 432 + 5, std::nullopt, "OK glyph at (7, 5) of the button"));
  return p;
}

void Golden::ExpectWindow(const testsupport::Image& img, int category, bool focused, int task, bool helpAtRest,
                          const Pixels& more, const char* name) const {
  Pixels p = Themed() ? ThemedFrame() : Frame(img);
  Add(p, Categories(img, category, focused, Themed()));
  Add(p, Tasks(img, category, task));
  if (Themed()) Add(p, ThemedGlyphs());
  else if (helpAtRest) Add(p, HelpButtonUnfocused());
  Add(p, more);
  EXPECT_TRUE(testsupport::HasNamedPixels(img, p));
  testsupport::ExpectMatchesGolden(img, name);
}

TEST_F(GoldenThemed, AtStart) {
  const testsupport::Image img = Compose({form->Handle()});
  ASSERT_EQ(img.width, 658);
  ASSERT_EQ(img.height, 478);
  ExpectWindow(img, 0, true, 0, true,
               {{30, 432, kButtonBorder, "Help button at (8, 432): themed border, not focused"},
                {53, 450, kButtonBorder, "Help button: 46 wide, right border"}},
               "launcher_start_themed");
}

TEST_F(GoldenThemed, AfterMusic) {
  ClickCategory(1);
  ExpectWindow(Compose({form->Handle()}), 1, true, 0, true, {}, "launcher_music_themed");
}

TEST_F(GoldenThemed, ToolsWithThePointerOnIsoBurner) {
  ClickCategory(3);
  HoverTask(3);
  ASSERT_EQ(form->ListBoxData->ItemIndex(), 3);
  ExpectWindow(Compose({form->Handle()}), 3, true, 3, true, {}, "launcher_tools_iso_burner_themed");
}

TEST_F(GoldenThemed, ImageButtonsHotAndPressed) {
  Pixels p;
  const testsupport::Image strip = ButtonStrip(p);
  EXPECT_TRUE(testsupport::HasNamedPixels(strip, p));
  testsupport::ExpectMatchesGolden(strip, "launcher_buttons_themed");
}

TEST_F(GoldenThemed, HelpMenuOpen) {
  headless::ClickAt(form->ButtonHelp->Handle(), 20, 20);
  Pump();
  ASSERT_TRUE(form->PopupMenu->IsOpen());
  const RECT item = form->PopupMenu->ItemRect(1);
  headless::MovePointerTo(form->PopupMenu->WindowHandle(), item.left + 20, item.top + 5);
  Pump();
  const testsupport::Image img = Compose({form->Handle(), form->PopupMenu->WindowHandle()});
  ASSERT_EQ(img.height, 474 + 3 + 17 + 17 + 3) << "the menu hangs from the Help button's bottom-left corner";
  Pixels p = {
      {30, 432, RGB(0, 103, 192), "the clicked Help button has the focus: default ring's border"},
      {30, 433, RGB(153, 200, 242), "Help button: the ring inside it"},
      {11, 436, kBlack, "Help button: dotted focus frame 3 pixels in, left column from its second row"},
      {12, 435, kBlack, "Help button: dotted focus frame, top row from its second column"},
      {8, 474, kHigh, "menu at (8, 474): the frame stays classic"},
      {11, 493, kFace, "menu: first item's last row"},
      {20, 494, kMenuHotBorder, "menu: second item's highlight border from row 494"},
      {20, 495, kMenuHot, "menu: highlight inside"},
  };
  Add(p, testsupport::TextInk(img, kFace, kBlack, UiFont::kRegular, 11 + 17, 477 + 2, "Brimlow On the Web...", "first item"));
  Add(p, testsupport::TextInk(img, kMenuHot, kBlack, UiFont::kRegular, 11 + 17, 494 + 2, "A&bout Brimlow...",
                              "highlighted item keeps the menu's text colour"));
  ExpectWindow(img, 0, false, 0, false, p, "launcher_help_menu_themed");
}


// ---------------------------------------------------------------------------------------
// The window at 150 % and 200 % in both looks: places and sizes are the design's numbers
// times the scale, rounded as MulDiv rounds; the looks' own lines are as at 100 %.

class GoldenScaled : public Golden, public ::testing::WithParamInterface<std::tuple<int, bool>> {
 protected:
  int ScreenPixelsPerInch() const override { return std::get<0>(GetParam()); }
  bool Themed() const override { return std::get<1>(GetParam()); }
  int S(int v) const { return MulDiv(v, ScreenPixelsPerInch(), 96); }
};

TEST_P(GoldenScaled, AtStart) {
  const testsupport::Image img = Compose({form->Handle()});
  ASSERT_EQ(img.width, S(658));
  ASSERT_EQ(img.height, S(478));
  const bool themed = Themed();
  const COLORREF edge = themed ? kListBorder : kShadow, corner = themed ? kListBorder : kHigh;
  const int items = S(8) + 2;  // both lists' items start 2 pixels inside the list
  Pixels p = {
      {S(4), S(4), kFace, "window background"},
      {S(8), S(8), edge, "category list at (8, 8) scaled"},
      {S(177) - 1, S(409) - 1, corner, "category list: 169 x 401 scaled, bottom-right"},
      {S(177), S(200), kFace, "right of the category list"},
      {items + 5, items + S(80) - 4, kGrey, "first category chosen: 80 scaled high"},
      {items + 5, items + S(80) + 4, kWhite, "the second category below it"},
      {S(184), S(8), edge, "task list at (184, 8) scaled"},
      {S(650) - 1, S(409) - 1, corner, "task list: 466 x 401 scaled, bottom-right"},
      {S(184) + 7, items + S(75) - 4, kGrey, "first task chosen: 75 scaled high"},
      {S(184) + 7, items + S(75) + 4, kWhite, "the second task below it"},
      {S(300), S(424), kShadow, "etched line at 424 scaled: shadow row"},
      {S(300), S(424) + 1, kHigh, "etched line: highlight row"},
      {S(650), S(450), kFace, "right of the OK button"},
  };
  if (themed) {
    Add(p, {{S(600), S(432), kButtonBorder, "OK button at (568, 432) scaled: themed border"},
            {S(649) - 1, S(450), kButtonBorder, "OK button: 81 wide scaled, right border"}});
  } else {
    Add(p, {{S(568), S(432), kHigh, "OK button at (568, 432) scaled: bright outer edge"},
            {S(649) - 1, S(474) - 1, kDark, "OK button: 81 x 42 scaled, dark outer bottom-right"}});
  }
  EXPECT_TRUE(testsupport::HasNamedPixels(img, p));
  testsupport::ExpectMatchesGolden(img, std::string("launcher_start_") + (S(100) == 150 ? "150" : "200") +
                                            (themed ? "_themed" : ""));
}

INSTANTIATE_TEST_SUITE_P(Densities, GoldenScaled,
                         ::testing::Combine(::testing::Values(144, 192), ::testing::Bool()),
                         [](const auto& info) {
                           return std::to_string(std::get<0>(info.param)) + (std::get<1>(info.param) ? "Themed" : "Classic");
                         });

}  // namespace
}  // namespace launchertest
