// TPngImageList and its items as window definitions store them. The list's own
// properties follow the base list's; the items keep their image as a complete PNG file
// ("PngImage.Data"), then "Name" and "Background".
#include "pngimagelist/pngimagelist.h"
#include "ui/forms/formreader.h"
#include "ui/forms/formwriter.h"
#include "ui/forms/proptable.h"

namespace {

// Images of a stored item are icons and glyphs; bigger pixel storage is refused while
// reading rather than allocated.
constexpr std::uint64_t kMaxItemStorageBytes = std::uint64_t(64) << 20;

struct NamedOption {
  const char* name;
  TPngOption option;
};
constexpr NamedOption kOptions[] = {{"pngBlendOnDisabled", pngBlendOnDisabled},
                                    {"pngGrayscaleOnDisabled", pngGrayscaleOnDisabled}};

TPngImageList* List(TPersistent* o) { return static_cast<TPngImageList*>(o); }
TPngImageCollectionItem* Item(TPersistent* o) { return static_cast<TPngImageCollectionItem*>(o); }

void RegisterReaders() {
  const std::string l = "TPngImageList";
  RegisterProperty(l, "EnabledImages", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    List(o)->SetEnabledImages(ctx.Boolean(v));
  });
  RegisterProperty(l, "PngImages", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    ctx.ReadCollection(List(o)->PngImages(), v);
  });
  RegisterProperty(l, "PngOptions", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    if (v.type != vaSet) ctx.Error("Invalid property value (a set expected)");
    TPngOptions options;
    for (const std::string& name : v.names) {
      const NamedOption* found = nullptr;
      for (const NamedOption& n : kOptions)
        if (SameText(name, n.name)) found = &n;
      if (!found) ctx.Error("Invalid property value " + name);
      options.Include(found->option);
    }
    List(o)->SetPngOptions(options);
  });

  const std::string i = "TPngImageCollectionItem";
  RegisterProperty(i, "PngImage.Data", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    const std::vector<std::uint8_t>& bytes = ctx.Binary(v);
    TPngImage* image = Item(o)->PngImage();
    image->SetMaxStorageBytes(kMaxItemStorageBytes);
    TBytesStream stream(bytes.data(), std::int64_t(bytes.size()));
    image->ReadFromStream(stream);
  });
  RegisterProperty(i, "Name", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    Item(o)->SetName(ctx.String(v));
  });
  RegisterProperty(i, "Background", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    Item(o)->SetBackground(ReadColorValue(ctx, v));
  });
}

void RegisterWriters() {
  RegisterPropertyWriter("TPngImageList", [](TPersistent* o, TWriterContext& ctx) {
    TPngImageList* l = List(o);
    if (!l->EnabledImages()) ctx.Write("EnabledImages", TfValue::Boolean(false));
    if (l->PngImages()->Count() > 0) ctx.Write("PngImages", ctx.Collection(l->PngImages()));
    if (!(l->PngOptions() == TPngOptions{pngBlendOnDisabled})) {
      std::vector<std::string> names;
      for (const NamedOption& n : kOptions)
        if (l->PngOptions().Contains(n.option)) names.push_back(n.name);
      ctx.Write("PngOptions", TfValue::Set(std::move(names)));
    }
  });
  RegisterPropertyWriter("TPngImageCollectionItem", [](TPersistent* o, TWriterContext& ctx) {
    TPngImageCollectionItem* item = Item(o);
    if (item->PngImage() && !item->PngImage()->Empty()) {
      TMemoryStream stream;
      item->PngImage()->WriteToStream(stream);
      ctx.Write("PngImage.Data", TfValue::Binary(stream.Bytes()));
    }
    if (!item->Name().empty()) ctx.Write("Name", TfValue::String(item->Name()));
    if (item->Background() != clBtnFace) ctx.Write("Background", ColorValue(item->Background()));
  });
}

}  // namespace

void RegisterPngImageListClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterImageListClasses();
  RegisterComponentClass("TPngImageList", "TImageList", [](TComponent* owner) { return new TPngImageList(owner); });
  RegisterPersistentClass("TCollectionItem", "TPersistent");
  RegisterPersistentClass("TPngImageCollectionItem", "TCollectionItem");
  RegisterReaders();
  RegisterWriters();
}
