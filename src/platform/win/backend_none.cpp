// Builds with no window backend of their own for the system they run on open headless
// window systems only; asking for real windows fails with a reason.
#include "platform/win/win_internal.h"

namespace winsys {

std::unique_ptr<Backend> MakeX11Backend(const WindowSystemOptions&, std::string* error) {
  if (error) *error = "this build has no window backend for this system";
  return nullptr;
}

}  // namespace winsys
