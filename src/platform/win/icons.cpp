// Window icons: a top-level window's own icon, the application icon that stands in for
// it, and handing the one in force to the backend.
#include "platform/win/system.h"

using winsys::Current;
using winsys::System;

namespace winsys {

void ApplyIcon(System& s, Window* top) {
  if (!top->native || top->IsMenuPopup()) return;
  s.backend->SetIcon(top, top->icon.empty() ? s.appIcon : top->icon);
}

}  // namespace winsys

BOOL SetWindowIconPixels(HWND hwnd, const IconPixels* sizes, int count) {
  System* s = Current();
  if (!s) return FALSE;
  Window* w = nullptr;
  if (hwnd) {
    w = s->Live(hwnd);
    if (!w || w->IsChild()) return FALSE;
  }
  if (count < 0 || (count > 0 && !sizes)) return FALSE;
  // Checked whole before anything is copied: a bad size leaves the old icon in place, and
  // the bound on all sizes together keeps the property within one request to the display.
  std::size_t total = 0;
  for (int i = 0; i < count; ++i) {
    const IconPixels& p = sizes[i];
    if (!p.argb || p.width < 1 || p.width > kMaxIconSide || p.height < 1 || p.height > kMaxIconSide) return FALSE;
    total += std::size_t(p.width) * std::size_t(p.height);
    if (total > kMaxIconPixels) return FALSE;
  }
  std::vector<std::uint32_t> icon;
  icon.reserve(total + 2 * std::size_t(count));
  for (int i = 0; i < count; ++i) {
    const IconPixels& p = sizes[i];
    icon.push_back(std::uint32_t(p.width));
    icon.push_back(std::uint32_t(p.height));
    icon.insert(icon.end(), p.argb, p.argb + std::size_t(p.width) * std::size_t(p.height));
  }
  if (w) {
    w->icon = std::move(icon);
    winsys::ApplyIcon(*s, w);
    return TRUE;
  }
  s->appIcon = std::move(icon);
  for (Window* t : s->tops)
    if (t->icon.empty()) winsys::ApplyIcon(*s, t);
  return TRUE;
}
