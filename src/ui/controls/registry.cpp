// The control classes as the window-definition reader knows them: class chain, published
// properties, events and the parent hook. Properties that only matter to a designer
// (PixelsPerInch, TextHeight, OldCreateOrder, DesignSize, ...) are accepted and ignored.
#include <cstring>

#include "ui/controls/controls_internal.h"
#include "ui/forms/formwriter.h"

namespace {

template <class T>
T* As(TPersistent* o) {
  return static_cast<T*>(o);
}

struct NamedValue {
  const char* name;
  int value;
};

int Lookup(const TReaderContext& ctx, const TfValue& v, const NamedValue* table, std::size_t count) {
  if (v.IsInteger()) return ctx.Int32(v);
  const std::string id = ctx.Ident(v);
  for (std::size_t i = 0; i < count; ++i)
    if (SameText(id, table[i].name)) return table[i].value;
  ctx.Error("Invalid property value " + id);
}

template <std::size_t N>
int Lookup(const TReaderContext& ctx, const TfValue& v, const NamedValue (&table)[N]) {
  return Lookup(ctx, v, table, N);
}

template <class E, std::size_t N>
TSet<E> LookupSet(const TReaderContext& ctx, const TfValue& v, const NamedValue (&table)[N]) {
  if (v.type != vaSet) ctx.Error("Invalid property value (a set expected)");
  TSet<E> s;
  for (const std::string& name : v.names) {
    bool found = false;
    for (const NamedValue& nv : table) {
      if (SameText(name, nv.name)) {
        s.Include(E(nv.value));
        found = true;
      }
    }
    if (!found) ctx.Error("Invalid property value " + name);
  }
  return s;
}

const NamedValue kAnchors[] = {{"akLeft", akLeft}, {"akTop", akTop}, {"akRight", akRight}, {"akBottom", akBottom}};
const NamedValue kAligns[] = {{"alNone", alNone},   {"alTop", alTop},       {"alBottom", alBottom}, {"alLeft", alLeft},
                              {"alRight", alRight}, {"alClient", alClient}, {"alCustom", alCustom}};
const NamedValue kFontStyles[] = {{"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline},
                                  {"fsStrikeOut", fsStrikeOut}};
const NamedValue kCharsets[] = {{"ANSI_CHARSET", 0},       {"DEFAULT_CHARSET", 1},  {"SYMBOL_CHARSET", 2},
                                {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129}, {"GB2312_CHARSET", 134},
                                {"CHINESEBIG5_CHARSET", 136}, {"OEM_CHARSET", 255}, {"GREEK_CHARSET", 161},
                                {"TURKISH_CHARSET", 162},  {"HEBREW_CHARSET", 177}, {"ARABIC_CHARSET", 178},
                                {"BALTIC_CHARSET", 186},   {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},
                                {"EASTEUROPE_CHARSET", 238}, {"MAC_CHARSET", 77}};
const NamedValue kPitches[] = {{"fpDefault", fpDefault}, {"fpVariable", fpVariable}, {"fpFixed", fpFixed}};
const NamedValue kCursors[] = {
    {"crDefault", crDefault},     {"crNone", crNone},         {"crArrow", crArrow},       {"crCross", crCross},
    {"crIBeam", crIBeam},         {"crSizeNESW", crSizeNESW}, {"crSizeNS", crSizeNS},     {"crSizeNWSE", crSizeNWSE},
    {"crSizeWE", crSizeWE},       {"crUpArrow", crUpArrow},   {"crHourGlass", crHourGlass}, {"crNo", crNo},
    {"crAppStart", crAppStart},   {"crHelp", crHelp},         {"crHandPoint", crHandPoint}, {"crSizeAll", crSizeAll}};
const NamedValue kBorderStyles[] = {{"bsNone", bsNone},         {"bsSingle", bsSingle},
                                    {"bsSizeable", bsSizeable}, {"bsDialog", bsDialog},
                                    {"bsToolWindow", bsToolWindow}, {"bsSizeToolWin", bsSizeToolWin}};
const NamedValue kBorderIcons[] = {{"biSystemMenu", biSystemMenu}, {"biMinimize", biMinimize},
                                   {"biMaximize", biMaximize},     {"biHelp", biHelp}};
const NamedValue kPositions[] = {{"poDesigned", poDesigned},           {"poDefault", poDefault},
                                 {"poDefaultPosOnly", poDefaultPosOnly}, {"poDefaultSizeOnly", poDefaultSizeOnly},
                                 {"poScreenCenter", poScreenCenter},   {"poDesktopCenter", poDesktopCenter},
                                 {"poMainFormCenter", poMainFormCenter}, {"poOwnerFormCenter", poOwnerFormCenter}};
const NamedValue kWindowStates[] = {{"wsNormal", wsNormal}, {"wsMinimized", wsMinimized}, {"wsMaximized", wsMaximized}};
const NamedValue kBiDiModes[] = {{"bdLeftToRight", bdLeftToRight}, {"bdRightToLeft", bdRightToLeft},
                                 {"bdRightToLeftNoAlign", bdRightToLeftNoAlign},
                                 {"bdRightToLeftReadingOnly", bdRightToLeftReadingOnly}};

TColor ReadColor(const TReaderContext& ctx, const TfValue& v) {
  if (v.IsInteger()) return TColor(ctx.Integer(v));
  TColor c = 0;
  if (IdentToColor(ctx.Ident(v), c)) return c;
  ctx.Error("Invalid property value " + v.text);
}

void ReadFont(TFont* font, const TfValue& v, TReaderContext& ctx) {
  const std::string& sub = ctx.SubPropertyName();
  if (SameText(sub, "Name")) font->SetName(ctx.String(v));
  else if (SameText(sub, "Height")) font->SetHeight(ctx.Int32(v));
  else if (SameText(sub, "Size")) font->SetSize(ctx.Int32(v));
  else if (SameText(sub, "Color")) font->SetColor(ReadColor(ctx, v));
  else if (SameText(sub, "Style")) font->SetStyle(LookupSet<TFontStyle>(ctx, v, kFontStyles));
  else if (SameText(sub, "Charset")) font->SetCharset(Lookup(ctx, v, kCharsets));
  else if (SameText(sub, "Pitch")) font->SetPitch(TFontPitch(Lookup(ctx, v, kPitches)));
  else ctx.Error("Property Font." + sub + " does not exist");
}

void Accept(const std::string& cls, const char* name) {
  RegisterProperty(cls, name, [](TPersistent*, const TfValue&, TReaderContext&) {});
}

template <class Ev, class Cls, class Member>
void BindEvent(const std::string& cls, const char* name, Member member) {
  RegisterEvent<Ev>(cls, name, [member](TPersistent* o, Ev e) { static_cast<Cls*>(o)->*member = std::move(e); });
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

  const std::string c = "TControl";
  RegisterProperty(c, "Left", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetLeft(ctx.Int32(v)); });
  RegisterProperty(c, "Top", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetTop(ctx.Int32(v)); });
  RegisterProperty(c, "Width", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetWidth(ctx.Int32(v)); });
  RegisterProperty(c, "Height", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetHeight(ctx.Int32(v)); });
  RegisterProperty(c, "ClientWidth", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TControl>(o)->SetClientWidth(ctx.Int32(v));
  });
  RegisterProperty(c, "ClientHeight", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TControl>(o)->SetClientHeight(ctx.Int32(v));
  });
  RegisterProperty(c, "Caption", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetCaption(ctx.String(v)); });
  RegisterProperty(c, "Text", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetText(ctx.String(v)); });
  RegisterProperty(c, "Color", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetColor(ReadColor(ctx, v)); });
  RegisterProperty(c, "ParentColor", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TControl>(o)->SetParentColor(ctx.Boolean(v));
  });
  RegisterProperty(c, "Font.*", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { ReadFont(As<TControl>(o)->Font(), v, ctx); });
  RegisterProperty(c, "ParentFont", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TControl>(o)->SetParentFont(ctx.Boolean(v));
  });
  RegisterProperty(c, "Enabled", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetEnabled(ctx.Boolean(v)); });
  RegisterProperty(c, "Visible", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetVisible(ctx.Boolean(v)); });
  RegisterProperty(c, "Cursor", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TControl>(o)->SetCursor(Lookup(ctx, v, kCursors));
  });
  RegisterProperty(c, "Anchors", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TControl>(o)->SetAnchors(LookupSet<TAnchorKind>(ctx, v, kAnchors));
  });
  RegisterProperty(c, "Align", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TControl>(o)->SetAlign(TAlign(Lookup(ctx, v, kAligns)));
  });
  RegisterProperty(c, "Hint", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetHint(ctx.String(v)); });
  RegisterProperty(c, "ShowHint", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TControl>(o)->SetShowHint(ctx.Boolean(v)); });
  RegisterProperty(c, "ParentShowHint", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TControl>(o)->SetParentShowHint(ctx.Boolean(v));
  });
  RegisterProperty(c, "BiDiMode", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TControl>(o)->SetBiDiMode(TBiDiMode(Lookup(ctx, v, kBiDiModes)));
  });
  for (const char* name : {"DesignSize", "ParentBiDiMode", "HelpContext", "HelpType", "HelpKeyword", "Constraints.*",
                           "DragCursor", "DragKind", "DragMode", "Ctl3D", "ParentCtl3D"})
    Accept(c, name);
  BindEvent<TNotifyEvent, TControl>(c, "OnClick", &TControl::OnClick);
  BindEvent<TNotifyEvent, TControl>(c, "OnDblClick", &TControl::OnDblClick);
  BindEvent<TMouseEvent, TControl>(c, "OnMouseDown", &TControl::OnMouseDown);
  BindEvent<TMouseEvent, TControl>(c, "OnMouseUp", &TControl::OnMouseUp);
  BindEvent<TMouseMoveEvent, TControl>(c, "OnMouseMove", &TControl::OnMouseMove);
  BindEvent<TNotifyEvent, TControl>(c, "OnMouseEnter", &TControl::OnMouseEnter);
  BindEvent<TNotifyEvent, TControl>(c, "OnMouseLeave", &TControl::OnMouseLeave);

  const std::string w = "TWinControl";
  RegisterProperty(w, "TabOrder", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TWinControl>(o)->SetTabOrder(ctx.Int32(v));
  });
  RegisterProperty(w, "TabStop", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TWinControl>(o)->SetTabStop(ctx.Boolean(v));
  });
  RegisterProperty(w, "DoubleBuffered", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TWinControl>(o)->SetDoubleBuffered(ctx.Boolean(v));
  });
  Accept(w, "ParentDoubleBuffered");
  Accept(w, "ImeMode");
  Accept(w, "ImeName");
  BindEvent<TNotifyEvent, TWinControl>(w, "OnEnter", &TWinControl::OnEnter);
  BindEvent<TNotifyEvent, TWinControl>(w, "OnExit", &TWinControl::OnExit);
  BindEvent<TKeyEvent, TWinControl>(w, "OnKeyDown", &TWinControl::OnKeyDown);
  BindEvent<TKeyEvent, TWinControl>(w, "OnKeyUp", &TWinControl::OnKeyUp);
  BindEvent<TKeyPressEvent, TWinControl>(w, "OnKeyPress", &TWinControl::OnKeyPress);

  const std::string f = "TCustomForm";
  RegisterProperty(f, "BorderStyle", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TCustomForm>(o)->SetBorderStyle(TFormBorderStyle(Lookup(ctx, v, kBorderStyles)));
  });
  RegisterProperty(f, "BorderIcons", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TCustomForm>(o)->SetBorderIcons(LookupSet<TBorderIcon>(ctx, v, kBorderIcons));
  });
  RegisterProperty(f, "Position", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TCustomForm>(o)->SetPosition(TPosition(Lookup(ctx, v, kPositions)));
  });
  RegisterProperty(f, "WindowState", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TCustomForm>(o)->SetWindowState(TWindowState(Lookup(ctx, v, kWindowStates)));
  });
  RegisterProperty(f, "KeyPreview", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TCustomForm>(o)->SetKeyPreview(ctx.Boolean(v));
  });
  RegisterProperty(f, "ModalResult", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TCustomForm>(o)->SetModalResult(ctx.Int32(v));
  });
  // The control is read after the form's own properties: it is looked up once the
  // whole definition has been read.
  RegisterProperty(f, "ActiveControl", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TCustomForm>(o)->SetActiveControlByName(ctx.Ident(v));
  });
  for (const char* name : {"PixelsPerInch", "TextHeight", "OldCreateOrder", "Scaled", "FormStyle", "AutoScroll",
                           "Icon.Data", "HorzScrollBar.*", "VertScrollBar.*", "GlassFrame.*", "ScreenSnap",
                           "SnapBuffer", "PopupMode", "DefaultMonitor"})
    Accept(f, name);
  BindEvent<TNotifyEvent, TCustomForm>(f, "OnCreate", &TCustomForm::OnCreate);
  BindEvent<TNotifyEvent, TCustomForm>(f, "OnDestroy", &TCustomForm::OnDestroy);
  BindEvent<TNotifyEvent, TCustomForm>(f, "OnShow", &TCustomForm::OnShow);
  BindEvent<TNotifyEvent, TCustomForm>(f, "OnHide", &TCustomForm::OnHide);
  BindEvent<TNotifyEvent, TCustomForm>(f, "OnActivate", &TCustomForm::OnActivate);
  BindEvent<TNotifyEvent, TCustomForm>(f, "OnDeactivate", &TCustomForm::OnDeactivate);
  BindEvent<TNotifyEvent, TCustomForm>(f, "OnPaint", &TCustomForm::OnPaint);
  BindEvent<TNotifyEvent, TCustomForm>(f, "OnResize", &TCustomForm::OnResize);
  BindEvent<TCloseEvent, TCustomForm>(f, "OnClose", &TCustomForm::OnClose);
  BindEvent<TCloseQueryEvent, TCustomForm>(f, "OnCloseQuery", &TCustomForm::OnCloseQuery);
}

}  // namespace

void RegisterControlClasses() {
  static const bool done = (RegisterAll(), true);
  (void)done;
}
