// Drawing a PNG image with an optional disabled look (reduced opacity, grey), the two
// transforms behind that look, and the conversions of other pictures (a bitmap with a mask
// bitmap or a mask colour, an icon, an entry of another image list) into PNG images.
#pragma once

#include <memory>

#include "png/pngimage.h"
#include "ui/imglist/imglist.h"

enum TPngOption { pngBlendOnDisabled, pngGrayscaleOnDisabled };
// Stored as one byte: bit value 1 for the blend, 2 for the grey look.
using TPngOptions = TSet<TPngOption>;

// Draws image into rect by its own DrawOnCanvas. With options, a copy gets the blend
// (ApplyDisabledBlend 127) and then the grey look (ApplyDisabledGrayscale 255) and is
// drawn instead; the image itself never changes.
void PaintPng(TPngImage& image, TCanvas& canvas, const RECT& rect, TPngOptions options);

// Scales every alpha by (amount + 1) / 256, rounding halves to even (255 -> 128 for 127);
// key-colour pixels become transparent. An RGB image first gets an alpha channel; grey and
// palette images become RGBA images whose alpha is amount (0 on key-colour pixels).
void ApplyDisabledBlend(TPngImage& image, std::uint8_t amount);
// Mixes each colour with its grey X = round(0.30 R + 0.59 G + 0.11 B): v becomes
// round(v / 256 * (255 - amount)) + round(X / 256 * (amount + 1)) (mod 256), so 255 gives
// X. Palette images change their palette; grey images and every alpha stay as they are.
void ApplyDisabledGrayscale(TPngImage& image, std::uint8_t amount);

// A new image from a PNG image (a copy), a bitmap (its transparent colour becomes alpha
// 0) or an icon (alpha from its mask, or from its own alpha on systems whose icons carry
// it); other pictures give an image of their size. EInvalidGraphic for an empty picture.
std::unique_ptr<TPngImage> GraphicToPng(TGraphic& source);
// A new RGBA image with the colours of color and the alpha of the mask's red bytes
// (255 - red when inverse). Without a mask the image is opaque. EInvalidGraphic for an
// empty colour bitmap.
std::unique_ptr<TPngImage> PngFromColorAndMask(TBitmap& color, TBitmap* mask, bool inverse = false);
// A new RGBA image: alpha 0 where the bitmap's pixel equals maskColor (the plain values,
// so a system colour never matches), 255 elsewhere. EInvalidGraphic for an empty bitmap.
std::unique_ptr<TPngImage> PngFromMaskColor(TBitmap& bitmap, TColor maskColor);
// Fills target with picture index of source: a copy of a PNG list's item, or the colour of
// another list's icon with its own alpha when it has one (as GraphicToPng), its mask's
// otherwise. A picture that is not there leaves target unchanged.
void PngFromImageListEntry(TPngImage& target, TCustomImageList& source, int index);

// True on systems whose icons carry an alpha channel (NT family, version 5.1 and later).
bool OsSupportsIconAlpha();
bool VersionSupportsIconAlpha(DWORD platformId, DWORD major, DWORD minor);
