// Registration of the standard controls with the window-definition reader: classes,
// properties (enumerations by their identifiers), events and parent hooks.
#include <map>

#include "ui/forms/formreader.h"
#include "ui/forms/formwriter.h"
#include "ui/stdctrls/extctrls.h"
#include "ui/stdctrls/menus.h"
#include "ui/stdctrls/stdctrls.h"

namespace {

template <class E, std::size_t N>
E IdentToEnum(const TfValue& v, TReaderContext& ctx, const char* const (&names)[N]) {
  const std::string id = ctx.Ident(v);
  for (std::size_t i = 0; i < N; ++i)
    if (SameText(id, names[i])) return E(i);
  ctx.Error("Invalid property value '" + id + "'");
}

constexpr const char* kListBoxStyles[] = {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"};
constexpr const char* kBevels[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
constexpr const char* kShapes[] = {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine",
                                   "bsSpacer"};
constexpr const char* kBevelStyles[] = {"bsLowered", "bsRaised"};
constexpr const char* kLayouts[] = {"tlTop", "tlCenter", "tlBottom"};
constexpr const char* kAlignments[] = {"taLeftJustify", "taRightJustify", "taCenter"};

int ModalResultValue(const TfValue& v, TReaderContext& ctx) {
  if (v.IsInteger()) return ctx.Int32(v);
  static const std::map<std::string, int> kNames = {
      {"mrnone", mrNone}, {"mrok", mrOk},   {"mrcancel", mrCancel}, {"mrabort", mrAbort},
      {"mrretry", mrRetry}, {"mrignore", mrIgnore}, {"mryes", mrYes}, {"mrno", mrNo},
      {"mrall", mrAll},   {"mrnotoall", mrNoToAll}, {"mryestoall", mrYesToAll}};
  auto it = kNames.find(LowerCase(ctx.Ident(v)));
  if (it == kNames.end()) ctx.Error("Invalid property value");
  return it->second;
}

template <class T>
T* As(TPersistent* o) {
  return static_cast<T*>(o);
}

void RegisterListBox() {
  RegisterComponentClass("TListBox", "TCustomControl", [](TComponent* owner) { return new TListBox(owner); });
  RegisterProperty("TListBox", "Items.Strings", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    if (v.type != vaList) ctx.Error("Invalid property value (a list of strings)");
    TStrings* items = As<TListBox>(o)->Items();
    TUpdateScope update(items);
    items->Clear();
    for (const TfValue& s : v.list) items->Add(ctx.String(s));
  });
  RegisterProperty("TListBox", "ItemHeight", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TListBox>(o)->SetItemHeight(ctx.Int32(v));
  });
  RegisterProperty("TListBox", "Style", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TListBox>(o)->SetStyle(IdentToEnum<TListBoxStyle>(v, ctx, kListBoxStyles));
  });
  RegisterProperty("TListBox", "ItemIndex", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TListBox>(o)->SetItemIndex(ctx.Int32(v));
  });
  RegisterEvent<TDrawItemEvent>("TListBox", "OnDrawItem",
                                [](TPersistent* o, TDrawItemEvent e) { As<TListBox>(o)->OnDrawItem = std::move(e); });
}

void RegisterButtonAndLabel() {
  RegisterComponentClass("TButton", "TCustomControl", [](TComponent* owner) { return new TButton(owner); });
  RegisterProperty("TButton", "Default", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TButton>(o)->SetDefault(ctx.Boolean(v));
  });
  RegisterProperty("TButton", "Cancel", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TButton>(o)->SetCancel(ctx.Boolean(v));
  });
  RegisterProperty("TButton", "ModalResult", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TButton>(o)->SetModalResult(ModalResultValue(v, ctx));
  });

  RegisterComponentClass("TLabel", "TGraphicControl", [](TComponent* owner) { return new TLabel(owner); });
  RegisterProperty("TLabel", "AutoSize", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TLabel>(o)->SetAutoSize(ctx.Boolean(v));
  });
  RegisterProperty("TLabel", "WordWrap", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TLabel>(o)->SetWordWrap(ctx.Boolean(v));
  });
  RegisterProperty("TLabel", "Transparent", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TLabel>(o)->SetTransparent(ctx.Boolean(v));
  });
  RegisterProperty("TLabel", "ShowAccelChar", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TLabel>(o)->SetShowAccelChar(ctx.Boolean(v));
  });
  RegisterProperty("TLabel", "Layout", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TLabel>(o)->SetLayout(IdentToEnum<TTextLayout>(v, ctx, kLayouts));
  });
  RegisterProperty("TLabel", "Alignment", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TLabel>(o)->SetAlignment(IdentToEnum<TAlignment>(v, ctx, kAlignments));
  });
  RegisterProperty("TLabel", "FocusControl", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TLabel>(o)->SetFocusControlName(ctx.Ident(v));
  });

  RegisterComponentClass("TGroupBox", "TCustomControl", [](TComponent* owner) { return new TGroupBox(owner); });
}

void RegisterExtControls() {
  RegisterComponentClass("TPanel", "TCustomControl", [](TComponent* owner) { return new TPanel(owner); });
  RegisterProperty("TPanel", "BevelInner", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TPanel>(o)->SetBevelInner(IdentToEnum<TPanelBevel>(v, ctx, kBevels));
  });
  RegisterProperty("TPanel", "BevelOuter", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TPanel>(o)->SetBevelOuter(IdentToEnum<TPanelBevel>(v, ctx, kBevels));
  });
  RegisterProperty("TPanel", "BevelWidth", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TPanel>(o)->SetBevelWidth(ctx.Int32(v));
  });
  RegisterProperty("TPanel", "BorderWidth", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TPanel>(o)->SetBorderWidth(ctx.Int32(v));
  });
  RegisterProperty("TPanel", "Alignment", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TPanel>(o)->SetAlignment(IdentToEnum<TAlignment>(v, ctx, kAlignments));
  });

  RegisterComponentClass("TBevel", "TGraphicControl", [](TComponent* owner) { return new TBevel(owner); });
  RegisterProperty("TBevel", "Shape", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TBevel>(o)->SetShape(IdentToEnum<TBevelShape>(v, ctx, kShapes));
  });
  RegisterProperty("TBevel", "Style", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TBevel>(o)->SetStyle(IdentToEnum<TBevelStyle>(v, ctx, kBevelStyles));
  });

  RegisterComponentClass("TImage", "TGraphicControl", [](TComponent* owner) { return new TImage(owner); });
  RegisterProperty("TImage", "Picture.Data", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    try {
      As<TImage>(o)->LoadPictureData(ctx.Binary(v));
    } catch (const EFormLoadError&) {
      throw;
    } catch (const Exception& e) {
      ctx.Error(e.Message());
    }
  });
  RegisterProperty("TImage", "Center", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TImage>(o)->SetCenter(ctx.Boolean(v));
  });
  RegisterProperty("TImage", "Stretch", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TImage>(o)->SetStretch(ctx.Boolean(v));
  });
  RegisterProperty("TImage", "Transparent", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TImage>(o)->SetTransparent(ctx.Boolean(v));
  });

  RegisterComponentClass("TPageControl", "TCustomControl",
                         [](TComponent* owner) { return new TPageControl(owner); });
  RegisterProperty("TPageControl", "ActivePage", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TPageControl>(o)->SetActivePageName(ctx.Ident(v));
  });
  RegisterEvent<TNotifyEvent>("TPageControl", "OnChange",
                              [](TPersistent* o, TNotifyEvent e) { As<TPageControl>(o)->OnChange = std::move(e); });

  RegisterComponentClass("TTabSheet", "TCustomControl", [](TComponent* owner) { return new TTabSheet(owner); });
  RegisterProperty("TTabSheet", "PageControl", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    auto* pc = dynamic_cast<TPageControl*>(ctx.Root()->FindComponent(ctx.Ident(v)));
    if (!pc) ctx.Error("Page control " + ctx.Ident(v) + " not found");
    As<TTabSheet>(o)->SetPageControl(pc);
  });
  RegisterProperty("TTabSheet", "PageIndex", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TTabSheet>(o)->SetPageIndex(ctx.Int32(v));
  });
  RegisterProperty("TTabSheet", "TabVisible", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TTabSheet>(o)->SetTabVisible(ctx.Boolean(v));
  });
}

void RegisterMenus() {
  RegisterComponentClass("TPopupMenu", "TComponent", [](TComponent* owner) { return new TPopupMenu(owner); });
  RegisterComponentClass("TMenuItem", "TComponent", [](TComponent* owner) { return new TMenuItem(owner); });
  RegisterParentHook("TMenuItem", [](TComponent* child, TComponent* parent) {
    static_cast<TMenuItem*>(child)->SetParentComponent(parent);
  });
  RegisterProperty("TMenuItem", "Caption", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TMenuItem>(o)->SetCaption(ctx.String(v));
  });
  RegisterProperty("TMenuItem", "Enabled", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TMenuItem>(o)->SetEnabled(ctx.Boolean(v));
  });
  RegisterProperty("TMenuItem", "Visible", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<TMenuItem>(o)->SetVisible(ctx.Boolean(v));
  });
  RegisterEvent<TNotifyEvent>("TMenuItem", "OnClick",
                              [](TPersistent* o, TNotifyEvent e) { As<TMenuItem>(o)->OnClick = std::move(e); });
  // Any control may name a pop-up menu; the menu may come later in the definition.
  RegisterProperty("TControl", "PopupMenu", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    SetControlPopupMenuName(As<TControl>(o), ctx.Ident(v));
  });
}

// Events every standard control raises; registered on each class so they do not depend
// on what the control core registers for its base classes.
void RegisterCommonEvents() {
  for (const char* cls : {"TListBox", "TButton", "TLabel", "TGroupBox", "TPanel", "TBevel", "TImage", "TPageControl",
                          "TTabSheet"}) {
    RegisterEvent<TNotifyEvent>(cls, "OnClick", [](TPersistent* o, TNotifyEvent e) { As<TControl>(o)->OnClick = std::move(e); });
    RegisterEvent<TMouseMoveEvent>(cls, "OnMouseMove",
                                   [](TPersistent* o, TMouseMoveEvent e) { As<TControl>(o)->OnMouseMove = std::move(e); });
    RegisterEvent<TMouseEvent>(cls, "OnMouseDown",
                               [](TPersistent* o, TMouseEvent e) { As<TControl>(o)->OnMouseDown = std::move(e); });
    RegisterEvent<TMouseEvent>(cls, "OnMouseUp",
                               [](TPersistent* o, TMouseEvent e) { As<TControl>(o)->OnMouseUp = std::move(e); });
  }
}


// ---------------------------------------------------------------------------------------
// Writers: a property is written when it differs from a control as its factory makes it.

template <std::size_t N>
TfValue EnumIdent(int value, const char* const (&names)[N]) {
  return value >= 0 && std::size_t(value) < N ? TfValue::Ident(names[value]) : TfValue::Integer(value);
}

template <class T, class Get, class Make>
void WriteIf(TWriterContext& ctx, T* obj, const char* name, Get get, Make make) {
  auto* def = dynamic_cast<T*>(ctx.Defaults());
  if (!def || !(get(obj) == get(def))) ctx.Write(name, make(get(obj)));
}

TfValue Int(int v) { return TfValue::Integer(v); }
TfValue Bool(bool v) { return TfValue::Boolean(v); }
TfValue Str(const std::string& v) { return TfValue::String(v); }
template <std::size_t N>
auto Ident(const char* const (&names)[N]) {
  return [&names](int v) { return EnumIdent(v, names); };
}

void RegisterWriters() {
  RegisterPropertyWriter("TListBox", [](TPersistent* o, TWriterContext& ctx) {
    auto* l = As<TListBox>(o);
    if (l->Items()->Count() > 0) {
      TfValue list;
      list.type = vaList;
      for (int i = 0; i < l->Items()->Count(); ++i) list.list.push_back(TfValue::String(l->Items()->Strings(i)));
      ctx.Write("Items.Strings", std::move(list));
    }
    WriteIf(ctx, l, "ItemHeight", [](TListBox* x) { return x->ItemHeight(); }, Int);
    WriteIf(ctx, l, "Style", [](TListBox* x) { return int(x->Style()); }, Ident(kListBoxStyles));
    WriteIf(ctx, l, "ItemIndex", [](TListBox* x) { return x->ItemIndex(); }, Int);
  });
  RegisterPropertyWriter("TButton", [](TPersistent* o, TWriterContext& ctx) {
    auto* b = As<TButton>(o);
    WriteIf(ctx, b, "Default", [](TButton* x) { return x->Default(); }, Bool);
    WriteIf(ctx, b, "Cancel", [](TButton* x) { return x->Cancel(); }, Bool);
    WriteIf(ctx, b, "ModalResult", [](TButton* x) { return int(x->ModalResult()); }, Int);
  });
  RegisterPropertyWriter("TLabel", [](TPersistent* o, TWriterContext& ctx) {
    auto* l = As<TLabel>(o);
    WriteIf(ctx, l, "AutoSize", [](TLabel* x) { return x->AutoSize(); }, Bool);
    WriteIf(ctx, l, "WordWrap", [](TLabel* x) { return x->WordWrap(); }, Bool);
    WriteIf(ctx, l, "Transparent", [](TLabel* x) { return x->Transparent(); }, Bool);
    WriteIf(ctx, l, "ShowAccelChar", [](TLabel* x) { return x->ShowAccelChar(); }, Bool);
    WriteIf(ctx, l, "Layout", [](TLabel* x) { return int(x->Layout()); }, Ident(kLayouts));
    WriteIf(ctx, l, "Alignment", [](TLabel* x) { return int(x->Alignment()); }, Ident(kAlignments));
    if (l->FocusControl()) ctx.Write("FocusControl", TfValue::Ident(l->FocusControl()->Name()));
  });
  RegisterPropertyWriter("TPanel", [](TPersistent* o, TWriterContext& ctx) {
    auto* p = As<TPanel>(o);
    WriteIf(ctx, p, "BevelInner", [](TPanel* x) { return int(x->BevelInner()); }, Ident(kBevels));
    WriteIf(ctx, p, "BevelOuter", [](TPanel* x) { return int(x->BevelOuter()); }, Ident(kBevels));
    WriteIf(ctx, p, "BevelWidth", [](TPanel* x) { return x->BevelWidth(); }, Int);
    WriteIf(ctx, p, "BorderWidth", [](TPanel* x) { return x->BorderWidth(); }, Int);
    WriteIf(ctx, p, "Alignment", [](TPanel* x) { return int(x->Alignment()); }, Ident(kAlignments));
  });
  RegisterPropertyWriter("TBevel", [](TPersistent* o, TWriterContext& ctx) {
    auto* b = As<TBevel>(o);
    WriteIf(ctx, b, "Shape", [](TBevel* x) { return int(x->Shape()); }, Ident(kShapes));
    WriteIf(ctx, b, "Style", [](TBevel* x) { return int(x->Style()); }, Ident(kBevelStyles));
  });
  RegisterPropertyWriter("TImage", [](TPersistent* o, TWriterContext& ctx) {
    auto* i = As<TImage>(o);
    WriteIf(ctx, i, "Center", [](TImage* x) { return x->Center(); }, Bool);
    WriteIf(ctx, i, "Stretch", [](TImage* x) { return x->Stretch(); }, Bool);
    WriteIf(ctx, i, "Transparent", [](TImage* x) { return x->Transparent(); }, Bool);
  });
  RegisterPropertyWriter(
      "TImage",
      [](TPersistent* o, TWriterContext& ctx) {
        if (!As<TImage>(o)->PictureData().empty()) ctx.Write("Picture.Data", TfValue::Binary(As<TImage>(o)->PictureData()));
      },
      TWriterPhase::Defined);
  RegisterPropertyWriter("TPageControl", [](TPersistent* o, TWriterContext& ctx) {
    if (TTabSheet* page = As<TPageControl>(o)->ActivePage()) ctx.Write("ActivePage", TfValue::Ident(page->Name()));
  });
  RegisterPropertyWriter("TTabSheet", [](TPersistent* o, TWriterContext& ctx) {
    auto* t = As<TTabSheet>(o);
    if (t->PageControl()) ctx.Write("PageControl", TfValue::Ident(t->PageControl()->Name()));
    WriteIf(ctx, t, "TabVisible", [](TTabSheet* x) { return x->TabVisible(); }, Bool);
  });
  RegisterPropertyWriter("TMenuItem", [](TPersistent* o, TWriterContext& ctx) {
    auto* m = As<TMenuItem>(o);
    WriteIf(ctx, m, "Caption", [](TMenuItem* x) { return x->Caption(); }, Str);
    WriteIf(ctx, m, "Enabled", [](TMenuItem* x) { return x->Enabled(); }, Bool);
    WriteIf(ctx, m, "Visible", [](TMenuItem* x) { return x->Visible(); }, Bool);
  });
  RegisterPropertyWriter("TControl", [](TPersistent* o, TWriterContext& ctx) {
    if (TPopupMenu* menu = ControlPopupMenu(As<TControl>(o))) ctx.Write("PopupMenu", TfValue::Ident(menu->Name()));
  });
}

}  // namespace

void RegisterStdControlClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterControlClasses();
  RegisterListBox();
  RegisterButtonAndLabel();
  RegisterExtControls();
  RegisterMenus();
  RegisterCommonEvents();
  RegisterWriters();
}
