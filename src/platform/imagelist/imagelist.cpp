// The system image list: its pictures are icon pixel records of the list's size, so
// adding an icon and taking it out again gives the same pixels, mask and alpha.
#include "platform/imagelist/imagelist.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/os/os.h"

struct ImageListObj {
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
  int grow = 0;
  COLORREF bk = CLR_NONE;
  std::vector<TIconPixels> images;

  bool KeepsAlpha() const { return (flags & 0xFE) == ILC_COLOR32; }
  bool Masked() const { return (flags & ILC_MASK) != 0; }
  bool Valid(int i) const { return i >= 0 && i < int(images.size()); }
};

namespace {

constexpr std::uint32_t kRgb = 0x00FFFFFFu;

bool SizeFits(int cx, int cy) {
  return cx > 0 && cy > 0 && std::int64_t(cx) * cy * 4 <= std::int64_t(kMaxBitmapBytes);
}

std::uint32_t ToPixel(COLORREF c) {
  c = ColorToRGB(c);
  return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// Brings a picture to the list's rules: no mask without ILC_MASK, no alpha below 32 bits.
void Conform(const ImageListObj& list, TIconPixels& p) {
  if (!list.Masked()) std::fill(p.mask.begin(), p.mask.end(), 0);
  if (!list.KeepsAlpha() || !p.hasAlpha) {
    p.hasAlpha = false;
    for (std::uint32_t& c : p.color) c &= kRgb;
  }
}

// A picture of the list's size, nearest-pixel scaled from an icon.
TIconPixels Scaled(const ImageListObj& list, const TIconPixels& from) {
  TIconPixels p;
  p.width = list.cx;
  p.height = list.cy;
  p.hasAlpha = from.hasAlpha;
  if (from.width == list.cx && from.height == list.cy) {
    // Pictures made for the list's size, the usual case, need no sampling.
    p.color = from.color;
    p.mask = from.mask;
    Conform(list, p);
    return p;
  }
  const std::size_t n = std::size_t(list.cx) * std::size_t(list.cy);
  p.color.resize(n);
  p.mask.resize(n);
  for (int y = 0; y < list.cy; ++y) {
    const std::size_t row = std::size_t(std::int64_t(y) * from.height / list.cy) * std::size_t(from.width);
    for (int x = 0; x < list.cx; ++x) {
      const std::size_t at = row + std::size_t(std::int64_t(x) * from.width / list.cx);
      p.color[std::size_t(y) * std::size_t(list.cx) + std::size_t(x)] = from.color[at];
      p.mask[std::size_t(y) * std::size_t(list.cx) + std::size_t(x)] = from.mask[at];
    }
  }
  Conform(list, p);
  return p;
}

// The pictures of a bitmap strip. maskColor: pixels of that RGB colour are the mask.
bool Cut(const ImageListObj& list, HBITMAP image, HBITMAP mask, const COLORREF* maskColor,
         std::vector<TIconPixels>& out) {
  int w = 0, h = 0;
  std::vector<std::uint32_t> px;
  if (!ReadBitmapPixels(image, w, h, px)) return false;
  int mw = 0, mh = 0;
  std::vector<std::uint32_t> mpx;
  if (mask && !ReadBitmapPixels(mask, mw, mh, mpx)) return false;
  BITMAP bm{};
  GetObjectA(image, sizeof bm, &bm);
  const int count = std::max(1, w / list.cx);
  for (int k = 0; k < count; ++k) {
    TIconPixels p;
    p.width = list.cx;
    p.height = list.cy;
    p.color.assign(std::size_t(list.cx) * std::size_t(list.cy), 0);
    p.mask.assign(p.color.size(), 1);
    for (int y = 0; y < list.cy && y < h; ++y) {
      for (int x = 0; x < list.cx; ++x) {
        const int sx = k * list.cx + x;
        if (sx >= w) break;
        const std::size_t to = std::size_t(y) * std::size_t(list.cx) + std::size_t(x);
        std::uint32_t c = px[std::size_t(y) * std::size_t(w) + std::size_t(sx)];
        bool clear = false;
        if (maskColor) clear = (c & kRgb) == ToPixel(*maskColor);
        else if (mask) clear = sx < mw && y < mh && (mpx[std::size_t(y) * std::size_t(mw) + std::size_t(sx)] & kRgb) == kRgb;
        if (clear && maskColor) c = 0;
        p.color[to] = c;
        p.mask[to] = clear;
      }
    }
    p.hasAlpha = bm.bmBitsPixel == 32 &&
                 std::any_of(p.color.begin(), p.color.end(), [](std::uint32_t c) { return (c >> 24) != 0; });
    Conform(list, p);
    out.push_back(std::move(p));
  }
  return true;
}

std::uint32_t MixPixel(std::uint32_t c, std::uint32_t fg, int fgQuarters) {
  std::uint32_t out = c & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t a = (c >> shift) & 0xFF, b = (fg >> shift) & 0xFF;
    out |= ((a * std::uint32_t(4 - fgQuarters) + b * std::uint32_t(fgQuarters)) / 4) << shift;
  }
  return out;
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
  if (!SizeFits(cx, cy)) return nullptr;
  auto* list = new ImageListObj;
  list->cx = cx;
  list->cy = cy;
  list->flags = flags;
  list->grow = grow;
  list->images.reserve(std::size_t(std::clamp(initial, 0, 1024)));
  return list;
}

BOOL ImageList_Destroy(HIMAGELIST himl) {
  if (!himl) return FALSE;
  delete himl;
  return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST himl) { return himl ? int(himl->images.size()) : 0; }

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
  if (!himl || !cx || !cy) return FALSE;
  *cx = himl->cx;
  *cy = himl->cy;
  return TRUE;
}

BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy) {
  if (!himl || !SizeFits(cx, cy)) return FALSE;
  himl->cx = cx;
  himl->cy = cy;
  himl->images.clear();
  return TRUE;
}

int ImageList_GetGrow(HIMAGELIST himl) { return himl ? himl->grow : 0; }

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF color) {
  if (!himl) return CLR_NONE;
  return std::exchange(himl->bk, color);
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl) { return himl ? himl->bk : CLR_NONE; }

int ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask) {
  std::vector<TIconPixels> pictures;
  if (!himl || !Cut(*himl, image, mask, nullptr, pictures)) return -1;
  const int first = int(himl->images.size());
  for (TIconPixels& p : pictures) himl->images.push_back(std::move(p));
  return first;
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP image, COLORREF mask) {
  std::vector<TIconPixels> pictures;
  const COLORREF rgb = ColorToRGB(mask);
  if (!himl || !Cut(*himl, image, nullptr, &rgb, pictures)) return -1;
  const int first = int(himl->images.size());
  for (TIconPixels& p : pictures) himl->images.push_back(std::move(p));
  return first;
}

BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP image, HBITMAP mask) {
  std::vector<TIconPixels> pictures;
  if (!himl || !himl->Valid(i) || !Cut(*himl, image, mask, nullptr, pictures)) return FALSE;
  himl->images[std::size_t(i)] = std::move(pictures.front());
  return TRUE;
}

int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON icon) {
  const TIconPixels* from = GetIconPixels(icon);
  if (!himl || !from || (i != -1 && !himl->Valid(i))) return -1;
  TIconPixels p = Scaled(*himl, *from);
  if (i == -1) {
    himl->images.push_back(std::move(p));
    return int(himl->images.size()) - 1;
  }
  himl->images[std::size_t(i)] = std::move(p);
  return i;
}

BOOL ImageList_Remove(HIMAGELIST himl, int i) {
  if (!himl) return FALSE;
  if (i == -1) {
    himl->images.clear();
    return TRUE;
  }
  if (!himl->Valid(i)) return FALSE;
  himl->images.erase(himl->images.begin() + i);
  return TRUE;
}

HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT) {
  if (!himl || !himl->Valid(i)) return nullptr;
  return CreateIconFromPixels(himl->images[std::size_t(i)]);
}

BOOL ImageList_Copy(HIMAGELIST dst, int iDst, HIMAGELIST src, int iSrc, UINT flags) {
  if (!dst || dst != src || !dst->Valid(iDst) || !dst->Valid(iSrc)) return FALSE;
  if (flags & ILCF_SWAP) std::swap(dst->images[std::size_t(iDst)], dst->images[std::size_t(iSrc)]);
  else dst->images[std::size_t(iDst)] = dst->images[std::size_t(iSrc)];
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdc, int x, int y, UINT style) {
  return ImageList_DrawEx(himl, i, hdc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdc, int x, int y, int dx, int dy, COLORREF bk, COLORREF fg,
                      UINT style) {
  if (!himl || !hdc || !himl->Valid(i)) return FALSE;
  const TIconPixels& from = himl->images[std::size_t(i)];
  TIconPixels p;
  p.width = dx > 0 ? std::min(dx, himl->cx) : himl->cx;
  p.height = dy > 0 ? std::min(dy, himl->cy) : himl->cy;
  p.hasAlpha = from.hasAlpha;
  for (int row = 0; row < p.height; ++row) {
    const auto at = std::size_t(row) * std::size_t(himl->cx);
    p.color.insert(p.color.end(), from.color.begin() + std::ptrdiff_t(at), from.color.begin() + std::ptrdiff_t(at) + p.width);
    p.mask.insert(p.mask.end(), from.mask.begin() + std::ptrdiff_t(at), from.mask.begin() + std::ptrdiff_t(at) + p.width);
  }
  if (style & ILD_MASK) {
    for (std::size_t k = 0; k < p.color.size(); ++k) p.color[k] = p.mask[k] ? kRgb : 0;
    std::fill(p.mask.begin(), p.mask.end(), 0);
    DrawIconPixels(hdc, x, y, 0, 0, p, DI_IMAGE, TIconAlpha::Ignore);
    return TRUE;
  }
  const bool alpha = himl->KeepsAlpha() && p.hasAlpha && CommonControlsVersion() >= 0x00060000;
  if (style & (ILD_BLEND25 | ILD_BLEND50)) {
    const std::uint32_t mix = ToPixel(fg == CLR_DEFAULT || fg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : fg);
    for (std::uint32_t& c : p.color) c = MixPixel(c, mix, (style & ILD_BLEND50) ? 2 : 1);
  }
  if (bk == CLR_DEFAULT) bk = himl->bk;
  if (!(style & ILD_TRANSPARENT) && bk != CLR_NONE) {
    // An opaque background: the picture is put onto it first, then copied as a whole.
    const std::uint32_t under = ToPixel(bk);
    for (std::size_t k = 0; k < p.color.size(); ++k) {
      const std::uint32_t c = p.color[k];
      if (alpha) {
        const std::uint32_t a = c >> 24;
        std::uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8)
          out |= ((((c >> shift) & 0xFF) * a + ((under >> shift) & 0xFF) * (255 - a) + 127) / 255) << shift;
        p.color[k] = out;
      } else if (p.mask[k]) {
        p.color[k] = under;
      }
      p.mask[k] = 0;
    }
    p.hasAlpha = false;
  }
  // Masked pixels of a list show the target whatever colour lies under the mask.
  if (!alpha)
    for (std::size_t k = 0; k < p.color.size(); ++k)
      if (p.mask[k]) p.color[k] &= ~kRgb;
  DrawIconPixels(hdc, x, y, 0, 0, p, DI_NORMAL, alpha ? TIconAlpha::Honour : TIconAlpha::Ignore);
  return TRUE;
}
