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


// ---------------------------------------------------------------------------------------
// Writers: a property is written when it differs from a control of the same class as its
// factory makes it (every property when there is none to compare with).

template <std::size_t N>
TfValue Named(const NamedValue (&table)[N], int value) {
  for (const NamedValue& nv : table)
    if (nv.value == value) return TfValue::Ident(nv.name);
  return TfValue::Integer(value);
}

template <class E, std::size_t N>
TfValue NamedSet(const NamedValue (&table)[N], TSet<E> set) {
  std::vector<std::string> names;
  for (const NamedValue& nv : table)
    if (set.Contains(E(nv.value))) names.push_back(nv.name);
  return TfValue::Set(std::move(names));
}

TfValue ColorValue(TColor color) {
  const std::string name = ColorToString(color);
  if (name.size() > 2 && name[0] == 'c' && name[1] == 'l') return TfValue::Ident(name);
  return TfValue::Integer(color);
}

// Writes name = value(obj) when there is no default object or its value differs.
template <class T, class Get, class Make>
void WriteIf(TWriterContext& ctx, T* obj, T* def, const char* name, Get get, Make make) {
  if (!def || !(get(obj) == get(def))) ctx.Write(name, make(get(obj)));
}

TfValue Int(int v) { return TfValue::Integer(v); }
TfValue Bool(bool v) { return TfValue::Boolean(v); }
TfValue Str(const std::string& v) { return TfValue::String(v); }

void WriteFont(TWriterContext& ctx, TFont* f, TFont* d) {
  if (!d || f->Charset() != d->Charset()) ctx.Write("Font.Charset", Named(kCharsets, f->Charset()));
  if (!d || f->Color() != d->Color()) ctx.Write("Font.Color", ColorValue(f->Color()));
  if (!d || f->Height() != d->Height()) ctx.Write("Font.Height", Int(f->Height()));
  if (!d || f->Name() != d->Name()) ctx.Write("Font.Name", Str(f->Name()));
  if (!d || f->Pitch() != d->Pitch()) ctx.Write("Font.Pitch", Named(kPitches, f->Pitch()));
  if (!d || !(f->Style() == d->Style())) ctx.Write("Font.Style", NamedSet(kFontStyles, f->Style()));
}

void RegisterWriters() {
  RegisterPropertyWriter("TControl", [](TPersistent* o, TWriterContext& ctx) {
    auto* c = As<TControl>(o);
    auto* d = dynamic_cast<TControl*>(ctx.Defaults());
    WriteIf(ctx, c, d, "Left", [](TControl* x) { return x->Left(); }, Int);
    WriteIf(ctx, c, d, "Top", [](TControl* x) { return x->Top(); }, Int);
    // Forms keep their client size, which does not depend on the frame.
    if (dynamic_cast<TCustomForm*>(c)) {
      WriteIf(ctx, c, d, "ClientWidth", [](TControl* x) { return x->ClientWidth(); }, Int);
      WriteIf(ctx, c, d, "ClientHeight", [](TControl* x) { return x->ClientHeight(); }, Int);
    } else {
      WriteIf(ctx, c, d, "Width", [](TControl* x) { return x->Width(); }, Int);
      WriteIf(ctx, c, d, "Height", [](TControl* x) { return x->Height(); }, Int);
    }
    WriteIf(ctx, c, d, "Anchors", [](TControl* x) { return x->Anchors(); }, [](TAnchors a) { return NamedSet(kAnchors, a); });
    WriteIf(ctx, c, d, "Align", [](TControl* x) { return int(x->Align()); }, [](int a) { return Named(kAligns, a); });
    WriteIf(ctx, c, d, "BiDiMode", [](TControl* x) { return int(x->BiDiMode()); }, [](int b) { return Named(kBiDiModes, b); });
    WriteIf(ctx, c, d, "Caption", [](TControl* x) { return x->Caption(); }, Str);
    if (!c->ParentColor()) WriteIf(ctx, c, d, "Color", [](TControl* x) { return x->Color(); }, ColorValue);
    WriteIf(ctx, c, d, "ParentColor", [](TControl* x) { return x->ParentColor(); }, Bool);
    if (!c->ParentFont()) WriteFont(ctx, c->Font(), d ? d->Font() : nullptr);
    WriteIf(ctx, c, d, "ParentFont", [](TControl* x) { return x->ParentFont(); }, Bool);
    WriteIf(ctx, c, d, "Enabled", [](TControl* x) { return x->Enabled(); }, Bool);
    WriteIf(ctx, c, d, "Visible", [](TControl* x) { return x->Visible(); }, Bool);
    WriteIf(ctx, c, d, "Cursor", [](TControl* x) { return x->Cursor(); }, [](int v) { return Named(kCursors, v); });
    WriteIf(ctx, c, d, "Hint", [](TControl* x) { return x->Hint(); }, Str);
    WriteIf(ctx, c, d, "ShowHint", [](TControl* x) { return x->ShowHint(); }, Bool);
    WriteIf(ctx, c, d, "ParentShowHint", [](TControl* x) { return x->ParentShowHint(); }, Bool);
  });
  RegisterPropertyWriter("TWinControl", [](TPersistent* o, TWriterContext& ctx) {
    auto* w = As<TWinControl>(o);
    auto* d = dynamic_cast<TWinControl*>(ctx.Defaults());
    if (w->Parent()) ctx.Write("TabOrder", Int(w->TabOrder()));
    WriteIf(ctx, w, d, "TabStop", [](TWinControl* x) { return x->TabStop(); }, Bool);
    WriteIf(ctx, w, d, "DoubleBuffered", [](TWinControl* x) { return x->DoubleBuffered(); }, Bool);
  });
  RegisterPropertyWriter("TCustomForm", [](TPersistent* o, TWriterContext& ctx) {
    auto* f = As<TCustomForm>(o);
    auto* d = dynamic_cast<TCustomForm*>(ctx.Defaults());
    WriteIf(ctx, f, d, "BorderStyle", [](TCustomForm* x) { return int(x->BorderStyle()); },
            [](int v) { return Named(kBorderStyles, v); });
    WriteIf(ctx, f, d, "BorderIcons", [](TCustomForm* x) { return x->BorderIcons(); },
            [](TBorderIcons v) { return NamedSet(kBorderIcons, v); });
    WriteIf(ctx, f, d, "Position", [](TCustomForm* x) { return int(x->Position()); },
            [](int v) { return Named(kPositions, v); });
    WriteIf(ctx, f, d, "WindowState", [](TCustomForm* x) { return int(x->WindowState()); },
            [](int v) { return Named(kWindowStates, v); });
    WriteIf(ctx, f, d, "KeyPreview", [](TCustomForm* x) { return x->KeyPreview(); }, Bool);
    if (f->ActiveControl()) ctx.Write("ActiveControl", TfValue::Ident(f->ActiveControl()->Name()));
  });
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
  RegisterWriters();
}

}  // namespace

void RegisterControlClasses() {
  static const bool done = (RegisterAll(), true);
  (void)done;
}
