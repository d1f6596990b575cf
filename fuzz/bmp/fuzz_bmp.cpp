// Feeds arbitrary bytes to the BMP and icon readers: the only acceptable failure is the
// readers' typed error; anything else (another exception, a crash, a leak) is a finding.
#include <cstddef>
#include <cstdint>

#include "ui/graphics/graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    TBytesStream s(data, std::int64_t(size));
    TBitmap b;
    try {
      b.ReadFromStream(s);
      TMemoryStream out;
      b.WriteToStream(out);
    } catch (const EInvalidGraphic&) {
    }
  }
  {
    TBytesStream s(data, std::int64_t(size));
    TIcon i;
    try {
      i.ReadFromStream(s);
    } catch (const EInvalidGraphic&) {
    }
  }
  return 0;
}
