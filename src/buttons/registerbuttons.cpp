// The painted and image buttons in window definitions: the classes and their property
// tables (only values that differ from a new button's are written, with the image
// button's rules for what a Kind implies).
#include <vector>

#include "buttons/imagebutton.h"
#include "buttons/registerbuttons.h"
#include "ui/forms/proptable.h"
#include "ui/stdctrls/stdctrls.h"

namespace {

const TEnumNames kAlignments = TEnumNames::Indexed({"taLeftJustify", "taRightJustify", "taCenter"});
const TEnumNames kVertical = TEnumNames::Indexed({"avTop", "avCenter", "avBottom"});
const TEnumNames kTextStyles = TEnumNames::Indexed({"tsNormal", "tsRaised", "tsRecessed", "tsShadow"});
const TEnumNames kHotTrackTypes = TEnumNames::Indexed({"htctComplement", "htctActual"});
const TEnumNames kKinds = TEnumNames::Indexed(
    {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry", "bkIgnore", "bkAll"});
const TEnumNames kLayouts = TEnumNames::Indexed({"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});

// Whether what a stock Kind implies (roles, modal result, glyph) is stored: only for a
// custom one. Asking for the Kind is what turns a hand-changed stock button custom.
bool Custom(TPaintedButton* b) {
  auto* image = dynamic_cast<TImageButton*>(b);
  return !image || image->Kind() == bkCustom;
}

std::vector<std::uint8_t> GlyphData(TImageButton* b) {
  TMemoryStream stream;
  b->Glyph()->SaveToStream(stream);
  return stream.Bytes();
}

void ReadGlyphData(TImageButton* b, const std::vector<std::uint8_t>& data) {
  TBitmap bitmap;
  TBytesStream stream(data.data(), std::int64_t(data.size()));
  bitmap.LoadFromStream(stream);
  b->SetGlyph(&bitmap);
}

void RegisterTables() {
  RegisterComponentClass("TCustomPaintedButton", "TCustomControl", nullptr);
  using C = TCustomPaintedButton;
  TPropertyTable<C>("TCustomPaintedButton")
      .Enum("AlignmentVertical", &C::AlignmentVertical, &C::SetAlignmentVertical, kVertical)
      .Bool("HotTrack", &C::HotTrack, &C::SetHotTrack)
      // The former name of HotTrack, still read from older definitions (never written).
      .Bool("FrameFlat", &C::HotTrack, &C::SetHotTrack).ReadOnly()
      .Color("HotTrackColor", &C::HotTrackColor, &C::SetHotTrackColor)
      .Enum("HotTrackColorType", &C::HotTrackColorType, &C::SetHotTrackColorType, kHotTrackTypes)
      .Color("HighlightColor", &C::HighlightColor, &C::SetHighlightColor)
      .Bool("LightTextStyle", &C::LightTextStyle, &C::SetLightTextStyle)
      .Enum("TextStyle", &C::TextStyle, &C::SetTextStyle, kTextStyles)
      .Color("TextHighlightColor", &C::TextHighlightColor, &C::SetTextHighlightColor)
      .Color("TextShadowColor", &C::TextShadowColor, &C::SetTextShadowColor)
      .Int("TextShadowDepth", &C::TextShadowDepth, &C::SetTextShadowDepth)
      .Bool("ThemeAware", &C::ThemeAware, &C::SetThemeAware)
      .Register();

  RegisterComponentClass("TPaintedButton", "TCustomPaintedButton", [](TComponent* owner) { return new TPaintedButton(owner); });
  // The base writes a caption that is not empty; an image button's stock kind brings its
  // own, so only one that differs from it is stored. An emptied one goes last, after the
  // Kind, which would otherwise put the kind's caption back when it is read.
  RegisterPropertyWriter("TPaintedButton", [](TPersistent* o, TWriterContext& ctx) {
    if (!ButtonCaptionStored(o)) ctx.Unwrite("Caption");
  });
  RegisterPropertyWriter(
      "TPaintedButton",
      [](TPersistent* o, TWriterContext& ctx) {
        if (ButtonCaptionStored(o) && static_cast<TControl*>(o)->Caption().empty()) ctx.Write("Caption", TfValue::String(""));
      },
      TWriterPhase::Defined);
  using P = TPaintedButton;
  TPropertyTable<P>("TPaintedButton")
      .Enum("Alignment", &P::Alignment, &P::SetAlignment, kAlignments)
      .Bool("AllowAllUp", &P::AllowAllUp, &P::SetAllowAllUp)
      .Bool("Cancel", &P::Cancel, &P::SetCancel).Stored(Custom)
      .Bool("Default", &P::Default, &P::SetDefault).Stored(Custom)
      .Bool("DropDownOnEnter", &P::DropDownOnEnter, &P::SetDropDownOnEnter)
      .Int("GroupIndex", &P::GroupIndex, &P::SetGroupIndex)
      .Bool("Down", &P::Down, &P::SetDown)
      .Color("FrameColor", &P::FrameColor, &P::SetFrameColor)
      .NamedInt("ModalResult", &P::ModalResult, &P::SetModalResult, ModalResultNames()).Stored(Custom)
      .Bool("ShowDownPattern", &P::ShowDownPattern, &P::SetShowDownPattern)
      .Bool("ShowFocusRect", &P::ShowFocusRect, &P::SetShowFocusRect)
      .Register();

  RegisterComponentClass("TImageButton", "TPaintedButton", [](TComponent* owner) { return new TImageButton(owner); });
  using I = TImageButton;
  TPropertyTable<I>("TImageButton")
      .Binary("Glyph.Data", GlyphData, ReadGlyphData).Stored([](I* b) { return Custom(b) && !b->Glyph()->Empty(); })
      .Int("NumGlyphs", &I::NumGlyphs, &I::SetNumGlyphs).Stored(Custom)
      .Enum("Kind", &I::Kind, &I::SetKind, kKinds)
      .Enum("Layout", &I::Layout, &I::SetLayout, kLayouts)
      .Int("Margin", &I::Margin, &I::SetMargin)
      .Int("Spacing", &I::Spacing, &I::SetSpacing)
      .Ref("Images", &I::Images, &I::SetImages)
      .Int("ImageIndex", &I::ImageIndex, &I::SetImageIndex)
      .Int("DisabledIndex", &I::DisabledIndex, &I::SetDisabledIndex)
      .Register();
}

}  // namespace

std::vector<TfProperty> StoredButtonProperties(TPersistent* object) {
  auto* b = dynamic_cast<TPaintedButton*>(object);
  return b ? WriteClassProperties(b, "TCustomPaintedButton") : std::vector<TfProperty>();
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
  RegisterTables();
}
