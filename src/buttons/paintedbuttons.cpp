// Sections: TCustomPaintedButton (properties, input, caption), TPaintedButton (roles,
// groups, painting, messages).
#include "buttons/paintedbuttons.h"

#include "buttons/buttonshared.h"
#include "platform/base/muldiv.h"
#include "buttons/drawcommon.h"
#include "platform/font/font.h"
#include "buttons/drawgraphics.h"
#include "buttons/lookthemed.h"
#include "ui/stdctrls/stdctrls.h"

using buttons_internal::kMeasureFlags;
using buttons_internal::Store;

// ---------------------------------------------------------------------------------------
// TCustomPaintedButton

TCustomPaintedButton::TCustomPaintedButton(TComponent* owner) : TCustomControl(owner) {
  // The button decides about clicks itself; double clicks arrive as plain presses.
  controlStyle_ = TControlStyle{csCaptureMouse};
  tabStop_ = true;
  SetBounds(0, 0, 115, 17);
}

TCustomPaintedButton::~TCustomPaintedButton() = default;

void TCustomPaintedButton::SetAlignmentVertical(TAlignmentVertical value) {
  if (Store(alignmentVertical_, value)) Invalidate();
}
void TCustomPaintedButton::SetHotTrack(bool value) {
  if (Store(hotTrack_, value)) Invalidate();
}
void TCustomPaintedButton::SetHighlightColor(TColor value) {
  if (Store(highlightColor_, value)) Invalidate();
}
void TCustomPaintedButton::SetLightTextStyle(bool value) {
  if (Store(lightTextStyle_, value)) Invalidate();
}
void TCustomPaintedButton::SetTextStyle(TTextStyle value) {
  if (Store(textStyle_, value)) Invalidate();
}
void TCustomPaintedButton::SetTextHighlightColor(TColor value) {
  if (Store(textHighlightColor_, value)) Invalidate();
}
void TCustomPaintedButton::SetTextShadowColor(TColor value) {
  if (Store(textShadowColor_, value)) Invalidate();
}
void TCustomPaintedButton::SetTextShadowDepth(int value) {
  if (Store(textShadowDepth_, value)) Invalidate();
}
void TCustomPaintedButton::SetThemeAware(bool value) {
  if (Store(themeAware_, value)) Invalidate();
}
void TCustomPaintedButton::SetTransparentEdges(bool value) {
  if (Store(transparentEdges_, value)) Invalidate();
}

bool TCustomPaintedButton::UsesVisualStyles() const { return themeAware_ && VisualStylesOn(); }

void TCustomPaintedButton::ChangeScale(int m, int d) {
  TCustomControl::ChangeScale(m, d);
  Invalidate();
}

void TCustomPaintedButton::Apply(TPressEffect effect) {
  if (effect.click) PerformClick();
  if (effect.refresh) RefreshFace();
}

void TCustomPaintedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !enabled_) return;
  if (HandleAllocated()) ::SetFocus(Handle());
  Apply(tracker_.Press(Focused()));
}

void TCustomPaintedButton::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  Apply(tracker_.Move(PtInRect(ClientRect(), POINT{x, y})));
}

void TCustomPaintedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  Apply(tracker_.Release(button, PtInRect(ClientRect(), POINT{x, y})));
}

void TCustomPaintedButton::DrawCaptionText(TCanvas& canvas, const RECT& rect, UINT flags) {
  canvas.Brush()->SetStyle(bsClear);
  canvas.Font()->SetName("System");
  canvas.Font()->Assign(font_.get());
  RECT r = rect;
  RECT calc = rect;
  const int h = DrawTextIn(canvas, text_, calc, kMeasureFlags);
  switch (alignmentVertical_) {
    case avTop: r.bottom = r.top + h; break;
    case avCenter:
      r.top = (r.top + r.bottom - h) / 2;
      r.bottom = r.top + h;
      break;
    case avBottom: r.top = r.bottom - h - 1; break;
  }
  if (UseRightToLeftAlignment()) flags |= DT_RTLREADING;
  auto drawAt = [&](int dx, int dy, TColor color) {
    RECT moved = r;
    OffsetRect(&moved, dx, dy);
    canvas.Font()->SetColor(color);
    DrawTextIn(canvas, text_, moved, flags);
  };
  if (enabled_) {
    if (textStyle_ == tsRaised || textStyle_ == tsRecessed) {
      const bool raised = textStyle_ == tsRaised;
      const TColor first = raised ? textHighlightColor_ : textShadowColor_;
      const TColor second = raised ? textShadowColor_ : textHighlightColor_;
      if (!raised || !lightTextStyle_) drawAt(1, 1, second);
      if (raised || !lightTextStyle_) drawAt(-1, -1, first);
    } else if (textStyle_ == tsShadow) {
      drawAt((flags & DT_RIGHT) ? 0 : textShadowDepth_, textShadowDepth_, textShadowColor_);
    }
    canvas.Font()->SetColor(font_->Color());
    // Right-aligned text keeps clear of the border by the shadow's depth in every style,
    // so switching the style never moves the caption.
    if (flags & DT_RIGHT) OffsetRect(&r, -textShadowDepth_, 0);
  } else {
    canvas.Font()->SetColor(ColorsAlike(color_, clGrayText) ? cl3DDkShadow : clGrayText);
  }
  DrawTextIn(canvas, text_, r, flags);
  canvas.Brush()->SetStyle(bsSolid);
}

void TCustomPaintedButton::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (IsDesigning()) return;
      tracker_.SetPointerInside(message.Msg == CM_MOUSEENTER);
      TCustomControl::WndProc(message);
      if ((hotTrack_ || UsesVisualStyles()) && HandleAllocated()) InvalidateRect(GetHotTrackRect(), false);
      return;
    case WM_ERASEBKGND:
      if (!transparentEdges_) break;
      PaintTransparentBackground(reinterpret_cast<HDC>(message.WParam));
      message.Result = 1;
      return;
    case CM_TEXTCHANGED:
      TCustomControl::WndProc(message);
      Repaint();
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::WndProc(message);
      RefreshFocus();
      return;
    default: break;
  }
  TCustomControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------
// TPaintedButton

TPaintedButton::TPaintedButton(TComponent* owner) : TCustomPaintedButton(owner) {
  SetBounds(0, 0, 75, 25);
  color_ = clBtnFace;
  parentColor_ = false;
}

TPaintedButton::~TPaintedButton() = default;

void TPaintedButton::SetAlignment(TAlignment value) {
  if (Store(alignment_, value)) Invalidate();
}

void TPaintedButton::SetDefault(bool value) {
  default_ = value;
  TCustomForm* form = GetParentForm(this);
  if (HandleAllocated() && form)
    form->Perform(CM_FOCUSCHANGED, 0, LPARAM(reinterpret_cast<std::uintptr_t>(form->ActiveControl())));
}

void TPaintedButton::SetAllowAllUp(bool value) {
  if (!Store(allowAllUp_, value)) return;
  NotifyGroup();
}

void TPaintedButton::SetDown(bool value) {
  if (groupIndex_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allowAllUp_ && groupIndex_ != 0) return;
  down_ = value;
  Invalidate();
  if (value) NotifyGroup();
}

void TPaintedButton::SetFrameColor(TColor value) {
  if (Store(frameColor_, value)) Invalidate();
}

void TPaintedButton::SetGroupIndex(int value) {
  if (!Store(groupIndex_, value)) return;
  NotifyGroup();
}

void TPaintedButton::SetShowDownPattern(bool value) {
  if (Store(showDownPattern_, value)) Invalidate();
}

void TPaintedButton::SetShowFocusRect(bool value) {
  if (Store(showFocusRect_, value)) Invalidate();
}

void TPaintedButton::SetHotTrack(bool value) {
  TCustomPaintedButton::SetHotTrack(value);
  SetTransparentEdges(HotTrack());
  if (HandleAllocated()) InvalidateRect(ClientRect(), true);
}

void TPaintedButton::NotifyGroup() {
  if (groupIndex_ == 0 || !parent_) return;
  TMessage m{CM_BUTTONGROUP, WPARAM(groupIndex_), LPARAM(reinterpret_cast<std::uintptr_t>(this)), 0};
  parent_->Broadcast(m);
}

void TPaintedButton::SetActsAsDefault(bool value) {
  if (!Store(actsAsDefault_, value)) return;
  if (HandleAllocated()) Repaint();
}

void TPaintedButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TCustomPaintedButton::Click();
}

void TPaintedButton::PerformClick() {
  if (groupIndex_ != 0)
    SetDown(!down_);
  else
    RefreshFace();
  inClick_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inClick_};
  Click();
}

void TPaintedButton::CreateWnd() {
  TCustomPaintedButton::CreateWnd();
  actsAsDefault_ = default_;
}

void TPaintedButton::KeyDown(WORD& key, TShiftState shift) {
  if (key == VK_SPACE) Apply(tracker_.SpaceDown(shift));
  TCustomPaintedButton::KeyDown(key, shift);
}

void TPaintedButton::KeyUp(WORD& key, TShiftState shift) {
  if (key == VK_SPACE) Apply(tracker_.SpaceUp());
  TCustomPaintedButton::KeyUp(key, shift);
}

void TPaintedButton::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      if (TPressTracker::DialogClicks(message, KeyDataToShiftState(message.LParam), text_, actsAsDefault_, cancel_,
                                      CanFocus())) {
        Click();
        message.Result = 1;
        return;
      }
      break;
    case CM_FOCUSCHANGED:
      if (!IsDestroying()) {
        auto* focused = reinterpret_cast<TWinControl*>(message.LParam);
        if (dynamic_cast<TPaintedButton*>(focused) || dynamic_cast<TButton*>(focused))
          SetActsAsDefault(focused == this);
        else
          SetActsAsDefault(default_);
      }
      break;
    case CM_BUTTONGROUP: {
      auto* sender = reinterpret_cast<TPaintedButton*>(message.LParam);
      if (int(message.WParam) == groupIndex_ && sender && sender != this) {
        if (sender->Down() && down_) {
          down_ = false;
          Invalidate();
        }
        allowAllUp_ = sender->AllowAllUp();
      }
      message.Result = 0;
      return;
    }
    case WM_KILLFOCUS:
      TCustomPaintedButton::WndProc(message);
      if (!IsDestroying()) Apply(tracker_.FocusLost());
      return;
    default: break;
  }
  TCustomPaintedButton::WndProc(message);
}

RECT TPaintedButton::GetCaptionRect() const {
  RECT r = ClientRect();
  InflateRect(&r, -5, -5);
  if (DrawnPressed() && !HotTrack() && !UsesVisualStyles()) OffsetRect(&r, 1, 1);
  return r;
}

void TPaintedButton::DrawCaption() {
  TAlignment a = alignment_;
  if (UseRightToLeftAlignment()) {
    if (a == taLeftJustify)
      a = taRightJustify;
    else if (a == taRightJustify)
      a = taLeftJustify;
  }
  UINT flags = a == taLeftJustify ? DT_LEFT : a == taRightJustify ? DT_RIGHT : DT_CENTER;
  flags |= DT_WORDBREAK | DT_EXPANDTABS;
  DrawCaptionText(*Canvas(), GetCaptionRect(), flags);
}

void TPaintedButton::MakeDownPattern(TBitmap& bitmap) {
  bitmap.SetSize(8, 8);
  TCanvas* c = bitmap.Canvas();
  c->Brush()->SetColor(color_);
  c->FillRect(RECT{0, 0, 8, 8});
  const TColor dot = ColorToRGB(color_) == clSilver ? clGray : clSilver;
  for (int y = 0; y < 8; ++y)
    for (int x = y % 2; x < 8; x += 2) c->SetPixel(x, y, dot);
}

TButtonLook TPaintedButton::Look() const {
  TButtonLook look;
  look.client = ClientRect();
  look.color = color_;
  look.parentColor = parent_ ? parent_->Color() : clBtnFace;
  look.frameColor = frameColor_;
  look.highlightColor = HighlightColor();
  look.hotTrackColor = HotTrackColor();
  look.hotTrackColorType = HotTrackColorType();
  look.enabled = enabled_;
  look.focused = Focused();
  look.pressedLook = PressedLook();
  look.drawnPressed = DrawnPressed();
  look.pointerInside = PointerInside();
  look.actsAsDefault = actsAsDefault_;
  look.inClick = inClick_;
  look.groupIndex = groupIndex_;
  return look;
}

void TPaintedButton::Paint() {
  TCanvas& c = *Canvas();
  const TButtonLook look = Look();
  const bool styled = UsesVisualStyles();
  RECT focus = look.client;
  InflateRect(&focus, (HotTrack() || styled) ? -3 : -4, (HotTrack() || styled) ? -3 : -4);
  if (groupIndex_ != 0 && look.drawnPressed) OffsetRect(&focus, 1, 1);

  RECT r;
  if (styled)
    r = PaintThemedLook(c, handle_, look);
  else if (HotTrack())
    r = PaintHotTrackLook(c, look);
  else
    r = PaintClassicLook(c, look);

  if (groupIndex_ != 0 && down_ && showDownPattern_) {
    TBitmap pattern;
    MakeDownPattern(pattern);
    c.Brush()->SetBitmap(&pattern);
    c.FillRect(r);
    c.Brush()->SetBitmap(nullptr);
  }
  c.Font()->Assign(font_.get());
  c.Brush()->SetColor(color_);
  DrawCaption();
  if (look.focused && showFocusRect_) DrawDottedFrame(c, focus);
}

void TPaintedButton::PaintTransparentBackground(HDC dc) {
  const int d = enabled_ ? 1 : 2;
  RECT r = ClientRect();
  InflateRect(&r, -d, -d);
  ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  ExcludeClipRect(dc, r.left - 1, r.top + 1, r.right + 1, r.bottom - 1);
  ExcludeClipRect(dc, r.left + 2, r.top - 2, r.right - 2, r.bottom + 2);
  PaintParentBackground(this, dc, true);
  SelectClipRgn(dc, nullptr);
}
