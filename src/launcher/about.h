// TFormAbout: the About dialog, built from its own window definition for each opening and
// destroyed after it closes. It shows the product title, version and copyright line, the
// edition's web and support addresses as links, the logo from leftlogo.png, and an Update
// page whose button leads to the edition's order page.
#pragma once

#include <string>

#include "ui/controls/forms.h"
#include "ui/stdctrls/extctrls.h"
#include "ui/stdctrls/stdctrls.h"

class TMainForm;

// Name of the embedded window definition of the About dialog.
constexpr const char* kAboutFormResource = "ABOUTFORM";

class TFormAbout : public TForm {
  LB_CLASS(TFormAbout)
 public:
  // The main window owns the dialog and supplies the edition's addresses.
  explicit TFormAbout(TMainForm* mainForm);
  ~TFormAbout() override;

  // Controls of the window definition (set when FormCreate runs).
  TPanel* PanelMain = nullptr;
  TPanel* PanelmageLeft = nullptr;
  TImage* ImageLeft = nullptr;
  TPageControl* PageControlMain = nullptr;
  TTabSheet* TabSheetAbout = nullptr;
  TTabSheet* TabSheetUpdate = nullptr;
  TLabel* LabalTitle = nullptr;
  TLabel* LabelCopyright = nullptr;
  TLabel* LabelWebTitle = nullptr;
  TLabel* LabelWeb = nullptr;
  TLabel* LabelSupport = nullptr;
  TLabel* LabelSupportEmail = nullptr;
  TLabel* LabelPInfo = nullptr;
  TGroupBox* GroupBoxPInfo = nullptr;
  TLabel* LabelVersion = nullptr;
  TLabel* LabelCheckTitle = nullptr;
  TLabel* LabelCheck = nullptr;
  TButton* ButtonUpdates = nullptr;
  TButton* ButtonOK = nullptr;

  // Hands a web page or mail address to the shell, parented to the application window.
  // A refusal shows no dialog; it is only noted like every refused start.
  void OpenLink(const std::string& target);

  // Event handlers, bound by name from the window definition.
  void FormCreate(TObject* sender);
  void LabelWebClick(TObject* sender);
  void LabelSupportEmailClick(TObject* sender);
  void ImageLeftClick(TObject* sender);
  void ButtonUpdatesClick(TObject* sender);

 private:
  void BindFields();
  TMainForm* mainForm_;
};

// Opens the About dialog over the main window: creates it, centres it on the main window's
// current outer rectangle, shows it modally and destroys it, also when showing fails.
void ShowAboutDialog(TMainForm* mainForm);
