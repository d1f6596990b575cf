// TPngImage: a PNG picture held as its list of chunks and its decoded pixel storage, which
// the header chunk fills; reads and writes PNG streams and draws itself opaque, with one
// transparent key colour, or alpha-blended.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "png/chunks.h"
#include "png/pngstorage.h"
#include "ui/graphics/graphics.h"

enum TTransparencyKind { tkNone, tkKeyColor, tkAlpha };

// Scanline filters as set bits of FilterSet.
enum : std::uint8_t { pfNone = 1, pfSub = 2, pfUp = 4, pfAverage = 8, pfPaeth = 16 };

// The chunk list of one image, in stream order. The list owns its chunks: taking one in
// hands it over, Remove hands it back, and Clear or the end of the list frees them.
class TPngChunkList : public TObject {
  LB_CLASS(TPngChunkList)
 public:
  explicit TPngChunkList(TPngImage* owner) : owner_(owner) {}
  TPngImage* Owner() const { return owner_; }
  std::uint32_t Count() const { return std::uint32_t(items_.size()); }
  // Null when the index is out of range.
  TChunk* Item(std::uint32_t index) const { return index < items_.size() ? items_[index].get() : nullptr; }
  TChunk* Add(std::unique_ptr<TChunk> item);
  // Inserts before the chunk at `index`, which must be below the count; otherwise the
  // chunk is freed and null returned.
  TChunk* InsertChunkAt(std::unique_ptr<TChunk> item, std::uint32_t index);
  // Takes the last occurrence out of the list and returns it; null when absent.
  std::unique_ptr<TChunk> Remove(TChunk* item);
  // Frees every chunk, last first.
  void Clear();

  // The first chunk of that class or of a descendant (TChunktEXt also finds TChunkzTXt).
  TChunk* FirstOfClass(TChunkClass cls) const;
  template <class T>
  T* FirstOfClass() const {
    return static_cast<T*>(FirstOfClass(&T::Class));
  }
  // Adds an ancillary chunk at its proper place (gAMA after IHDR, tRNS after PLTE or
  // before IDAT, others before IEND); raises EPngError for critical or duplicate chunks
  // and for images without IHDR or IEND.
  TChunk* AddAncillaryChunk(TChunkClass cls);
  template <class T>
  T* AddAncillaryChunk() {
    return static_cast<T*>(AddAncillaryChunk(&T::Class));
  }

 private:
  TPngImage* owner_;
  std::vector<std::unique_ptr<TChunk>> items_;
};

// Registers the png format with TPicture and the standard chunk classes, once. Called by
// the TPngImage constructor and at start-up of any program that links TPngImage; a
// program that loads PNG files through TPicture before making any TPngImage calls it.
void RegisterPngFormat();
void UnregisterPngFormat();

class TPngImage : public TGraphic {
  LB_CLASS(TPngImage)
 public:
  TPngImage();
  ~TPngImage() override;

  // Picture protocol.
  void AssignTo(TPersistent* dest) override;
  void Assign(TPersistent* source) override;
  void CopyFrom(TPersistent* source) { Assign(source); }
  void DrawOnCanvas(TCanvas& canvas, const RECT& rect) override;
  bool IsEmpty() override { return chunks_.Count() == 0; }
  int PixelHeight() override;
  HPALETTE PaletteHandle() override;
  bool IsTransparent() override;
  int PixelWidth() override;
  void SetPixelHeight(int value) override;
  void SetPaletteHandle(HPALETTE palette) override;
  void SetPixelWidth(int value) override;
  void ReadFromStream(TStream& stream) override;
  void WriteToStream(TStream& stream) override;
  void LoadFromClipboardFormat(unsigned format, std::uintptr_t data, HPALETTE palette) override;
  void SaveToClipboardFormat(unsigned& format, std::uintptr_t& data, HPALETTE& palette) override;
  virtual COLORREF PixelColor(int x, int y);
  virtual void SetPixelColor(int x, int y, COLORREF color);

  // Chunks and header.
  TPngChunkList& Chunks() { return chunks_; }
  void RemoveAllChunks();
  bool HasHeader() const;
  TChunkIHDR& ImageHeader() const;  // raises EPngHeaderNotPresent
  // The decoded picture; empty until a header makes it.
  TPngStorage& Storage() { return storage_; }
  const TPngStorage& Storage() const { return storage_; }

  // Transparency.
  TTransparencyKind TransparencyKind() const;
  COLORREF KeyColor() const;
  void AddAlphaChannel();
  void ImportBitmapHandle(HBITMAP bitmap, bool transparent, COLORREF transparentColor);
  void ExportToBitmap(TBitmap* target);

  // Rows of the storage (image row y, 0 = top); AlphaRow is null without an alpha plane.
  std::uint8_t* PixelRow(int y) const;
  std::uint8_t* AlphaRow(int y) const;

  // Gamma maps: sample -> stored/displayed value and back.
  std::uint8_t* GammaMap() { return gammaMap_; }
  const std::uint8_t* GammaMap() const { return gammaMap_; }
  std::uint8_t* InverseGammaMap() { return inverseGammaMap_; }
  const std::uint8_t* InverseGammaMap() const { return inverseGammaMap_; }
  void ResetGammaMaps();

  // Encoder settings kept for writers.
  std::uint8_t FilterSet() const { return filterSet_; }
  void SetFilterSet(std::uint8_t value) { filterSet_ = value; }
  std::uint8_t DeflateLevel() const { return deflateLevel_; }
  void SetDeflateLevel(std::uint8_t value) { deflateLevel_ = value; }
  std::uint32_t IdatChunkLimit() const { return idatChunkLimit_; }
  void SetIdatChunkLimit(std::uint32_t value) { idatChunkLimit_ = value > 65534 ? value : 65535; }
  std::uint8_t Interlacing() const { return interlacing_; }
  void SetInterlacing(std::uint8_t value) { interlacing_ = value; }

  // Resource limits for untrusted input: pixel storage plus alpha plane of all headers
  // (EPngOutMemory beyond it), the body of any chunk but IDAT (EPngOutMemory), and the
  // inflated text of a zTXt chunk (the text is left empty beyond it).
  std::uint64_t MaxStorageBytes() const { return maxStorageBytes_; }
  void SetMaxStorageBytes(std::uint64_t value) { maxStorageBytes_ = value; }
  std::uint32_t MaxChunkBytes() const { return maxChunkBytes_; }
  void SetMaxChunkBytes(std::uint32_t value) { maxChunkBytes_ = value; }
  std::size_t MaxTextBytes() const { return maxTextBytes_; }
  void SetMaxTextBytes(std::size_t value) { maxTextBytes_ = value; }
  // Bytes held by the pixel storage.
  std::uint64_t StorageInUse() const { return storage_.Bytes(); }

  HPALETTE PaletteCache() const { return paletteCache_; }
  void DeletePaletteCache();

 private:
  void DrawWithAlpha(HDC target, const RECT& rect);
  void DrawWithKeyColor(HDC target, const RECT& rect);

  std::uint8_t gammaMap_[256];
  std::uint8_t inverseGammaMap_[256];
  HPALETTE paletteCache_ = nullptr;
  std::uint8_t filterSet_ = pfSub;
  std::uint8_t deflateLevel_ = 7;
  std::uint32_t idatChunkLimit_ = 65535;
  std::uint8_t interlacing_ = 0;
  TPngStorage storage_;  // before the chunks: the header frees it as it goes
  TPngChunkList chunks_;
  std::uint64_t maxStorageBytes_ = std::uint64_t(1) << 30;
  std::uint32_t maxChunkBytes_ = 64u << 20;
  std::size_t maxTextBytes_ = 16u << 20;
};

// The factory TPicture uses for "png".
std::unique_ptr<TGraphic> NewPngImage();
