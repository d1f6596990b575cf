// A sample form with every standard control, rendered headless and compared pixel for
// pixel: owner-drawn list, labels, panels, bevel line, group box, page control, a focused
// button, and the same form with its pop-up menu open.
#include "stdctrls_fixture.h"
#include "support/golden.h"

namespace {

class SampleFormGolden : public HeadlessForm {
 protected:
  void SetUp() override {
    HeadlessForm::SetUp();
    form->SetClientWidth(420);
    form->SetClientHeight(260);

    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(8, 8, 130, 124);
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
    auto* accel = new TLabel(form);
    accel->SetParent(form);
    accel->SetBounds(150, 52, 0, 0);
    accel->SetCaption("&Name:");
    auto* link = new TLabel(form);
    link->SetParent(form);
    link->SetBounds(150, 70, 0, 0);
    link->SetCaption("www.example.invalid");
    link->Font()->SetColor(clBlue);
    link->Font()->SetStyle(TFontStyles{fsUnderline});

    auto* raised = new TPanel(form);
    raised->SetParent(form);
    raised->SetBounds(280, 8, 130, 40);
    raised->SetCaption("Raised");
    auto* white = new TPanel(form);
    white->SetParent(form);
    white->SetBounds(280, 54, 60, 40);
    white->SetCaption("");
    white->SetColor(clWhite);
    white->SetBevelInner(bvRaised);
    white->SetBevelOuter(bvLowered);

    auto* bevel = new TBevel(form);
    bevel->SetParent(form);
    bevel->SetBounds(8, 140, 404, 9);
    bevel->SetShape(bsTopLine);

    auto* group = new TGroupBox(form);
    group->SetParent(form);
    group->SetBounds(8, 150, 130, 60);
    group->SetCaption("Group");
    auto* inGroup = new TLabel(group);
    inGroup->SetParent(group);
    inGroup->SetBounds(12, 20, 0, 0);
    inGroup->SetCaption("Version 2.0");

    auto* pages = new TPageControl(form);
    pages->SetParent(form);
    pages->SetBounds(150, 96, 260, 120);
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

    button = new TButton(form);
    button->SetParent(form);
    button->SetBounds(8, 224, 75, 25);
    button->SetCaption("&Help");
    ok = new TButton(form);
    ok->SetParent(form);
    ok->SetBounds(335, 224, 75, 25);
    ok->SetCaption("&OK");
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

  TButton* button = nullptr;
  TButton* ok = nullptr;
  TPopupMenu* menu = nullptr;
};

testsupport::Image ToImage(const headless::Frame& f) {
  testsupport::Image img(f.width, f.height);
  for (std::size_t i = 0; i < f.pixels.size(); ++i) img.pixels[i] = f.pixels[i] & 0x00FFFFFFu;
  return img;
}

TEST_F(SampleFormGolden, Form) {
  const headless::Frame f = headless::PresentedFrame(form->Handle());
  ASSERT_EQ(f.width, 420);
  ASSERT_EQ(f.height, 260);
  testsupport::ExpectMatchesGolden(ToImage(f), "stdctrls_sample_form");
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
  // Compose what the screen shows: the form, then the menu on top of it.
  const RECT all{fr.left, fr.top, std::max(fr.right, mr.right), std::max(fr.bottom, mr.bottom)};
  testsupport::Image img(all.right - all.left, all.bottom - all.top, 0);
  for (HWND w : {form->Handle(), menu->WindowHandle()}) {
    RECT r;
    GetWindowRect(w, &r);
    const headless::Frame f = headless::PresentedFrame(w);
    for (int y = 0; y < f.height; ++y)
      for (int x = 0; x < f.width; ++x) img.At(r.left - all.left + x, r.top - all.top + y) = f.At(x, y) & 0xFFFFFFu;
  }
  testsupport::ExpectMatchesGolden(img, "stdctrls_sample_popup");
}

}  // namespace
