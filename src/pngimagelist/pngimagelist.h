// TPngImageList: an image list whose items are PNG images with alpha. It draws an item
// with alpha (blended or grey when disabled) and keeps the system image list of its base
// in step with the items, so anything holding the list's handle draws the same pictures.
#pragma once

#include <exception>
#include <memory>

#include "pngimagelist/pngcollection.h"
#include "pngimagelist/pngdrawing.h"
#include "ui/imglist/imglist.h"

class TPngImageList : public TImageList {
  LB_CLASS(TPngImageList)
 public:
  explicit TPngImageList(TComponent* owner);
  ~TPngImageList() override;

  // The items; created with the list and never replaced. Setting copies value's items
  // (images, names, backgrounds) and reports a change.
  TPngImageCollectionItems* PngImages() const { return pngImages_.get(); }
  virtual void SetPngImages(TPngImageCollectionItems* value);
  // False: the system image list holds every item's disabled look. Drawing through the
  // list does not depend on it.
  bool EnabledImages() const { return enabledImages_; }
  virtual void SetEnabledImages(bool value);
  // The disabled look (default: blended). Empty: disabled items look enabled.
  TPngOptions PngOptions() const { return pngOptions_; }
  void SetPngOptions(TPngOptions value);
  // While above 0, RefreshSystemImages does nothing (a content operation is running).
  int RebuildLock() const { return rebuildLock_; }

  // Rebuilds the system image list from the items: a new list of the list's size and
  // background colour with one icon per item (its disabled look when EnabledImages is
  // false), filled before it replaces the old one. An item that makes no icon gets the
  // blank one; its error is raised after the new list is in place, the first time only.
  virtual void RefreshSystemImages();

  // The content operations on the items and the system list together. An operation
  // whose picture is absent or empty, or whose index names no item (insert: outside
  // 0 .. count), changes nothing and returns -1 where it has a result. AddImage and
  // AddImages copy a PNG list's item without image data as it is, so indexes stay.
  int Add(TBitmap* image, TBitmap* mask) override;
  int AddIcon(TIcon* image) override;
  int AddImage(TCustomImageList* value, int index) override;
  void AddImages(TCustomImageList* value) override;
  int AddMasked(TBitmap* image, TColor maskColor) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, TBitmap* image, TBitmap* mask) override;
  void InsertIcon(int index, TIcon* image) override;
  void InsertMasked(int index, TBitmap* image, TColor maskColor) override;
  void Move(int curIndex, int newIndex) override;
  void Replace(int index, TBitmap* image, TBitmap* mask) override;
  void ReplaceIcon(int index, TIcon* image) override;
  void ReplaceMasked(int index, TBitmap* image, TColor maskColor) override;

  // Into another PNG list: the base assignment, then the items (names and backgrounds
  // too) and EnabledImages. Into a plain image list: its base assignment.
  void AssignTo(TPersistent* dest) override;

  // The base list's stored "Bitmap": the items are stored on their own, so nothing is
  // written and whatever is read is ignored.
  void ReadData(const std::vector<std::uint8_t>& data) override;
  std::vector<std::uint8_t> WriteData() override;

 protected:
  // Draws item index into (x, y, x + Width, y + Height) with PaintPng; disabled draws
  // use PngOptions. The style flags play no part.
  void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) override;

 private:
  friend class TRebuildScope;
  // Converts before anything changes, so a picture that cannot be converted leaves the
  // list as it was.
  int AddConverted(std::unique_ptr<TPngImage> png);
  void InsertConverted(int index, std::unique_ptr<TPngImage> png);
  void ReplaceConverted(int index, std::unique_ptr<TPngImage> png);
  // Rebuilds the system list with the item's icon at index (inserts and Move).
  void InsertSystemIcon(int index, TPngImage& image, TColor background);
  // MakeItemIcon (of the disabled look: the transforms of PngOptions, no background), or
  // a transparent icon of the list's size for an image without pixels or one that makes
  // no icon; that one's error goes to *failure when asked for.
  HICON ItemIcon(TPngImage& image, TColor background, bool disabledLook, std::exception_ptr* failure = nullptr);
  void LockRebuild() { ++rebuildLock_; }
  void UnlockRebuild(bool refresh);

  std::unique_ptr<TPngImageCollectionItems> pngImages_;
  bool enabledImages_ = true;
  TPngOptions pngOptions_{pngBlendOnDisabled};
  int rebuildLock_ = 0;
};

// The icon of an image for the system image list: with its alpha on common controls of
// version 6.0 and later, otherwise put onto the background. The caller destroys it.
HICON MakeItemIcon(TPngImage& image, TColor background);
// A 32-bit icon with the image's alpha (key-colour images: 0 on the key, 255 elsewhere;
// images without transparency: alpha 0 everywhere, so the all-black mask rules).
HICON IconFromPngWithAlpha(TPngImage& image);
// An icon whose colour is the image drawn onto the background (clNone: the button face)
// and whose mask is white where the image is fully transparent.
HICON IconFromPngOnBackground(TPngImage& image, TColor background);

// Registers TPngImageList and its items with the window-definition reader and writer
// (and the base image-list classes). Safe to call again.
void RegisterPngImageListClasses();
