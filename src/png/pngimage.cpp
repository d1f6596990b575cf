// TPngImage: chunk lists, reading and writing streams, copying, transparency queries,
// adding an alpha channel, importing bitmaps and the registration with TPicture.
// Drawing and pixel access are in draw.cpp.
//
// Sections: registration / pointer and chunk lists / construction / reading and writing /
// copying / transparency and alpha / bitmap import and clipboard.
#include "png/pngimage.h"

#include <cstring>

// ---------------------------------------------------------------------------------------
// Registration

namespace {
bool gRegistered = false;
}

std::unique_ptr<TGraphic> NewPngImage() { return std::make_unique<TPngImage>(); }

void RegisterPngFormat() {
  if (gRegistered) return;
  gRegistered = true;
  RegisterStandardChunkClasses();
  TPicture::RegisterFileFormat("png", "Portable Network Graphics", &NewPngImage);
}

void UnregisterPngFormat() {
  if (!gRegistered) return;
  gRegistered = false;
  TPicture::UnregisterGraphicClass(&NewPngImage);
  ReleaseChunkClassTable();
}

namespace {
// Any program that links this file registers the format at start-up; the constructor
// repeats the call for programs whose start-up order reaches a TPngImage first.
struct StartUp {
  StartUp() { RegisterPngFormat(); }
} gStartUp;
}  // namespace

// ---------------------------------------------------------------------------------------
// Lists

void TPngPointerList::InsertChunkAt(TChunk* item, std::uint32_t index) {
  if (index < items_.size()) items_.insert(items_.begin() + index, item);
}

TChunk* TPngPointerList::Remove(TChunk* item) {
  for (std::size_t i = items_.size(); i-- > 0;) {
    if (items_[i] == item) {
      items_.erase(items_.begin() + std::ptrdiff_t(i));
      return item;
    }
  }
  return nullptr;
}

TChunk* TPngChunkList::FirstOfClass(TChunkClass cls) const {
  for (std::uint32_t i = 0; i < Count(); ++i) {
    TChunk* c = Item(i);
    if (c && c->ChunkClass()->InheritsFrom(cls)) return c;
  }
  return nullptr;
}

TChunk* TPngChunkList::AddAncillaryChunk(TChunkClass cls) {
  if (cls == &TChunkIHDR::Class || cls == &TChunkIDAT::Class || cls == &TChunkPLTE::Class ||
      cls == &TChunkIEND::Class)
    RaisePngError<EPngError>(Owner(), png_messages::kExistentCriticalChunk);
  if ((cls == &TChunkgAMA::Class && FirstOfClass<TChunkgAMA>()) ||
      (cls == &TChunktRNS::Class && FirstOfClass<TChunktRNS>()))
    RaisePngError<EPngError>(Owner(), png_messages::kExistentCriticalChunk);
  TChunk* iend = FirstOfClass<TChunkIEND>();
  TChunk* ihdr = FirstOfClass<TChunkIHDR>();
  if (!iend || !ihdr) RaisePngError<EPngError>(Owner(), png_messages::kInvalidImageForChunk);

  TChunk* chunk = cls->create(Owner());
  std::uint32_t at;
  if (cls == &TChunkgAMA::Class) {
    at = std::uint32_t(ihdr->PositionInList() + 1);
  } else if (cls == &TChunktRNS::Class) {
    if (TChunk* plte = FirstOfClass<TChunkPLTE>()) at = std::uint32_t(plte->PositionInList() + 1);
    else if (TChunk* idat = FirstOfClass<TChunkIDAT>()) at = std::uint32_t(idat->PositionInList());
    else at = std::uint32_t(ihdr->PositionInList() + 1);
  } else {
    at = std::uint32_t(iend->PositionInList());
  }
  if (at < Count()) InsertChunkAt(chunk, at);
  else Add(chunk);
  return chunk;
}

// ---------------------------------------------------------------------------------------
// Construction

TPngImage::TPngImage() : chunks_(this) {
  RegisterPngFormat();
  ResetGammaMaps();
}

TPngImage::~TPngImage() {
  RemoveAllChunks();
  DeletePaletteCache();
}

void TPngImage::ResetGammaMaps() {
  for (int i = 0; i < 256; ++i) gammaMap_[i] = inverseGammaMap_[i] = std::uint8_t(i);
}

void TPngImage::DeletePaletteCache() {
  if (paletteCache_) DeleteObject(paletteCache_);
  paletteCache_ = nullptr;
}

void TPngImage::RemoveAllChunks() {
  ResetGammaMaps();
  for (std::uint32_t i = 0; i < chunks_.Count(); ++i) delete chunks_.Item(i);
  chunks_.SetSize(0);
}

bool TPngImage::HasHeader() const {
  return chunks_.Count() > 0 && dynamic_cast<TChunkIHDR*>(chunks_.Item(0)) != nullptr;
}

TChunkIHDR& TPngImage::ImageHeader() const {
  if (!HasHeader()) RaisePngError<EPngHeaderNotPresent>(this, png_messages::kHeaderNotPresent);
  return *static_cast<TChunkIHDR*>(chunks_.Item(0));
}

// ---------------------------------------------------------------------------------------
// Reading and writing

namespace {
const std::uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
}

void TPngImage::ReadFromStream(TStream& stream) {
  RemoveAllChunks();
  std::uint8_t sig[8];
  if (stream.Read(sig, 8) != 8 || std::memcmp(sig, kSignature, 8) != 0)
    RaisePngError<EPngInvalidFileHeader>(this, png_messages::kInvalidFileHeader);

  // Trimming to the chunks actually made before every raise keeps the list free of
  // unused slots, so a later RemoveAllChunks frees exactly what was created.
  chunks_.SetSize(10);
  std::uint32_t n = 0;
  bool hasData = false;
  char type[4];
  do {
    ++n;
    if (chunks_.Count() < n) chunks_.SetSize(chunks_.Count() + 10);
    std::uint8_t len[4];
    if (stream.Read(len, 4) != 4) {
      chunks_.SetSize(n - 1);
      RaisePngError<EPngUnexpectedEnd>(this, png_messages::kUnexpectedEnd);
    }
    std::uint32_t length = std::uint32_t(len[0]) << 24 | std::uint32_t(len[1]) << 16 | std::uint32_t(len[2]) << 8 | len[3];
    std::memset(type, 0, 4);
    if (stream.Read(type, 4) != 4) {
      chunks_.SetSize(n - 1);
      RaisePngError<EPngUnexpectedEnd>(this, png_messages::kUnexpectedEnd);
    }
    if (n == 1 && std::memcmp(type, "IHDR", 4) != 0) {
      chunks_.SetSize(0);
      RaisePngError<EPngIHDRNotFirst>(this, png_messages::kIHDRNotFirst);
    }
    bool isData = std::memcmp(type, "IDAT", 4) == 0;
    if (std::memcmp(type, "cHRM", 4) == 0 || (isData && hasData)) {
      --n;
      stream.Seek(std::int64_t(length) + 4, soCurrent);
      continue;
    }
    if (isData) hasData = true;
    TChunk* chunk = MakeChunkForType(this, type);
    chunks_.SetItem(n - 1, chunk);
    if (chunk->ChunkClass() == &TChunk::Class && !(type[0] & 0x20) && type[0] != 0) {
      chunks_.SetSize(n);
      RaisePngError<EPngUnknownCriticalChunk>(this, png_messages::kUnknownCriticalChunk);
    }
    bool goOn;
    try {
      goOn = chunk->ReadFromStream(stream, type, length);
    } catch (...) {
      chunks_.SetSize(n);
      throw;
    }
    if (!goOn) break;
  } while (std::memcmp(type, "IEND", 4) != 0);
  chunks_.SetSize(n);
  if (!hasData) RaisePngError<EPngNoImageData>(this, png_messages::kNoImageData);
}

void TPngImage::WriteToStream(TStream& stream) {
  if (auto* data = chunks_.FirstOfClass<TChunkIDAT>()) data->CheckWritable();
  stream.WriteBuffer(kSignature, 8);
  for (std::uint32_t i = 0; i < chunks_.Count(); ++i)
    if (TChunk* c = chunks_.Item(i)) c->WriteToStream(stream);
}

// ---------------------------------------------------------------------------------------
// Copying

void TPngImage::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TPngImage*>(source)) {
    if (src == this) return;
    interlacing_ = src->interlacing_;
    SetIdatChunkLimit(src->idatChunkLimit_);
    deflateLevel_ = src->deflateLevel_;
    filterSet_ = src->filterSet_;
    RemoveAllChunks();
    // The copy keeps the source's gamma maps so that it reports the same colours.
    std::memcpy(gammaMap_, src->gammaMap_, 256);
    std::memcpy(inverseGammaMap_, src->inverseGammaMap_, 256);
    chunks_.SetSize(src->chunks_.Count());
    for (std::uint32_t i = 0; i < src->chunks_.Count(); ++i) {
      TChunk* from = src->chunks_.Item(i);
      if (!from) continue;
      TChunk* to = from->ChunkClass()->create(this);
      chunks_.SetItem(i, to);
      to->CopyFrom(*from);
    }
    Changed();
    return;
  }
  if (auto* bmp = dynamic_cast<TBitmap*>(source)) {
    ImportBitmapHandle(bmp->Handle(), bmp->Transparent(), COLORREF(ColorToRGB(bmp->TransparentColor())));
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TPngImage::AssignTo(TPersistent* dest) {
  if (auto* png = dynamic_cast<TPngImage*>(dest)) {
    png->Assign(this);
    return;
  }
  if (auto* bmp = dynamic_cast<TBitmap*>(dest)) {
    ExportToBitmap(bmp);
    return;
  }
  TGraphic::AssignTo(dest);
}

// ---------------------------------------------------------------------------------------
// Transparency and alpha

TTransparencyKind TPngImage::TransparencyKind() const {
  const TChunkIHDR& header = ImageHeader();
  const TChunktRNS* trns = chunks_.FirstOfClass<TChunktRNS>();
  switch (header.ColorType()) {
    case 0:
    case 2: return trns && trns->BitTransparency() ? tkKeyColor : tkNone;
    case 3: return !trns ? tkNone : trns->BitTransparency() ? tkKeyColor : tkAlpha;
    case 4:
    case 6: return tkAlpha;
    default: return tkNone;
  }
}

COLORREF TPngImage::KeyColor() const {
  const TChunktRNS* trns = chunks_.FirstOfClass<TChunktRNS>();
  return trns ? trns->TransparentColor() : 0;
}

void TPngImage::AddAlphaChannel() {
  TChunkIHDR& header = ImageHeader();
  switch (header.ColorType()) {
    case 0:
    case 2:
      header.CreateOpaqueAlphaPlane();
      header.SetColorType(header.ColorType() == 0 ? 4 : 6);
      break;
    case 3: {
      auto* trns = chunks_.FirstOfClass<TChunktRNS>();
      if (!trns) trns = chunks_.AddAncillaryChunk<TChunktRNS>();
      std::memset(trns->AlphaValues(), 255, 256);
      trns->SetBodyLength(1u << std::min<unsigned>(header.BitDepth(), 8));
      trns->SetBitTransparency(false);
      break;
    }
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------
// Bitmap import and clipboard

void TPngImage::ImportBitmapHandle(HBITMAP bitmap, bool transparent, COLORREF transparentColor) {
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  RemoveAllChunks();
  bool indexed = bm.bmBitsPixel < 16;
  auto* header = static_cast<TChunkIHDR*>(TChunkIHDR::Class.create(this));
  chunks_.Add(header);
  TChunkPLTE* plte = nullptr;
  if (indexed) chunks_.Add(plte = static_cast<TChunkPLTE*>(TChunkPLTE::Class.create(this)));
  TChunktRNS* trns = nullptr;
  if (transparent) chunks_.Add(trns = static_cast<TChunktRNS*>(TChunktRNS::Class.create(this)));
  chunks_.Add(TChunkIDAT::Class.create(this));
  chunks_.Add(TChunkIEND::Class.create(this));

  header->SetImageWidth(std::uint32_t(std::max(bm.bmWidth, 0)));
  header->SetImageHeight(bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight);
  header->SetBitDepth(std::uint8_t(indexed ? bm.bmBitsPixel : 8));
  header->SetColorType(indexed ? 3 : 2);
  header->SetCompressionMethod(0);
  header->SetInterlaceMethod(0);
  header->PrepareStorage();
  if (header->PixelBits()) {
    HDC dc = CreateCompatibleDC(nullptr);
    GetDIBits(dc, bitmap, 0, UINT(header->ImageHeight()), header->PixelBits(), &header->HeaderInfo(),
              DIB_RGB_COLORS);
    DeleteDC(dc);
  }
  if (plte) plte->SetCount(1 << bm.bmBitsPixel);
  if (trns) trns->SetTransparentColor(transparentColor);
}

void TPngImage::LoadFromClipboardFormat(unsigned format, std::uintptr_t data, HPALETTE palette) {
  TBitmap bmp;
  bmp.LoadFromClipboardFormat(format, data, palette);
  ImportBitmapHandle(bmp.Handle(), false, 0);
}

void TPngImage::SaveToClipboardFormat(unsigned& format, std::uintptr_t& data, HPALETTE& palette) {
  TBitmap bmp(PixelWidth(), PixelHeight());
  RECT r{0, 0, PixelWidth(), PixelHeight()};
  DrawOnCanvas(*bmp.Canvas(), r);
  bmp.SaveToClipboardFormat(format, data, palette);
}
