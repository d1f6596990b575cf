// The image list as the image button sees it. When the class library's base image list
// is part of the build it is used as it is; otherwise this header supplies the few
// members the button relies on, with the same names and meanings, so the button code and
// its tests read the same against both.
#pragma once

#if __has_include("ui/imglist/imglist.h")
#include "ui/imglist/imglist.h"
#else

#include <algorithm>
#include <vector>

#include "ui/core/classes.h"
#include "ui/graphics/graphics.h"

class TCustomImageList;

// An observer of an image list's changes; unregisters itself when destroyed.
class TChangeLink : public TObject {
  LB_CLASS(TChangeLink)
 public:
  TChangeLink() = default;
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return sender_; }
  void SetSender(TCustomImageList* value);
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  friend class TCustomImageList;
  TCustomImageList* sender_ = nullptr;
};

// Pictures of one size, drawn by index; derived lists supply the drawing.
class TCustomImageList : public TComponent {
  LB_CLASS(TCustomImageList)
 public:
  explicit TCustomImageList(TComponent* owner) : TComponent(owner) {}
  ~TCustomImageList() override {
    for (TChangeLink* link : std::vector<TChangeLink*>(links_)) UnRegisterChanges(link);
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height) {
    width_ = width;
    height_ = height;
    Change();
  }
  void RegisterChanges(TChangeLink* link) {
    if (!link || link->sender_ == this) return;
    if (link->sender_) link->sender_->UnRegisterChanges(link);
    link->sender_ = this;
    links_.push_back(link);
  }
  void UnRegisterChanges(TChangeLink* link) {
    auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end()) return;
    links_.erase(it);
    link->sender_ = nullptr;
  }
  // Picture index with its top-left corner at (x, y); disabled in the list's own look.
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) {
    if (canvas) DoDraw(index, canvas, x, y, 0, enabled);
  }

 protected:
  virtual void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) {
    (void)index, (void)canvas, (void)x, (void)y, (void)style, (void)enabled;
  }
  virtual void Change() {
    for (TChangeLink* link : std::vector<TChangeLink*>(links_)) link->Change();
  }
  void HandleNeeded() {}

 private:
  int width_ = 16;
  int height_ = 16;
  std::vector<TChangeLink*> links_;
};

inline TChangeLink::~TChangeLink() { SetSender(nullptr); }
inline void TChangeLink::Change() {
  if (OnChange) OnChange(sender_);
}
inline void TChangeLink::SetSender(TCustomImageList* value) {
  if (sender_ == value) return;
  if (sender_) sender_->UnRegisterChanges(this);
  if (value) value->RegisterChanges(this);
}

#endif
