// The standard controls as window definitions store them: classes, parent hooks and the
// property tables (one row per property, for reading and writing).
#include "ui/forms/proptable.h"
#include "ui/stdctrls/extctrls.h"
#include "ui/stdctrls/menus.h"
#include "ui/stdctrls/stdctrls.h"

namespace {

const TEnumNames kListBoxStyles = TEnumNames::Indexed({"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"});
const TEnumNames kBevels = TEnumNames::Indexed({"bvNone", "bvLowered", "bvRaised", "bvSpace"});
const TEnumNames kShapes = TEnumNames::Indexed(
    {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"});
const TEnumNames kBevelStyles = TEnumNames::Indexed({"bsLowered", "bsRaised"});
const TEnumNames kLayouts = TEnumNames::Indexed({"tlTop", "tlCenter", "tlBottom"});
const TEnumNames kAlignments = TEnumNames::Indexed({"taLeftJustify", "taRightJustify", "taCenter"});

void RegisterTables() {
  RegisterComponentClass("TListBox", "TCustomControl", [](TComponent* owner) { return new TListBox(owner); });
  TPropertyTable<TListBox>("TListBox")
      .Strings("Items.Strings", &TListBox::Items)
      .Int("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight)
      .Enum("Style", &TListBox::Style, &TListBox::SetStyle, kListBoxStyles)
      .Int("ItemIndex", &TListBox::ItemIndex, &TListBox::SetItemIndex)
      .Event("OnDrawItem", &TListBox::OnDrawItem)
      .Register();

  RegisterComponentClass("TButton", "TCustomControl", [](TComponent* owner) { return new TButton(owner); });
  TPropertyTable<TButton>("TButton")
      .Bool("Default", &TButton::Default, &TButton::SetDefault)
      .Bool("Cancel", &TButton::Cancel, &TButton::SetCancel)
      .NamedInt("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, ModalResultNames())
      .Register();

  RegisterComponentClass("TLabel", "TGraphicControl", [](TComponent* owner) { return new TLabel(owner); });
  TPropertyTable<TLabel>("TLabel")
      .Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize)
      .Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)
      .Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent)
      .Bool("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar)
      .Enum("Layout", &TLabel::Layout, &TLabel::SetLayout, kLayouts)
      .Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, kAlignments)
      .Ref("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl)
      .Register();

  RegisterComponentClass("TGroupBox", "TCustomControl", [](TComponent* owner) { return new TGroupBox(owner); });

  RegisterComponentClass("TPanel", "TCustomControl", [](TComponent* owner) { return new TPanel(owner); });
  TPropertyTable<TPanel>("TPanel")
      .Enum("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner, kBevels)
      .Enum("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter, kBevels)
      .Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth)
      .Int("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth)
      .Enum("Alignment", &TPanel::Alignment, &TPanel::SetAlignment, kAlignments)
      .Register();

  RegisterComponentClass("TBevel", "TGraphicControl", [](TComponent* owner) { return new TBevel(owner); });
  TPropertyTable<TBevel>("TBevel")
      .Enum("Shape", &TBevel::Shape, &TBevel::SetShape, kShapes)
      .Enum("Style", &TBevel::Style, &TBevel::SetStyle, kBevelStyles)
      .Register();

  RegisterComponentClass("TImage", "TGraphicControl", [](TComponent* owner) { return new TImage(owner); });
  TPropertyTable<TImage>("TImage")
      .Bool("Center", &TImage::Center, &TImage::SetCenter)
      .Bool("Stretch", &TImage::Stretch, &TImage::SetStretch)
      .Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent)
      .Binary("Picture.Data", &TImage::PictureData, &TImage::LoadPictureData)
      .Stored([](TImage* i) { return !i->PictureData().empty(); })
      .Defined()
      .Register();

  RegisterComponentClass("TPageControl", "TCustomControl", [](TComponent* owner) { return new TPageControl(owner); });
  TPropertyTable<TPageControl>("TPageControl")
      .Ref("ActivePage", &TPageControl::ActivePage,
           [](TPageControl* pc, TTabSheet* page) {
             if (page && page->PageControl() == pc) pc->SetActivePageIndex(page->PageIndex());
           })
      .Event("OnChange", &TPageControl::OnChange)
      .Register();

  RegisterComponentClass("TTabSheet", "TCustomControl", [](TComponent* owner) { return new TTabSheet(owner); });
  TPropertyTable<TTabSheet>("TTabSheet")
      // Taken at once: the page's index and parent depend on it.
      .Custom("PageControl",
              [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
                auto* pc = dynamic_cast<TPageControl*>(ctx.Root()->FindComponent(ctx.Ident(v)));
                if (!pc) ctx.Error("Page control " + ctx.Ident(v) + " not found");
                static_cast<TTabSheet*>(o)->SetPageControl(pc);
              },
              [](TTabSheet* t, TWriterContext& ctx) {
                if (t->PageControl()) ctx.Write("PageControl", TfValue::Ident(t->PageControl()->Name()));
              })
      .Int("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex).ReadOnly()
      .Bool("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible)
      .Register();

  RegisterComponentClass("TPopupMenu", "TComponent", [](TComponent* owner) { return new TPopupMenu(owner); });
  RegisterComponentClass("TMenuItem", "TComponent", [](TComponent* owner) { return new TMenuItem(owner); });
  RegisterParentHook("TMenuItem", [](TComponent* child, TComponent* parent) {
    static_cast<TMenuItem*>(child)->SetParentComponent(parent);
  });
  TPropertyTable<TMenuItem>("TMenuItem")
      .Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
      .Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
      .Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
      .Event("OnClick", &TMenuItem::OnClick)
      .Register();
  // Any control may name a pop-up menu; the menu may come later in the definition.
  TPropertyTable<TControl>("TControl").Ref("PopupMenu", &ControlPopupMenu, &SetControlPopupMenu).Register();
}

}  // namespace

void RegisterStdControlClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterControlClasses();
  RegisterTables();
}

const TEnumNames& ModalResultNames() {
  static const TEnumNames names = TEnumNames::Indexed({"mrNone", "mrOk", "mrCancel", "mrAbort", "mrRetry", "mrIgnore",
                                                       "mrYes", "mrNo", "mrAll", "mrNoToAll", "mrYesToAll"});
  return names;
}
