// TPngImageList and its items as window definitions store them. The list's own
// properties follow the base list's; the items keep their image as a complete PNG file
// ("PngImage.Data"), then "Name" and "Background".
#include "pngimagelist/pngimagelist.h"
#include "ui/forms/proptable.h"

namespace {

// Images of a stored item are icons and glyphs; bigger pixel storage is refused while
// reading rather than allocated.
constexpr std::uint64_t kMaxItemStorageBytes = std::uint64_t(64) << 20;

bool HasImage(TPngImageCollectionItem* item) { return item->PngImage() && !item->PngImage()->Empty(); }

std::vector<std::uint8_t> ItemData(TPngImageCollectionItem* item) {
  TMemoryStream stream;
  item->PngImage()->WriteToStream(stream);
  return stream.Bytes();
}

void ReadItemData(TPngImageCollectionItem* item, const std::vector<std::uint8_t>& bytes) {
  TPngImage* image = item->PngImage();
  image->SetMaxStorageBytes(kMaxItemStorageBytes);
  TBytesStream stream(bytes.data(), std::int64_t(bytes.size()));
  image->ReadFromStream(stream);
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
  using L = TPngImageList;
  TPropertyTable<L>("TPngImageList")
      .Bool("EnabledImages", &L::EnabledImages, &L::SetEnabledImages)
      .Collection("PngImages", &L::PngImages)
      .Set("PngOptions", &L::PngOptions, &L::SetPngOptions,
           {{"pngBlendOnDisabled", pngBlendOnDisabled}, {"pngGrayscaleOnDisabled", pngGrayscaleOnDisabled}})
      .Register();
  using I = TPngImageCollectionItem;
  TPropertyTable<I>("TPngImageCollectionItem")
      .Binary("PngImage.Data", ItemData, ReadItemData).Stored(HasImage)
      // A new item is named after its place; a name is stored unless it was emptied.
      .Str("Name", &I::Name, &I::SetName).Stored([](I* i) { return !i->Name().empty(); }).Always()
      .Color("Background", &I::Background, &I::SetBackground)
      .DefaultsFrom([] { return std::make_unique<I>(nullptr, true); })
      .Register();
}
