// SurfaceView over the bitmap object's fields.
#include "platform/gdi/surface.h"

#include "platform/gdi/dc_internal.h"

SurfaceView::SurfaceView(HBITMAP bitmap) : bitmap_(bitmap) {
  if (bitmap_) ++bitmap_->views;
}

SurfaceView::SurfaceView(HDC hdc) : SurfaceView(gdi::Surface(hdc)) {}

SurfaceView::~SurfaceView() {
  if (bitmap_) --bitmap_->views;
}

SurfaceFormat SurfaceView::Format() const {
  switch (BitsPerPixel()) {
    case 1: return SurfaceFormat::Indexed1;
    case 4: return SurfaceFormat::Indexed4;
    case 8: return SurfaceFormat::Indexed8;
    case 24: return SurfaceFormat::Bgr;
    default: return SurfaceFormat::Bgrx;
  }
}

int SurfaceView::BitsPerPixel() const { return bitmap_ ? bitmap_->bitsPerPixel : 0; }
int SurfaceView::Width() const { return bitmap_ ? bitmap_->width : 0; }
int SurfaceView::Height() const { return bitmap_ ? bitmap_->height : 0; }
int SurfaceView::Stride() const { return bitmap_ ? bitmap_->stride : 0; }
bool SurfaceView::IsDib() const { return bitmap_ && bitmap_->isDib; }
bool SurfaceView::TopDown() const { return bitmap_ && bitmap_->topDown; }
BYTE* SurfaceView::Row(int y) const { return bitmap_ ? bitmap_->Row(y) : nullptr; }

std::span<RGBQUAD> SurfaceView::ColorTable() const {
  if (!bitmap_) return {};
  return std::span<RGBQUAD>(bitmap_->colorTable);
}
