// The system image list: a numbered set of same-sized pictures (colour, mask and, for
// 32-bit lists, alpha) behind a handle, so that anything holding the handle can draw
// from it. The Win32 names, argument orders and results.
#pragma once

#include "platform/gdi/gdi.h"
#include "platform/icon/icon.h"

struct ImageListObj;
using HIMAGELIST = ImageListObj*;

// Creation flags: a colour depth and, optionally, a mask. Every depth stores 32-bit
// pictures; only ILC_COLOR32 lists keep alpha, and they blend with it when the common
// controls are version 6.0 or later (CommonControlsVersion), as the older ones did not.
constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLORDDB = 0x00FE;
constexpr UINT ILC_COLOR4 = 0x0004;
constexpr UINT ILC_COLOR8 = 0x0008;
constexpr UINT ILC_COLOR16 = 0x0010;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;

// Drawing styles.
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;
constexpr UINT ILD_BLEND25 = 0x0002;
constexpr UINT ILD_FOCUS = ILD_BLEND25;
constexpr UINT ILD_BLEND50 = 0x0004;
constexpr UINT ILD_SELECTED = ILD_BLEND50;
constexpr UINT ILD_BLEND = ILD_BLEND50;
constexpr UINT ILD_MASK = 0x0010;
constexpr UINT ILD_IMAGE = 0x0020;

// Colour values of the image-list calls.
constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;
constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

// ImageList_Copy flags (source and destination must be the same list).
constexpr UINT ILCF_MOVE = 0x0000;
constexpr UINT ILCF_SWAP = 0x0001;

// cx, cy above 0 and cx * cy * 4 within the bitmap limit; null otherwise. initial only
// reserves room; grow is kept for ImageList_GetGrow.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST himl);
int ImageList_GetImageCount(HIMAGELIST himl);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
// Changes the picture size and removes every picture.
BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy);
int ImageList_GetGrow(HIMAGELIST himl);    // ours: the grow-by count, 0 for null
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF color);  // returns the previous one
COLORREF ImageList_GetBkColor(HIMAGELIST himl);

// Adds the pictures of a bitmap strip (width / cx pictures of cx x cy from the left,
// at least one); white mask pixels are transparent. Index of the first one, or -1.
int ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask);
// As ImageList_Add, with the mask made of the pixels equal to `mask` (which turn black).
int ImageList_AddMasked(HIMAGELIST himl, HBITMAP image, COLORREF mask);
BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP image, HBITMAP mask);
// i = -1 appends; otherwise replaces picture i. The icon is stretched to the list's size.
// Returns the index, or -1 (index out of range, null icon).
int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON icon);
inline int ImageList_AddIcon(HIMAGELIST himl, HICON icon) { return ImageList_ReplaceIcon(himl, -1, icon); }
// i = -1 removes every picture.
BOOL ImageList_Remove(HIMAGELIST himl, int i);
// A new icon of picture i that the caller destroys; null when there is none.
HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);
BOOL ImageList_Copy(HIMAGELIST dst, int iDst, HIMAGELIST src, int iSrc, UINT flags);

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdc, int x, int y, UINT style);
// dx, dy: the part of the picture drawn (0: all). bk: the colour under the picture's
// transparent pixels (CLR_NONE: the target shows through; CLR_DEFAULT: the list's
// background colour). fg: the colour that ILD_BLEND25 / ILD_BLEND50 mix in (CLR_DEFAULT:
// the highlight colour).
BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdc, int x, int y, int dx, int dy, COLORREF bk, COLORREF fg,
                      UINT style);
