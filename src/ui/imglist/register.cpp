// The image-list classes as window definitions store them: the reader's setters and the
// writer's getters of their properties, in the order the stored form keeps.
#include "ui/forms/formreader.h"
#include "ui/forms/formwriter.h"
#include "ui/imglist/imglist.h"
#include "ui/forms/proptable.h"

namespace {

TCustomImageList* List(TPersistent* o) { return static_cast<TCustomImageList*>(o); }

constexpr const char* kDrawingStyles[] = {"dsFocus", "dsSelected", "dsNormal", "dsTransparent"};
constexpr const char* kImageTypes[] = {"itImage", "itMask"};

template <std::size_t N>
int IdentIndex(const TfValue& v, TReaderContext& ctx, const char* const (&names)[N]) {
  const std::string id = ctx.Ident(v);
  for (std::size_t i = 0; i < N; ++i)
    if (SameText(id, names[i])) return int(i);
  ctx.Error("Invalid property value '" + id + "'");
}

void RegisterReaders() {
  const std::string c = "TCustomImageList";
  RegisterProperty(c, "BlendColor", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->SetBlendColor(ReadColorValue(ctx, v));
  });
  RegisterProperty(c, "BkColor", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->SetBkColor(ReadColorValue(ctx, v));
  });
  RegisterProperty(c, "AllocBy", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->SetAllocBy(ctx.Int32(v));
  });
  RegisterProperty(c, "DrawingStyle", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->SetDrawingStyle(TDrawingStyle(IdentIndex(v, ctx, kDrawingStyles)));
  });
  RegisterProperty(c, "Height", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->SetHeight(ctx.Int32(v));
  });
  RegisterProperty(c, "ImageType", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->SetImageType(TImageType(IdentIndex(v, ctx, kImageTypes)));
  });
  RegisterProperty(c, "Masked", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->SetMasked(ctx.Boolean(v));
  });
  RegisterEvent<TNotifyEvent>(c, "OnChange", [](TPersistent* o, TNotifyEvent e) { List(o)->OnChange = std::move(e); });
  RegisterProperty(c, "ShareImages", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->SetShareImages(ctx.Boolean(v));
  });
  RegisterProperty(c, "Width", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->SetWidth(ctx.Int32(v));
  });
  RegisterProperty(c, "Bitmap", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->ReadData(ctx.Binary(v));
  });
}

void RegisterWriters() {
  const std::string c = "TCustomImageList";
  RegisterPropertyWriter(c, [](TPersistent* o, TWriterContext& ctx) {
    TCustomImageList* l = List(o);
    if (l->BlendColor() != clNone) ctx.Write("BlendColor", ColorValue(l->BlendColor()));
    if (l->BkColor() != clNone) ctx.Write("BkColor", ColorValue(l->BkColor()));
    if (l->AllocBy() != 4) ctx.Write("AllocBy", TfValue::Integer(l->AllocBy()));
    if (l->DrawingStyle() != dsNormal) ctx.Write("DrawingStyle", TfValue::Ident(kDrawingStyles[l->DrawingStyle()]));
    if (l->Height() != 16) ctx.Write("Height", TfValue::Integer(l->Height()));
    if (l->ImageType() != itImage) ctx.Write("ImageType", TfValue::Ident(kImageTypes[l->ImageType()]));
    if (!l->Masked()) ctx.Write("Masked", TfValue::Boolean(false));
    ctx.WriteEvent(l, "OnChange");
    if (l->ShareImages()) ctx.Write("ShareImages", TfValue::Boolean(true));
    if (l->Width() != 16) ctx.Write("Width", TfValue::Integer(l->Width()));
  });
  RegisterPropertyWriter(
      c,
      [](TPersistent* o, TWriterContext& ctx) {
        TCustomImageList* l = List(o);
        if (l->Count() > 0) ctx.Write("Bitmap", TfValue::Binary(l->WriteData()));
      },
      TWriterPhase::Defined);
}

}  // namespace

void RegisterImageListClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterComponentBaseClasses();
  RegisterComponentClass("TCustomImageList", "TComponent", nullptr);
  RegisterComponentClass("TDragImageList", "TCustomImageList", nullptr);
  RegisterComponentClass("TImageList", "TDragImageList", [](TComponent* owner) { return new TImageList(owner); });
  RegisterReaders();
  RegisterWriters();
}
