// TCanvas: selects its font, brush and pen into the DC lazily, just before a drawing call
// needs them, and takes them out again as soon as one of them changes, so a changed
// object's old handle is never left selected (the platform refuses to free those).
#include "platform/font/font.h"
#include "ui/graphics/graphics.h"

namespace {
enum { kFont = 0, kBrush = 1, kPen = 2 };
}

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), brush_(std::make_unique<TBrush>()), pen_(std::make_unique<TPen>()) {
  font_->OnChange = [this](TObject*) { ObjectChanged(kFont); };
  brush_->OnChange = [this](TObject*) { ObjectChanged(kBrush); };
  pen_->OnChange = [this](TObject*) { ObjectChanged(kPen); };
}

TCanvas::~TCanvas() {
  // Our objects must be out of the DC before they (and their handles) go.
  DeselectHandles();
  font_->OnChange = nullptr;
  brush_->OnChange = nullptr;
  pen_->OnChange = nullptr;
}

HDC TCanvas::Handle() {
  if (!hdc_) CreateHandle();
  if (!hdc_) throw EInvalidOperation("Canvas does not allow drawing");
  return hdc_;
}

void TCanvas::SetHandle(HDC hdc) {
  if (hdc == hdc_) return;
  DeselectHandles();
  hdc_ = hdc;
  if (hdc_) {
    POINT p;
    if (GetCurrentPositionEx(hdc_, &p)) penPos_ = p;
  }
}

void TCanvas::DeselectHandles() {
  if (!hdc_) {
    fontSelected_ = brushSelected_ = penSelected_ = false;
    oldFont_ = oldBrush_ = oldPen_ = nullptr;
    return;
  }
  if (oldFont_) SelectObject(hdc_, oldFont_);
  if (oldBrush_) SelectObject(hdc_, oldBrush_);
  if (oldPen_) SelectObject(hdc_, oldPen_);
  fontSelected_ = brushSelected_ = penSelected_ = false;
  oldFont_ = oldBrush_ = oldPen_ = nullptr;
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::ObjectChanged(int which) {
  if (!hdc_) return;
  // Put the DC's own object back now: the changed object frees its handle right after.
  if (which == kFont && fontSelected_) {
    SelectObject(hdc_, oldFont_);
    oldFont_ = nullptr;
    fontSelected_ = false;
  } else if (which == kBrush && brushSelected_) {
    SelectObject(hdc_, oldBrush_);
    oldBrush_ = nullptr;
    brushSelected_ = false;
  } else if (which == kPen && penSelected_) {
    SelectObject(hdc_, oldPen_);
    oldPen_ = nullptr;
    penSelected_ = false;
  }
}

void TCanvas::RequireState(bool font, bool brush, bool pen) {
  HDC dc = Handle();
  if (font && !fontSelected_) {
    HGDIOBJ old = SelectObject(dc, font_->Handle());
    if (!oldFont_) oldFont_ = old;
    fontSelected_ = true;
  }
  if (brush && !brushSelected_) {
    HGDIOBJ old = SelectObject(dc, brush_->Handle());
    if (!oldBrush_) oldBrush_ = old;
    brushSelected_ = true;
  }
  if (pen && !penSelected_) {
    HGDIOBJ old = SelectObject(dc, pen_->Handle());
    if (!oldPen_) oldPen_ = old;
    penSelected_ = true;
  }
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::FillRect(const RECT& rect) {
  Changing();
  RequireState(false, true, false);
  if (brush_->Style() != bsClear) ::FillRect(hdc_, &rect, brush_->Handle());
  Changed();
}

void TCanvas::FrameRect(const RECT& rect) {
  Changing();
  RequireState(false, true, false);
  if (brush_->Style() != bsClear) ::FrameRect(hdc_, &rect, brush_->Handle());
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequireState(false, true, true);
  if (pen_->Mode() == pmCopy || pen_->Style() == psClear) {
    ::Rectangle(hdc_, x1, y1, x2, y2);
  } else {
    // The outline is drawn by hand in the pen's mode; the inside still gets the brush.
    if (brush_->Style() != bsClear) {
      RECT inner{x1 + 1, y1 + 1, x2 - 1, y2 - 1};
      ::FillRect(hdc_, &inner, brush_->Handle());
    }
    LineWithMode(x1, y1, x2 - 1, y1);
    LineWithMode(x2 - 1, y1, x2 - 1, y2 - 1);
    LineWithMode(x2 - 1, y2 - 1, x1, y2 - 1);
    LineWithMode(x1, y2 - 1, x1, y1);
  }
  Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  Changing();
  RequireState(true, true, false);
  SetTextColor(hdc_, COLORREF(ColorToRGB(font_->Color())));
  if (brush_->Style() == bsClear) {
    SetBkMode(hdc_, TRANSPARENT);
  } else {
    SetBkMode(hdc_, OPAQUE);
    SetBkColor(hdc_, COLORREF(ColorToRGB(brush_->Color())));
  }
  TextOutA(hdc_, x, y, text.data(), int(text.size()));
  SIZE sz;
  GetTextExtentPoint32A(hdc_, text.data(), int(text.size()), &sz);
  MoveToEx(hdc_, x + sz.cx, y, nullptr);
  penPos_ = POINT{x + sz.cx, y};
  Changed();
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text) {
  Changing();
  RequireState(true, true, false);
  SetTextColor(hdc_, COLORREF(ColorToRGB(font_->Color())));
  UINT options = ETO_CLIPPED;
  if (brush_->Style() == bsClear) {
    SetBkMode(hdc_, TRANSPARENT);
  } else {
    SetBkMode(hdc_, OPAQUE);
    SetBkColor(hdc_, COLORREF(ColorToRGB(brush_->Color())));
    options |= ETO_OPAQUE;
  }
  ExtTextOutA(hdc_, x, y, options, &rect, text.data(), UINT(text.size()), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& text) {
  RequireState(true, false, false);
  SIZE sz;
  GetTextExtentPoint32A(hdc_, text.data(), int(text.size()), &sz);
  return sz;
}

int TCanvas::TextWidth(const std::string& text) { return TextExtent(text).cx; }

int TCanvas::TextHeight(const std::string& text) { return TextExtent(text).cy; }

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequireState(false, false, false);
  // Monochrome sources take their colours from these, as on the platform.
  SetBkColor(hdc_, COLORREF(ColorToRGB(brush_->Color())));
  SetTextColor(hdc_, COLORREF(ColorToRGB(font_->Color())));
  graphic->DrawOnCanvas(*this, RECT{x, y, x + graphic->Width(), y + graphic->Height()});
  Changed();
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequireState(false, false, false);
  SetBkColor(hdc_, COLORREF(ColorToRGB(brush_->Color())));
  SetTextColor(hdc_, COLORREF(ColorToRGB(font_->Color())));
  graphic->DrawOnCanvas(*this, rect);
  Changed();
}

TColor TCanvas::Pixels(int x, int y) { return TColor(GetPixel(Handle(), x, y)); }

void TCanvas::SetPixel(int x, int y, TColor color) {
  Changing();
  ::SetPixel(Handle(), x, y, COLORREF(ColorToRGB(color)));
  Changed();
}

void TCanvas::MoveTo(int x, int y) {
  MoveToEx(Handle(), x, y, nullptr);
  penPos_ = POINT{x, y};
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequireState(false, true, true);
  if (pen_->Mode() == pmCopy || pen_->Style() == psClear) {
    ::LineTo(hdc_, x, y);
  } else {
    LineWithMode(penPos_.x, penPos_.y, x, y);
    MoveToEx(hdc_, x, y, nullptr);
  }
  penPos_ = POINT{x, y};
  Changed();
}

namespace {

COLORREF MixPen(TPenMode mode, COLORREF pen, COLORREF dst) {
  COLORREF r;
  switch (mode) {
    case pmBlack: r = 0; break;
    case pmWhite: r = ~0u; break;
    case pmNop: r = dst; break;
    case pmNot: r = ~dst; break;
    case pmCopy: r = pen; break;
    case pmNotCopy: r = ~pen; break;
    case pmMergePenNot: r = pen | ~dst; break;
    case pmMaskPenNot: r = pen & ~dst; break;
    case pmMergeNotPen: r = ~pen | dst; break;
    case pmMaskNotPen: r = ~pen & dst; break;
    case pmMerge: r = pen | dst; break;
    case pmNotMerge: r = ~(pen | dst); break;
    case pmMask: r = pen & dst; break;
    case pmNotMask: r = ~(pen & dst); break;
    case pmXor: r = pen ^ dst; break;
    default: r = ~(pen ^ dst); break;
  }
  return r & 0x00FFFFFFu;
}

}  // namespace

// One-pixel line from (x1, y1) towards (x2, y2), end point excluded as LineTo does, mixing
// the pen colour with each pixel under it by the pen mode.
void TCanvas::LineWithMode(int x1, int y1, int x2, int y2) {
  COLORREF pen = COLORREF(ColorToRGB(pen_->Color()));
  int dx = x2 > x1 ? x2 - x1 : x1 - x2, sx = x1 < x2 ? 1 : -1;
  int dy = y2 > y1 ? y1 - y2 : y2 - y1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  int x = x1, y = y1;
  while (x != x2 || y != y2) {
    COLORREF d = GetPixel(hdc_, x, y);
    if (d != CLR_INVALID) ::SetPixel(hdc_, x, y, MixPen(pen_->Mode(), pen, d));
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* canvas, const RECT& src) {
  if (!canvas) return;
  Changing();
  RequireState(false, true, false);
  HDC srcDc = canvas->Handle();
  StretchBlt(hdc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, srcDc, src.left, src.top,
             src.right - src.left, src.bottom - src.top, copyMode_);
  Changed();
}

void TCanvas::DrawFocusRect(const RECT& rect) {
  Changing();
  RequireState(false, true, false);
  ::DrawFocusRect(hdc_, &rect);
  Changed();
}
