// TGraphic's shared behaviour and TPicture with its process-wide table of file formats.
#include <cstring>

#include "ui/graphics/graphics.h"

// ---------------------------------------------------------------------------------------
// TGraphic

void TGraphic::AssignTo(TPersistent* dest) { TPersistent::AssignTo(dest); }

void TGraphic::Assign(TPersistent* source) { TPersistent::Assign(source); }

HPALETTE TGraphic::PaletteHandle() { return nullptr; }

bool TGraphic::IsTransparent() { return transparent_; }

void TGraphic::SetPaletteHandle(HPALETTE) {}

void TGraphic::LoadFromClipboardFormat(unsigned, std::uintptr_t, HPALETTE) {
  throw EInvalidGraphicOperation("Clipboard format not supported");
}

void TGraphic::SaveToClipboardFormat(unsigned&, std::uintptr_t&, HPALETTE&) {
  throw EInvalidGraphicOperation("Clipboard format not supported");
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead);
  ReadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  TFileStream stream(fileName, fmCreate);
  WriteToStream(stream);
}

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed(this);
}

void TGraphic::Changed(TObject* sender) {
  modified_ = true;
  if (OnChange) OnChange(sender ? sender : this);
}

// ---------------------------------------------------------------------------------------
// Format table

namespace {

std::unique_ptr<TGraphic> NewBitmapGraphic() { return std::make_unique<TBitmap>(); }
std::unique_ptr<TGraphic> NewIconGraphic() { return std::make_unique<TIcon>(); }

std::string NormalizeExt(const std::string& ext) {
  std::string e = ext;
  if (!e.empty() && e[0] == '.') e.erase(0, 1);
  return LowerCase(e);
}

std::vector<TPicture::FileFormat>& Formats() {
  static std::vector<TPicture::FileFormat> formats{
      {"bmp", "Bitmaps", &NewBitmapGraphic},
      {"ico", "Icons", &NewIconGraphic},
  };
  return formats;
}

// The class that makes objects like `graphic`: the built-in classes by type, registered
// ones by comparing class names with an object each makes.
TGraphicClass ClassOf(TGraphic* graphic) {
  const char* name = graphic->ClassName();
  if (std::strcmp(name, "TBitmap") == 0) return &NewBitmapGraphic;
  if (std::strcmp(name, "TIcon") == 0) return &NewIconGraphic;
  for (const auto& f : Formats()) {
    std::unique_ptr<TGraphic> probe = f.graphicClass();
    if (probe && std::strcmp(probe->ClassName(), name) == 0) return f.graphicClass;
  }
  return nullptr;
}

}  // namespace

void TPicture::RegisterFileFormat(const std::string& ext, const std::string& description, TGraphicClass cls) {
  if (!cls) return;
  std::string e = NormalizeExt(ext);
  for (auto& f : Formats()) {
    if (f.extension == e) {
      f.description = description;
      f.graphicClass = cls;
      return;
    }
  }
  Formats().push_back(FileFormat{e, description, cls});
}

void TPicture::UnregisterGraphicClass(TGraphicClass cls) {
  auto& formats = Formats();
  for (std::size_t i = formats.size(); i-- > 0;)
    if (formats[i].graphicClass == cls) formats.erase(formats.begin() + std::ptrdiff_t(i));
}

TGraphicClass TPicture::FindGraphicClass(const std::string& ext) {
  std::string e = NormalizeExt(ext);
  for (const auto& f : Formats())
    if (f.extension == e) return f.graphicClass;
  return nullptr;
}

std::vector<TPicture::FileFormat> TPicture::FileFormats() { return Formats(); }

// ---------------------------------------------------------------------------------------
// TPicture

TPicture::TPicture() = default;

TPicture::~TPicture() {
  if (graphic_) graphic_->OnChange = nullptr;
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> graphic) {
  if (graphic_) graphic_->OnChange = nullptr;
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->OnChange = [this](TObject* sender) { Changed(sender); };
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* value) {
  if (value == graphic_.get() && value) return;
  if (!value) {
    TakeGraphic(nullptr);
    return;
  }
  TGraphicClass cls = ClassOf(value);
  if (!cls) throw EInvalidGraphic(std::string("Unknown picture class ") + value->ClassName());
  std::unique_ptr<TGraphic> copy = cls();
  copy->Assign(value);
  TakeGraphic(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(graphic_.get())) return b;
  auto b = std::make_unique<TBitmap>();
  TBitmap* raw = b.get();
  TakeGraphic(std::move(b));
  return raw;
}

TIcon* TPicture::Icon() {
  if (auto* i = dynamic_cast<TIcon*>(graphic_.get())) return i;
  auto i = std::make_unique<TIcon>();
  TIcon* raw = i.get();
  TakeGraphic(std::move(i));
  return raw;
}

int TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }

int TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::LoadFromFile(const std::string& fileName) {
  std::string ext = ExtractFileExt(fileName);
  if (!ext.empty()) ext.erase(0, 1);
  TGraphicClass cls = FindGraphicClass(ext);
  if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  // The new object is freed by its owner pointer if reading fails; ours stays as it was.
  std::unique_ptr<TGraphic> graphic = cls();
  graphic->LoadFromFile(fileName);
  TakeGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::Assign(TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(source)) {
    if (p != this) SetGraphic(p->Graphic());
  } else if (auto* g = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}
