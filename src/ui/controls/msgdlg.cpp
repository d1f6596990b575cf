// Message dialogs: the request, the replaceable dialog builder and the library's own plain
// dialog (icon, word-wrapped text, a row of push buttons in the program's look).
#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/font/font.h"
#include "platform/theme/theme.h"
#include "ui/controls/controls_internal.h"

namespace {

TMessageDlgBuilder& Builder() {
  static TMessageDlgBuilder builder;
  return builder;
}

// A push button for the built-in dialog: hands its modal result to the form, answers
// Enter while it is the default (or focused) and Esc when it is the cancel button.
class TMsgDlgButton : public TCustomControl {
  LB_CLASS(TMsgDlgButton)
 public:
  explicit TMsgDlgButton(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    controlStyle_.Exclude(csSetCaption);
  }
  TModalResult modalResult = mrNone;
  bool isDefault = false;
  bool isCancel = false;

  void Click() override {
    if (TCustomForm* f = ParentForm()) f->SetModalResult(modalResult);
    TCustomControl::Click();
  }

 protected:
  unsigned GetDialogCode() override { return 0; }

  void WndProc(TMessage& m) override {
    switch (m.Msg) {
      case CM_DIALOGKEY: {
        const TShiftState s = KeyDataToShiftState(m.LParam);
        const bool plain = !s.Contains(ssShift) && !s.Contains(ssCtrl) && !s.Contains(ssAlt);
        if (plain && CanFocus() && ((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && isCancel))) {
          Click();
          m.Result = 1;
          return;
        }
        break;
      }
      case CM_DIALOGCHAR:
        if (IsAccel(WORD(m.WParam), Caption()) && CanFocus()) {
          Click();
          m.Result = 1;
          return;
        }
        break;
      case CM_FOCUSCHANGED: {
        auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
        const bool now = dynamic_cast<TMsgDlgButton*>(focused) ? focused == this : isDefault;
        if (now != active_) {
          active_ = now;
          Invalidate();
        }
        break;
      }
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        Invalidate();
        break;
      case WM_KEYUP:
        if (m.WParam == VK_SPACE) Click();
        break;
      default:
        break;
    }
    TCustomControl::WndProc(m);
  }

  void Paint() override {
    TCanvas* c = Canvas();
    const bool themed = PaintThemedFace();
    if (!themed) PaintClassicFace();
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    RECT tr = ClientRect();
    c->TextOut(0, 0, "");  // selects the canvas font into the DC
    ::SetTextColor(c->Handle(), COLORREF(ColorToRGB(Enabled() ? clBtnText : clGrayText)));
    ::SetBkMode(c->Handle(), TRANSPARENT);
    DrawTextA(c->Handle(), Caption().c_str(), -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (Focused()) {
      RECT f = ClientRect();
      InflateRect(&f, themed ? -3 : -4, themed ? -3 : -4);
      c->DrawFocusRect(f);
    }
  }

  // The push button of the visual styles, as every other button of the program draws it
  // while they are on (the default one with its ring); false in the classic look.
  bool PaintThemedFace() {
    const HTHEME theme = OpenThemeData(Handle(), "BUTTON");
    if (!theme) return false;
    const RECT r = ClientRect();
    if (DrawThemeParentBackground(Handle(), Canvas()->Handle(), &r) != S_OK) {
      Canvas()->Brush()->SetColor(clBtnFace);
      Canvas()->FillRect(r);
    }
    const int state = !Enabled() ? PBS_DISABLED : active_ ? PBS_DEFAULTED : PBS_NORMAL;
    DrawThemeBackground(theme, Canvas()->Handle(), BP_PUSHBUTTON, state, &r, nullptr);
    CloseThemeData(theme);
    return true;
  }

  // Bevelled, with a frame in the window-frame colour around the active one.
  void PaintClassicFace() {
    TCanvas* c = Canvas();
    RECT r = ClientRect();
    auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
      c->Pen()->SetColor(color);
      c->MoveTo(x1, y1);
      c->LineTo(x2, y2);
    };
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    if (active_) {
      c->Brush()->SetColor(clWindowFrame);
      c->FrameRect(r);
      InflateRect(&r, -1, -1);
    }
    line(clBtnHighlight, r.left, r.bottom - 2, r.left, r.top);
    line(clBtnHighlight, r.left, r.top, r.right - 1, r.top);
    line(cl3DDkShadow, r.right - 1, r.top, r.right - 1, r.bottom - 1);
    line(cl3DDkShadow, r.right - 1, r.bottom - 1, r.left - 1, r.bottom - 1);
    line(clBtnShadow, r.right - 2, r.top + 1, r.right - 2, r.bottom - 2);
    line(clBtnShadow, r.right - 2, r.bottom - 2, r.left, r.bottom - 2);
  }

 private:
  bool active_ = false;
};

// The built-in dialog: paints its icon and text itself.
class TMsgDlgForm : public TForm {
  LB_CLASS(TMsgDlgForm)
 public:
  TMsgDlgForm(TComponent* owner, const TMessageDlgRequest& request) : TForm(owner), request_(request) {
    OnPaint = [this](TObject*) { PaintContent(); };
  }
  RECT textRect;

 private:
  void PaintContent() {
    TCanvas* c = Canvas();
    if (request_.type != mtCustom) DrawIcon(c, 12, 12);
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    c->TextOut(0, 0, "");
    ::SetBkMode(c->Handle(), TRANSPARENT);
    ::SetTextColor(c->Handle(), COLORREF(ColorToRGB(clWindowText)));
    RECT r = textRect;
    DrawTextA(c->Handle(), request_.text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  }

  // A round 32 x 32 sign in the colour of its kind with a white mark.
  void DrawIcon(TCanvas* c, int x0, int y0) {
    COLORREF fill = RGB(0, 0, 255);
    switch (request_.type) {
      case mtError: fill = RGB(224, 32, 32); break;
      case mtWarning: fill = RGB(240, 200, 0); break;
      default: fill = RGB(32, 96, 224); break;
    }
    HDC dc = c->Handle();
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const int dx = 2 * x - 31, dy = 2 * y - 31;
        if (dx * dx + dy * dy <= 31 * 31) SetPixel(dc, x0 + x, y0 + y, fill);
      }
    }
    const COLORREF white = RGB(255, 255, 255);
    if (request_.type == mtError) {
      for (int i = 9; i < 23; ++i) {
        for (int t = 0; t < 2; ++t) {
          SetPixel(dc, x0 + i + t, y0 + i, white);
          SetPixel(dc, x0 + 31 - i - t, y0 + i, white);
        }
      }
    } else {
      const char* mark = request_.type == mtWarning ? "!" : request_.type == mtConfirmation ? "?" : "i";
      c->Font()->SetStyle(TFontStyles{fsBold});
      c->Font()->SetHeight(-19);
      c->Font()->SetColor(clWhite);
      c->Brush()->SetStyle(bsClear);
      const int w = c->TextWidth(mark);
      c->TextOut(x0 + (32 - w) / 2, y0 + 6, mark);
    }
  }

  TMessageDlgRequest request_;
};

struct ButtonInfo {
  TMsgDlgBtn button;
  const char* caption;
  TModalResult result;
};
const ButtonInfo kButtons[] = {
    {mbYes, "&Yes", mrYes},         {mbNo, "&No", mrNo},           {mbOK, "OK", mrOk},
    {mbCancel, "Cancel", mrCancel}, {mbAbort, "&Abort", mrAbort},  {mbRetry, "&Retry", mrRetry},
    {mbIgnore, "&Ignore", mrIgnore}, {mbAll, "&All", mrAll},       {mbNoToAll, "N&o to All", mrNoToAll},
    {mbYesToAll, "Yes to &All", mrYesToAll}, {mbHelp, "&Help", mrNone},
};

}  // namespace

void SetMessageDlgBuilder(TMessageDlgBuilder builder) { Builder() = std::move(builder); }

TCustomForm* CreateDefaultMessageDialog(const TMessageDlgRequest& request) {
  auto form = std::make_unique<TMsgDlgForm>(nullptr, request);
  form->SetBorderStyle(bsDialog);
  form->SetBorderIcons(TBorderIcons{biSystemMenu});
  form->SetPosition(poScreenCenter);
  form->SetCaption(request.caption);
  form->Font()->SetName("Tahoma");
  form->Font()->SetHeight(-11);

  // Text size: wrapped at a comfortable width, measured with the dialog's font.
  HDC screen = GetDC(nullptr);
  GdiPtr<GdiFont> font(CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
  HGDIOBJ old = SelectObject(screen, font.get());
  RECT tr{0, 0, 360, 0};
  DrawTextA(screen, request.text.c_str(), -1, &tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);

  const bool icon = request.type != mtCustom;
  const int textLeft = icon ? 12 + 32 + 12 : 12;
  const int textTop = icon ? std::max(12, 12 + (32 - int(tr.bottom)) / 2) : 12;
  form->textRect = RECT{textLeft, textTop, textLeft + tr.right + 1, textTop + tr.bottom};

  std::vector<const ButtonInfo*> wanted;
  for (const ButtonInfo& b : kButtons)
    if (request.buttons.Contains(b.button)) wanted.push_back(&b);
  if (wanted.empty()) wanted.push_back(&kButtons[2]);
  const int bw = 75, bh = 25, gap = 6;
  const int rowWidth = int(wanted.size()) * bw + (int(wanted.size()) - 1) * gap;
  const int contentBottom = std::max(int(form->textRect.bottom), icon ? 12 + 32 : 0);
  const int clientW = std::max({int(form->textRect.right) + 12, rowWidth + 24, 180});
  const int buttonsTop = contentBottom + 16;
  form->SetClientWidth(clientW);
  form->SetClientHeight(buttonsTop + bh + 12);

  int x = (clientW - rowWidth) / 2;
  const bool hasCancel = request.buttons.Contains(mbCancel);
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    auto* b = new TMsgDlgButton(form.get());
    b->SetParent(form.get());
    b->SetCaption(wanted[i]->caption);
    b->modalResult = wanted[i]->result;
    b->SetBounds(x, buttonsTop, bw, bh);
    b->SetTabOrder(int(i));
    b->isDefault = i == 0;
    b->isCancel = wanted[i]->button == mbCancel || (!hasCancel && wanted.size() == 1) ||
                  (!hasCancel && wanted[i]->button == mbNo);
    if (i == 0) form->SetActiveControl(b);
    x += bw + gap;
  }
  form->DoCreate();
  return form.release();
}

int MessageDlg(const std::string& text, const std::string& caption, TMsgDlgType type, TMsgDlgButtons buttons) {
  TMessageDlgRequest request;
  request.text = text;
  request.caption = caption.empty() ? Application->Title() : caption;
  request.type = type;
  request.buttons = buttons;
  if (Application->OnMessageDlg) return Application->OnMessageDlg(request);
  if (!WindowSystemRunning()) {
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), text.c_str());
    return mrCancel;
  }
  std::unique_ptr<TCustomForm> dialog(Builder() ? Builder()(request) : CreateDefaultMessageDialog(request));
  if (!dialog) return mrCancel;
  return dialog->ShowModal();
}
