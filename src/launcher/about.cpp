// TFormAbout: the creation steps that fill the dialog, its links, and the opening over the
// main window.
#include "launcher/about.h"

#include <memory>

#include "launcher/launcher.h"
#include "launcher/mainform.h"
#include "ui/access/access.h"

TFormAbout::TFormAbout(TMainForm* mainForm) : TForm(mainForm), mainForm_(mainForm) {
  RegisterMethod("FormCreate", TNotifyEvent([this](TObject* s) { FormCreate(s); }));
  RegisterMethod("LabelWebClick", TNotifyEvent([this](TObject* s) { LabelWebClick(s); }));
  RegisterMethod("LabelSupportEmailClick", TNotifyEvent([this](TObject* s) { LabelSupportEmailClick(s); }));
  RegisterMethod("ImageLeftClick", TNotifyEvent([this](TObject* s) { ImageLeftClick(s); }));
  RegisterMethod("ButtonUpdatesClick", TNotifyEvent([this](TObject* s) { ButtonUpdatesClick(s); }));
  ReadForm(kAboutFormResource);
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::BindFields() {
  PanelMain = FindField<TPanel>(this, "PanelMain");
  PanelmageLeft = FindField<TPanel>(this, "PanelmageLeft");
  ImageLeft = FindField<TImage>(this, "ImageLeft");
  PageControlMain = FindField<TPageControl>(this, "PageControlMain");
  TabSheetAbout = FindField<TTabSheet>(this, "TabSheetAbout");
  TabSheetUpdate = FindField<TTabSheet>(this, "TabSheetUpdate");
  LabalTitle = FindField<TLabel>(this, "LabalTitle");
  LabelCopyright = FindField<TLabel>(this, "LabelCopyright");
  LabelWebTitle = FindField<TLabel>(this, "LabelWebTitle");
  LabelWeb = FindField<TLabel>(this, "LabelWeb");
  LabelSupport = FindField<TLabel>(this, "LabelSupport");
  LabelSupportEmail = FindField<TLabel>(this, "LabelSupportEmail");
  LabelPInfo = FindField<TLabel>(this, "LabelPInfo");
  GroupBoxPInfo = FindField<TGroupBox>(this, "GroupBoxPInfo");
  LabelVersion = FindField<TLabel>(this, "LabelVersion");
  LabelCheckTitle = FindField<TLabel>(this, "LabelCheckTitle");
  LabelCheck = FindField<TLabel>(this, "LabelCheck");
  ButtonUpdates = FindField<TButton>(this, "ButtonUpdates");
  ButtonOK = FindField<TButton>(this, "ButtonOK");
}

// The steps run in this order and an error ends them where it happens (the framework shows
// it in the error box), so whatever was filled before it stays; the logo comes last, so a
// missing or broken picture costs nothing but the picture.
void TFormAbout::FormCreate(TObject*) {
  BindFields();
  const std::string folder = LauncherFolder();
  // Read anew for every opening, so an edited file shows without a restart.
  const std::string version = ReadProductInfo(folder, "Version");
  const std::string company = ReadProductInfo(folder, "Company");
  const int year = LauncherHost().localDate().year;
  const std::string& title = Application->Title();

  SetCaption("About " + title);
  LabalTitle->SetCaption(title + " " + version);
  // The design text is the template: %d takes the year, %s the company.
  LabelCopyright->SetCaption(Format(LabelCopyright->Caption(), {year, company}));
  LabelVersion->SetCaption(version);
  LabelWeb->SetCaption(mainForm_->WebAddress);
  LabelSupportEmail->SetCaption(mainForm_->SupportAddress);
  // The logo leads to the order page and is named by it, as the links by their addresses.
  SetAccessibleName(ImageLeft, mainForm_->OrderAddress);
  ImageLeft->Picture()->LoadFromFile(FolderWithBackslash(folder) + "leftlogo.png");
}

void TFormAbout::OpenLink(const std::string& target) {
  LauncherOpen(Application->Handle(), target, SW_SHOWDEFAULT, skAddress);
}

void TFormAbout::LabelWebClick(TObject* sender) {
  if (auto* label = dynamic_cast<TLabel*>(sender)) OpenLink(label->Caption());
}

void TFormAbout::LabelSupportEmailClick(TObject* sender) {
  if (auto* label = dynamic_cast<TLabel*>(sender)) OpenLink("mailto:" + label->Caption());
}

void TFormAbout::ImageLeftClick(TObject*) { OpenLink(mainForm_->OrderAddress); }

void TFormAbout::ButtonUpdatesClick(TObject*) { OpenLink(mainForm_->OrderAddress); }

void ShowAboutDialog(TMainForm* mainForm) {
  const std::unique_ptr<TFormAbout> about = std::make_unique<TFormAbout>(mainForm);
  // Centred on the main window where it is now, outer sizes on both sides; C++ division
  // truncates toward zero, so a dialog 5 pixels larger starts 2 pixels before the window.
  const int width = about->Width(), height = about->Height();
  const int top = mainForm->Top() + (mainForm->Height() - height) / 2;
  const int left = mainForm->Left() + (mainForm->Width() - width) / 2;
  about->SetBounds(left, top, width, height);
  about->ShowModal();
}
