// TPngImage: chunk lists, reading and writing streams, copying, transparency queries,
// adding an alpha channel, importing bitmaps and the registration with TPicture.
// Drawing and pixel access are in draw.cpp.
//
// Sections: registration / the chunk list / construction / reading and writing /
// copying / transparency and alpha / bitmap import and clipboard.
#include "png/pngimage.h"

#include <cstdlib>
#include <cstring>

#include "png/byteorder.h"

using pngbytes::GetBE32;

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
// The chunk list

TChunk* TPngChunkList::Add(std::unique_ptr<TChunk> item) {
  items_.push_back(std::move(item));
  return items_.back().get();
}

TChunk* TPngChunkList::InsertChunkAt(std::unique_ptr<TChunk> item, std::uint32_t index) {
  if (index >= items_.size()) return nullptr;
  return items_.insert(items_.begin() + index, std::move(item))->get();
}

std::unique_ptr<TChunk> TPngChunkList::Remove(TChunk* item) {
  for (std::size_t i = items_.size(); i-- > 0;) {
    if (items_[i].get() == item) {
      std::unique_ptr<TChunk> owned = std::move(items_[i]);
      items_.erase(items_.begin() + std::ptrdiff_t(i));
      return owned;
    }
  }
  return nullptr;
}

void TPngChunkList::Clear() {
  // Each chunk leaves the list before it is freed, so a chunk's destructor never sees
  // itself or a freed neighbour in the list.
  while (!items_.empty()) {
    std::unique_ptr<TChunk> last = std::move(items_.back());
    items_.pop_back();
  }
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

  std::unique_ptr<TChunk> chunk(cls->create(Owner()));
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
  return at < Count() ? InsertChunkAt(std::move(chunk), at) : Add(std::move(chunk));
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
  chunks_.Clear();
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

  // Each chunk joins the list as soon as it is made, before it reads its body (a chunk
  // finds the header through the list), so after an error the list holds every chunk
  // read so far, the failing one last.
  bool hasData = false;
  char type[4];
  do {
    std::uint8_t len[4];
    if (stream.Read(len, 4) != 4) RaisePngError<EPngUnexpectedEnd>(this, png_messages::kUnexpectedEnd);
    std::uint32_t length = GetBE32(len);
    std::memset(type, 0, 4);
    if (stream.Read(type, 4) != 4) RaisePngError<EPngUnexpectedEnd>(this, png_messages::kUnexpectedEnd);
    if (chunks_.Count() == 0 && std::memcmp(type, "IHDR", 4) != 0)
      RaisePngError<EPngIHDRNotFirst>(this, png_messages::kIHDRNotFirst);
    bool isData = std::memcmp(type, "IDAT", 4) == 0;
    if (std::memcmp(type, "cHRM", 4) == 0 || (isData && hasData)) {
      stream.Seek(std::int64_t(length) + 4, soCurrent);
      continue;
    }
    if (isData) hasData = true;
    TChunk* chunk = chunks_.Add(std::unique_ptr<TChunk>(MakeChunkForType(this, type)));
    if (chunk->ChunkClass() == &TChunk::Class && !(type[0] & 0x20) && type[0] != 0)
      RaisePngError<EPngUnknownCriticalChunk>(this, png_messages::kUnknownCriticalChunk);
    if (!chunk->ReadFromStream(stream, type, length)) break;
  } while (std::memcmp(type, "IEND", 4) != 0);
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
    for (std::uint32_t i = 0; i < src->chunks_.Count(); ++i) {
      const TChunk* from = src->chunks_.Item(i);
      // The copy joins the list first: copying a header or palette looks the header up there.
      chunks_.Add(std::unique_ptr<TChunk>(from->ChunkClass()->create(this)))->CopyFrom(*from);
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
    using enum TPngColorType;
    case Grey:
    case Rgb: return trns && trns->BitTransparency() ? tkKeyColor : tkNone;
    case Palette: return !trns ? tkNone : trns->BitTransparency() ? tkKeyColor : tkAlpha;
    case GreyAlpha:
    case Rgba: return tkAlpha;
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
    using enum TPngColorType;
    case Grey:
    case Rgb:
      storage_.AddOpaqueAlphaPlane(maxStorageBytes_);
      header.SetColorType(header.ColorType() == Grey ? GreyAlpha : Rgba);
      break;
    case Palette: {
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
  auto add = [this](TChunkClass cls) { return chunks_.Add(std::unique_ptr<TChunk>(cls->create(this))); };
  auto* header = static_cast<TChunkIHDR*>(add(&TChunkIHDR::Class));
  auto* plte = indexed ? static_cast<TChunkPLTE*>(add(&TChunkPLTE::Class)) : nullptr;
  auto* trns = transparent ? static_cast<TChunktRNS*>(add(&TChunktRNS::Class)) : nullptr;
  add(&TChunkIDAT::Class);
  add(&TChunkIEND::Class);

  header->SetImageWidth(std::uint32_t(std::max(bm.bmWidth, 0)));
  header->SetImageHeight(std::abs(bm.bmHeight));
  header->SetBitDepth(std::uint8_t(indexed ? bm.bmBitsPixel : 8));
  header->SetColorType(indexed ? TPngColorType::Palette : TPngColorType::Rgb);
  header->SetCompressionMethod(0);
  header->SetInterlaceMethod(0);
  header->PrepareStorage();
  if (storage_.PixelBits()) {
    HDC dc = CreateCompatibleDC(nullptr);
    GetDIBits(dc, bitmap, 0, UINT(storage_.Height()), storage_.PixelBits(), &storage_.HeaderInfo(), DIB_RGB_COLORS);
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
