// Builds without libpng (Windows): the codec's tests run without the comparisons.
#include "pngtest_util.h"

namespace pngtest {

bool HaveLibpng() { return false; }

bool LibpngDecode(const Bytes&, Rgba&, std::string& error) {
  error = "libpng is not part of this build";
  return false;
}

}  // namespace pngtest
