// A sample form with every standard control, rendered headless and compared pixel for
// pixel: owner-drawn list, labels, panels, bevel line, group box, page control, a focused
// button, and the same form with its pop-up menu open; named pixels from the controls'
// bounds and the classic look's numbers beside each golden.
#include "support/headless_form.h"
#include "ui/stdctrls/extctrls.h"
#include "ui/stdctrls/menus.h"
#include "support/golden.h"

namespace {

class SampleFormGolden : public HeadlessForm {
 protected:
  void SetUp() override {
    HeadlessForm::SetUp();
    if (Themed()) SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS);
    form->SetClientWidth(420);
    form->SetClientHeight(260);

    auto* list = Add<TListBox>(8, 8, 130, 124);
    list->SetStyle(lbOwnerDrawFixed);
    list->SetItemHeight(30);
    for (const char* s : {"Data", "Music", "Video", "Tools", "Hidden row"}) list->Items()->Add(s);
    list->OnDrawItem = [list](TWinControl*, int index, const RECT& rect, TOwnerDrawState state) {
      TCanvas* c = list->Canvas();
      c->Brush()->SetColor(clWhite);
      c->Font()->SetColor(clBlack);
      c->FillRect(rect);
      if (state.Contains(odSelected)) {
        c->Brush()->SetColor(TColor(0x808080));
        c->FillRect(rect);
        c->Font()->SetColor(clWhite);
      }
      const std::string text = list->Items()->Strings(index);
      c->TextOut(rect.left + (list->Width() - c->TextWidth(text)) / 2, rect.top + 9, text);
      if (state.Contains(odFocused)) c->DrawFocusRect(rect);
    };
    list->SetItemIndex(1);

    auto* wrapped = new TLabel(form);
    wrapped->SetParent(form);
    wrapped->SetAutoSize(false);
    wrapped->SetWordWrap(true);
    wrapped->SetBounds(150, 8, 120, 40);
    wrapped->SetCaption("A longer label that wraps onto a second line.");
    Add<TLabel>(150, 52, 0, 0, "&Name:");
    auto* link = Add<TLabel>(150, 70, 0, 0, "www.example.invalid");
    link->Font()->SetColor(clBlue);
    link->Font()->SetStyle(TFontStyles{fsUnderline});

    Add<TPanel>(280, 8, 130, 40, "Raised");
    auto* white = Add<TPanel>(280, 54, 60, 40, "");
    white->SetColor(clWhite);
    white->SetBevelInner(bvRaised);
    white->SetBevelOuter(bvLowered);

    auto* bevel = Add<TBevel>(8, 140, 404, 9);
    bevel->SetShape(bsTopLine);

    auto* group = Add<TGroupBox>(8, 150, 130, 60, "Group");
    auto* inGroup = new TLabel(group);
    inGroup->SetParent(group);
    inGroup->SetBounds(12, 20, 0, 0);
    inGroup->SetCaption("Version 2.0");

    auto* pages = Add<TPageControl>(150, 96, 260, 120);
    auto* about = new TTabSheet(form);
    about->SetPageControl(pages);
    about->SetCaption("About");
    auto* update = new TTabSheet(form);
    update->SetPageControl(pages);
    update->SetCaption("Update");
    auto* onPage = new TLabel(form);
    onPage->SetParent(about);
    onPage->SetBounds(8, 8, 0, 0);
    onPage->SetCaption("On the first page");

    button = Add<TButton>(8, 224, 75, 25, "&Help");
    ok = Add<TButton>(335, 224, 75, 25, "&OK");
    ok->SetDefault(true);

    menu = new TPopupMenu(form);
    for (const char* c : {"Brimlow On the Web...", "-", "A&bout Brimlow..."}) {
      auto* item = new TMenuItem(form);
      item->SetCaption(c);
      menu->Items()->Add(item);
    }
    ShowForm();
    button->SetFocus();
    Pump();
  }

  virtual bool Themed() const { return false; }

  TButton* button = nullptr;
  TButton* ok = nullptr;
  TPopupMenu* menu = nullptr;
};

// ---------------------------------------------------------------------------------------
// Named pixels: the sample's bounds and the classic look's numbers, checked beside the goldens.

using testsupport::NamedPixel;
using testsupport::TextInk;
using testsupport::UiFont;
using testsupport::UiTextWidth;
using Pixels = std::vector<NamedPixel>;

constexpr COLORREF kFace = RGB(240, 240, 240), kShadow = RGB(160, 160, 160), kDark = RGB(105, 105, 105),
                   kLight = RGB(227, 227, 227), kHigh = RGB(255, 255, 255), kWhite = RGB(255, 255, 255),
                   kGrey = RGB(128, 128, 128), kBlack = 0, kBlue = RGB(51, 153, 255);

using testsupport::Append;

Pixels SampleForm(const testsupport::Image& img) {
  const int aboutW = UiTextWidth(UiFont::kRegular, "About") + 12, updateW = UiTextWidth(UiFont::kRegular, "Update") + 12;
  const int updateLeft = 152 + aboutW, updateRight = updateLeft + updateW;
  Pixels p = {
      // List (8, 8, 130 x 124): sunken edge, 30-pixel items from (10, 10), Music selected, no focus.
      {8, 8, kShadow, "list: outer sunken edge"},
      {9, 9, kDark, "list: inner sunken edge"},
      {137, 131, kHigh, "list: outer edge's bottom-right"},
      {136, 130, kLight, "list: inner edge's bottom-right"},
      {138, 60, kFace, "right of the list"},
      {20, 39, kWhite, "Data item's last row"},
      {20, 40, kGrey, "Music selected: first row (items 30 high)"},
      {20, 69, kGrey, "Music selected: last row"},
      {20, 70, kWhite, "Video item's first row"},
      {10, 40, kGrey, "no focus outline: the button has the focus"},
      // Raised panel (280, 8, 130 x 40) and the white panel (280, 54, 60 x 40), lowered outside, raised inside.
      {280, 8, kHigh, "raised panel: bright top-left"},
      {409, 8, kShadow, "raised panel: the top-right corner is the shadow's"},
      {280, 47, kShadow, "raised panel: the bottom-left corner is the shadow's"},
      {409, 47, kShadow, "raised panel: shadow bottom-right"},
      {281, 9, kFace, "raised panel: face inside the one-pixel bevel"},
      {410, 20, kFace, "right of the raised panel"},
      {280, 54, kShadow, "white panel: lowered outer bevel"},
      {339, 93, kHigh, "white panel: lowered outer bevel's bottom-right"},
      {338, 92, kShadow, "white panel: raised inner bevel's bottom-right"},
      {300, 70, kWhite, "white panel: face"},
      // Bevel (8, 140, 404 x 9), top line only.
      {8, 140, kShadow, "bevel line: shadow row"},
      {411, 140, kShadow, "bevel line: 404 wide"},
      {412, 140, kFace, "right of the bevel line"},
      {8, 141, kHigh, "bevel line: highlight row"},
      {200, 142, kFace, "below the bevel line"},
      // Group box (8, 150, 130 x 60): etched frame from the caption's middle row 156.
      {8, 180, kShadow, "group: etched frame's left shadow"},
      {9, 180, kHigh, "group: highlight inside it"},
      {10, 180, kFace, "group: inside"},
      {136, 180, kShadow, "group: right shadow"},
      {137, 180, kHigh, "group: right highlight"},
      {60, 208, kShadow, "group: bottom shadow"},
      {60, 209, kHigh, "group: bottom highlight"},
      {100, 156, kShadow, "group: top shadow through the caption's middle"},
      {100, 157, kHigh, "group: top highlight"},
      {15, 156, kShadow, "group: top line up to the caption's gap"},
      {16, 156, kFace, "group: caption gap from x = 8"},
      // Page control (150, 96, 260 x 120): 20-pixel tab row, raised page frame, About selected.
      {150, 160, kHigh, "page: bright left edge"},
      {151, 160, kLight, "page: inner left edge"},
      {409, 160, kDark, "page: dark right edge"},
      {408, 160, kShadow, "page: shadow inside it"},
      {300, 215, kDark, "page: dark bottom edge"},
      {300, 116, kHigh, "page: top edge at the tab row's bottom"},
      {300, 117, kLight, "page: inner top edge"},
      {150, 100, kHigh, "selected tab: two pixels wider, from x = 150"},
      {160, 96, kHigh, "selected tab: two pixels taller, from y = 96"},
      {152 + aboutW, 100, kShadow, "selected tab: shadowed right side"},
      {153 + aboutW, 100, kDark, "selected tab: dark right side"},
      {updateLeft + 8, 98, kHigh, "Update tab: top line at 98"},
      {updateLeft + 8, 97, kFace, "above the Update tab"},
      {updateRight - 1, 105, kDark, "Update tab: dark right side"},
      {updateRight, 105, kFace, "right of the Update tab"},
      // Buttons (8, 224) focused and (335, 224) default, 75 x 25.
      {8, 224, kBlack, "focused button: black frame"},
      {82, 248, kBlack, "focused button: black frame's bottom-right"},
      {9, 225, kHigh, "focused button: raised edge inside the frame"},
      {81, 247, kDark, "focused button: dark edge inside the frame"},
      {12, 228, RGB(15, 15, 15), "focused button: focus outline 4 pixels in"},
      {13, 228, kFace, "focused button: focus outline dotted"},
      {335, 224, kHigh, "default button: no black frame while another button has the focus"},
      {409, 248, kDark, "default button: dark bottom-right"},
  };
  const char* const names[] = {"Data", "Music", "Video", "Tools"};
  for (int i = 0; i < 4; ++i)
    Append(p, TextInk(img, i == 1 ? kGrey : kWhite, i == 1 ? kWhite : kBlack, UiFont::kRegular,
                   10 + (130 - UiTextWidth(UiFont::kRegular, names[i])) / 2, 10 + 30 * i + 9, names[i], "list item"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 150, 8, "A longer label that wraps", "label line 1"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 150, 21, "onto a second line.", "label line 2, wrapped at 120"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 150, 52, "&Name:", "label with its N underlined"));
  Append(p, TextInk(img, kFace, RGB(0, 0, 255), UiFont::kUnderline, 150, 70, "www.example.invalid", "blue underlined label"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 281 + (128 - UiTextWidth(UiFont::kRegular, "Raised")) / 2, 9 + (38 - 13) / 2,
                 "Raised", "centred in the panel's bevel"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 17, 150, "Group", "group caption at x = 8 + 1"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 8 + 12, 150 + 20, "Version 2.0", "label inside the group at (12, 20)"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 150 + (aboutW + 4 - UiTextWidth(UiFont::kRegular, "About")) / 2, 96 + (20 - 13) / 2,
                 "About", "centred on the selected tab"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, updateLeft + 6, 98 + 2 + (16 - 13) / 2, "Update", "centred on its tab"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 150 + 4 + 8, 96 + 20 + 4 + 8, "On the first page",
                 "label at (8, 8) of the page, 2-pixel edge and margin"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 8 + (75 - UiTextWidth(UiFont::kRegular, "&Help")) / 2, 224 + (25 - 13) / 2, "&Help",
                 "centred on the button"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 335 + (75 - UiTextWidth(UiFont::kRegular, "&OK")) / 2, 224 + (25 - 13) / 2, "&OK",
                 "centred on the button"));
  return p;
}

TEST_F(SampleFormGolden, Form) {
  const headless::Frame f = headless::PresentedFrame(form->Handle());
  ASSERT_EQ(f.width, 420);
  ASSERT_EQ(f.height, 260);
  const testsupport::Image img = testsupport::FrameImage(f);
  EXPECT_TRUE(testsupport::HasNamedPixels(img, SampleForm(img)));
  testsupport::ExpectMatchesGolden(img, "stdctrls_sample_form");
}

TEST_F(SampleFormGolden, FormWithOpenPopupMenu) {
  // The menu drops from the Help button's bottom-left corner and extends below the form.
  const POINT at = button->ClientToScreen(POINT{0, button->Height()});
  menu->Popup(at.x, at.y);
  headless::MovePointerTo(menu->WindowHandle(), 20, menu->ItemRect(2).top + 3);
  Pump();
  RECT fr, mr;
  GetWindowRect(form->Handle(), &fr);
  GetWindowRect(menu->WindowHandle(), &mr);
  EXPECT_GT(mr.bottom, fr.bottom);
  // What the screen shows: the form, then the menu on top of it.
  const testsupport::Image img = testsupport::ScreenImage({form->Handle(), menu->WindowHandle()});
  // The menu at (8, 249): raised edge plus one pixel of menu colour, 17-pixel items and a
  // 9-pixel separator with an etched line, captions 17 pixels in, the last item highlighted.
  ASSERT_EQ(img.height, 249 + 3 + 17 + 9 + 17 + 3);
  const int right = 8 + 6 + UiTextWidth(UiFont::kRegular, "Brimlow On the Web...") + 17 + 21;
  Pixels p = SampleForm(img);
  Append(p, {
             {8, 249, kHigh, "menu: bright outer edge at the button's bottom-left"},
             {9, 250, kLight, "menu: inner raised edge"},
             {10, 251, kFace, "menu: one pixel of menu colour"},
             {11, 252, kFace, "menu: first item not highlighted"},
             {11, 272, kFace, "separator: the line starts one pixel in"},
             {12, 272, kShadow, "separator: shadow row at its middle"},
             {12, 273, kHigh, "separator: highlight row"},
             {right - 5, 272, kShadow, "separator: line to one pixel before the item's end"},
             {right - 4, 272, kFace, "separator: the line's right end"},
             {11, 278, kBlue, "last item: highlighted from row 278"},
             {11, 294, kBlue, "last item: 17 rows"},
             {11, 295, kFace, "menu: frame below the items"},
             {right - 1, 280, kDark, "menu: dark outer right edge"},
             {20, 297, kDark, "menu: dark outer bottom edge"},
             {20, 296, kShadow, "menu: shadow inside it"},
         });
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 11 + 17, 252 + 2, "Brimlow On the Web...", "first item"));
  Append(p, TextInk(img, kBlue, kWhite, UiFont::kRegular, 11 + 17, 278 + 2, "A&bout Brimlow...", "highlighted item"));
  EXPECT_TRUE(testsupport::HasNamedPixels(img, p));
  testsupport::ExpectMatchesGolden(img, "stdctrls_sample_popup");
}

// The sample with visual styles on: every part where the classic look puts it, drawn by
// the theme service.
class SampleFormThemed : public SampleFormGolden {
 protected:
  bool Themed() const override { return true; }
};

TEST_F(SampleFormThemed, Form) {
  const headless::Frame f = headless::PresentedFrame(form->Handle());
  ASSERT_EQ(f.width, 420);
  ASSERT_EQ(f.height, 260);
  const testsupport::Image img = testsupport::FrameImage(f);
  const int aboutW = UiTextWidth(UiFont::kRegular, "About") + 12;
  const int updateLeft = 152 + aboutW;
  constexpr COLORREF kListBorder = RGB(130, 135, 144), kGroupFrame = RGB(213, 213, 213), kPane = RGB(188, 188, 188);
  Pixels p = {
      {8, 8, kListBorder, "list: flat one-pixel border"},
      {9, 9, kWhite, "list: background in the border's second pixel"},
      {137, 131, kListBorder, "list: border's bottom-right"},
      {20, 40, kGrey, "list: Music item still from (10, 40)"},
      {8, 180, kGroupFrame, "group: one-pixel frame, left"},
      {9, 180, kFace, "group: inside"},
      {100, 156, kGroupFrame, "group: top through the caption's middle row 156"},
      {16, 156, kFace, "group: caption gap from x = 8"},
      {137, 180, kGroupFrame, "group: right"},
      {300, 116, kPane, "page: pane's top at the tab row's bottom"},
      {300, 117, kFace, "page: face inside the one-pixel pane"},
      {409, 160, kPane, "page: pane's right"},
      {160, 96, kPane, "selected tab: two pixels taller, from y = 96"},
      {160, 116, kFace, "selected tab: opens into the page"},
      {updateLeft + 8, 98, RGB(208, 208, 208), "Update tab: top line at 98"},
      {updateLeft + 8, 99, RGB(246, 246, 246), "Update tab: face's top row"},
      {30, 224, RGB(0, 103, 192), "focused button: default ring's border"},
      {370, 224, RGB(173, 173, 173), "default button while another has the focus: plain border"},
  };
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 17, 150, "Group", "group caption at x = 8 + 1"));
  Append(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 150 + 4 + 8, 96 + 20 + 4 + 8, "On the first page",
                 "label at (8, 8) of the page"));
  EXPECT_TRUE(testsupport::HasNamedPixels(img, p));
  testsupport::ExpectMatchesGolden(img, "stdctrls_sample_form_themed");
}

}  // namespace
