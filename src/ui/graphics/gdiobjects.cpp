// Fonts, brushes and pens: values plus a platform handle made on demand.
#include <cstring>

#include "platform/base/muldiv.h"
#include "platform/font/font.h"
#include "ui/graphics/graphics.h"

// ---------------------------------------------------------------------------------------
// TGraphicsObject

TGraphicsObject::~TGraphicsObject() {
  if (handle_) DeleteObject(handle_);
}

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
  if (handle_) {
    DeleteObject(handle_);
    handle_ = nullptr;
  }
}

// ---------------------------------------------------------------------------------------
// TFont

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTA lf;
    lf.lfHeight = height_;
    lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = style_.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = style_.Contains(fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = BYTE(charset_);
    lf.lfPitchAndFamily = BYTE(pitch_ == fpVariable ? VARIABLE_PITCH : pitch_ == fpFixed ? 1 : DEFAULT_PITCH);
    std::strncpy(lf.lfFaceName, name_.c_str(), sizeof lf.lfFaceName - 1);
    handle_ = CreateFontIndirectA(&lf);
  }
  return static_cast<HFONT>(handle_);
}

void TFont::SetHandle(HFONT font) {
  LOGFONTA lf;
  if (!font || GetObjectA(font, sizeof lf, &lf) == 0) return;
  name_ = std::string(lf.lfFaceName, strnlen(lf.lfFaceName, sizeof lf.lfFaceName));
  height_ = lf.lfHeight;
  TFontStyles s;
  if (lf.lfWeight >= FW_SEMIBOLD) s.Include(fsBold);
  if (lf.lfItalic) s.Include(fsItalic);
  if (lf.lfUnderline) s.Include(fsUnderline);
  if (lf.lfStrikeOut) s.Include(fsStrikeOut);
  style_ = s;
  charset_ = lf.lfCharSet;
  Changed();
}

void TFont::SetName(const std::string& value) {
  if (value.empty() || value == name_) return;
  name_ = value;
  Changed();
}

void TFont::SetHeight(int value) {
  if (value == height_) return;
  height_ = value;
  Changed();
}

int TFont::Size() const { return -height_ * 72 / pixelsPerInch_; }

void TFont::SetSize(int value) {
  SetHeight(-MulDivRound(value, pixelsPerInch_, 72));
}

void TFont::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  // The colour is not part of the platform font; only the users need to hear of it.
  if (OnChange) OnChange(this);
}

void TFont::SetStyle(TFontStyles value) {
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TFont::SetCharset(int value) {
  if (value == charset_) return;
  charset_ = value;
  Changed();
}

void TFont::SetPitch(TFontPitch value) {
  if (value == pitch_) return;
  pitch_ = value;
  Changed();
}

void TFont::Assign(TPersistent* source) {
  auto* f = dynamic_cast<TFont*>(source);
  if (!f) {
    TPersistent::Assign(source);
    return;
  }
  if (f == this) return;
  bool same = name_ == f->name_ && height_ == f->height_ && style_ == f->style_ && charset_ == f->charset_ &&
              pitch_ == f->pitch_;
  bool sameColor = color_ == f->color_;
  name_ = f->name_;
  height_ = f->height_;
  style_ = f->style_;
  charset_ = f->charset_;
  pitch_ = f->pitch_;
  color_ = f->color_;
  pixelsPerInch_ = f->pixelsPerInch_;
  if (!same) Changed();
  else if (!sameColor && OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------
// TBrush

HBRUSH TBrush::Handle() {
  if (!handle_) {
    LOGBRUSH lb;
    if (bitmap_ && !bitmap_->Empty()) {
      handle_ = CreatePatternBrush(bitmap_->Handle());
    } else if (style_ == bsClear) {
      lb.lbStyle = BS_NULL;
      handle_ = CreateBrushIndirect(&lb);
    } else {
      // Hatched styles are drawn solid: nothing in the windows asks for hatches.
      handle_ = CreateSolidBrush(COLORREF(ColorToRGB(color_)));
    }
  }
  return static_cast<HBRUSH>(handle_);
}

void TBrush::SetColor(TColor value) {
  if (value == color_ && style_ != bsClear) return;
  color_ = value;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TBrush::SetBitmap(TBitmap* value) {
  if (value == bitmap_) return;
  bitmap_ = value;
  Changed();
}

void TBrush::Assign(TPersistent* source) {
  auto* b = dynamic_cast<TBrush*>(source);
  if (!b) {
    TPersistent::Assign(source);
    return;
  }
  if (b == this) return;
  if (color_ == b->color_ && style_ == b->style_ && bitmap_ == b->bitmap_) return;
  color_ = b->color_;
  style_ = b->style_;
  bitmap_ = b->bitmap_;
  Changed();
}

// ---------------------------------------------------------------------------------------
// TPen

HPEN TPen::Handle() {
  if (!handle_) {
    int style = PS_SOLID;
    switch (style_) {
      case psDash: style = PS_DASH; break;
      case psDot: style = PS_DOT; break;
      case psDashDot: style = PS_DASHDOT; break;
      case psDashDotDot: style = PS_DASHDOTDOT; break;
      case psClear: style = PS_NULL; break;
      default: break;
    }
    handle_ = CreatePen(style, width_, COLORREF(ColorToRGB(color_)));
  }
  return static_cast<HPEN>(handle_);
}

void TPen::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TPen::SetWidth(int value) {
  if (value < 0 || value == width_) return;
  width_ = value;
  Changed();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TPen::SetMode(TPenMode value) {
  if (value == mode_) return;
  mode_ = value;
  Changed();
}

void TPen::Assign(TPersistent* source) {
  auto* p = dynamic_cast<TPen*>(source);
  if (!p) {
    TPersistent::Assign(source);
    return;
  }
  if (p == this) return;
  if (color_ == p->color_ && width_ == p->width_ && style_ == p->style_ && mode_ == p->mode_) return;
  color_ = p->color_;
  width_ = p->width_;
  style_ = p->style_;
  mode_ = p->mode_;
  Changed();
}
