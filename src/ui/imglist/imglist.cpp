// The base image list: system list handling, observers, drawing, assignment, the
// fourteen content operations and the stored picture data.
//
// Sections: change links / size and settings / handle and observers / drawing /
// content operations / assignment / stored data.
#include "ui/imglist/imglist.h"

#include <algorithm>
#include <utility>

namespace {

// Pictures of an image list are icon-sized; larger requests from window definitions are
// refused before anything is allocated.
constexpr int kMaxImageSize = 1024;

COLORREF ListColor(TColor c) { return c == clNone ? CLR_NONE : COLORREF(ColorToRGB(c)); }

}  // namespace

// ---------------------------------------------------------------------------------------
// Change links

TChangeLink::~TChangeLink() { SetSender(nullptr); }

void TChangeLink::SetSender(TCustomImageList* value) {
  if (sender_ == value) return;
  if (sender_) sender_->UnRegisterChanges(this);
  if (value) value->RegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(sender_);
}

// ---------------------------------------------------------------------------------------
// Size and settings

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : links_) link->sender_ = nullptr;
  links_.clear();
  FreeHandle();
}

void TCustomImageList::SetWidth(int value) { SetSize(value, height_); }
void TCustomImageList::SetHeight(int value) { SetSize(width_, value); }

void TCustomImageList::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  if (width < 1 || height < 1 || width > kMaxImageSize || height > kMaxImageSize)
    throw EInvalidOperation("Invalid image size");
  width_ = width;
  height_ = height;
  if (handle_) ImageList_SetIconSize(handle_, width_, height_);
  Clear();
}

void TCustomImageList::SetMasked(bool value) {
  if (value == masked_) return;
  masked_ = value;
  if (!handle_) return;
  // The system list's flags are fixed at creation: a new one takes the pictures over.
  HIMAGELIST fresh = ImageList_Create(width_, height_, CreateFlags(), allocBy_, allocBy_);
  if (!fresh) throw EOutOfMemory("Out of memory");
  ImageList_SetBkColor(fresh, ImageList_GetBkColor(handle_));
  for (int i = 0; i < Count(); ++i) {
    HICON icon = ImageList_GetIcon(handle_, i, ILD_NORMAL);
    ImageList_ReplaceIcon(fresh, -1, icon);
    DestroyIcon(icon);
  }
  SetHandle(fresh);
}

void TCustomImageList::SetBkColor(TColor value) {
  if (value == bkColor_) return;
  bkColor_ = value;
  if (handle_) ImageList_SetBkColor(handle_, ListColor(value));
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle value) {
  if (value == drawingStyle_) return;
  drawingStyle_ = value;
  Change();
}

void TCustomImageList::SetImageType(TImageType value) {
  if (value == imageType_) return;
  imageType_ = value;
  Change();
}

// ---------------------------------------------------------------------------------------
// Handle and observers

HIMAGELIST TCustomImageList::Handle() {
  if (!handle_) {
    handle_ = ImageList_Create(width_, height_, CreateFlags(), allocBy_, allocBy_);
    if (!handle_) throw EOutOfMemory("Out of memory");
    ImageList_SetBkColor(handle_, ListColor(bkColor_));
  }
  return handle_;
}

void TCustomImageList::FreeHandle() {
  if (handle_ && !shareImages_) ImageList_Destroy(handle_);
  handle_ = nullptr;
}

void TCustomImageList::SetHandle(HIMAGELIST value) {
  if (value != handle_) FreeHandle();
  handle_ = value;
  int cx = 0, cy = 0;
  if (ImageList_GetIconSize(handle_, &cx, &cy)) {
    width_ = cx;
    height_ = cy;
  }
  Change();
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (!link || link->sender_ == this) return;
  if (link->sender_) link->sender_->UnRegisterChanges(link);
  link->sender_ = this;
  links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  auto it = std::find(links_.begin(), links_.end(), link);
  if (it == links_.end()) return;
  links_.erase(it);
  link->sender_ = nullptr;
}

void TCustomImageList::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && changed_) Change();
}

void TCustomImageList::Change() {
  if (updateCount_ > 0) {
    changed_ = true;
    return;
  }
  changed_ = false;
  // A link may leave (or join) while it is told: tell the ones present now that stay.
  const std::vector<TChangeLink*> links = links_;
  for (TChangeLink* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------
// Drawing

UINT TCustomImageList::DrawStyle(TDrawingStyle style, TImageType type) const {
  UINT s = ILD_NORMAL;
  switch (style) {
    case dsFocus: s = ILD_FOCUS; break;
    case dsSelected: s = ILD_SELECTED; break;
    case dsTransparent: s = ILD_TRANSPARENT; break;
    case dsNormal: break;
  }
  return type == itMask ? s | ILD_MASK : s;
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  Draw(canvas, x, y, index, drawingStyle_, imageType_, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
                            bool enabled) {
  if (!handle_ || !canvas) return;
  DoDraw(index, canvas, x, y, DrawStyle(style, type), enabled);
}

void TCustomImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) {
  COLORREF fg = blendColor_ == clNone ? CLR_DEFAULT : COLORREF(ColorToRGB(blendColor_));
  if (!enabled) {
    style = (style & ~ILD_BLEND25) | ILD_BLEND50;
    fg = GetSysColor(COLOR_BTNFACE);
  }
  ImageList_DrawEx(handle_, index, canvas->Handle(), x, y, 0, 0, CLR_DEFAULT, fg, style);
}

bool TCustomImageList::GetBitmap(int index, TBitmap* image) {
  if (!image || !handle_) return false;
  HICON icon = ImageList_GetIcon(handle_, index, ILD_NORMAL);
  ICONINFO info;
  const bool ok = icon && GetIconInfo(icon, &info);
  DestroyIcon(icon);
  if (!ok) return false;
  DeleteObject(info.hbmMask);
  image->SetHandle(info.hbmColor);
  return true;
}

// ---------------------------------------------------------------------------------------
// Content operations

void TCustomImageList::IndexError() { throw EInvalidOperation("Invalid ImageList Index"); }

void TCustomImageList::CheckIndex(int index, bool allowCount) {
  if (index < 0 || index > Count() - (allowCount ? 0 : 1)) IndexError();
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image) return -1;
  const int result = ImageList_Add(Handle(), image->Handle(), mask ? mask->Handle() : nullptr);
  Change();
  return result;
}

int TCustomImageList::AddIcon(TIcon* image) {
  if (!image) return -1;
  const int result = ImageList_ReplaceIcon(Handle(), -1, image->Handle());
  Change();
  return result;
}

int TCustomImageList::AddImage(TCustomImageList* value, int index) {
  if (!value || !value->handle_) return -1;
  HICON icon = ImageList_GetIcon(value->handle_, index, ILD_NORMAL);
  if (!icon) return -1;
  const int result = ImageList_ReplaceIcon(Handle(), -1, icon);
  DestroyIcon(icon);
  Change();
  return result;
}

void TCustomImageList::AddImages(TCustomImageList* value) {
  if (!value || value == this) return;
  HIMAGELIST own = Handle();
  for (int i = 0; i < value->Count(); ++i) {
    HICON icon = ImageList_GetIcon(value->handle_, i, ILD_NORMAL);
    ImageList_ReplaceIcon(own, -1, icon);
    DestroyIcon(icon);
  }
  Change();
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!image) return -1;
  const int result = ImageList_AddMasked(Handle(), image->Handle(), COLORREF(ColorToRGB(maskColor)));
  Change();
  return result;
}

void TCustomImageList::Clear() {
  ImageList_Remove(Handle(), -1);
  Change();
}

void TCustomImageList::Delete(int index) {
  CheckIndex(index);
  ImageList_Remove(handle_, index);
  Change();
}

void TCustomImageList::Insert(int index, TBitmap* image, TBitmap* mask) {
  CheckIndex(index, true);
  const int added = Add(image, mask);
  if (added >= 0 && added != index) Move(added, index);
}

void TCustomImageList::InsertIcon(int index, TIcon* image) {
  CheckIndex(index, true);
  const int added = AddIcon(image);
  if (added >= 0 && added != index) Move(added, index);
}

void TCustomImageList::InsertMasked(int index, TBitmap* image, TColor maskColor) {
  CheckIndex(index, true);
  const int added = AddMasked(image, maskColor);
  if (added >= 0 && added != index) Move(added, index);
}

void TCustomImageList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  const int step = curIndex < newIndex ? 1 : -1;
  for (int i = curIndex; i != newIndex; i += step) ImageList_Copy(handle_, i + step, handle_, i, ILCF_SWAP);
  Change();
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
  CheckIndex(index);
  if (!image) return;
  ImageList_Replace(handle_, index, image->Handle(), mask ? mask->Handle() : nullptr);
  Change();
}

void TCustomImageList::ReplaceIcon(int index, TIcon* image) {
  CheckIndex(index);
  if (!image) return;
  ImageList_ReplaceIcon(handle_, index, image->Handle());
  Change();
}

void TCustomImageList::ReplaceMasked(int index, TBitmap* image, TColor maskColor) {
  CheckIndex(index);
  if (!image) return;
  // The system list makes masks from a colour only while adding: a one-picture list
  // does that, and its picture replaces ours.
  HIMAGELIST one = ImageList_Create(width_, height_, CreateFlags(), 1, 1);
  if (!one) throw EOutOfMemory("Out of memory");
  ImageList_AddMasked(one, image->Handle(), COLORREF(ColorToRGB(maskColor)));
  HICON icon = ImageList_GetIcon(one, 0, ILD_NORMAL);
  ImageList_ReplaceIcon(handle_, index, icon);
  DestroyIcon(icon);
  ImageList_Destroy(one);
  Change();
}

// ---------------------------------------------------------------------------------------
// Assignment

void TCustomImageList::Assign(TPersistent* source) {
  if (!source) {
    // Nothing: no pictures (Clear, so a derived list drops its own too) and no system list.
    BeginUpdate();
    try {
      Clear();
      FreeHandle();
      Change();
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  auto* src = dynamic_cast<TCustomImageList*>(source);
  if (!src) {
    TComponent::Assign(source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  try {
    Clear();
    masked_ = src->masked_;
    imageType_ = src->imageType_;
    drawingStyle_ = src->drawingStyle_;
    bkColor_ = src->bkColor_;
    blendColor_ = src->blendColor_;
    allocBy_ = src->allocBy_;
    width_ = src->width_;
    height_ = src->height_;
    // A system list of the new size and flags, then the source's pictures.
    FreeHandle();
    Handle();
    AddImages(src);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// ---------------------------------------------------------------------------------------
// Stored data: "LBIL", version 1, then picture count, width and height (16-bit little
// endian each); per picture a flags byte (bit 0: alpha), the colour as blue, green, red,
// alpha bytes in top-down rows, and the mask as one bit per pixel (set: transparent),
// high bit first, rows packed back to back.

namespace {
constexpr std::uint8_t kDataMagic[4] = {'L', 'B', 'I', 'L'};
constexpr std::size_t kDataHead = 4 + 1 + 6;
}  // namespace

std::vector<std::uint8_t> TCustomImageList::WriteData() {
  std::vector<std::uint8_t> out(kDataMagic, kDataMagic + 4);
  const int count = Count();
  out.push_back(1);
  for (int v : {count, width_, height_}) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
  }
  const std::size_t pixels = std::size_t(width_) * std::size_t(height_);
  for (int i = 0; i < count; ++i) {
    HICON icon = ImageList_GetIcon(handle_, i, ILD_NORMAL);
    const TIconPixels* p = GetIconPixels(icon);
    out.push_back(p->hasAlpha ? 1 : 0);
    for (std::uint32_t c : p->color)
      for (int shift = 0; shift < 32; shift += 8) out.push_back(std::uint8_t(c >> shift));
    std::vector<std::uint8_t> bits((pixels + 7) / 8, 0);
    for (std::size_t k = 0; k < pixels; ++k)
      if (p->mask[k]) bits[k / 8] |= std::uint8_t(0x80 >> (k % 8));
    out.insert(out.end(), bits.begin(), bits.end());
    DestroyIcon(icon);
  }
  return out;
}

void TCustomImageList::ReadData(const std::vector<std::uint8_t>& data) {
  auto bad = [] { throw EReadError("Invalid image list data"); };
  if (data.size() < kDataHead || !std::equal(kDataMagic, kDataMagic + 4, data.begin()) || data[4] != 1) bad();
  auto u16 = [&](std::size_t at) { return int(data[at] | data[at + 1] << 8); };
  const int count = u16(5), cx = u16(7), cy = u16(9);
  if (cx != width_ || cy != height_) bad();
  const std::size_t pixels = std::size_t(cx) * std::size_t(cy);
  const std::size_t each = 1 + pixels * 4 + (pixels + 7) / 8;
  if (data.size() != kDataHead + each * std::size_t(count)) bad();
  BeginUpdate();
  try {
    Clear();
    for (int i = 0; i < count; ++i) {
      const std::uint8_t* p = data.data() + kDataHead + each * std::size_t(i);
      TIconPixels px;
      px.width = cx;
      px.height = cy;
      px.hasAlpha = (p[0] & 1) != 0;
      px.color.resize(pixels);
      px.mask.resize(pixels);
      for (std::size_t k = 0; k < pixels; ++k) {
        const std::uint8_t* c = p + 1 + k * 4;
        px.color[k] = std::uint32_t(c[0]) | std::uint32_t(c[1]) << 8 | std::uint32_t(c[2]) << 16 | std::uint32_t(c[3]) << 24;
        px.mask[k] = (p[1 + pixels * 4 + k / 8] >> (7 - k % 8)) & 1;
      }
      HICON icon = CreateIconFromPixels(std::move(px));
      ImageList_ReplaceIcon(Handle(), -1, icon);
      DestroyIcon(icon);
    }
    Change();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}
