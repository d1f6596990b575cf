// TPngImageList: the operation frame, the system image list rebuild, the item icons,
// drawing, the fourteen content operations and assignment.
//
// Sections: operation frame / construction and settings / system image list / icons /
// drawing / content operations / assignment.
#include "pngimagelist/pngimagelist.h"

#include <exception>
#include <type_traits>

#include "platform/os/os.h"

// ---------------------------------------------------------------------------------------
// Operation frame: every content operation holds the rebuild lock while it runs, and
// gives it back also when the body fails. With `refresh` (the add operations) the last
// holder rebuilds the system image list from the items. An error of the rebuild itself
// is reported only when the body succeeded: the body's error is the one the caller sees.

class TRebuildScope {
 public:
  TRebuildScope(TPngImageList& list, bool refresh)
      : list_(list), refresh_(refresh), exceptions_(std::uncaught_exceptions()) {
    list_.LockRebuild();
  }
  TRebuildScope(const TRebuildScope&) = delete;
  TRebuildScope& operator=(const TRebuildScope&) = delete;
  ~TRebuildScope() noexcept(false) {
    if (std::uncaught_exceptions() == exceptions_) {
      list_.UnlockRebuild(refresh_);
      return;
    }
    try {
      list_.UnlockRebuild(refresh_);
    } catch (...) {
    }
  }

 private:
  TPngImageList& list_;
  bool refresh_;
  int exceptions_;
};

void TPngImageList::UnlockRebuild(bool refresh) {
  --rebuildLock_;
  if (refresh && rebuildLock_ == 0) RefreshSystemImages();
}

// ---------------------------------------------------------------------------------------
// Construction and settings

TPngImageList::TPngImageList(TComponent* owner)
    : TImageList(owner), pngImages_(std::make_unique<TPngImageCollectionItems>(this)) {}

TPngImageList::~TPngImageList() {
  // The items go first, without rebuilding anything on the way out.
  ++rebuildLock_;
  pngImages_.reset();
}

void TPngImageList::SetPngImages(TPngImageCollectionItems* value) {
  if (!value || value == pngImages_.get()) return;
  pngImages_->Assign(value);
  Change();
}

void TPngImageList::SetEnabledImages(bool value) {
  if (value == enabledImages_) return;
  enabledImages_ = value;
  RefreshSystemImages();
}

void TPngImageList::SetPngOptions(TPngOptions value) {
  if (value == pngOptions_) return;
  pngOptions_ = value;
  RefreshSystemImages();
}

// ---------------------------------------------------------------------------------------
// System image list

void TPngImageList::RefreshSystemImages() {
  if (rebuildLock_ > 0 || !pngImages_) return;
  // The new list is filled completely before it takes the old one's place. An item of which
  // no icon can be made shows the blank icon, and its error is raised once the new list is
  // in place, unless it was raised for the same image before: it goes to the change that
  // brought the image in, not to every later rebuild.
  std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, BOOL (*)(HIMAGELIST)> fresh(
      ImageList_Create(Width(), Height(), ILC_COLOR32 | (Masked() ? ILC_MASK : 0), 0, AllocBy()), ImageList_Destroy);
  if (!fresh) throw EOutOfMemory("Out of memory");
  ImageList_SetBkColor(fresh.get(), BkColor() == clNone ? CLR_NONE : COLORREF(ColorToRGB(BkColor())));
  const bool disabledLook = !enabledImages_ && !pngOptions_.Empty();
  std::exception_ptr failure;
  for (int i = 0; i < pngImages_->Count(); ++i) {
    TPngImageCollectionItem* item = pngImages_->Items(i);
    if (!item->PngImage()) continue;
    std::exception_ptr itemFailure;
    HICON icon = ItemIcon(*item->PngImage(), item->Background(), disabledLook, &itemFailure);
    if (itemFailure && !item->IconFailed() && !failure) failure = itemFailure;
    item->SetIconFailed(itemFailure != nullptr);
    ImageList_ReplaceIcon(fresh.get(), -1, icon);
    DestroyIcon(icon);
  }
  if (HandleAllocated()) ImageList_Remove(Handle(), -1);
  SetHandle(fresh.release());
  if (failure) std::rethrow_exception(failure);
}

void TPngImageList::InsertSystemIcon(int index, TPngImage& image, TColor background) {
  // A plain base list takes a copy of every icon: its assignment runs the base Clear and
  // AddImages, since it is no PNG list.
  TCustomImageList copy(nullptr);
  copy.Assign(this);
  HIMAGELIST own = Handle();
  ImageList_Remove(own, -1);
  auto append = [&](HICON icon) {
    ImageList_ReplaceIcon(own, -1, icon);
    DestroyIcon(icon);
  };
  for (int i = 0; i < index; ++i) append(ImageList_GetIcon(copy.Handle(), i, ILD_NORMAL));
  append(ItemIcon(image, background, false));
  for (int i = index; i < copy.Count(); ++i) append(ImageList_GetIcon(copy.Handle(), i, ILD_NORMAL));
}

// ---------------------------------------------------------------------------------------
// Icons

HICON TPngImageList::ItemIcon(TPngImage& image, TColor background, bool disabledLook, std::exception_ptr* failure) {
  if (image.HasHeader() && image.PixelWidth() > 0 && image.PixelHeight() > 0) {
    try {
      HICON icon;
      if (disabledLook) {
        TPngImage scratch;
        scratch.Assign(&image);
        if (pngOptions_.Contains(pngBlendOnDisabled)) ApplyDisabledBlend(scratch, 127);
        if (pngOptions_.Contains(pngGrayscaleOnDisabled)) ApplyDisabledGrayscale(scratch, 255);
        icon = MakeItemIcon(scratch, clNone);
      } else {
        icon = MakeItemIcon(image, background);
      }
      if (icon) return icon;
    } catch (...) {
      if (failure) *failure = std::current_exception();
    }
  }
  // An item stored without image data, or one that makes no icon, keeps its place in the
  // system list.
  TIconPixels blank;
  blank.width = Width();
  blank.height = Height();
  blank.color.assign(std::size_t(Width()) * std::size_t(Height()), 0);
  blank.mask.assign(blank.color.size(), 1);
  return CreateIconFromPixels(std::move(blank));
}

HICON MakeItemIcon(TPngImage& image, TColor background) {
  return CommonControlsVersion() >= 0x00060000 ? IconFromPngWithAlpha(image)
                                               : IconFromPngOnBackground(image, background);
}

HICON IconFromPngWithAlpha(TPngImage& image) {
  const int w = image.PixelWidth(), h = image.PixelHeight();
  BITMAPV4HEADER header;
  header.bV4Width = w;
  header.bV4Height = h;
  header.bV4BitCount = 32;
  header.bV4V4Compression = BI_BITFIELDS;
  header.bV4RedMask = 0x00FF0000u;
  header.bV4GreenMask = 0x0000FF00u;
  header.bV4BlueMask = 0x000000FFu;
  header.bV4AlphaMask = 0xFF000000u;
  void* bits = nullptr;
  GdiPtr<GdiBitmap> dib(CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return nullptr;
  const TPngColorType type = image.ImageHeader().ColorType();
  const bool hasAlpha = HasAlphaSamples(type);
  const bool keyed = image.TransparencyKind() == tkKeyColor;
  const COLORREF key = image.KeyColor();
  // RGB and RGBA images keep blue, green, red per pixel as PixelColor answers them; those
  // rows are read in place, which spares a header look-up per pixel (start-up makes an icon
  // of every picture of the main window).
  const bool bgrStorage = type == TPngColorType::Rgb || type == TPngColorType::Rgba;
  auto* out = static_cast<std::uint8_t*>(bits);
  // Memory rows run bottom-up: memory row r holds image row h - 1 - r.
  for (int r = 0; r < h; ++r) {
    const int y = h - 1 - r;
    const std::uint8_t* alpha = hasAlpha ? image.AlphaRow(y) : nullptr;
    const std::uint8_t* bgr = bgrStorage ? image.PixelRow(y) : nullptr;
    std::uint8_t* p = out + std::size_t(r) * std::size_t(w) * 4;
    if (bgr && !keyed) {
      // The common case of start-up: bytes already in memory order, moved without a colour.
      for (int x = 0; x < w; ++x, p += 4, bgr += 3) {
        p[0] = bgr[0];
        p[1] = bgr[1];
        p[2] = bgr[2];
        p[3] = alpha ? alpha[x] : 0;
      }
      continue;
    }
    for (int x = 0; x < w; ++x, p += 4) {
      const COLORREF c = bgr ? RGB(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]) : image.PixelColor(x, y);
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
      p[3] = alpha ? alpha[x] : keyed ? (c != key ? 255 : 0) : 0;
    }
  }
  GdiPtr<GdiBitmap> mask(CreateBitmap(w, h, 1, 1, nullptr));
  ICONINFO info;
  info.hbmMask = mask.get();
  info.hbmColor = dib.get();
  return CreateIconIndirect(&info);
}

HICON IconFromPngOnBackground(TPngImage& image, TColor background) {
  const int w = image.PixelWidth(), h = image.PixelHeight();
  TBitmap color(w, h, pf32bit);
  // Disabled looks have no background of their own; they are shown on button faces.
  color.Canvas()->Brush()->SetColor(background == clNone ? clBtnFace : background);
  color.Canvas()->FillRect(RECT{0, 0, w, h});
  image.DrawOnCanvas(*color.Canvas(), RECT{0, 0, w, h});
  TBitmap mask(w, h, pf32bit);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(RECT{0, 0, w, h});
  const bool hasAlpha = HasAlphaSamples(image.ImageHeader().ColorType());
  const bool keyed = image.TransparencyKind() == tkKeyColor;
  const COLORREF key = image.KeyColor();
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* alpha = hasAlpha ? image.AlphaRow(y) : nullptr;
    for (int x = 0; x < w; ++x) {
      const bool clear = alpha ? alpha[x] == 0 : keyed && image.PixelColor(x, y) == key;
      if (clear) mask.Canvas()->SetPixel(x, y, clWhite);
    }
  }
  ICONINFO info;
  info.hbmMask = mask.Handle();
  info.hbmColor = color.Handle();
  return CreateIconIndirect(&info);
}

// ---------------------------------------------------------------------------------------
// Drawing

void TPngImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT, bool enabled) {
  TPngImageCollectionItem* item = pngImages_->ItemAt(index);
  if (!item || !item->PngImage() || !item->PngImage()->HasHeader()) return;
  const RECT rect{x, y, x + Width(), y + Height()};
  PaintPng(*item->PngImage(), *canvas, rect, enabled ? TPngOptions{} : pngOptions_);
}

// ---------------------------------------------------------------------------------------
// Content operations

namespace {
bool Usable(TGraphic* picture) { return picture && !picture->Empty(); }
// The pictures a list holds: a PNG list's items (also those without image data), another
// list's icons.
int PictureCount(TCustomImageList& list) {
  auto* png = dynamic_cast<TPngImageList*>(&list);
  return png ? png->PngImages()->Count() : list.Count();
}
}  // namespace

int TPngImageList::AddConverted(std::unique_ptr<TPngImage> png) {
  TPngImageCollectionItem* item = pngImages_->AddItem(true);
  item->TakeImage(std::move(png));
  const int result = item->Index();
  // An icon that fails is reported by the rebuild that ends every add operation.
  HICON icon = ItemIcon(*item->PngImage(), item->Background(), false);
  ImageList_ReplaceIcon(Handle(), -1, icon);
  DestroyIcon(icon);
  return result;
}

int TPngImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!Usable(image)) return -1;
  std::unique_ptr<TPngImage> png = PngFromColorAndMask(*image, mask, false);
  TRebuildScope scope(*this, true);
  const int result = AddConverted(std::move(png));
  Change();
  return result;
}

int TPngImageList::AddIcon(TIcon* image) {
  if (!Usable(image)) return -1;
  std::unique_ptr<TPngImage> png = GraphicToPng(*image);
  TRebuildScope scope(*this, true);
  const int result = AddConverted(std::move(png));
  Change();
  return result;
}

int TPngImageList::AddImage(TCustomImageList* value, int index) {
  if (!value || index < 0 || index >= PictureCount(*value)) return -1;
  // A picture without image data is copied as it is, like every other.
  auto png = std::make_unique<TPngImage>();
  PngFromImageListEntry(*png, *value, index);
  TRebuildScope scope(*this, true);
  const int result = AddConverted(std::move(png));
  Change();
  return result;
}

void TPngImageList::AddImages(TCustomImageList* value) {
  if (!value) return;
  TRebuildScope scope(*this, true);
  // Every picture, also one without image data, so that the indexes stay the same.
  const int count = PictureCount(*value);
  for (int i = 0; i < count; ++i) {
    auto png = std::make_unique<TPngImage>();
    PngFromImageListEntry(*png, *value, i);
    AddConverted(std::move(png));
  }
  Change();
}

int TPngImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!Usable(image)) return -1;
  std::unique_ptr<TPngImage> png = PngFromMaskColor(*image, maskColor);
  TRebuildScope scope(*this, true);
  const int result = AddConverted(std::move(png));
  Change();
  return result;
}

void TPngImageList::Clear() {
  TRebuildScope scope(*this, false);
  pngImages_->Clear();
  ImageList_Remove(Handle(), -1);
  Change();
}

void TPngImageList::Delete(int index) {
  if (!pngImages_->ItemAt(index)) return;
  TRebuildScope scope(*this, false);
  pngImages_->Delete(index);
  ImageList_Remove(Handle(), index);
  Change();
}

void TPngImageList::InsertConverted(int index, std::unique_ptr<TPngImage> png) {
  TRebuildScope scope(*this, false);
  TPngImageCollectionItem* item = pngImages_->InsertItem(index, true);
  item->TakeImage(std::move(png));
  InsertSystemIcon(index, *item->PngImage(), item->Background());
  Change();
}

void TPngImageList::Insert(int index, TBitmap* image, TBitmap* mask) {
  if (!Usable(image) || index < 0 || index > pngImages_->Count()) return;
  InsertConverted(index, PngFromColorAndMask(*image, mask, false));
}

void TPngImageList::InsertIcon(int index, TIcon* image) {
  if (!Usable(image) || index < 0 || index > pngImages_->Count()) return;
  InsertConverted(index, GraphicToPng(*image));
}

void TPngImageList::InsertMasked(int index, TBitmap* image, TColor maskColor) {
  if (!Usable(image) || index < 0 || index > pngImages_->Count()) return;
  InsertConverted(index, PngFromMaskColor(*image, maskColor));
}

void TPngImageList::Move(int curIndex, int newIndex) {
  TPngImageCollectionItem* item = pngImages_->ItemAt(curIndex);
  if (!item || !pngImages_->ItemAt(newIndex) || curIndex == newIndex) return;
  TRebuildScope scope(*this, false);
  ImageList_Remove(Handle(), curIndex);
  InsertSystemIcon(newIndex, *item->PngImage(), item->Background());
  item->SetIndex(newIndex);
  Change();
}

void TPngImageList::ReplaceConverted(int index, std::unique_ptr<TPngImage> png) {
  TRebuildScope scope(*this, false);
  TPngImageCollectionItem* item = pngImages_->Items(index);
  item->TakeImage(std::move(png));
  HICON icon = ItemIcon(*item->PngImage(), item->Background(), false);
  ImageList_ReplaceIcon(Handle(), index, icon);
  DestroyIcon(icon);
  Change();
}

void TPngImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
  if (!Usable(image) || !pngImages_->ItemAt(index)) return;
  ReplaceConverted(index, PngFromColorAndMask(*image, mask, false));
}

void TPngImageList::ReplaceIcon(int index, TIcon* image) {
  if (!Usable(image) || !pngImages_->ItemAt(index)) return;
  ReplaceConverted(index, GraphicToPng(*image));
}

void TPngImageList::ReplaceMasked(int index, TBitmap* image, TColor maskColor) {
  if (!Usable(image) || !pngImages_->ItemAt(index)) return;
  ReplaceConverted(index, PngFromMaskColor(*image, maskColor));
}

// ---------------------------------------------------------------------------------------
// Assignment and stored data

void TPngImageList::AssignTo(TPersistent* dest) {
  if (auto* png = dynamic_cast<TPngImageList*>(dest)) {
    png->Assign(this);
    png->SetPngImages(pngImages_.get());
    png->SetEnabledImages(enabledImages_);
    return;
  }
  if (auto* list = dynamic_cast<TCustomImageList*>(dest)) {
    list->Assign(this);
    return;
  }
  TImageList::AssignTo(dest);
}

void TPngImageList::ReadData(const std::vector<std::uint8_t>&) {}

std::vector<std::uint8_t> TPngImageList::WriteData() { return {}; }
