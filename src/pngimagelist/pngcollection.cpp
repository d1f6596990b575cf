#include "pngimagelist/pngcollection.h"

#include "pngimagelist/pngimagelist.h"

TPngImageCollectionItem::TPngImageCollectionItem(TCollection* collection, bool withoutImage)
    : name_("PngImage" + std::to_string(collection ? collection->Count() : 0)) {
  if (!withoutImage) pngImage_ = std::make_unique<TPngImage>();
}

TPngImageCollectionItem::~TPngImageCollectionItem() = default;

void TPngImageCollectionItem::SetPngImage(TPngImage* value) {
  iconFailed_ = false;
  if (!pngImage_) pngImage_ = std::make_unique<TPngImage>();
  if (value) pngImage_->Assign(value);
  else pngImage_ = std::make_unique<TPngImage>();
  Changed(false);
}

void TPngImageCollectionItem::SetBackground(TColor value) {
  if (value == background_) return;
  background_ = value;
  Changed(false);
}

std::string TPngImageCollectionItem::GetDisplayName() {
  return name_.empty() ? TCollectionItem::GetDisplayName() : name_;
}

void TPngImageCollectionItem::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TPngImageCollectionItem*>(source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  if (other == this) return;
  iconFailed_ = false;
  if (!pngImage_) pngImage_ = std::make_unique<TPngImage>();
  if (other->pngImage_) pngImage_->Assign(other->pngImage_.get());
  else pngImage_ = std::make_unique<TPngImage>();
  SetBackground(other->background_);
  name_ = other->name_;
}

// ---------------------------------------------------------------------------------------

TPngImageCollectionItems::TPngImageCollectionItems(TPngImageList* owner)
    : TCollection([](TCollection* c) -> std::unique_ptr<TCollectionItem> {
        return std::make_unique<TPngImageCollectionItem>(c);
      }),
      owner_(owner) {}

TPngImageCollectionItem* TPngImageCollectionItems::AddItem(bool withoutImage) {
  return static_cast<TPngImageCollectionItem*>(
      TCollection::AddItem(std::make_unique<TPngImageCollectionItem>(this, withoutImage)));
}

TPngImageCollectionItem* TPngImageCollectionItems::InsertItem(int index, bool withoutImage) {
  TPngImageCollectionItem* item = AddItem(withoutImage);
  item->SetIndex(index);
  return item;
}

TPngImageCollectionItem* TPngImageCollectionItems::ItemAt(int index) const {
  return index >= 0 && index < Count() ? Items(index) : nullptr;
}

TPngImageCollectionItem* TPngImageCollectionItems::Items(int index) const {
  return static_cast<TPngImageCollectionItem*>(TCollection::Items(index));
}

TPersistent* TPngImageCollectionItems::GetOwner() { return owner_; }

void TPngImageCollectionItems::Update(TCollectionItem* item) {
  TCollection::Update(item);
  if (owner_) owner_->RefreshSystemImages();
}
