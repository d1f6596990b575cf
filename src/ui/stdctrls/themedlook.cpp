// Sections: opening the parts; buttons and group boxes; list boxes; tabs; menus.
#include "ui/stdctrls/themedlook.h"

#include <algorithm>

#include "platform/font/font.h"
#include "platform/theme/theme.h"

namespace {

// One theme handle for the length of a paint.
class Theme {
 public:
  Theme(HWND hwnd, const char* classList) : theme_(OpenThemeData(hwnd, classList)) {}
  ~Theme() {
    if (theme_) CloseThemeData(theme_);
  }
  Theme(const Theme&) = delete;
  Theme& operator=(const Theme&) = delete;
  explicit operator bool() const { return theme_ != nullptr; }
  void Draw(TCanvas& canvas, int part, int state, const RECT& r) const {
    if (r.right > r.left && r.bottom > r.top) DrawThemeBackground(theme_, canvas.Handle(), part, state, &r, nullptr);
  }

 private:
  HTHEME theme_;
};

void Text(TCanvas& canvas, RECT r, const std::string& caption, UINT format, TColor color) {
  const TColor saved = canvas.Font()->Color();
  canvas.Font()->SetColor(color);
  DrawCanvasText(canvas, r, caption, format);
  canvas.Font()->SetColor(saved);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Buttons and group boxes

bool DrawThemedPushButton(TCanvas& canvas, HWND hwnd, const RECT& bounds, const std::string& caption,
                          TButtonDrawState state) {
  Theme theme(hwnd, "BUTTON");
  if (!theme) return false;
  int part = PBS_NORMAL;
  if (state.Contains(bdfDisabled))
    part = PBS_DISABLED;
  else if (state.Contains(bdfPressed))
    part = PBS_PRESSED;
  else if (state.Contains(bdfDefault) || state.Contains(bdfFocused))
    part = PBS_DEFAULTED;
  if (!hwnd || DrawThemeParentBackground(hwnd, canvas.Handle(), &bounds) != S_OK) FillColor(canvas, bounds, clBtnFace);
  theme.Draw(canvas, BP_PUSHBUTTON, part, bounds);
  Text(canvas, bounds, caption, DT_SINGLELINE | DT_CENTER | DT_VCENTER,
       state.Contains(bdfDisabled) ? clGrayText : clBtnText);
  if (state.Contains(bdfFocused) && !state.Contains(bdfDisabled)) {
    RECT f = bounds;
    InflateRect(&f, -3, -3);
    if (!IsRectEmpty(f)) canvas.DrawFocusRect(f);
  }
  return true;
}

bool DrawThemedGroupBoxFrame(TCanvas& canvas, const RECT& bounds, const std::string& caption, TColor color,
                             bool enabled) {
  Theme theme(nullptr, "BUTTON");
  if (!theme) return false;
  FillColor(canvas, bounds, color);
  const int th = canvas.TextHeight("0");
  RECT frame = bounds;
  frame.top += th / 2;
  theme.Draw(canvas, BP_GROUPBOX, enabled ? GBS_NORMAL : GBS_DISABLED, frame);
  if (caption.empty()) return true;
  const int tw = canvas.TextWidth(StripAccelChars(caption));
  RECT cell{bounds.left + 8, bounds.top, std::min<int>(bounds.left + 8 + tw + 2, bounds.right - 1), bounds.top + th};
  FillColor(canvas, cell, color);
  Text(canvas, RECT{cell.left + 1, cell.top, cell.right, cell.bottom}, caption, DT_SINGLELINE | DT_LEFT | DT_TOP,
       enabled ? canvas.Font()->Color() : clGrayText);
  return true;
}

// ---------------------------------------------------------------------------------------
// List boxes

bool DrawThemedListBoxFrame(TCanvas& canvas, const RECT& bounds, TColor background, bool enabled, RECT* client) {
  Theme theme(nullptr, "LISTBOX");
  if (!theme) return false;
  FillColor(canvas, bounds, background);
  theme.Draw(canvas, LBCP_BORDER_NOSCROLL, enabled ? LBPSN_NORMAL : LBPSN_DISABLED, bounds);
  RECT inside = bounds;
  InflateRect(&inside, -2, -2);  // where the classic sunken edge ends
  if (client) *client = inside;
  return true;
}

bool DrawThemedItemFocus(TCanvas& canvas, const RECT& rect) {
  Theme theme(nullptr, "LISTBOX");
  if (!theme) return false;
  RECT r = rect;
  for (int ring = 0; ring < 2; ++ring, InflateRect(&r, -1, -1)) theme.Draw(canvas, LBCP_BORDER_NOSCROLL, LBPSN_FOCUSED, r);
  const TColor saved = canvas.Brush()->Color();
  canvas.Brush()->SetColor(clWhite);
  canvas.FrameRect(r);
  canvas.Brush()->SetColor(saved);
  return true;
}

// ---------------------------------------------------------------------------------------
// Tabs

bool DrawThemedTabStrip(TCanvas& canvas, const RECT& bounds, const std::vector<RECT>& tabs,
                        const std::vector<std::string>& captions, int selected, bool focused) {
  Theme theme(nullptr, "TAB");
  if (!theme) return false;
  const int rowBottom = bounds.top + TabRowHeight(canvas);
  const RECT page{bounds.left, rowBottom, bounds.right, bounds.bottom};
  FillColor(canvas, page, clBtnFace);
  theme.Draw(canvas, TABP_PANE, 1, page);
  const UINT fmt = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
  for (std::size_t i = 0; i < tabs.size() && i < captions.size(); ++i) {
    if (int(i) == selected) continue;
    RECT t = tabs[i];
    OffsetRect(&t, bounds.left, bounds.top);
    t.bottom = rowBottom;
    theme.Draw(canvas, TABP_TABITEM, TIS_NORMAL, t);
    Text(canvas, RECT{t.left, t.top + 2, t.right, t.bottom}, captions[i], fmt, clBtnText);
  }
  if (selected >= 0 && selected < int(tabs.size()) && selected < int(captions.size())) {
    RECT t = tabs[std::size_t(selected)];
    OffsetRect(&t, bounds.left, bounds.top);
    t.left = std::max<int>(t.left - 2, bounds.left);
    t.right += 2;
    t.top -= 2;
    t.bottom = rowBottom + 2;
    // The tab's sides run down onto the pane's top line; between them the line is wiped
    // so the tab and its page are one surface.
    FillColor(canvas, RECT{t.left + 1, t.top + 1, t.right - 1, rowBottom + 1}, clBtnFace);
    theme.Draw(canvas, TABP_TABITEM, focused ? TIS_FOCUSED : TIS_SELECTED, RECT{t.left, t.top, t.right, rowBottom + 1});
    const RECT text{t.left, t.top, t.right, t.bottom - 2};
    Text(canvas, text, captions[std::size_t(selected)], fmt, clBtnText);
    if (focused) {
      const std::string shown = StripAccelChars(captions[std::size_t(selected)]);
      const int tw = canvas.TextWidth(shown), th = canvas.TextHeight("0");
      const int cx = (t.left + t.right) / 2, top = text.top + (text.bottom - text.top - th) / 2;
      const int left = cx - tw / 2 - (t.right - t.left - tw) % 2;
      canvas.DrawFocusRect(RECT{left - 3, top - 1, left + tw + 3, top + th + 1});
    }
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Menus

bool DrawThemedMenuItem(TCanvas& canvas, const RECT& rect, const std::string& caption, TMenuItemDrawState state) {
  if (state.Contains(midSeparator)) return false;
  Theme theme(nullptr, "MENU");
  if (!theme) return false;
  const bool hot = state.Contains(midHighlighted), disabled = state.Contains(midDisabled);
  FillColor(canvas, rect, clMenu);
  if (hot) theme.Draw(canvas, MENU_POPUPITEM, disabled ? MPI_DISABLEDHOT : MPI_HOT, rect);
  Text(canvas, RECT{rect.left + 17, rect.top, rect.right - 4, rect.bottom}, caption,
       DT_SINGLELINE | DT_VCENTER | DT_LEFT, disabled ? clGrayText : clMenuText);
  return true;
}
