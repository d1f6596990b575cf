// TPngStorage: the decoded picture of a PNG image, which the image owns, its header chunk
// fills, and drawing, pixel access and the IDAT coder use. 1, 4 or 8 bits per pixel index
// the colour table (palette entries, or grey levels), 24 bits hold blue, green, red; rows
// are a bottom-up DIB section, alpha a top-down plane of one byte per pixel.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/gdi/gdi.h"
#include "png/colortype.h"

class TChunkIHDR;

class TPngStorage {
 public:
  ~TPngStorage() { Free(); }

  // Rebuilds the storage for the header's fields, pixels and alpha at 0, in at most `limit`
  // bytes. Raises EPngUnsupportedFormat for combinations without a layout, EPngSizeExceeds
  // for rows too wide and EPngOutMemory beyond the limit or when memory cannot be had.
  // `lowGreyAlpha` gives grey with alpha below 8 bits the packed grey layout.
  void Prepare(const TChunkIHDR& header, bool lowGreyAlpha, std::uint64_t limit);
  void Free();
  // Frees the storage when `header` made it: a header that goes takes its picture along.
  void FreeIfMadeBy(const TChunkIHDR* header) { if (madeBy_ == header) Free(); }
  // Gives the storage an alpha plane of 255s, within `limit` bytes in all.
  void AddOpaqueAlphaPlane(std::uint64_t limit);
  // Copies the pixel rows (when they are as long), the alpha plane and the colour table of
  // a storage of the same picture size.
  void CopyPixelsFrom(const TPngStorage& other, std::uint64_t limit);
  // Fills the colour table with grey levels spread evenly over 0 .. 255, through `gamma`.
  void BuildGreyLevels(const std::uint8_t* gamma);

  HBITMAP StorageBitmap() const { return storageBitmap_; }
  HDC StorageDC() const { return storageDC_; }
  bool UsesColorTable() const { return usesColorTable_; }
  // The DIB's header and its colour table (blue in the low byte of each entry).
  BITMAPINFO& HeaderInfo() { return headerInfo_; }
  const BITMAPINFO& HeaderInfo() const { return headerInfo_; }
  std::int32_t RowStride() const { return rowStride_; }
  std::uint8_t* PixelBits() const { return pixelBits_; }
  std::uint8_t* AlphaPlane() const { return alphaPlane_.get(); }
  // Bits per pixel (1, 4, 8 or 24) and the size the header had when the storage was made.
  int StorageBits() const { return headerInfo_.bmiHeader.biBitCount; }
  int Width() const { return headerInfo_.bmiHeader.biWidth; }
  int Height() const { return headerInfo_.bmiHeader.biHeight; }
  // What the storage takes, counted against the image's storage limit.
  std::uint64_t Bytes() const { return bytes_; }
  // Image row y (0 = top) of the pixels and of the alpha plane; null when there is none.
  std::uint8_t* PixelRow(int y) const;
  std::uint8_t* AlphaRow(int y) const;

 private:
  struct FreeDeleter {
    void operator()(std::uint8_t* p) const { std::free(p); }
  };

  const TChunkIHDR* madeBy_ = nullptr;
  HBITMAP storageBitmap_ = nullptr;
  HDC storageDC_ = nullptr;
  bool usesColorTable_ = false;
  BITMAPINFO headerInfo_{};
  std::int32_t rowStride_ = 0;
  std::uint8_t* pixelBits_ = nullptr;
  std::unique_ptr<std::uint8_t[], FreeDeleter> alphaPlane_;
  std::uint64_t bytes_ = 0;
};
