// Icons: a picture made of a colour image and a monochrome AND mask, or of 32-bit colour
// whose fourth byte is straight alpha, with the Win32 calls that make, query, copy, draw
// and free them. The system image list keeps its pictures in the same form.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

struct ICONINFO {
  BOOL fIcon = TRUE;
  DWORD xHotspot = 0;
  DWORD yHotspot = 0;
  HBITMAP hbmMask = nullptr;   // 1 = transparent (white); twice the height without colour
  HBITMAP hbmColor = nullptr;  // may be null: a monochrome icon
};

// The pixels of one icon, rows top-down.
//  - color: 0xAARRGGBB words (bytes blue, green, red, alpha in memory); alpha is straight.
//  - mask: one byte per pixel, 1 where the AND mask is set (the screen shows through,
//    XORed with the colour), 0 where the colour replaces the screen.
//  - hasAlpha: the colour came from a 32-bit bitmap with some non-zero alpha byte; such
//    pictures blend by alpha and their mask is only used where alpha is not honoured.
struct TIconPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> color;
  std::vector<std::uint8_t> mask;
  bool hasAlpha = false;
};

// Copies the bitmaps of info into a new icon (the caller keeps its bitmaps). A mask is
// required; its white pixels are the transparent ones (a 32-bit mask counts only pure
// white). Null when the mask is missing, the sizes disagree or a bitmap cannot be read.
HICON CreateIconIndirect(const ICONINFO* info);
// New copies of the icon's bitmaps that the caller deletes: the colour as a 32-bit device
// bitmap that keeps the alpha bytes, the mask as a monochrome bitmap. FALSE for a null icon.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
BOOL DestroyIcon(HICON icon);
HICON CopyIcon(HICON icon);

constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;
// Draws the icon at (x, y), stretched (nearest pixel) to cx x cy (0: its own size).
// DI_NORMAL blends pictures with alpha, and ANDs the mask then XORs the colour for others;
// DI_MASK and DI_IMAGE draw only that part. step and flicker are not used.
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker, UINT flags);
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);

// Additions of this platform layer, not Win32 calls.
// The icon's size in pixels; FALSE for a null icon.
BOOL GetIconSize(HICON icon, SIZE* size);
// The icon's pixels, read-only and valid while the icon lives; null for a null icon.
const TIconPixels* GetIconPixels(HICON icon);
// An icon that takes the pixels over; null when the vectors do not match the size.
HICON CreateIconFromPixels(TIconPixels pixels);
// Reads a bitmap as 32-bit top-down pixels (alpha bytes as the bitmap stores them, 0 for
// formats below 32 bits). False for a null or unreadable bitmap.
bool ReadBitmapPixels(HBITMAP bitmap, int& width, int& height, std::vector<std::uint32_t>& pixels);

enum class TIconAlpha { Ignore, Honour };
// Draws pixels as DrawIconEx does; with TIconAlpha::Ignore a picture with alpha is drawn
// through its mask, as image lists of older platforms do.
void DrawIconPixels(HDC hdc, int x, int y, int cx, int cy, const TIconPixels& pixels, UINT flags,
                    TIconAlpha alpha);
