// Version 4 bitmap headers: translated into the plain BITMAPINFO form the DIB functions
// take, so there is one pixel path for both.
#include "platform/gdi/gdi.h"

namespace {

// The plain header a V4 header stands for, or false when it describes a layout we lack.
// Channel masks all 0 with BI_BITFIELDS ask for the standard ones, which GetDIBits fills in.
bool ToInfo(const BITMAPV4HEADER& v4, BITMAPINFO& info) {
  if (v4.bV4Size != sizeof(BITMAPV4HEADER) || v4.bV4Planes != 1) return false;
  if (v4.bV4V4Compression == BI_BITFIELDS) {
    const bool standard = v4.bV4RedMask == 0x00FF0000u && v4.bV4GreenMask == 0x0000FF00u &&
                          v4.bV4BlueMask == 0x000000FFu &&
                          (v4.bV4AlphaMask == 0 || v4.bV4AlphaMask == 0xFF000000u);
    const bool unset = (v4.bV4RedMask | v4.bV4GreenMask | v4.bV4BlueMask | v4.bV4AlphaMask) == 0;
    if (v4.bV4BitCount != 32 || !(standard || unset)) return false;
  } else if (v4.bV4V4Compression != BI_RGB || (v4.bV4BitCount != 24 && v4.bV4BitCount != 32)) {
    return false;
  }
  info = BITMAPINFO{};
  info.bmiHeader.biWidth = v4.bV4Width;
  info.bmiHeader.biHeight = v4.bV4Height;
  info.bmiHeader.biBitCount = v4.bV4BitCount;
  info.bmiHeader.biCompression = BI_RGB;
  return true;
}

}  // namespace

HBITMAP CreateDIBSection(HDC hdc, const BITMAPV4HEADER* header, UINT usage, void** bits, void* section,
                         DWORD offset) {
  BITMAPINFO info;
  if (!header || !ToInfo(*header, info)) {
    if (bits) *bits = nullptr;
    return nullptr;
  }
  return CreateDIBSection(hdc, &info, usage, bits, section, offset);
}

int GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPV4HEADER* header, UINT usage) {
  BITMAPINFO info;
  if (!header || !ToInfo(*header, info)) return 0;
  int rows = GetDIBits(hdc, bmp, start, lines, bits, &info, usage);
  if (rows > 0) {
    header->bV4SizeImage = info.bmiHeader.biSizeImage;
    if (header->bV4V4Compression == BI_BITFIELDS && header->bV4RedMask == 0) {
      header->bV4RedMask = 0x00FF0000u;
      header->bV4GreenMask = 0x0000FF00u;
      header->bV4BlueMask = 0x000000FFu;
    }
  }
  return rows;
}

int SetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPV4HEADER* header,
              UINT usage) {
  BITMAPINFO info;
  if (!header || !ToInfo(*header, info)) return 0;
  return SetDIBits(hdc, bmp, start, lines, bits, &info, usage);
}
