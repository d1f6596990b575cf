// The control classes as window definitions store them: class chain, the property tables
// (one row per property, for reading and writing), events and the parent hook. Properties
// that only matter to a designer (PixelsPerInch, TextHeight, OldCreateOrder, DesignSize,
// ...) are read and ignored.
#include <functional>

#include "ui/controls/controls_internal.h"
#include "ui/forms/proptable.h"

namespace {

const TEnumNames kAnchors{{"akLeft", akLeft}, {"akTop", akTop}, {"akRight", akRight}, {"akBottom", akBottom}};
const TEnumNames kAligns{{"alNone", alNone},   {"alTop", alTop},       {"alBottom", alBottom}, {"alLeft", alLeft},
                         {"alRight", alRight}, {"alClient", alClient}, {"alCustom", alCustom}};
const TEnumNames kFontStyles{{"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline},
                             {"fsStrikeOut", fsStrikeOut}};
const TEnumNames kCharsets{{{"ANSI_CHARSET", 0},       {"DEFAULT_CHARSET", 1},  {"SYMBOL_CHARSET", 2},
                            {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129}, {"GB2312_CHARSET", 134},
                            {"CHINESEBIG5_CHARSET", 136}, {"OEM_CHARSET", 255}, {"GREEK_CHARSET", 161},
                            {"TURKISH_CHARSET", 162},  {"HEBREW_CHARSET", 177}, {"ARABIC_CHARSET", 178},
                            {"BALTIC_CHARSET", 186},   {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},
                            {"EASTEUROPE_CHARSET", 238}, {"MAC_CHARSET", 77}},
                           true};
const TEnumNames kPitches{{"fpDefault", fpDefault}, {"fpVariable", fpVariable}, {"fpFixed", fpFixed}};
const TEnumNames kCursors{
    {{"crDefault", crDefault},     {"crNone", crNone},         {"crArrow", crArrow},       {"crCross", crCross},
     {"crIBeam", crIBeam},         {"crSizeNESW", crSizeNESW}, {"crSizeNS", crSizeNS},     {"crSizeNWSE", crSizeNWSE},
     {"crSizeWE", crSizeWE},       {"crUpArrow", crUpArrow},   {"crHourGlass", crHourGlass}, {"crNo", crNo},
     {"crAppStart", crAppStart},   {"crHelp", crHelp},         {"crHandPoint", crHandPoint}, {"crSizeAll", crSizeAll}},
    true};
const TEnumNames kBorderStyles{{"bsNone", bsNone},         {"bsSingle", bsSingle},
                               {"bsSizeable", bsSizeable}, {"bsDialog", bsDialog},
                               {"bsToolWindow", bsToolWindow}, {"bsSizeToolWin", bsSizeToolWin}};
const TEnumNames kBorderIcons{{"biSystemMenu", biSystemMenu}, {"biMinimize", biMinimize},
                              {"biMaximize", biMaximize},     {"biHelp", biHelp}};
const TEnumNames kPositions{{"poDesigned", poDesigned},           {"poDefault", poDefault},
                            {"poDefaultPosOnly", poDefaultPosOnly}, {"poDefaultSizeOnly", poDefaultSizeOnly},
                            {"poScreenCenter", poScreenCenter},   {"poDesktopCenter", poDesktopCenter},
                            {"poMainFormCenter", poMainFormCenter}, {"poOwnerFormCenter", poOwnerFormCenter}};
const TEnumNames kWindowStates{{"wsNormal", wsNormal}, {"wsMinimized", wsMinimized}, {"wsMaximized", wsMaximized}};
const TEnumNames kBiDiModes{{"bdLeftToRight", bdLeftToRight}, {"bdRightToLeft", bdRightToLeft},
                            {"bdRightToLeftNoAlign", bdRightToLeftNoAlign},
                            {"bdRightToLeftReadingOnly", bdRightToLeftReadingOnly}};

TFont* FontOf(TControl* c) { return c->Font(); }
// Forms keep their client size, which does not depend on the frame.
bool IsForm(TControl* c) { return dynamic_cast<TCustomForm*>(c) != nullptr; }

void RegisterTables() {
  TPropertyTable<TControl>("TControl")
      .Int("Left", &TControl::Left, &TControl::SetLeft)
      .Int("Top", &TControl::Top, &TControl::SetTop)
      .Int("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth).Stored(IsForm)
      .Int("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight).Stored(IsForm)
      .Int("Width", &TControl::Width, &TControl::SetWidth).Stored(std::not_fn(IsForm))
      .Int("Height", &TControl::Height, &TControl::SetHeight).Stored(std::not_fn(IsForm))
      .Set("Anchors", &TControl::Anchors, &TControl::SetAnchors, kAnchors)
      .Enum("Align", &TControl::Align, &TControl::SetAlign, kAligns)
      .Enum("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode, kBiDiModes)
      .Str("Caption", &TControl::Caption, &TControl::SetCaption)
      .Str("Text", &TControl::Text, &TControl::SetText).ReadOnly()
      .Color("Color", &TControl::Color, &TControl::SetColor).Stored([](TControl* c) { return !c->ParentColor(); })
      .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
      .Enum("Font.Charset", [](TControl* c) { return FontOf(c)->Charset(); },
            [](TControl* c, int v) { FontOf(c)->SetCharset(v); }, kCharsets)
      .Stored([](TControl* c) { return !c->ParentFont(); })
      .Color("Font.Color", [](TControl* c) { return FontOf(c)->Color(); },
             [](TControl* c, TColor v) { FontOf(c)->SetColor(v); })
      .Stored([](TControl* c) { return !c->ParentFont(); })
      .Int("Font.Height", [](TControl* c) { return FontOf(c)->Height(); },
           [](TControl* c, int v) { FontOf(c)->SetHeight(v); })
      .Stored([](TControl* c) { return !c->ParentFont(); })
      .Str("Font.Name", [](TControl* c) { return FontOf(c)->Name(); },
           [](TControl* c, const std::string& v) { FontOf(c)->SetName(v); })
      .Stored([](TControl* c) { return !c->ParentFont(); })
      .Enum("Font.Pitch", [](TControl* c) { return FontOf(c)->Pitch(); },
            [](TControl* c, TFontPitch v) { FontOf(c)->SetPitch(v); }, kPitches)
      .Stored([](TControl* c) { return !c->ParentFont(); })
      .Set("Font.Style", [](TControl* c) { return FontOf(c)->Style(); },
           [](TControl* c, TFontStyles v) { FontOf(c)->SetStyle(v); }, kFontStyles)
      .Stored([](TControl* c) { return !c->ParentFont(); })
      .Int("Font.Size", [](TControl* c) { return FontOf(c)->Size(); }, [](TControl* c, int v) { FontOf(c)->SetSize(v); })
      .ReadOnly()
      .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
      .Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled)
      .Bool("Visible", &TControl::Visible, &TControl::SetVisible)
      .Enum("Cursor", &TControl::Cursor, &TControl::SetCursor, kCursors)
      .Str("Hint", &TControl::Hint, &TControl::SetHint)
      .Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
      .Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint)
      .Accept({"DesignSize", "ParentBiDiMode", "HelpContext", "HelpType", "HelpKeyword", "Constraints.*", "DragCursor",
               "DragKind", "DragMode", "Ctl3D", "ParentCtl3D"})
      .Event("OnClick", &TControl::OnClick)
      .Event("OnDblClick", &TControl::OnDblClick)
      .Event("OnMouseDown", &TControl::OnMouseDown)
      .Event("OnMouseUp", &TControl::OnMouseUp)
      .Event("OnMouseMove", &TControl::OnMouseMove)
      .Event("OnMouseEnter", &TControl::OnMouseEnter)
      .Event("OnMouseLeave", &TControl::OnMouseLeave)
      .Register();

  TPropertyTable<TWinControl>("TWinControl")
      .Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Stored([](TWinControl* w) { return w->Parent() != nullptr; })
      .Always()
      .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
      .Bool("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered)
      .Accept({"ParentDoubleBuffered", "ImeMode", "ImeName"})
      .Event("OnEnter", &TWinControl::OnEnter)
      .Event("OnExit", &TWinControl::OnExit)
      .Event("OnKeyDown", &TWinControl::OnKeyDown)
      .Event("OnKeyUp", &TWinControl::OnKeyUp)
      .Event("OnKeyPress", &TWinControl::OnKeyPress)
      .Register();

  using F = TCustomForm;
  TPropertyTable<F>("TCustomForm")
      .Enum("BorderStyle", &F::BorderStyle, &F::SetBorderStyle, kBorderStyles)
      .Set("BorderIcons", &F::BorderIcons, &F::SetBorderIcons, kBorderIcons)
      .Enum("Position", &F::Position, &F::SetPosition, kPositions)
      .Enum("WindowState", &F::WindowState, &F::SetWindowState, kWindowStates)
      .Bool("KeyPreview", &F::KeyPreview, &F::SetKeyPreview)
      .Int("ModalResult", &F::ModalResult, &F::SetModalResult).ReadOnly()
      .Ref("ActiveControl", &F::ActiveControl, &F::SetActiveControl, true)
      // Read and kept by the designer only, for now.
      .Accept({"PixelsPerInch", "TextHeight", "OldCreateOrder", "Scaled", "FormStyle", "AutoScroll", "Icon.Data",
               "HorzScrollBar.*", "VertScrollBar.*", "GlassFrame.*", "ScreenSnap", "SnapBuffer", "PopupMode",
               "DefaultMonitor"})
      .Event("OnCreate", &F::OnCreate)
      .Event("OnDestroy", &F::OnDestroy)
      .Event("OnShow", &F::OnShow)
      .Event("OnHide", &F::OnHide)
      .Event("OnActivate", &F::OnActivate)
      .Event("OnDeactivate", &F::OnDeactivate)
      .Event("OnPaint", &F::OnPaint)
      .Event("OnResize", &F::OnResize)
      .Event("OnClose", &F::OnClose)
      .Event("OnCloseQuery", &F::OnCloseQuery)
      .Register();
}

void RegisterAll() {
  RegisterComponentBaseClasses();
  RegisterComponentClass("TControl", "TComponent", nullptr);
  RegisterComponentClass("TWinControl", "TControl", nullptr);
  RegisterComponentClass("TCustomControl", "TWinControl", nullptr);
  RegisterComponentClass("TGraphicControl", "TControl", nullptr);
  RegisterComponentClass("TCustomForm", "TWinControl", nullptr);
  RegisterComponentClass("TForm", "TCustomForm", [](TComponent* owner) -> TComponent* { return new TForm(owner); });

  RegisterParentHook("TControl", [](TComponent* child, TComponent* parent) {
    auto* c = dynamic_cast<TControl*>(child);
    auto* p = dynamic_cast<TWinControl*>(parent);
    if (c && p) c->SetParent(p);
  });
  RegisterTables();
}

}  // namespace

void RegisterControlClasses() {
  static const bool done = (RegisterAll(), true);
  (void)done;
}
