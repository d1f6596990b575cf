// Panels, bevels, pictures and the page control with its tab sheets.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/controls.h"
#include "ui/stdctrls/classiclook.h"

// ---------------------------------------------------------------------------------------
// TPanel

// A container drawn as a face with an outer and an inner bevel, a border of its colour
// between them, and an optional centred caption.
class TPanel : public TCustomControl {
  LB_CLASS(TPanel)
 public:
  explicit TPanel(TComponent* owner);
  ~TPanel() override;

  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel value);
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel value);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int value);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);

  // BorderWidth scales with the rest of the layout.
  void ChangeScale(int m, int d) override;

 protected:
  void Paint() override;
  void WndProc(TMessage& message) override;

 private:
  TPanelBevel bevelInner_ = bvNone;
  TPanelBevel bevelOuter_ = bvRaised;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  TAlignment alignment_ = taCenter;
};

// ---------------------------------------------------------------------------------------
// TBevel

// A windowless line or frame: lowered (etched) or raised.
class TBevel : public TGraphicControl {
  LB_CLASS(TBevel)
 public:
  explicit TBevel(TComponent* owner);
  ~TBevel() override;
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape value);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle value);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

// ---------------------------------------------------------------------------------------
// TImage

// A windowless holder of a picture: drawn at the top-left corner, centred, or stretched
// over the whole control.
class TImage : public TGraphicControl {
  LB_CLASS(TImage)
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TPicture* Picture() { return picture_.get(); }
  bool Center() const { return center_; }
  void SetCenter(bool value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  // Where the picture is drawn in the control's coordinates.
  RECT DestRect();

  // The stored picture of a window definition: a length-prefixed class name, then the
  // picture's own file (a bitmap's BMP file may carry a 4-byte size in front). The bytes
  // are kept as given (PictureData); the picture is made by the class of that name or,
  // failing that, of the file's signature when such a class is registered, and stays
  // empty otherwise. Malformed data raises EInvalidGraphic.
  void LoadPictureData(const std::vector<std::uint8_t>& data);
  const std::vector<std::uint8_t>& PictureData() const { return pictureData_; }

 protected:
  void Paint() override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void PictureChanged(TObject* sender);
  std::unique_ptr<TPicture> picture_;
  std::vector<std::uint8_t> pictureData_;
  bool center_ = false;
  bool stretch_ = false;
  bool transparent_ = false;
};

// ---------------------------------------------------------------------------------------
// TPageControl / TTabSheet

class TPageControl;

// One page of a page control: a container whose children show only while it is the
// active page.
class TTabSheet : public TCustomControl {
  LB_CLASS(TTabSheet)
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* value);
  // The position among the page control's pages (-1 without one).
  int PageIndex() const;
  void SetPageIndex(int value);
  // Hidden tabs keep their page but show no tab and cannot be activated by the user.
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool value);
  void SetText(const std::string& value) override;
  void SetParent(TWinControl* parent) override;

 protected:
  // The page control places its sheets.
  void ScaleBounds(int, int) override {}
  void Paint() override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

// Tabs along the top with the captions of its pages; the active page fills the frame
// below them. Clicking a tab, Ctrl+Tab / Ctrl+Shift+Tab and (when focused) the left and
// right arrows switch pages and raise OnChange.
class TPageControl : public TCustomControl {
  LB_CLASS(TPageControl)
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;

  int PageCount() const { return int(pages_.size()); }
  TTabSheet* ActivePage() const { return activePage_; }
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  // The next page after `current` with a visible tab, wrapping round; null when none.
  TTabSheet* FindNextPage(TTabSheet* current, bool goForward) const;
  void SelectNextPage(bool goForward);
  // The rectangle a page fills, and each visible tab's rectangle (client coordinates).
  RECT DisplayRect();
  std::vector<RECT> TabRects();
  // The page whose tab is at a client point, null when none.
  TTabSheet* PageAtPos(POINT p);
  // Activates the first page with a visible tab when no page is active.
  void Loaded() override;
  void SetBounds(int left, int top, int width, int height) override;
  unsigned GetDialogCode() override { return dcWantArrows; }

  TNotifyEvent OnChange;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void WndProc(TMessage& message) override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void MovePage(TTabSheet* page, int index);
  void UpdatePages();
  std::vector<std::string> TabCaptions() const;
  std::vector<TTabSheet*> VisibleTabs() const;
  void ChangeActivePage(TTabSheet* page, bool byUser);

  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
};
