// TImageButton: the painted push button with a glyph beside its caption, taken from an
// image list (Images, ImageIndex, DisabledIndex), from a bitmap strip of up to four cells
// (Glyph, NumGlyphs), or from the stock picture of a Kind, which also sets caption, modal
// result and the default and cancel roles. Layout, Margin and Spacing place the two.
#pragma once

#include <memory>

#include "ui/imglist/imglist.h"
#include "buttons/paintedbuttons.h"

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
using TNumGlyphs = int;  // 1..4
using TImageIndex = int;

// What setting a kind applies, and its stock picture (a 32 x 16 strip: normal, disabled).
struct TBitBtnKindInfo {
  const char* caption;
  TModalResult modalResult;
  bool isDefault;
  bool isCancel;
  const char* resourceName;  // null for bkCustom
};
const TBitBtnKindInfo& BitBtnKindInfo(TBitBtnKind kind);
// The stock picture of a kind, loaded from the embedded resources on first use and shared
// by every button for the rest of the run; null for bkCustom.
TBitmap* StockGlyph(TBitBtnKind kind);

class TImageButton : public TPaintedButton {
  LB_CLASS(TImageButton)
 public:
  explicit TImageButton(TComponent* owner);
  ~TImageButton() override;

  // Assigning copies the bitmap and marks the glyph as the button's own, so a stock Kind
  // reads back as bkCustom from then on.
  TBitmap* Glyph() const { return glyph_.get(); }
  virtual void SetGlyph(TBitmap* value);
  TNumGlyphs NumGlyphs() const { return numGlyphs_; }
  // 1..4; other values are refused.
  virtual void SetNumGlyphs(TNumGlyphs value);
  // The stored kind, turned into bkCustom as soon as one of its effects was changed by
  // hand (roles, modal result or glyph).
  virtual TBitBtnKind Kind();
  virtual void SetKind(TBitBtnKind value);
  TButtonLayout Layout() const { return layout_; }
  virtual void SetLayout(TButtonLayout value);
  int Margin() const { return margin_; }
  // -1 selects the alternative placement; values below -1 are refused.
  virtual void SetMargin(int value);
  int Spacing() const { return spacing_; }
  virtual void SetSpacing(int value);
  TCustomImageList* Images() const { return images_; }
  // Always re-links, also for the same list.
  virtual void SetImages(TCustomImageList* value);
  TImageIndex ImageIndex() const { return imageIndex_; }
  virtual void SetImageIndex(TImageIndex value);
  TImageIndex DisabledIndex() const { return disabledIndex_; }
  virtual void SetDisabledIndex(TImageIndex value);
  bool CustomGlyph() const { return customGlyph_; }

  // Glyph width and height (image list size when it supplies the glyph).
  virtual POINT GetGlyphSize() const;
  virtual RECT GetGlyphRect() const;
  bool HasGlyph() const;
  // Layout as drawn: a left glyph goes right under right-to-left alignment.
  TButtonLayout EffectiveLayout() const;

  RECT GetCaptionRect() const override;
  void ChangeScale(int m, int d) override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  void DrawCaption() override;
  virtual void DrawListGlyph(const RECT& r);
  virtual void DrawBitmapGlyph(const RECT& r);

 private:
  void GlyphChanged();
  // Height of the caption as the layout measures it, and the free space of the
  // alternative placement (Margin -1).
  int CaptionHeight(const RECT& r) const;

  std::unique_ptr<TBitmap> glyph_;
  TNumGlyphs numGlyphs_ = 1;
  TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = 2;
  int spacing_ = 4;
  TCustomImageList* images_ = nullptr;
  TImageIndex imageIndex_ = -1;
  TImageIndex disabledIndex_ = -1;
  bool customGlyph_ = false;
  std::unique_ptr<TChangeLink> imageLink_;
};
