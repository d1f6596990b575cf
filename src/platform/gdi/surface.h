// A scoped view of a bitmap's pixel memory: the one way code outside platform/gdi reads or
// writes pixels itself (file formats, icon masks, copies that must keep the fourth byte).
#pragma once

#include <span>

#include "platform/gdi/gdi.h"

// How a surface stores its pixels (the formats at the top of gdi.h): indexes into the
// colour table packed high bit first, 3 bytes blue, green, red, or 4 bytes blue, green,
// red and a fourth byte that raster operations set to 0.
enum class SurfaceFormat { Indexed1, Indexed4, Indexed8, Bgr, Bgrx };

// While a view lives its bitmap cannot be deleted (DeleteObject fails, as for a selected
// bitmap), so rows taken from it stay valid for the view's scope. An empty view (null
// bitmap, or a DC without one) has no rows and reports 0 for every size.
class SurfaceView {
 public:
  SurfaceView() = default;
  explicit SurfaceView(HBITMAP bitmap);
  // The bitmap a DC draws into (the one selected into it, or the back buffer of a window DC).
  explicit SurfaceView(HDC hdc);
  ~SurfaceView();
  SurfaceView(const SurfaceView&) = delete;
  SurfaceView& operator=(const SurfaceView&) = delete;

  explicit operator bool() const { return bitmap_ != nullptr; }
  HBITMAP Bitmap() const { return bitmap_; }
  SurfaceFormat Format() const;
  int BitsPerPixel() const;
  int Width() const;
  int Height() const;
  // Bytes from one row to the next (DWORD aligned); a row holds Width() pixels and padding.
  int Stride() const;
  // A DIB section; otherwise a device bitmap (32 bits, or monochrome with {black, white}).
  bool IsDib() const;
  // Memory rows run in image order (top-down) rather than from the bottom row up.
  bool TopDown() const;
  // Image row y, 0 being the top row whatever the memory order; y in 0 .. Height() - 1.
  BYTE* Row(int y) const;
  // The colour table of an indexed format (2, 16 or 256 entries), empty for Bgr and Bgrx.
  // Writing an entry changes the colours the indexes stand for.
  std::span<RGBQUAD> ColorTable() const;

 private:
  HBITMAP bitmap_ = nullptr;
};

// A 32-bit top-down device bitmap of width x height over memory that the caller lends (rows
// of width * 4 bytes, one after another); `release(context)` runs when the bitmap is deleted,
// and is how the caller learns it may take the memory back. For a window's back buffer that
// lives in memory shared with a display server. Null on a bad size or no memory.
HBITMAP CreateBitmapOverMemory(int width, int height, void* bits, void (*release)(void* context), void* context);
