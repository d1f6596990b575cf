// Sections: panel, bevel, image, tab sheet, page control.
#include "ui/stdctrls/extctrls.h"

#include <algorithm>
#include <cstring>

#include "ui/core/streams.h"
#include "ui/stdctrls/stdctrls.h"
#include "ui/stdctrls/themedlook.h"
#include "ui/controls/accesshook.h"

// ---------------------------------------------------------------------------------------
// TPanel

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks};
  color_ = clBtnFace;
  SetBounds(0, 0, 185, 41);
}

TPanel::~TPanel() = default;

void TPanel::SetBevelInner(TPanelBevel value) {
  if (bevelInner_ == value) return;
  bevelInner_ = value;
  Invalidate();
}

void TPanel::SetBevelOuter(TPanelBevel value) {
  if (bevelOuter_ == value) return;
  bevelOuter_ = value;
  Invalidate();
}

void TPanel::SetBevelWidth(int value) {
  if (value < 1 || bevelWidth_ == value) return;
  bevelWidth_ = value;
  Invalidate();
}

void TPanel::ChangeScale(int m, int d) {
  TCustomControl::ChangeScale(m, d);
  if (m > 0 && d > 0) SetBorderWidth(MulDiv(borderWidth_, m, d));
}

void TPanel::SetBorderWidth(int value) {
  if (value < 0 || borderWidth_ == value) return;
  borderWidth_ = value;
  Invalidate();
}

void TPanel::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Invalidate();
}

void TPanel::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(font_.get());
  DrawPanelFace(*c, RECT{0, 0, width_, height_}, bevelOuter_, bevelInner_, bevelWidth_, borderWidth_, color_,
                text_, alignment_);
}

void TPanel::WndProc(TMessage& message) {
  if (message.Msg == CM_TEXTCHANGED || message.Msg == CM_COLORCHANGED || message.Msg == CM_FONTCHANGED)
    Invalidate();
  TCustomControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------
// TBevel

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
  controlStyle_ = TControlStyle{csCaptureMouse, csDoubleClicks};
  SetBounds(0, 0, 50, 50);
}

TBevel::~TBevel() = default;

void TBevel::SetShape(TBevelShape value) {
  if (shape_ == value) return;
  shape_ = value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle value) {
  if (style_ == value) return;
  style_ = value;
  Invalidate();
}

void TBevel::Paint() { DrawBevelShape(*Canvas(), RECT{0, 0, width_, height_}, shape_, style_); }

// ---------------------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
  controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
  picture_->OnChange = [this](TObject* sender) { PictureChanged(sender); };
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { picture_->OnChange = nullptr; }

void TImage::SetCenter(bool value) {
  if (center_ == value) return;
  center_ = value;
  Invalidate();
}

void TImage::SetStretch(bool value) {
  if (stretch_ == value) return;
  stretch_ = value;
  Invalidate();
}

void TImage::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  if (TGraphic* g = picture_->Graphic()) g->SetTransparent(value);
  Invalidate();
}

void TImage::PictureChanged(TObject*) {
  if (TGraphic* g = picture_->Graphic()) {
    if (transparent_ && !g->Transparent()) g->SetTransparent(true);
  }
  Invalidate();
}

RECT TImage::DestRect() {
  TGraphic* g = picture_->Graphic();
  const int pw = g ? g->Width() : 0, ph = g ? g->Height() : 0;
  if (stretch_) return RECT{0, 0, width_, height_};
  if (center_) {
    // Halves truncate toward zero, so a picture larger than the control is cut evenly.
    const int x = (width_ - pw) / 2, y = (height_ - ph) / 2;
    return RECT{x, y, x + pw, y + ph};
  }
  return RECT{0, 0, pw, ph};
}

void TImage::Paint() {
  TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  TCanvas* c = Canvas();
  const RECT d = DestRect();
  if (stretch_)
    c->StretchDraw(d, g);
  else
    c->Draw(d.left, d.top, g);
}

void TImage::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button == mbRight) PopupControlMenu(this, x, y);
}

namespace {
TGraphicClass GraphicClassOf(const std::string& className, const std::uint8_t* data, std::size_t size) {
  struct Known {
    const char* name;
    const char* ext;
  };
  static constexpr Known kKnown[] = {{"TBitmap", "bmp"}, {"TIcon", "ico"}, {"TPngImage", "png"}};
  for (const Known& k : kKnown) {
    if (SameText(className, k.name)) {
      if (TGraphicClass cls = TPicture::FindGraphicClass(k.ext)) return cls;
    }
  }
  // Any other class name: go by the file's signature.
  static const std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= sizeof kPng && std::memcmp(data, kPng, sizeof kPng) == 0) return TPicture::FindGraphicClass("png");
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return TPicture::FindGraphicClass("bmp");
  if (size >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] == 0)
    return TPicture::FindGraphicClass("ico");
  return nullptr;
}
}  // namespace

void TImage::LoadPictureData(const std::vector<std::uint8_t>& data) {
  if (data.empty()) {
    pictureData_.clear();
    picture_->SetGraphic(nullptr);
    return;
  }
  const std::size_t nameLen = data[0];
  if (1 + nameLen > data.size()) throw EInvalidGraphic("Picture data is not valid");
  const std::string className(reinterpret_cast<const char*>(data.data() + 1), nameLen);
  const std::uint8_t* payload = data.data() + 1 + nameLen;
  std::size_t size = data.size() - 1 - nameLen;
  // Bitmaps are stored with their file size in front of the BMP file.
  if (size >= 6 && payload[4] == 'B' && payload[5] == 'M' && !(payload[0] == 'B' && payload[1] == 'M')) {
    const std::uint32_t declared = std::uint32_t(payload[0]) | (std::uint32_t(payload[1]) << 8) |
                                   (std::uint32_t(payload[2]) << 16) | (std::uint32_t(payload[3]) << 24);
    if (declared > size - 4) throw EInvalidGraphic("Picture data is not valid");
    payload += 4;
    size = declared;
  }
  pictureData_ = data;
  TGraphicClass cls = GraphicClassOf(className, payload, size);
  if (!cls) {
    picture_->SetGraphic(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> graphic = cls();
  TBytesStream stream(payload, std::int64_t(size));
  graphic->LoadFromStream(stream);
  if (transparent_) graphic->SetTransparent(true);
  picture_->SetGraphic(graphic.get());
}

// ---------------------------------------------------------------------------------------
// TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks};
  color_ = clBtnFace;
  parentColor_ = false;
  visible_ = false;  // shown when it becomes the active page
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* value) {
  if (pageControl_ == value) {
    if (value && Parent() != value) TCustomControl::SetParent(value);
    return;
  }
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = value;
  if (value) {
    if (Parent() != value) TCustomControl::SetParent(value);
    value->InsertPage(this);
  }
}

void TTabSheet::SetParent(TWinControl* parent) {
  auto* pc = dynamic_cast<TPageControl*>(parent);
  if (pageControl_ && pageControl_ != pc) {
    TPageControl* old = pageControl_;
    pageControl_ = nullptr;
    old->RemovePage(this);
  }
  TCustomControl::SetParent(parent);
  if (pc && pageControl_ != pc) {
    pageControl_ = pc;
    pc->InsertPage(this);
  }
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  const auto& p = pageControl_->pages_;
  return int(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetPageIndex(int value) {
  if (pageControl_) pageControl_->MovePage(this, value);
}

void TTabSheet::SetTabVisible(bool value) {
  if (tabVisible_ == value) return;
  tabVisible_ = value;
  if (pageControl_) {
    if (!value && pageControl_->activePage_ == this)
      pageControl_->ChangeActivePage(pageControl_->FindNextPage(this, true), false);
    pageControl_->Invalidate();
  }
}

void TTabSheet::SetText(const std::string& value) {
  TCustomControl::SetText(value);
  if (pageControl_) pageControl_->Invalidate();
}

void TTabSheet::Paint() { FillColor(*Canvas(), RECT{0, 0, width_, height_}, color_); }

// ---------------------------------------------------------------------------------------
// TPageControl

TPageControl::TPageControl(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csOpaque, csDoubleClicks};
  color_ = clBtnFace;
  tabStop_ = true;
  SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
  pages_.clear();
}

void TPageControl::InsertPage(TTabSheet* page) {
  if (std::find(pages_.begin(), pages_.end(), page) != pages_.end()) return;
  pages_.push_back(page);
  if (!activePage_ && !IsLoading() && page->TabVisible())
    ChangeActivePage(page, false);
  else
    UpdatePages();
  Invalidate();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  TTabSheet* next = activePage_ == page ? FindNextPage(page, true) : activePage_;
  pages_.erase(it);
  page->pageControl_ = nullptr;
  if (next == page) next = nullptr;
  if (activePage_ == page) {
    activePage_ = nullptr;
    if (!IsDestroying()) ChangeActivePage(next, false);
  }
  if (!IsDestroying()) Invalidate();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  index = std::clamp(index, 0, int(pages_.size()));
  pages_.insert(pages_.begin() + index, page);
  Invalidate();
}

int TPageControl::ActivePageIndex() const {
  if (!activePage_) return -1;
  return int(std::find(pages_.begin(), pages_.end(), activePage_) - pages_.begin());
}

void TPageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= PageCount()) {
    ChangeActivePage(nullptr, false);
    return;
  }
  ChangeActivePage(pages_[std::size_t(index)], false);
}

void TPageControl::ChangeActivePage(TTabSheet* page, bool byUser) {
  if (page == activePage_) return;
  // The focus must not stay on a page that disappears.
  HWND focus = GetFocus();
  TWinControl* focused = focus ? TWinControl::FindControl(focus) : nullptr;
  const bool focusInOld = activePage_ && focused && (focused == activePage_ || activePage_->ContainsControl(focused));
  activePage_ = page;
  UpdatePages();
  Invalidate();
  NotifyAccess(TAccessChange::Selection, this);
  if (focusInOld && CanFocus()) SetFocus();
  if (byUser && OnChange) OnChange(this);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward) const {
  const int n = PageCount();
  if (n == 0) return nullptr;
  int start = int(std::find(pages_.begin(), pages_.end(), current) - pages_.begin());
  if (start >= n) start = goForward ? n - 1 : 0;
  int i = start;
  for (int k = 0; k < n; ++k) {
    i = goForward ? (i + 1) % n : (i + n - 1) % n;
    if (pages_[std::size_t(i)]->TabVisible() && pages_[std::size_t(i)] != current) return pages_[std::size_t(i)];
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool goForward) {
  TTabSheet* next = FindNextPage(activePage_, goForward);
  if (next) ChangeActivePage(next, true);
}

RECT TPageControl::DisplayRect() {
  TMeasureCanvas mc;
  mc.Font()->Assign(font_.get());
  const int row = TabRowHeight(mc);
  return RECT{4, row + 4, std::max(4, width_ - 4), std::max(row + 4, height_ - 4)};
}

std::vector<TTabSheet*> TPageControl::VisibleTabs() const {
  std::vector<TTabSheet*> v;
  for (TTabSheet* p : pages_)
    if (p->TabVisible()) v.push_back(p);
  return v;
}

std::vector<std::string> TPageControl::TabCaptions() const {
  std::vector<std::string> c;
  for (TTabSheet* p : VisibleTabs()) c.push_back(p->Caption());
  return c;
}

std::vector<RECT> TPageControl::TabRects() {
  TMeasureCanvas mc;
  mc.Font()->Assign(font_.get());
  return LayoutTabs(mc, TabCaptions(), width_);
}

TTabSheet* TPageControl::PageAtPos(POINT p) {
  const std::vector<TTabSheet*> tabs = VisibleTabs();
  const std::vector<RECT> rects = TabRects();
  for (std::size_t i = 0; i < tabs.size() && i < rects.size(); ++i) {
    RECT r = rects[i];
    if (tabs[i] == activePage_) InflateRect(&r, 2, 2);
    if (PtInRect(r, p)) return tabs[i];
  }
  return nullptr;
}

void TPageControl::UpdatePages() {
  const RECT d = DisplayRect();
  for (TTabSheet* p : pages_) {
    p->SetBounds(d.left, d.top, d.right - d.left, d.bottom - d.top);
    p->SetVisible(p == activePage_);
  }
}

void TPageControl::SetBounds(int left, int top, int width, int height) {
  TCustomControl::SetBounds(left, top, width, height);
  UpdatePages();
}

void TPageControl::Loaded() {
  TCustomControl::Loaded();
  if (!activePage_) {
    const std::vector<TTabSheet*> tabs = VisibleTabs();
    if (!tabs.empty()) ChangeActivePage(tabs.front(), false);
  }
  UpdatePages();
}

void TPageControl::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(font_.get());
  const std::vector<TTabSheet*> tabs = VisibleTabs();
  const int selected = int(std::find(tabs.begin(), tabs.end(), activePage_) - tabs.begin());
  FillColor(*c, RECT{0, 0, width_, height_}, color_);
  const RECT bounds{0, 0, width_, height_};
  const int shown = selected < int(tabs.size()) ? selected : -1;
  if (!DrawThemedTabStrip(*c, bounds, TabRects(), TabCaptions(), shown, Focused()))
    DrawTabStrip(*c, bounds, TabRects(), TabCaptions(), shown, Focused());
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (TTabSheet* page = PageAtPos(POINT{x, y})) {
      ChangeActivePage(page, true);
      if (CanFocus() && !Focused()) SetFocus();
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TPageControl::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (shift.Empty() && (key == VK_LEFT || key == VK_UP)) {
    SelectNextPage(false);
    key = 0;
  } else if (shift.Empty() && (key == VK_RIGHT || key == VK_DOWN)) {
    SelectNextPage(true);
    key = 0;
  } else if (key == VK_TAB && shift.Contains(ssCtrl)) {
    SelectNextPage(!shift.Contains(ssShift));
    key = 0;
  }
}

void TPageControl::WndProc(TMessage& message) {
  if (message.Msg == CM_DIALOGKEY && WORD(message.WParam) == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
    // Ctrl+Tab switches pages while the focus is on this control or inside it.
    HWND focus = GetFocus();
    TWinControl* focused = focus ? TWinControl::FindControl(focus) : nullptr;
    if (focused && (focused == this || ContainsControl(focused))) {
      SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
      message.Result = 1;
      return;
    }
  }
  if (message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS || message.Msg == CM_FONTCHANGED) Invalidate();
  TCustomControl::WndProc(message);
}
