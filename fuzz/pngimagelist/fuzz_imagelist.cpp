// Arbitrary bytes as the window definition of an image list (a TPngImageList or a plain
// TImageList root): reading builds the list or fails with a typed error; a list built is
// drawn enabled and disabled and written back, and its written form must read back to the
// same bytes (a fixed point, as formc --reload promises).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "pngimagelist/pngimagelist.h"
#include "ui/forms/formreader.h"
#include "ui/forms/formwriter.h"

namespace {

bool Build(TCustomImageList& list, const TfObject& doc) {
  TNameOnlyMethods methods;
  try {
    LoadComponent(&list, doc, &methods);
  } catch (const Exception&) {
    return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = (RegisterPngImageListClasses(), true);
  (void)registered;
  TfObject doc;
  try {
    doc = ReadTpf0(data, size);
  } catch (const EFormReadError&) {
    return 0;
  }
  const bool png = doc.className == "TPngImageList";
  if (!png && doc.className != "TImageList") return 0;
  doc.children.clear();
  std::unique_ptr<TCustomImageList> list;
  if (png) list = std::make_unique<TPngImageList>(nullptr);
  else list = std::make_unique<TImageList>(nullptr);
  if (!Build(*list, doc)) return 0;
  TBitmap target(list->Width(), list->Height());
  for (int i = -1; i <= list->Count(); ++i) {
    list->Draw(target.Canvas(), 0, 0, i, true);
    list->Draw(target.Canvas(), 0, 0, i, false);
  }
  const std::vector<std::uint8_t> written = WriteTpf0(WriteComponent(list.get()));
  std::unique_ptr<TCustomImageList> again;
  if (png) again = std::make_unique<TPngImageList>(nullptr);
  else again = std::make_unique<TImageList>(nullptr);
  const TfObject back = ReadTpf0(written.data(), written.size());
  if (!Build(*again, back) || WriteTpf0(WriteComponent(again.get())) != written) {
    std::fprintf(stderr, "an image list does not read back to its own written form\n");
    std::abort();
  }
  return 0;
}
