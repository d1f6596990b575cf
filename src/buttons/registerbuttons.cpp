// The painted and image buttons in window definitions: the classes and the properties the
// reader applies, and the properties a written definition stores (only those that differ
// from a new button's, with the image button's rules for what a Kind implies).
#include <map>
#include <vector>

#include "buttons/imagebutton.h"
#include "buttons/registerbuttons.h"
#include "ui/forms/formreader.h"
#include "ui/stdctrls/stdctrls.h"
#include "ui/forms/formwriter.h"

namespace {

template <class T>
T* As(TPersistent* o) {
  return static_cast<T*>(o);
}

template <std::size_t N>
int IdentIndex(const TfValue& v, TReaderContext& ctx, const char* const (&names)[N]) {
  const std::string id = ctx.Ident(v);
  for (std::size_t i = 0; i < N; ++i)
    if (SameText(id, names[i])) return int(i);
  ctx.Error("Invalid property value '" + id + "'");
}

constexpr const char* kAlignments[] = {"taLeftJustify", "taRightJustify", "taCenter"};
constexpr const char* kVertical[] = {"avTop", "avCenter", "avBottom"};
constexpr const char* kTextStyles[] = {"tsNormal", "tsRaised", "tsRecessed", "tsShadow"};
constexpr const char* kHotTrackTypes[] = {"htctComplement", "htctActual"};
constexpr const char* kKinds[] = {"bkCustom", "bkOK",    "bkCancel", "bkHelp",   "bkYes", "bkNo",
                                  "bkClose",  "bkAbort", "bkRetry",  "bkIgnore", "bkAll"};
constexpr const char* kLayouts[] = {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};
constexpr const char* kModalResults[] = {"mrNone", "mrOk", "mrCancel", "mrAbort", "mrRetry", "mrIgnore",
                                         "mrYes",  "mrNo", "mrAll",    "mrNoToAll", "mrYesToAll"};

TColor ReadColor(const TfValue& v, TReaderContext& ctx) {
  if (v.IsInteger()) return TColor(ctx.Integer(v));
  TColor c = 0;
  if (!IdentToColor(ctx.Ident(v), c)) ctx.Error("Invalid property value '" + ctx.Ident(v) + "'");
  return c;
}

int ReadModalResult(const TfValue& v, TReaderContext& ctx) {
  if (v.IsInteger()) return ctx.Int32(v);
  return IdentIndex(v, ctx, kModalResults);
}

TfValue ColorValue(TColor c) {
  TColor back = 0;
  const std::string name = ColorToString(c);
  if (IdentToColor(name, back) && back == c && !name.empty() && name[0] != '$') return TfValue::Ident(name);
  return TfValue::Integer(c);
}

void Reg(const char* cls, const char* name, TPropertySetter setter) { RegisterProperty(cls, name, std::move(setter)); }

void RegisterCustomPaintedButton() {
  const char* c = "TCustomPaintedButton";
  RegisterComponentClass(c, "TCustomControl", nullptr);
  using B = TCustomPaintedButton;
  Reg(c, "AlignmentVertical", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetAlignmentVertical(TAlignmentVertical(IdentIndex(v, ctx, kVertical)));
  });
  Reg(c, "HotTrack", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetHotTrack(ctx.Boolean(v)); });
  // The former name of HotTrack, still read from older definitions (never written).
  Reg(c, "FrameFlat", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetHotTrack(ctx.Boolean(v)); });
  Reg(c, "HotTrackColor", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetHotTrackColor(ReadColor(v, ctx));
  });
  Reg(c, "HotTrackColorType", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetHotTrackColorType(THotTrackColorType(IdentIndex(v, ctx, kHotTrackTypes)));
  });
  Reg(c, "HighlightColor", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetHighlightColor(ReadColor(v, ctx));
  });
  Reg(c, "LightTextStyle", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetLightTextStyle(ctx.Boolean(v));
  });
  Reg(c, "TextStyle", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetTextStyle(TTextStyle(IdentIndex(v, ctx, kTextStyles)));
  });
  Reg(c, "TextHighlightColor", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetTextHighlightColor(ReadColor(v, ctx));
  });
  Reg(c, "TextShadowColor", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetTextShadowColor(ReadColor(v, ctx));
  });
  Reg(c, "TextShadowDepth", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetTextShadowDepth(ctx.Int32(v));
  });
  Reg(c, "ThemeAware", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetThemeAware(ctx.Boolean(v)); });
  Reg(c, "TabStop", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetTabStop(ctx.Boolean(v)); });
  RegisterEvent<TNotifyEvent>(c, "OnClick", [](TPersistent* o, TNotifyEvent e) { As<B>(o)->OnClick = std::move(e); });
  RegisterEvent<TNotifyEvent>(c, "OnMouseEnter", [](TPersistent* o, TNotifyEvent e) { As<B>(o)->OnMouseEnter = std::move(e); });
  RegisterEvent<TNotifyEvent>(c, "OnMouseLeave", [](TPersistent* o, TNotifyEvent e) { As<B>(o)->OnMouseLeave = std::move(e); });
  RegisterEvent<TNotifyEvent>(c, "OnEnter", [](TPersistent* o, TNotifyEvent e) { As<B>(o)->OnEnter = std::move(e); });
  RegisterEvent<TNotifyEvent>(c, "OnExit", [](TPersistent* o, TNotifyEvent e) { As<B>(o)->OnExit = std::move(e); });
  RegisterEvent<TMouseEvent>(c, "OnMouseDown", [](TPersistent* o, TMouseEvent e) { As<B>(o)->OnMouseDown = std::move(e); });
  RegisterEvent<TMouseEvent>(c, "OnMouseUp", [](TPersistent* o, TMouseEvent e) { As<B>(o)->OnMouseUp = std::move(e); });
  RegisterEvent<TMouseMoveEvent>(c, "OnMouseMove", [](TPersistent* o, TMouseMoveEvent e) { As<B>(o)->OnMouseMove = std::move(e); });
  RegisterEvent<TKeyEvent>(c, "OnKeyDown", [](TPersistent* o, TKeyEvent e) { As<B>(o)->OnKeyDown = std::move(e); });
  RegisterEvent<TKeyEvent>(c, "OnKeyUp", [](TPersistent* o, TKeyEvent e) { As<B>(o)->OnKeyUp = std::move(e); });
  RegisterEvent<TKeyPressEvent>(c, "OnKeyPress", [](TPersistent* o, TKeyPressEvent e) { As<B>(o)->OnKeyPress = std::move(e); });
}

void RegisterPaintedButton() {
  const char* c = "TPaintedButton";
  RegisterComponentClass(c, "TCustomPaintedButton", [](TComponent* owner) { return new TPaintedButton(owner); });
  using B = TPaintedButton;
  Reg(c, "Alignment", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetAlignment(TAlignment(IdentIndex(v, ctx, kAlignments)));
  });
  Reg(c, "AllowAllUp", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetAllowAllUp(ctx.Boolean(v)); });
  Reg(c, "Cancel", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetCancel(ctx.Boolean(v)); });
  Reg(c, "Default", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetDefault(ctx.Boolean(v)); });
  Reg(c, "DropDownOnEnter", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetDropDownOnEnter(ctx.Boolean(v));
  });
  Reg(c, "GroupIndex", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetGroupIndex(ctx.Int32(v)); });
  Reg(c, "Down", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetDown(ctx.Boolean(v)); });
  Reg(c, "FrameColor", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetFrameColor(ReadColor(v, ctx)); });
  Reg(c, "ModalResult", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetModalResult(ReadModalResult(v, ctx));
  });
  Reg(c, "ShowDownPattern", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetShowDownPattern(ctx.Boolean(v));
  });
  Reg(c, "ShowFocusRect", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetShowFocusRect(ctx.Boolean(v));
  });
}

void RegisterImageButton() {
  const char* c = "TImageButton";
  RegisterComponentClass(c, "TPaintedButton", [](TComponent* owner) { return new TImageButton(owner); });
  using B = TImageButton;
  Reg(c, "Glyph.Data", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    const std::vector<std::uint8_t>& data = ctx.Binary(v);
    TBitmap bitmap;
    try {
      TBytesStream stream(data.data(), std::int64_t(data.size()));
      bitmap.LoadFromStream(stream);
    } catch (const Exception& e) {
      ctx.Error(e.Message());
    }
    As<B>(o)->SetGlyph(&bitmap);
  });
  Reg(c, "NumGlyphs", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetNumGlyphs(ctx.Int32(v)); });
  Reg(c, "Kind", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetKind(TBitBtnKind(IdentIndex(v, ctx, kKinds)));
  });
  Reg(c, "Layout", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetLayout(TButtonLayout(IdentIndex(v, ctx, kLayouts)));
  });
  Reg(c, "Margin", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetMargin(ctx.Int32(v)); });
  Reg(c, "Spacing", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetSpacing(ctx.Int32(v)); });
  Reg(c, "Images", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    if (v.type == vaNil)
      As<B>(o)->SetImages(nullptr);
    else
      As<B>(o)->SetImagesName(ctx.Ident(v));
  });
  Reg(c, "ImageIndex", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<B>(o)->SetImageIndex(ctx.Int32(v)); });
  Reg(c, "DisabledIndex", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    As<B>(o)->SetDisabledIndex(ctx.Int32(v));
  });
}

void Put(std::vector<TfProperty>& out, const char* name, TfValue value) { out.push_back({name, std::move(value)}); }

}  // namespace

std::vector<TfProperty> StoredButtonProperties(TPersistent* object) {
  std::vector<TfProperty> out;
  auto* b = dynamic_cast<TPaintedButton*>(object);
  if (!b) return out;
  auto* image = dynamic_cast<TImageButton*>(object);
  TImageButton plainImage(nullptr);
  TPaintedButton plain(nullptr);
  const TPaintedButton& d = image ? plainImage : plain;
  // Kind is asked first: reading it is what turns a hand-changed stock button custom.
  const TBitBtnKind kind = image ? image->Kind() : bkCustom;

  if (b->AlignmentVertical() != d.AlignmentVertical())
    Put(out, "AlignmentVertical", TfValue::Ident(kVertical[b->AlignmentVertical()]));
  if (b->HotTrack() != d.HotTrack()) Put(out, "HotTrack", TfValue::Boolean(b->HotTrack()));
  if (b->HotTrackColor() != d.HotTrackColor()) Put(out, "HotTrackColor", ColorValue(b->HotTrackColor()));
  if (b->HotTrackColorType() != d.HotTrackColorType())
    Put(out, "HotTrackColorType", TfValue::Ident(kHotTrackTypes[b->HotTrackColorType()]));
  if (b->HighlightColor() != d.HighlightColor()) Put(out, "HighlightColor", ColorValue(b->HighlightColor()));
  if (b->LightTextStyle() != d.LightTextStyle()) Put(out, "LightTextStyle", TfValue::Boolean(b->LightTextStyle()));
  if (b->TextStyle() != d.TextStyle()) Put(out, "TextStyle", TfValue::Ident(kTextStyles[b->TextStyle()]));
  if (b->TextHighlightColor() != d.TextHighlightColor())
    Put(out, "TextHighlightColor", ColorValue(b->TextHighlightColor()));
  if (b->TextShadowColor() != d.TextShadowColor()) Put(out, "TextShadowColor", ColorValue(b->TextShadowColor()));
  if (b->TextShadowDepth() != d.TextShadowDepth())
    Put(out, "TextShadowDepth", TfValue::Integer(b->TextShadowDepth()));
  if (b->ThemeAware() != d.ThemeAware()) Put(out, "ThemeAware", TfValue::Boolean(b->ThemeAware()));

  if (b->Alignment() != d.Alignment()) Put(out, "Alignment", TfValue::Ident(kAlignments[b->Alignment()]));
  if (b->AllowAllUp() != d.AllowAllUp()) Put(out, "AllowAllUp", TfValue::Boolean(b->AllowAllUp()));
  const bool custom = kind == bkCustom;
  if (custom && b->Cancel() != d.Cancel()) Put(out, "Cancel", TfValue::Boolean(b->Cancel()));
  if (custom && b->Default() != d.Default()) Put(out, "Default", TfValue::Boolean(b->Default()));
  if (b->DropDownOnEnter() != d.DropDownOnEnter()) Put(out, "DropDownOnEnter", TfValue::Boolean(b->DropDownOnEnter()));
  if (b->GroupIndex() != d.GroupIndex()) Put(out, "GroupIndex", TfValue::Integer(b->GroupIndex()));
  if (b->Down() != d.Down()) Put(out, "Down", TfValue::Boolean(b->Down()));
  if (b->FrameColor() != d.FrameColor()) Put(out, "FrameColor", ColorValue(b->FrameColor()));
  if (custom && b->ModalResult() != d.ModalResult()) Put(out, "ModalResult", TfValue::Integer(b->ModalResult()));
  if (b->ShowDownPattern() != d.ShowDownPattern()) Put(out, "ShowDownPattern", TfValue::Boolean(b->ShowDownPattern()));
  if (b->ShowFocusRect() != d.ShowFocusRect()) Put(out, "ShowFocusRect", TfValue::Boolean(b->ShowFocusRect()));
  if (!image) return out;

  if (custom && !image->Glyph()->Empty()) {
    TMemoryStream stream;
    image->Glyph()->SaveToStream(stream);
    const auto* bytes = static_cast<const std::uint8_t*>(stream.Memory());
    Put(out, "Glyph.Data", TfValue::Binary(std::vector<std::uint8_t>(bytes, bytes + stream.Size())));
  }
  if (custom && image->NumGlyphs() != 1) Put(out, "NumGlyphs", TfValue::Integer(image->NumGlyphs()));
  if (!custom) Put(out, "Kind", TfValue::Ident(kKinds[kind]));
  if (image->Layout() != blGlyphLeft) Put(out, "Layout", TfValue::Ident(kLayouts[image->Layout()]));
  if (image->Margin() != 2) Put(out, "Margin", TfValue::Integer(image->Margin()));
  if (image->Spacing() != 4) Put(out, "Spacing", TfValue::Integer(image->Spacing()));
  if (image->Images()) Put(out, "Images", TfValue::Ident(image->Images()->Name()));
  if (image->ImageIndex() != -1) Put(out, "ImageIndex", TfValue::Integer(image->ImageIndex()));
  if (image->DisabledIndex() != -1) Put(out, "DisabledIndex", TfValue::Integer(image->DisabledIndex()));
  return out;
}

bool ButtonCaptionStored(TPersistent* object) {
  auto* image = dynamic_cast<TImageButton*>(object);
  auto* b = dynamic_cast<TControl*>(object);
  if (!b) return false;
  if (!image) return !b->Caption().empty();
  return b->Caption() != BitBtnKindInfo(image->Kind()).caption;
}

void RegisterButtonClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterStdControlClasses();
  RegisterButtonAccessibles();
  RegisterCustomPaintedButton();
  RegisterPaintedButton();
  RegisterImageButton();
  RegisterPropertyWriter("TPaintedButton", [](TPersistent* o, TWriterContext& ctx) {
    // The base writes a caption that is not empty; an image button's stock kind brings
    // its own, so only one that differs from it is stored. An emptied one goes after the
    // Kind, which would otherwise put the kind's caption back when it is read.
    const bool stored = ButtonCaptionStored(o);
    if (!stored) ctx.Unwrite("Caption");
    for (TfProperty& p : StoredButtonProperties(o)) ctx.Write(p.name, std::move(p.value));
    if (stored && static_cast<TControl*>(o)->Caption().empty()) ctx.Write("Caption", TfValue::String(""));
  });
}
