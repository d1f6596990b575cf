// The base image list of the class library: pictures of one size kept in a system image
// list, change reports to linked observers and an event, drawing, assignment, and the
// fourteen content operations, which are virtual so a derived list (the PNG image list)
// takes every call of them, also the ones this base makes itself.
#pragma once

#include <vector>

#include "platform/imagelist/imagelist.h"
#include "ui/graphics/graphics.h"

class TCustomImageList;

// How an observer hears of an image list's changes: register the link with the list
// (RegisterChanges); the link unregisters itself when it is destroyed.
class TChangeLink : public TObject {
  LB_CLASS(TChangeLink)
 public:
  TChangeLink() = default;
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return sender_; }
  // Registers with value (and leaves the previous list); null only leaves.
  void SetSender(TCustomImageList* value);
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  friend class TCustomImageList;
  TCustomImageList* sender_ = nullptr;
};

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent {
  LB_CLASS(TCustomImageList)
 public:
  explicit TCustomImageList(TComponent* owner);
  ~TCustomImageList() override;

  // Picture size (default 16 x 16). A different value goes to the system list, which
  // empties it, and then Clear runs, so the list is empty afterwards.
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int value);
  void SetHeight(int value);
  // Values below 1 or beyond the bitmap limit raise EInvalidOperation "Invalid image size".
  void SetSize(int width, int height);

  // The mask flag of the system list (default true); a change rebuilds the system list
  // with the new flag and the same pictures.
  bool Masked() const { return masked_; }
  void SetMasked(bool value);
  // Grow-by count of the system list (default 4).
  int AllocBy() const { return allocBy_; }
  void SetAllocBy(int value) { allocBy_ = value; }
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor value);
  TColor BlendColor() const { return blendColor_; }
  void SetBlendColor(TColor value) { blendColor_ = value; }
  TDrawingStyle DrawingStyle() const { return drawingStyle_; }
  void SetDrawingStyle(TDrawingStyle value);
  TImageType ImageType() const { return imageType_; }
  void SetImageType(TImageType value);
  // When set, the list never destroys its system list (it belongs to someone else).
  bool ShareImages() const { return shareImages_; }
  void SetShareImages(bool value) { shareImages_ = value; }

  // The system list; Handle() makes one when there is none.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Takes value as the system list (its size becomes the list's), releases the previous
  // one (unless ShareImages) and reports a change.
  void SetHandle(HIMAGELIST value);
  int Count() const { return ImageList_GetImageCount(handle_); }

  // Observers: links hear every change, then OnChange. Between BeginUpdate and the last
  // EndUpdate changes are held back and reported once.
  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  TNotifyEvent OnChange;

  // Draws picture index with its top-left corner at (x, y) with the list's drawing style
  // and image type; nothing while there is no system list. Disabled pictures are mixed
  // half and half with the button face colour.
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type, bool enabled = true);
  // Picture index as a 32-bit bitmap / as an icon; false when there is none.
  bool GetBitmap(int index, TBitmap* image);

  // The content operations. Index errors raise EInvalidOperation "Invalid ImageList Index"
  // here; the results are the new picture's index, or -1 when nothing was added.
  virtual int Add(TBitmap* image, TBitmap* mask);
  virtual int AddIcon(TIcon* image);
  virtual int AddImage(TCustomImageList* value, int index);
  virtual void AddImages(TCustomImageList* value);
  virtual int AddMasked(TBitmap* image, TColor maskColor);
  virtual void Clear();
  virtual void Delete(int index);
  virtual void Insert(int index, TBitmap* image, TBitmap* mask);
  virtual void InsertIcon(int index, TIcon* image);
  virtual void InsertMasked(int index, TBitmap* image, TColor maskColor);
  virtual void Move(int curIndex, int newIndex);
  virtual void Replace(int index, TBitmap* image, TBitmap* mask);
  virtual void ReplaceIcon(int index, TIcon* image);
  virtual void ReplaceMasked(int index, TBitmap* image, TColor maskColor);

  // From another image list: Clear, its settings and size, then AddImages; null runs
  // Clear and releases the system list (one change report).
  void Assign(TPersistent* source) override;

  // The stored "Bitmap" of a window definition: the pictures in a layout of our own.
  // Reading raises EReadError "Invalid image list data" for data that does not fit.
  virtual void ReadData(const std::vector<std::uint8_t>& data);
  virtual std::vector<std::uint8_t> WriteData();

 protected:
  // The drawing behind Draw; style holds ILD_* flags.
  virtual void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled);
  // Reports a change to the links and OnChange (or notes it while updating).
  virtual void Change();
  void HandleNeeded() { Handle(); }
  [[noreturn]] static void IndexError();

 private:
  void CheckIndex(int index, bool allowCount = false);
  void FreeHandle();
  UINT CreateFlags() const { return ILC_COLOR32 | (masked_ ? ILC_MASK : 0); }
  UINT DrawStyle(TDrawingStyle style, TImageType type) const;

  HIMAGELIST handle_ = nullptr;
  int width_ = 16;
  int height_ = 16;
  bool masked_ = true;
  int allocBy_ = 4;
  TColor bkColor_ = clNone;
  TColor blendColor_ = clNone;
  TDrawingStyle drawingStyle_ = dsNormal;
  TImageType imageType_ = itImage;
  bool shareImages_ = false;
  int updateCount_ = 0;
  bool changed_ = false;
  std::vector<TChangeLink*> links_;
};

// The image list's place in the class tree between the base list and TImageList.
class TDragImageList : public TCustomImageList {
  LB_CLASS(TDragImageList)
 public:
  using TCustomImageList::TCustomImageList;
};

// The image list a window definition names.
class TImageList : public TDragImageList {
  LB_CLASS(TImageList)
 public:
  using TDragImageList::TDragImageList;
};

// Registers the image-list classes and their stored properties with the window-definition
// reader and writer (TCustomImageList, TDragImageList, TImageList). Safe to call again.
void RegisterImageListClasses();
