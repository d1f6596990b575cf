#include "demoform.h"

#include <cstdio>

namespace {

const char* const kTitle = "UI Demo";

// Each task: bold title, then three description lines, separated by carriage returns.
const char* const kTasks[4][5] = {
    {"Data CD\rBurn files and folders\rto a writable CD.\r ", "Data DVD\rBurn files and folders\rto a writable DVD.\r ",
     "Bootable Disc\rMake a disc that starts\ra computer.\r ", "Multisession\rAdd files to a disc\rthat already holds some.\r ",
     nullptr},
    {"Audio CD\rBurn songs that any\rCD player plays.\r ", "MP3 Disc\rPut hours of music\ron one disc.\r ",
     "Copy Audio CD\rMake a copy of\ra music CD.\r ", nullptr, nullptr},
    {"Video DVD\rBurn a film folder\rto a DVD.\r ", "Video CD\rBurn films for\rplayers of video CDs.\r ", nullptr, nullptr,
     nullptr},
    {"ISO Burner\rWrite a disc image\rto a disc.\r ", "Copy Disc\rCopy a disc\rto another disc.\r ",
     "Erase Disc\rClear a rewritable\rdisc.\r ", "Disc Info\rShow what a disc\rholds.\r ",
     "Cover Printer\rPrint covers and\rlabels.\r "}};

}  // namespace

TDemoForm::TDemoForm(TComponent* owner, const std::string& resourceName) : TForm(owner) {
  RegisterMethod("FormShow", TNotifyEvent([this](TObject* s) { FormShow(s); }));
  RegisterMethod("ListBoxMainClick", TNotifyEvent([this](TObject* s) { ListBoxMainClick(s); }));
  RegisterMethod("ListBoxDataClick", TNotifyEvent([this](TObject* s) { ListBoxDataClick(s); }));
  RegisterMethod("ListBoxMainDrawItem", TDrawItemEvent([this](TWinControl* c, int i, const RECT& r, TOwnerDrawState st) {
                   ListBoxMainDrawItem(c, i, r, st);
                 }));
  RegisterMethod("ListBoxDataDrawItem", TDrawItemEvent([this](TWinControl* c, int i, const RECT& r, TOwnerDrawState st) {
                   ListBoxDataDrawItem(c, i, r, st);
                 }));
  RegisterMethod("ListBoxDataMouseMove",
                 TMouseMoveEvent([this](TObject* s, TShiftState sh, int x, int y) { ListBoxDataMouseMove(s, sh, x, y); }));
  RegisterMethod("ButtonHelpClick", TNotifyEvent([this](TObject* s) { ButtonHelpClick(s); }));
  RegisterMethod("ButtonOKClick", TNotifyEvent([this](TObject* s) { ButtonOKClick(s); }));
  RegisterMethod("MediaOntheWeb1Click", TNotifyEvent([this](TObject* s) { MenuItemClick(s); }));
  RegisterMethod("AboutMedia1Click", TNotifyEvent([this](TObject* s) { MenuItemClick(s); }));
  ReadForm(resourceName);
  ListBoxMain = FindField<TListBox>(this, "ListBoxMain");
  ListBoxData = FindField<TListBox>(this, "ListBoxData");
  ButtonHelp = FindField<TButton>(this, "ButtonHelp");
  ButtonOK = FindField<TButton>(this, "ButtonOK");
  PopupMenu = FindField<TPopupMenu>(this, "PopupMenu");
  for (int i = 0; i < PopupMenu->Items()->Count(); ++i) {
    TMenuItem* item = PopupMenu->Items()->Items(i);
    if (!item->IsLine()) item->SetCaption(Format(item->Caption(), kTitle));
  }
  SetDoubleBuffered(true);
  ListBoxMain->SetDoubleBuffered(true);
  ListBoxData->SetDoubleBuffered(true);
}

void TDemoForm::Say(const std::string& line) {
  if (Log) Log(line);
}

void TDemoForm::FillTasks(int category) {
  if (category < 0 || category > 3) return;
  {
    TUpdateScope update(ListBoxData->Items());
    ListBoxData->Items()->Clear();
    for (const char* task : kTasks[category])
      if (task) ListBoxData->Items()->Add(task);
  }
  ListBoxData->SetItemIndex(0);
  ListBoxData->Repaint();
}

void TDemoForm::FormShow(TObject*) {
  ListBoxMain->SetItemIndex(0);
  ListBoxMain->Repaint();
  FillTasks(0);
}

void TDemoForm::ListBoxMainClick(TObject*) {
  Say("category " + IntToStr(ListBoxMain->ItemIndex()));
  FillTasks(ListBoxMain->ItemIndex());
}

void TDemoForm::ListBoxDataClick(TObject*) {
  Say("task " + IntToStr(ListBoxMain->ItemIndex()) + " " + IntToStr(ListBoxData->ItemIndex()));
}

void TDemoForm::ListBoxMainDrawItem(TWinControl*, int index, const RECT& rect, TOwnerDrawState state) {
  TCanvas* c = ListBoxMain->Canvas();
  c->Brush()->SetColor(TColor(0xFFFFFF));
  c->Font()->SetColor(TColor(0x000000));
  c->FillRect(rect);
  if (state.Contains(odSelected)) {
    c->Brush()->SetColor(TColor(0x808080));
    c->FillRect(rect);
    c->Font()->SetColor(TColor(0xFFFFFF));
  }
  // A stand-in for the category picture: a framed square above the name.
  const int cx = rect.left + ListBoxMain->Width() / 2;
  c->Pen()->SetColor(state.Contains(odSelected) ? TColor(0xFFFFFF) : TColor(0x808080));
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(cx - 20, rect.top + 10, cx + 20, rect.top + 50);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(state.Contains(odSelected) ? TColor(0x808080) : TColor(0xFFFFFF));
  const std::string text = ListBoxMain->Items()->Strings(index);
  const int w = ListBoxMain->Width();
  c->TextOut(rect.left + (w - c->TextWidth(text)) / 2, rect.top + (80 - c->TextHeight(text)) / 2 + 25, text);
  if (state.Contains(odFocused)) c->DrawFocusRect(rect);
}

void TDemoForm::ListBoxDataDrawItem(TWinControl*, int index, const RECT& rect, TOwnerDrawState state) {
  TCanvas* c = ListBoxData->Canvas();
  c->Brush()->SetColor(TColor(0xFFFFFF));
  c->Font()->SetColor(TColor(0x000000));
  c->FillRect(rect);
  if (state.Contains(odSelected)) {
    c->Brush()->SetColor(TColor(0x808080));
    c->FillRect(rect);
    c->Font()->SetColor(TColor(0xFFFFFF));
  }
  std::string rest = ListBoxData->Items()->Strings(index);
  static constexpr int kLineTop[] = {5, 25, 40, 55};
  for (int line = 0; line < 4; ++line) {
    std::string text = rest;
    if (line < 3) {
      const std::size_t cr = rest.find('\r');
      text = rest.substr(0, cr);
      rest = cr == std::string::npos ? std::string() : rest.substr(cr + 1);
    }
    TFontStyles style;
    if (line == 0) style.Include(fsBold);
    c->Font()->SetStyle(style);
    c->TextOut(rect.left + 100, rect.top + kLineTop[line], text);
  }
  c->Font()->SetStyle(TFontStyles{});
  if (state.Contains(odFocused)) c->DrawFocusRect(rect);
}

void TDemoForm::ListBoxDataMouseMove(TObject*, TShiftState, int x, int y) {
  const int index = ListBoxData->ItemAtPos(POINT{x, y}, true);
  if (index >= 0) ListBoxData->SetItemIndex(index);
}

void TDemoForm::ButtonHelpClick(TObject*) {
  const POINT origin = ClientToScreen(POINT{0, 0});
  const int x = origin.x + ButtonHelp->Left(), y = origin.y + ButtonHelp->Top() + ButtonHelp->Height();
  PopupMenu->Popup(x, y);
  RECT r{};
  if (PopupMenu->WindowHandle()) GetWindowRect(PopupMenu->WindowHandle(), &r);
  Say("popup " + IntToStr(r.left) + " " + IntToStr(r.top) + " " + IntToStr(r.right) + " " + IntToStr(r.bottom));
}

void TDemoForm::ButtonOKClick(TObject*) {
  Say("ok");
  Close();
}

void TDemoForm::MenuItemClick(TObject* sender) {
  auto* item = static_cast<TMenuItem*>(sender);
  Say("menu " + item->Name());
}
