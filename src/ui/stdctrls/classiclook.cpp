// Classic painters. Sections: lines and frames, text, panels and bevels, group boxes,
// buttons, list boxes, tabs, menus, message icons, captions.
#include "ui/stdctrls/classiclook.h"

#include <algorithm>

#include "platform/font/font.h"

namespace {

COLORREF Rgb(TColor c) { return COLORREF(ColorToRGB(c)); }

void HLine(TCanvas& c, int x1, int x2, int y, TColor color) {
  if (x2 > x1) FillSolidRect(c.Handle(), RECT{x1, y, x2, y + 1}, Rgb(color));
}
void VLine(TCanvas& c, int x, int y1, int y2, TColor color) {
  if (y2 > y1) FillSolidRect(c.Handle(), RECT{x, y1, x + 1, y2}, Rgb(color));
}
void Pixel(TCanvas& c, int x, int y, TColor color) { FillSolidRect(c.Handle(), RECT{x, y, x + 1, y + 1}, Rgb(color)); }

}  // namespace

TMeasureCanvas::~TMeasureCanvas() {
  SetHandle(nullptr);
  if (dc_) DeleteDC(dc_);
}

void TMeasureCanvas::CreateHandle() {
  if (!dc_) dc_ = CreateCompatibleDC(nullptr);
  SetHandle(dc_);
}

FontSelection::FontSelection(TCanvas& canvas)
    : dc_(canvas.Handle()), old_(SelectObject(dc_, canvas.Font()->Handle())) {}

FontSelection::~FontSelection() { SelectObject(dc_, old_); }

// ---------------------------------------------------------------------------------------
// Lines and frames

void FillColor(TCanvas& canvas, const RECT& rect, TColor color) {
  if (!IsRectEmpty(rect)) FillSolidRect(canvas.Handle(), rect, Rgb(color));
}

void Frame3D(TCanvas& canvas, RECT& rect, TColor topColor, TColor bottomColor, int width) {
  for (int i = 0; i < width; ++i) {
    if (rect.right - rect.left <= 0 || rect.bottom - rect.top <= 0) return;
    const int r = rect.right - 1, b = rect.bottom - 1;
    HLine(canvas, rect.left, r, rect.top, topColor);
    VLine(canvas, rect.left, rect.top, b, topColor);
    HLine(canvas, rect.left, r + 1, b, bottomColor);
    VLine(canvas, r, rect.top, b, bottomColor);
    InflateRect(&rect, -1, -1);
  }
}

RECT DrawEdgePart(TCanvas& canvas, const RECT& rect, TEdgePart part) {
  static constexpr TColor kTop[] = {cl3DLight, clBtnHighlight, clBtnShadow, cl3DDkShadow};
  static constexpr TColor kBottom[] = {cl3DDkShadow, clBtnShadow, clBtnHighlight, cl3DLight};
  RECT r = rect;
  Frame3D(canvas, r, kTop[part], kBottom[part], 1);
  return r;
}

RECT DrawSunkenEdge(TCanvas& canvas, const RECT& rect) {
  return DrawEdgePart(canvas, DrawEdgePart(canvas, rect, epSunkenOuter), epSunkenInner);
}

RECT DrawRaisedEdge(TCanvas& canvas, const RECT& rect) {
  // Buttons, menus and pages show the bright line outermost, as classic windows do.
  RECT r = rect;
  Frame3D(canvas, r, clBtnHighlight, cl3DDkShadow, 1);
  Frame3D(canvas, r, cl3DLight, clBtnShadow, 1);
  return r;
}

void DrawEtchedHLine(TCanvas& canvas, int left, int right, int y) {
  HLine(canvas, left, right, y, clBtnShadow);
  HLine(canvas, left, right, y + 1, clBtnHighlight);
}

void DrawEtchedFrame(TCanvas& canvas, const RECT& rect) {
  if (rect.right - rect.left < 2 || rect.bottom - rect.top < 2) return;
  RECT hi{rect.left + 1, rect.top + 1, rect.right, rect.bottom};
  RECT sh{rect.left, rect.top, rect.right - 1, rect.bottom - 1};
  Frame3D(canvas, hi, clBtnHighlight, clBtnHighlight, 1);
  Frame3D(canvas, sh, clBtnShadow, clBtnShadow, 1);
}

// ---------------------------------------------------------------------------------------
// Text

int DrawCanvasText(TCanvas& canvas, RECT& rect, const std::string& text, UINT format) {
  FontSelection fs(canvas);
  SetTextColor(fs.dc(), Rgb(canvas.Font()->Color()));
  const int oldMode = SetBkMode(fs.dc(), TRANSPARENT);
  const int h = DrawTextA(fs.dc(), text.c_str(), int(text.size()), &rect, format);
  SetBkMode(fs.dc(), oldMode);
  return h;
}

void DrawDisabledText(TCanvas& canvas, RECT rect, const std::string& text, UINT format) {
  const TColor saved = canvas.Font()->Color();
  RECT r = rect;
  OffsetRect(&r, 1, 1);
  canvas.Font()->SetColor(clBtnHighlight);
  DrawCanvasText(canvas, r, text, format);
  canvas.Font()->SetColor(clBtnShadow);
  DrawCanvasText(canvas, rect, text, format);
  canvas.Font()->SetColor(saved);
}

// ---------------------------------------------------------------------------------------
// Panels and bevels

namespace {
void PanelBevel(TCanvas& canvas, RECT& r, TPanelBevel bevel, int width, TColor face) {
  switch (bevel) {
    case bvNone: return;
    case bvLowered: Frame3D(canvas, r, clBtnShadow, clBtnHighlight, width); return;
    case bvRaised: Frame3D(canvas, r, clBtnHighlight, clBtnShadow, width); return;
    case bvSpace: Frame3D(canvas, r, face, face, width); return;
  }
}
}  // namespace

void DrawPanelFace(TCanvas& canvas, const RECT& bounds, TPanelBevel outer, TPanelBevel inner, int bevelWidth,
                   int borderWidth, TColor color, const std::string& caption, TAlignment alignment) {
  RECT r = bounds;
  PanelBevel(canvas, r, outer, bevelWidth, color);
  Frame3D(canvas, r, color, color, borderWidth);
  PanelBevel(canvas, r, inner, bevelWidth, color);
  FillColor(canvas, r, color);
  if (caption.empty()) return;
  static constexpr UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  DrawCanvasText(canvas, r, caption, DT_SINGLELINE | DT_VCENTER | kAlign[alignment]);
}

void DrawBevelShape(TCanvas& canvas, const RECT& b, TBevelShape shape, TBevelStyle style) {
  const TColor first = style == bsLowered ? clBtnShadow : clBtnHighlight;
  const TColor second = style == bsLowered ? clBtnHighlight : clBtnShadow;
  const int w = b.right - b.left, h = b.bottom - b.top;
  if (w <= 0 || h <= 0) return;
  switch (shape) {
    case bsBox: {
      RECT r = b;
      Frame3D(canvas, r, first, second, 1);
      return;
    }
    case bsFrame: {
      // Two outlines one pixel apart: the etched look, or its mirror when raised.
      RECT outer{b.left, b.top, b.right - 1, b.bottom - 1};
      RECT inner{b.left + 1, b.top + 1, b.right, b.bottom};
      Frame3D(canvas, inner, second, second, 1);
      Frame3D(canvas, outer, first, first, 1);
      return;
    }
    case bsTopLine:
      HLine(canvas, b.left, b.right, b.top, first);
      HLine(canvas, b.left, b.right, b.top + 1, second);
      return;
    case bsBottomLine:
      HLine(canvas, b.left, b.right, b.bottom - 2, first);
      HLine(canvas, b.left, b.right, b.bottom - 1, second);
      return;
    case bsLeftLine:
      VLine(canvas, b.left, b.top, b.bottom, first);
      VLine(canvas, b.left + 1, b.top, b.bottom, second);
      return;
    case bsRightLine:
      VLine(canvas, b.right - 2, b.top, b.bottom, first);
      VLine(canvas, b.right - 1, b.top, b.bottom, second);
      return;
    case bsSpacer: return;
  }
}

// ---------------------------------------------------------------------------------------
// Group boxes

void DrawGroupBoxFrame(TCanvas& canvas, const RECT& bounds, const std::string& caption, TColor color,
                       bool enabled) {
  FillColor(canvas, bounds, color);
  const int th = canvas.TextHeight("0");
  RECT frame = bounds;
  frame.top += th / 2;
  DrawEtchedFrame(canvas, frame);
  if (caption.empty()) return;
  const std::string shown = StripAccelChars(caption);
  const int tw = canvas.TextWidth(shown);
  RECT cell{bounds.left + 8, bounds.top, std::min<int>(bounds.left + 8 + tw + 2, bounds.right - 1), bounds.top + th};
  FillColor(canvas, cell, color);
  RECT text{cell.left + 1, cell.top, cell.right, cell.bottom};
  if (enabled)
    DrawCanvasText(canvas, text, caption, DT_SINGLELINE | DT_LEFT | DT_TOP);
  else
    DrawDisabledText(canvas, text, caption, DT_SINGLELINE | DT_LEFT | DT_TOP);
}

// ---------------------------------------------------------------------------------------
// Buttons

void DrawPushButton(TCanvas& canvas, const RECT& bounds, const std::string& caption, TButtonDrawState state) {
  RECT r = bounds;
  const bool pressed = state.Contains(bdfPressed);
  // The default frame is black: the Windows 7 table's window-frame grey would not read as
  // the classic default outline.
  if (state.Contains(bdfDefault) || state.Contains(bdfFocused)) Frame3D(canvas, r, clBlack, clBlack, 1);
  if (pressed) {
    Frame3D(canvas, r, clBtnShadow, clBtnShadow, 1);
  } else {
    r = DrawRaisedEdge(canvas, r);
  }
  FillColor(canvas, r, clBtnFace);

  RECT text = bounds;
  if (pressed) OffsetRect(&text, 1, 1);
  canvas.Font()->SetColor(clBtnText);
  if (state.Contains(bdfDisabled))
    DrawDisabledText(canvas, text, caption, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  else
    DrawCanvasText(canvas, text, caption, DT_SINGLELINE | DT_CENTER | DT_VCENTER);

  if (state.Contains(bdfFocused) && !state.Contains(bdfDisabled)) {
    RECT f = bounds;
    InflateRect(&f, -4, -4);
    if (!IsRectEmpty(f)) canvas.DrawFocusRect(f);
  }
}

// ---------------------------------------------------------------------------------------
// List boxes

RECT DrawListBoxFrame(TCanvas& canvas, const RECT& bounds, TColor background) {
  const RECT client = DrawSunkenEdge(canvas, bounds);
  FillColor(canvas, client, background);
  return client;
}

void DrawListItemClassic(TCanvas& canvas, const RECT& rect, const std::string& text, bool selected,
                         bool focused) {
  FillColor(canvas, rect, selected ? clHighlight : clWindow);
  const TColor saved = canvas.Font()->Color();
  canvas.Font()->SetColor(selected ? clHighlightText : saved);
  RECT t{rect.left + 2, rect.top, rect.right, rect.bottom};
  DrawCanvasText(canvas, t, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  canvas.Font()->SetColor(saved);
  if (focused) canvas.DrawFocusRect(rect);
}

// ---------------------------------------------------------------------------------------
// Tabs

int TabRowHeight(TCanvas& canvas) { return canvas.TextHeight("0") + 7; }

std::vector<RECT> LayoutTabs(TCanvas& canvas, const std::vector<std::string>& captions, int width) {
  (void)width;  // one row; tabs past the right edge are cut off by the control
  std::vector<RECT> tabs;
  const int h = TabRowHeight(canvas);
  int x = 2;
  for (const std::string& c : captions) {
    const int w = canvas.TextWidth(StripAccelChars(c)) + 12;
    tabs.push_back(RECT{x, 2, x + w, 2 + h - 2});
    x += w;
  }
  return tabs;
}

namespace {
// One tab's outline: rounded top corners, bright left/top, shadowed right side; the
// bottom stays open.
void DrawTabOutline(TCanvas& c, const RECT& t) {
  VLine(c, t.left, t.top + 2, t.bottom, clBtnHighlight);
  Pixel(c, t.left + 1, t.top + 1, clBtnHighlight);
  HLine(c, t.left + 2, t.right - 2, t.top, clBtnHighlight);
  VLine(c, t.left + 1, t.top + 2, t.bottom, cl3DLight);
  HLine(c, t.left + 2, t.right - 2, t.top + 1, cl3DLight);
  VLine(c, t.right - 2, t.top + 2, t.bottom, clBtnShadow);
  Pixel(c, t.right - 2, t.top + 1, cl3DDkShadow);
  VLine(c, t.right - 1, t.top + 2, t.bottom, cl3DDkShadow);
}
}  // namespace

void DrawTabStrip(TCanvas& canvas, const RECT& bounds, const std::vector<RECT>& tabs,
                  const std::vector<std::string>& captions, int selected, bool focused) {
  const int rowBottom = bounds.top + TabRowHeight(canvas);
  RECT page{bounds.left, rowBottom, bounds.right, bounds.bottom};
  const RECT inside = DrawRaisedEdge(canvas, page);
  FillColor(canvas, inside, clBtnFace);
  canvas.Font()->SetColor(clBtnText);
  for (std::size_t i = 0; i < tabs.size() && i < captions.size(); ++i) {
    if (int(i) == selected) continue;
    RECT t = tabs[i];
    OffsetRect(&t, bounds.left, bounds.top);
    t.bottom = rowBottom;
    FillColor(canvas, RECT{t.left + 2, t.top + 2, t.right - 2, t.bottom}, clBtnFace);
    DrawTabOutline(canvas, t);
    RECT text{t.left, t.top + 2, t.right, t.bottom};
    DrawCanvasText(canvas, text, captions[i], DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  }
  if (selected >= 0 && selected < int(tabs.size()) && selected < int(captions.size())) {
    RECT t = tabs[std::size_t(selected)];
    OffsetRect(&t, bounds.left, bounds.top);
    t.left -= 2;
    t.right += 2;
    t.top -= 2;
    t.bottom = rowBottom + 2;  // covers the page's top edge so the tab and page join
    t.left = std::max<int>(t.left, bounds.left);
    FillColor(canvas, RECT{t.left + 1, t.top + 1, t.right - 1, t.bottom}, clBtnFace);
    DrawTabOutline(canvas, RECT{t.left, t.top, t.right, t.bottom - 1});
    RECT text{t.left, t.top, t.right, t.bottom - 2};
    DrawCanvasText(canvas, text, captions[std::size_t(selected)], DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (focused) {
      const std::string shown = StripAccelChars(captions[std::size_t(selected)]);
      const int tw = canvas.TextWidth(shown), th = canvas.TextHeight("0");
      const int cx = (t.left + t.right) / 2, top = text.top + (text.bottom - text.top - th) / 2;
      const int left = cx - tw / 2 - (t.right - t.left - tw) % 2;
      canvas.DrawFocusRect(RECT{left - 3, top - 1, left + tw + 3, top + th + 1});
    }
  }
}

// ---------------------------------------------------------------------------------------
// Menus

int MenuItemHeight(TCanvas& canvas, bool separator) { return separator ? 9 : canvas.TextHeight("0") + 4; }

int MenuItemWidth(TCanvas& canvas, const std::string& caption) {
  // Room for a check mark on the left and a sub-menu arrow on the right.
  return canvas.TextWidth(StripAccelChars(caption)) + 17 + 21;
}

void DrawMenuFrame(TCanvas& canvas, const RECT& bounds) {
  RECT r = DrawRaisedEdge(canvas, bounds);
  Frame3D(canvas, r, clMenu, clMenu, 1);
  FillColor(canvas, r, clMenu);
}

void DrawMenuItem(TCanvas& canvas, const RECT& rect, const std::string& caption, TMenuItemDrawState state) {
  if (state.Contains(midSeparator)) {
    FillColor(canvas, rect, clMenu);
    DrawEtchedHLine(canvas, rect.left + 1, rect.right - 1, rect.top + (rect.bottom - rect.top) / 2 - 1);
    return;
  }
  const bool hot = state.Contains(midHighlighted);
  FillColor(canvas, rect, hot ? clHighlight : clMenu);
  RECT text{rect.left + 17, rect.top, rect.right - 4, rect.bottom};
  const UINT fmt = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
  const TColor saved = canvas.Font()->Color();
  if (state.Contains(midDisabled)) {
    if (hot) {
      canvas.Font()->SetColor(clGrayText);
      DrawCanvasText(canvas, text, caption, fmt);
    } else {
      DrawDisabledText(canvas, text, caption, fmt);
    }
  } else {
    canvas.Font()->SetColor(hot ? clHighlightText : clMenuText);
    DrawCanvasText(canvas, text, caption, fmt);
  }
  canvas.Font()->SetColor(saved);
}

// ---------------------------------------------------------------------------------------
// Message icons

namespace {
// A filled disc of radius r (in half-pixel units around the 32 x 32 cell's centre).
void Disc(TCanvas& c, int x, int y, int radius, TColor color) {
  const int c2 = 31;  // centre at 15.5, doubled
  for (int row = 0; row < 32; ++row) {
    int lo = 32, hi = -1;
    for (int col = 0; col < 32; ++col) {
      const int dx = 2 * col - c2, dy = 2 * row - c2;
      if (dx * dx + dy * dy <= 4 * radius * radius) {
        lo = std::min(lo, col);
        hi = std::max(hi, col);
      }
    }
    if (hi >= lo) HLine(c, x + lo, x + hi + 1, y + row, color);
  }
}

void GlyphText(TCanvas& c, int x, int y, const std::string& text, TColor color) {
  const TFontStyles style = c.Font()->Style();
  const int height = c.Font()->Height();
  const TColor saved = c.Font()->Color();
  c.Font()->SetStyle(TFontStyles{fsBold});
  c.Font()->SetHeight(-16);
  c.Font()->SetColor(color);
  RECT r{x, y, x + 32, y + 32};
  DrawCanvasText(c, r, text, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  c.Font()->SetStyle(style);
  c.Font()->SetHeight(height);
  c.Font()->SetColor(saved);
}
}  // namespace

void DrawMessageIcon(TCanvas& canvas, int x, int y, TMessageIconKind kind) {
  switch (kind) {
    case mikError: {
      Disc(canvas, x, y, 15, TColor(0x000080));
      Disc(canvas, x, y, 14, TColor(0x0000E0));
      // The cross: two diagonal strokes three pixels wide.
      for (int i = 0; i < 12; ++i) {
        FillSolidRect(canvas.Handle(), RECT{x + 10 + i, y + 10 + i, x + 13 + i, y + 11 + i}, RGB(255, 255, 255));
        FillSolidRect(canvas.Handle(), RECT{x + 19 - i, y + 10 + i, x + 22 - i, y + 11 + i}, RGB(255, 255, 255));
      }
      return;
    }
    case mikWarning: {
      // A yellow triangle with a black outline, apex at the top centre.
      for (int row = 1; row < 30; ++row) {
        const int half = row / 2;
        HLine(canvas, x + 15 - half, x + 17 + half, y + row, clBlack);
        if (row > 2 && row < 29) HLine(canvas, x + 16 - half, x + 16 + half, y + row, TColor(0x00FFFF));
      }
      GlyphText(canvas, x, y + 3, "!", clBlack);
      return;
    }
    case mikInformation:
    case mikQuestion: {
      Disc(canvas, x, y, 15, TColor(0x800000));
      Disc(canvas, x, y, 14, clWhite);
      GlyphText(canvas, x, y, kind == mikInformation ? "i" : "?", TColor(0xC00000));
      return;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Captions

std::string StripAccelChars(const std::string& caption) {
  std::string out;
  out.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

char AccelCharOf(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    const char ch = caption[i + 1];
    return (ch >= 'a' && ch <= 'z') ? char(ch - 'a' + 'A') : ch;
  }
  return 0;
}
