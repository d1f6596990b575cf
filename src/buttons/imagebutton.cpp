// Sections: kinds and stock glyphs, properties, layout, drawing.
#include "buttons/imagebutton.h"

#include <array>

#include "buttons/buttonshared.h"
#include "platform/base/muldiv.h"
#include "buttons/drawcommon.h"
#include "platform/font/font.h"
#include "buttons/drawgraphics.h"
#include "embedded_resources.h"

namespace {

constexpr TBitBtnKindInfo kKinds[] = {
    {"", mrNone, false, false, nullptr},
    {"OK", mrOk, true, false, "STOCKGLYPH_OK"},
    {"Cancel", mrCancel, false, true, "STOCKGLYPH_CANCEL"},
    {"&Help", mrNone, false, false, "STOCKGLYPH_HELP"},
    {"&Yes", mrYes, true, false, "STOCKGLYPH_YES"},
    {"&No", mrNo, false, true, "STOCKGLYPH_NO"},
    {"&Close", mrNone, false, false, "STOCKGLYPH_CLOSE"},
    {"Abort", mrAbort, false, false, "STOCKGLYPH_ABORT"},
    {"&Retry", mrRetry, false, false, "STOCKGLYPH_RETRY"},
    {"&Ignore", mrIgnore, false, false, "STOCKGLYPH_IGNORE"},
    {"&All", mrAll, false, false, "STOCKGLYPH_ALL"},
};

std::array<std::unique_ptr<TBitmap>, std::size(kKinds)>& StockCache() {
  static std::array<std::unique_ptr<TBitmap>, std::size(kKinds)> cache;
  return cache;
}

}  // namespace

using buttons_internal::kMeasureFlags;
using buttons_internal::Store;

const TBitBtnKindInfo& BitBtnKindInfo(TBitBtnKind kind) {
  const auto i = std::size_t(kind);
  return kKinds[i < std::size(kKinds) ? i : 0];
}

TBitmap* StockGlyph(TBitBtnKind kind) {
  const TBitBtnKindInfo& info = BitBtnKindInfo(kind);
  if (!info.resourceName) return nullptr;
  auto& slot = StockCache()[std::size_t(kind)];
  if (!slot) {
    RegisterEmbeddedResources_buttons();
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromResourceName(info.resourceName);
    slot = std::move(bitmap);
  }
  return slot.get();
}

// ---------------------------------------------------------------------------------------
// Properties

TImageButton::TImageButton(TComponent* owner)
    : TPaintedButton(owner), glyph_(std::make_unique<TBitmap>()), imageLink_(std::make_unique<TChangeLink>()) {
  glyph_->OnChange = [this](TObject*) { GlyphChanged(); };
  imageLink_->OnChange = [this](TObject*) {
    // A list that changed is shown at once, so a button never shows a picture the list
    // no longer holds.
    if (HandleAllocated()) {
      Invalidate();
      Update();
    }
  };
}

TImageButton::~TImageButton() {
  imageLink_.reset();
  glyph_->OnChange = nullptr;
}

void TImageButton::SetGlyph(TBitmap* value) {
  glyph_->Assign(value);
  customGlyph_ = true;
  Invalidate();
}

void TImageButton::GlyphChanged() {
  const int w = glyph_->Width(), h = glyph_->Height();
  if (h != 0 && w % h == 0) {
    const int n = w / h;
    numGlyphs_ = n < 1 || n > 4 ? 1 : n;
  }
  Invalidate();
}

void TImageButton::SetNumGlyphs(TNumGlyphs value) {
  if (value < 1 || value > 4 || value == numGlyphs_) return;
  numGlyphs_ = value;
  Invalidate();
}

TBitBtnKind TImageButton::Kind() {
  if (kind_ != bkCustom) {
    const TBitBtnKindInfo& info = BitBtnKindInfo(kind_);
    if (Default() != info.isDefault || Cancel() != info.isCancel || ModalResult() != info.modalResult || customGlyph_)
      kind_ = bkCustom;
  }
  return kind_;
}

void TImageButton::SetKind(TBitBtnKind value) {
  if (value == kind_) return;
  if (value != bkCustom) {
    const TBitBtnKindInfo& info = BitBtnKindInfo(value);
    SetDefault(info.isDefault);
    SetCancel(info.isCancel);
    if (!(IsLoading() && !text_.empty())) SetCaption(info.caption);
    SetModalResult(info.modalResult);
    glyph_->Assign(StockGlyph(value));
    numGlyphs_ = 2;
    customGlyph_ = false;
  }
  kind_ = value;
  Invalidate();
}

void TImageButton::SetLayout(TButtonLayout value) {
  if (Store(layout_, value)) Invalidate();
}

void TImageButton::SetMargin(int value) {
  if (value >= -1 && Store(margin_, value)) Invalidate();
}

void TImageButton::SetSpacing(int value) {
  if (Store(spacing_, value)) Invalidate();
}

void TImageButton::SetImages(TCustomImageList* value) {
  if (images_) images_->UnRegisterChanges(imageLink_.get());
  images_ = value;
  if (images_) {
    images_->RegisterChanges(imageLink_.get());
    images_->FreeNotification(this);
  }
  Invalidate();
}

void TImageButton::SetImageIndex(TImageIndex value) {
  if (Store(imageIndex_, value)) Invalidate();
}

void TImageButton::SetDisabledIndex(TImageIndex value) {
  if (Store(disabledIndex_, value)) Invalidate();
}

void TImageButton::Notification(TComponent* component, TOperation operation) {
  TPaintedButton::Notification(component, operation);
  // The list is being destroyed and is no longer an image list (it has already let go of
  // its change links): forget it without calling into it.
  if (operation == opRemove && component == images_) {
    images_ = nullptr;
    Invalidate();
  }
}

void TImageButton::ChangeScale(int m, int d) {
  if (m == d || m <= 0 || d <= 0) return;
  TPaintedButton::ChangeScale(m, d);
  // Margin -1 (centred) is a choice, not a distance.
  if (margin_ >= 0) margin_ = MulDivRound(margin_, m, d);
  spacing_ = MulDivRound(spacing_, m, d);
}

// ---------------------------------------------------------------------------------------
// Layout

POINT TImageButton::GetGlyphSize() const {
  if (images_ && imageIndex_ != -1) return POINT{images_->Width(), images_->Height()};
  if (glyph_->Empty()) return POINT{0, 0};
  return POINT{glyph_->Width() / numGlyphs_, glyph_->Height()};
}

bool TImageButton::HasGlyph() const { return (images_ && imageIndex_ != -1) || !glyph_->Empty(); }

TButtonLayout TImageButton::EffectiveLayout() const {
  return layout_ == blGlyphLeft && UseRightToLeftAlignment() ? blGlyphRight : layout_;
}

int TImageButton::CaptionHeight(const RECT& r) const {
  TMeasureCanvas canvas;
  canvas.Font()->Assign(font_.get());
  RECT calc = r;
  return DrawTextIn(canvas, text_, calc, kMeasureFlags);
}

RECT TImageButton::GetCaptionRect() const {
  RECT r = TPaintedButton::GetCaptionRect();
  if (!HasGlyph()) return r;
  const POINT g = GetGlyphSize();
  const TButtonLayout layout = EffectiveLayout();
  if (margin_ >= 0) {
    switch (layout) {
      case blGlyphLeft: r.left += margin_ + g.x + spacing_; break;
      case blGlyphRight: r.right -= margin_ + g.x + spacing_; break;
      case blGlyphTop: r.top += margin_ + g.y + spacing_; break;
      case blGlyphBottom: r.bottom -= margin_ + g.y + spacing_; break;
    }
    return r;
  }
  const int h = CaptionHeight(r);
  const int free = (height_ - g.y - h - spacing_) / 2;
  switch (layout) {
    case blGlyphLeft: r.left += margin_ + g.x + spacing_; break;
    case blGlyphRight: r.right -= margin_ + g.x + spacing_; break;
    case blGlyphTop:
      r.top += free + g.y;
      r.bottom = r.top + h;
      break;
    case blGlyphBottom:
      r.top += free;
      r.bottom = r.top + h;
      break;
  }
  return r;
}

RECT TImageButton::GetGlyphRect() const {
  RECT r = TPaintedButton::GetCaptionRect();
  const bool styled = UsesVisualStyles();
  if (PressedLook()) OffsetRect(&r, -1, styled ? 0 : -1);
  const POINT g = GetGlyphSize();
  const TButtonLayout layout = EffectiveLayout();
  if (margin_ >= 0) {
    switch (layout) {
      case blGlyphLeft: r.left += margin_; break;
      case blGlyphRight: r.left = r.right - margin_ - g.x; break;
      case blGlyphTop: r.top += margin_; break;
      case blGlyphBottom: r.top = r.bottom - margin_ - g.y; break;
    }
  } else {
    const int h = CaptionHeight(r);
    const int free = (height_ - g.y - h - spacing_) / 2;
    switch (layout) {
      case blGlyphLeft: break;
      case blGlyphRight: r.left = r.right - g.x; break;
      case blGlyphTop: r.top = free; break;
      case blGlyphBottom: r.top += h + free; break;
    }
  }
  if (layout == blGlyphLeft || layout == blGlyphRight)
    r.top += (r.bottom - r.top - g.y + 1) / 2;
  else
    r.left += (r.right - r.left - g.x + 1) / 2;
  r.right = r.left + g.x;
  r.bottom = r.top + g.y;
  if (PressedLook()) OffsetRect(&r, styled ? 2 : 1, styled ? 0 : 1);
  return r;
}

// ---------------------------------------------------------------------------------------
// Drawing

void TImageButton::DrawCaption() {
  TPaintedButton::DrawCaption();
  const RECT r = GetGlyphRect();
  if (Kind() == bkCustom && images_ && imageIndex_ != -1)
    DrawListGlyph(r);
  else if (!glyph_->Empty())
    DrawBitmapGlyph(r);
}

void TImageButton::DrawListGlyph(const RECT& r) {
  if (!images_) return;
  if (disabledIndex_ == -1) {
    if (imageIndex_ != -1) images_->Draw(Canvas(), r.left, r.top, imageIndex_, enabled_);
    return;
  }
  const TImageIndex index = enabled_ ? imageIndex_ : disabledIndex_;
  if (index != -1) images_->Draw(Canvas(), r.left, r.top, index, true);
}

void TImageButton::DrawBitmapGlyph(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  int cell = 0;
  if (numGlyphs_ == 4 && Down())
    cell = 3;
  else if (numGlyphs_ >= 3 && PressedLook())
    cell = 2;
  else if (numGlyphs_ >= 2 && !enabled_)
    cell = 1;
  // The glyph is composed over a copy of what lies under it, so the button's canvas
  // receives one copy.
  TBitmap scratch(w, h);
  TCanvas* sc = scratch.Canvas();
  sc->Brush()->SetColor(color_);
  sc->CopyRect(RECT{0, 0, w, h}, Canvas(), r);
  DrawMaskedBitmap(*sc, *glyph_, RECT{0, 0, w, h}, RECT{cell * w, 0, (cell + 1) * w, h}, glyph_->TransparentColor());
  Canvas()->Draw(r.left, r.top, &scratch);
}
