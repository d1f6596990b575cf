// TMainForm: creation steps, the start-up message, the lists and their drawing, the help
// menu and the program starts.
#include "launcher/mainform.h"

#include "launcher/about.h"
#include "launcher/busy.h"
#include "launcher/catalogue.h"
#include "launcher/launcher.h"
#include "ui/access/access.h"
#include "ui/access/bridge.h"
#include "ui/stdctrls/themedlook.h"

namespace {

constexpr TColor kItemColor = TColor(0x00FFFFFF);
constexpr TColor kItemTextColor = TColor(0x00000000);
constexpr TColor kSelectedColor = TColor(0x00808080);
constexpr TColor kSelectedTextColor = TColor(0x00FFFFFF);

constexpr int kCategoryItemHeight = 80;
constexpr int kTaskItemHeight = 75;
// Offsets of a task item's content from its top-left corner.
constexpr int kTaskTextLeft = 100;
constexpr int kTaskLineTop[4] = {5, 25, 40, 55};
constexpr POINT kTaskIcon = {25, 15};
// The icons' size in the design; at other densities their place is that size scaled, and a
// list with pictures of another size centres them in it.
constexpr int kIconSize = 48;
// The category icon sits this far above the item's middle, leaving room for the name,
// whose middle sits this far below it.
constexpr int kCategoryIconRaise = 10;
constexpr int kCategoryNameDrop = 25;

}  // namespace

TMainForm::TMainForm(TComponent* owner) : TForm(owner) {
  RegisterMethod("FormCreate", TNotifyEvent([this](TObject* s) { FormCreate(s); }));
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
  RegisterMethod("MediaOntheWeb1Click", TNotifyEvent([this](TObject* s) { MediaOntheWeb1Click(s); }));
  RegisterMethod("AboutMedia1Click", TNotifyEvent([this](TObject* s) { AboutMedia1Click(s); }));
  SetMessageHandler(WM_LAUNCHER_STARTUP, [this](TMessage& m) { return StartupMessage(m); });
  ReadForm(kMainFormResource);
}

TMainForm::~TMainForm() = default;

void TMainForm::BindFields() {
  ListBoxMain = FindField<TListBox>(this, "ListBoxMain");
  ListBoxData = FindField<TListBox>(this, "ListBoxData");
  ButtonHelp = FindField<TImageButton>(this, "ButtonHelp");
  ButtonOK = FindField<TImageButton>(this, "ButtonOK");
  Bevel1 = FindField<TBevel>(this, "Bevel1");
  PopupMenu = FindField<TPopupMenu>(this, "PopupMenu");
  MediaOntheWeb1 = FindField<TMenuItem>(this, "MediaOntheWeb1");
  AboutMedia1 = FindField<TMenuItem>(this, "AboutMedia1");
  PngImageListMain = FindField<TPngImageList>(this, "PngImageListMain");
  PngImageListData = FindField<TPngImageList>(this, "PngImageListData");
  PngImageListButton = FindField<TPngImageList>(this, "PngImageListButton");
}

// ---------------------------------------------------------------------------------------
// Creation and start-up

void TMainForm::FormCreate(TObject*) {
  BindFields();
  const std::string& title = Application->Title();
  SetCaption(title);
  // The design captions are patterns with one %s for the product title.
  MediaOntheWeb1->SetCaption(Format(MediaOntheWeb1->Caption(), title));
  AboutMedia1->SetCaption(Format(AboutMedia1->Caption(), title));
  SelectEdition(title);

  ListBoxMain->SetStyle(lbOwnerDrawFixed);
  // Every distance of the design is at 96 pixels per inch; the form's density scales it.
  ListBoxMain->SetItemHeight(ScaleDesigned(kCategoryItemHeight));
  for (const char* name : kCategoryNames) ListBoxMain->Items()->Add(name);
  ListBoxData->SetStyle(lbOwnerDrawFixed);
  ListBoxData->SetItemHeight(ScaleDesigned(kTaskItemHeight));

  // The Help button shows only its glyph.
  SetAccessibleName(ButtonHelp, "Help");

  ListBoxMain->SetDoubleBuffered(true);
  ListBoxData->SetDoubleBuffered(true);
  SetDoubleBuffered(true);

  // Deferred to the message loop, so the companion program starts once the window is up.
  PostMessageA(Handle(), WM_LAUNCHER_STARTUP, 0, 0);
}

void TMainForm::SelectEdition(const std::string& title) {
  if (const TEdition* e = FindEdition(title)) {
    WebAddress = e->webAddress;
    OrderAddress = e->orderAddress;
    SupportAddress = e->supportAddress;
    return;
  }
  // No dialog: the program ends by itself. The line says why to whoever started it.
  LauncherReport(NoEditionNote(title));
  // The remaining creation steps still run and the start-up message still arrives: the
  // quit request is retrieved only after the messages posted before it.
  Application->Terminate();
}

bool TMainForm::StartupMessage(TMessage&) {
  Show();
  BringToFront();
  // The window's first picture goes out before the companion is started: starting a
  // program copies the process for a moment, and every page touched while painting
  // afterwards would cost a fault, which delayed the first frame noticeably.
  RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const std::string folder = LauncherFolder();
  // Without its own folder the launcher would start whatever lies in some other one.
  if (!folder.empty()) {
    LauncherOpen(Handle(), FolderWithBackslash(folder) + "vemp.exe", SW_SHOW, skProgram);
  }
  // Assistive technology hears of the window once it is up, so the start is as quick as
  // without it.
  StartAccessibilityBridge(Handle());
  return true;
}

// ---------------------------------------------------------------------------------------
// Lists

void TMainForm::FormShow(TObject* sender) {
  ListBoxMain->SetItemIndex(0);
  ListBoxMain->Repaint();
  ListBoxMainClick(sender);
}

void TMainForm::ListBoxMainClick(TObject*) {
  const int category = ListBoxMain->ItemIndex();
  if (category < 0 || category >= kCategoryCount) return;
  const std::string& title = Application->Title();
  TStrings* items = ListBoxData->Items();
  {
    TUpdateScope update(items);
    items->Clear();
    for (int task = 0; task < TaskCount(category); ++task) items->Add(TaskText(category, task, title));
  }
  ListBoxData->SetItemIndex(0);
  ListBoxData->Repaint();
}

void TMainForm::ListBoxDataClick(TObject*) {
  if (const char* program = TaskProgram(ListBoxMain->ItemIndex(), ListBoxData->ItemIndex())) StartProgram(program);
}

void TMainForm::ListBoxDataMouseMove(TObject*, TShiftState, int x, int y) {
  const int index = ListBoxData->ItemAtPos(POINT{x, y}, true);
  if (index >= 0) ListBoxData->SetItemIndex(index);
}

void TMainForm::FillItem(TCanvas* canvas, const RECT& rect, TOwnerDrawState state) {
  canvas->Brush()->SetColor(kItemColor);
  canvas->Font()->SetColor(kItemTextColor);
  canvas->FillRect(rect);
  if (state.Contains(odSelected)) {
    canvas->Brush()->SetColor(kSelectedColor);
    canvas->FillRect(rect);
    canvas->Font()->SetColor(kSelectedTextColor);
  }
}

void TMainForm::ListBoxMainDrawItem(TWinControl*, int index, const RECT& rect, TOwnerDrawState state) {
  TCanvas* c = ListBoxMain->Canvas();
  FillItem(c, rect, state);
  // Icon and name are centred on the list's outer width (border included), as the window
  // was designed. The icon goes over the background, so its soft edges take the item's
  // colour, and under the name.
  const int outerWidth = ListBoxMain->Width();
  const int itemHeight = ListBoxMain->ItemHeight();
  PngImageListMain->Draw(c, rect.left + (outerWidth - PngImageListMain->Width()) / 2,
                         rect.top + (itemHeight - PngImageListMain->Height()) / 2 - ScaleDesigned(kCategoryIconRaise),
                         index, true);
  const std::string text = ListBoxMain->Items()->Strings(index);
  c->TextOut(rect.left + (outerWidth - c->TextWidth(text)) / 2,
             rect.top + (itemHeight - c->TextHeight(text)) / 2 + ScaleDesigned(kCategoryNameDrop), text);
  DrawFocus(c, rect, state);
}

void TMainForm::ListBoxDataDrawItem(TWinControl*, int index, const RECT& rect, TOwnerDrawState state) {
  TCanvas* c = ListBoxData->Canvas();
  FillItem(c, rect, state);
  // Over the background, so a selected task's icon blends into the grey.
  const int iconBox = ScaleDesigned(kIconSize);
  PngImageListData->Draw(c, rect.left + ScaleDesigned(kTaskIcon.x) + (iconBox - PngImageListData->Width()) / 2,
                         rect.top + ScaleDesigned(kTaskIcon.y) + (iconBox - PngImageListData->Height()) / 2,
                         index + TaskImageIndexBase(ListBoxMain->ItemIndex()), true);
  std::string rest = ListBoxData->Items()->Strings(index);
  const TFontStyles regular = c->Font()->Style();
  for (int line = 0; line < 4; ++line) {
    std::string text;
    if (line < 3) {
      const std::size_t cr = rest.find('\r');
      text = rest.substr(0, cr);
      rest = cr == std::string::npos ? std::string() : rest.substr(cr + 1);
    } else {
      text = rest;  // everything after the third carriage return, unchanged
    }
    TFontStyles style = regular;
    if (line == 0) style.Include(fsBold);
    c->Font()->SetStyle(style);
    c->TextOut(rect.left + ScaleDesigned(kTaskTextLeft), rect.top + ScaleDesigned(kTaskLineTop[line]), text);
  }
  c->Font()->SetStyle(regular);
  DrawFocus(c, rect, state);
}

void TMainForm::DrawFocus(TCanvas* canvas, const RECT& rect, TOwnerDrawState state) {
  if (state.Contains(odFocused) && !DrawThemedItemFocus(*canvas, rect)) canvas->DrawFocusRect(rect);
}

// ---------------------------------------------------------------------------------------
// Buttons, menu and program starts

void TMainForm::ButtonHelpClick(TObject*) {
  const POINT origin = ClientToScreen(POINT{0, 0});
  PopupMenu->Popup(origin.x + ButtonHelp->Left(), origin.y + ButtonHelp->Top() + ButtonHelp->Height());
}

void TMainForm::ButtonOKClick(TObject*) { Close(); }

void TMainForm::MediaOntheWeb1Click(TObject*) {
  TBusyScope busy;
  LauncherOpen(Application->Handle(), WebAddress, SW_SHOWDEFAULT, skAddress);
}

void TMainForm::AboutMedia1Click(TObject*) { ShowAboutDialog(this); }

void TMainForm::StartProgram(const std::string& fileName) {
  TBusyScope busy;
  const std::string folder = LauncherFolder();
  // Without its own folder the launcher would start whatever lies in some other one.
  if (!folder.empty()) {
    LauncherOpen(Application->Handle(), FolderWithBackslash(folder) + fileName, SW_SHOWDEFAULT, skProgram);
  }
}
