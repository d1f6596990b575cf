// The items of a PNG image list: each a PNG image with a name and a background colour,
// kept in a collection that tells its list of every change.
#pragma once

#include <memory>
#include <string>

#include "png/pngimage.h"

class TPngImageList;

class TPngImageCollectionItem : public TCollectionItem {
  LB_CLASS(TPngImageCollectionItem)
 public:
  // Named "PngImage<n>" with n the collection's item count now (items are appended
  // first), background clBtnFace, and a new empty image unless withoutImage.
  explicit TPngImageCollectionItem(TCollection* collection, bool withoutImage = false);
  ~TPngImageCollectionItem() override;

  // The image; null only while an add, insert or replace operation builds the new one.
  TPngImage* PngImage() const { return pngImage_.get(); }
  // Copies value into the item's image (null empties it) and reports a change.
  void SetPngImage(TPngImage* value);
  // Puts a new image in place of the old one without a change report (the list's
  // operations report themselves).
  void TakeImage(std::unique_ptr<TPngImage> image) {
    pngImage_ = std::move(image);
    iconFailed_ = false;
  }
  // Set by the list when no icon could be made of the image (the system list shows the
  // blank icon), so that the error goes only to the change that brought the image in; a
  // new image clears it.
  bool IconFailed() const { return iconFailed_; }
  void SetIconFailed(bool value) { iconFailed_ = value; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  // Used as the background of the icons made for older platforms. A different value
  // reports a change.
  TColor Background() const { return background_; }
  void SetBackground(TColor value);

  // Name, or the base display name when Name is empty.
  std::string GetDisplayName() override;
  // From another item: its image, background (with a change report) and name.
  void Assign(TPersistent* source) override;

 private:
  std::unique_ptr<TPngImage> pngImage_;
  std::string name_;
  TColor background_ = clBtnFace;
  bool iconFailed_ = false;
};

class TPngImageCollectionItems : public TCollection {
  LB_CLASS(TPngImageCollectionItems)
 public:
  explicit TPngImageCollectionItems(TPngImageList* owner);

  TPngImageList* Owner() const { return owner_; }
  // A new item at the end (or moved to index); returns it.
  TPngImageCollectionItem* AddItem(bool withoutImage = false);
  TPngImageCollectionItem* InsertItem(int index, bool withoutImage = false);
  // The item at index, or null when index is below 0 or not below the count.
  TPngImageCollectionItem* ItemAt(int index) const;
  // The item at index (EListError outside the range).
  TPngImageCollectionItem* Items(int index) const;
  TPersistent* GetOwner() override;

 protected:
  // Every change report also rebuilds the owner's system image list.
  void Update(TCollectionItem* item) override;

 private:
  TPngImageList* owner_;
};
