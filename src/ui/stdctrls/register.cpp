// Registration of the standard controls with the window-definition reader: classes,
// properties (enumerations by their identifiers), events and parent hooks.
#include <map>

#include "ui/forms/formreader.h"
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
}
