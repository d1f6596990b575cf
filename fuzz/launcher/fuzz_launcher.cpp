// The launcher's start-up over an arbitrary product information file: the body becomes
// lame.dll in a private folder, the entry's steps create the main window headless, the
// window is shown and every queued message handled. The only shell request allowed is the
// companion program beside the launcher, exactly once; nothing is really started.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "launcher/launcher.h"
#include "launcher/mainform.h"
#include "platform/win/headless.h"

namespace {

std::string g_folder;
int g_companionStarts = 0;

HINSTANCE RecordingShell(HWND, const char*, const char* file, const char*, const char*, int) {
  if (!file || g_folder + "vemp.exe" != file) {
    std::fprintf(stderr, "unexpected shell request: %s\n", file ? file : "(null)");
    std::abort();
  }
  ++g_companionStarts;
  return reinterpret_cast<HINSTANCE>(std::intptr_t(42));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/fuzz-launcher-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  g_folder = std::string(pattern) + "/";
  headless::Enable(1024, 768);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = g_folder + "lame.dll";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  g_companionStarts = 0;
  InitApplicationObjects();
  InitLauncherModule();
  TLauncherHost host;
  host.folder = g_folder;
  host.shellExecute = &RecordingShell;
  TMainForm* form = StartLauncher(host);
  form->Show();
  headless::PumpUntilIdle();
  if (g_companionStarts != 1) {
    std::fprintf(stderr, "companion started %d times\n", g_companionStarts);
    std::abort();
  }
  // A quit request left by an unknown edition must not leak into the next run.
  MSG msg;
  PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  DoneApplicationObjects();
  return 0;
}
