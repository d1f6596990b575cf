// The launcher's start-up over an arbitrary product information file: the body becomes
// lame.dll in a private folder, the entry's steps create the main window headless, the
// window is shown and the start-up message handled. The only shell request allowed is the
// companion program beside the launcher, exactly once; nothing is really started. A note
// on a title that names no edition stays one line of visible text.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "launcher/catalogue.h"
#include "launcher/launcher.h"
#include "launcher/mainform.h"
#include "platform/win/headless.h"

namespace {

std::string g_folder;
TBitmap* g_measure = nullptr;
int g_companionStarts = 0;

HINSTANCE RecordingShell(HWND, const char*, const char* file, const char*, const char*, int) {
  if (!file || g_folder + "vemp.exe" != file) {
    std::fprintf(stderr, "unexpected shell request: %s\n", file ? file : "(null)");
    std::abort();
  }
  ++g_companionStarts;
  return reinterpret_cast<HINSTANCE>(std::intptr_t(42));
}

// A note about a title from the file must stay one line of visible text.
void CheckedReport(const std::string& line) {
  for (char c : line) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      std::fprintf(stderr, "control character 0x%02X in a note\n", u);
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/fuzz-launcher-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  g_folder = std::string(pattern) + "/";
  std::atexit([] {
    std::remove((g_folder + "lame.dll").c_str());
    rmdir(g_folder.c_str());
  });
  headless::Enable(1024, 768);
  g_measure = new TBitmap(1, 1, pf32bit);
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
  host.report = &CheckedReport;
  TMainForm* form = StartLauncher(host);
  // The run step's beginning: the window is shown and the start-up message handled, which
  // paints the first frame before the companion starts. The message loop's later paints
  // are left out: they would make up most of every execution and never draw the title.
  form->Show();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_LAUNCHER_STARTUP, WM_LAUNCHER_STARTUP, PM_REMOVE)) DispatchMessageA(&msg);
  // The texts that carry the title: the menu captions and the Tools tasks' lines, laid
  // out in the list's font as the task list draws them.
  const std::string& title = Application->Title();
  if (title.size() > 2047 || form->Caption() != title ||
      form->MediaOntheWeb1->Caption() != Format("%s On the Web...", title)) {
    std::fprintf(stderr, "title not carried as read\n");
    std::abort();
  }
  g_measure->Canvas()->Font()->Assign(form->ListBoxData->Font());
  for (int task = 0; task < TaskCount(3); ++task) {
    const std::string text = TaskText(3, task, title);
    std::size_t from = 0;
    for (int line = 0; line < 4; ++line) {
      const std::size_t cr = line < 3 ? text.find('\r', from) : std::string::npos;
      const std::string piece = text.substr(from, cr == std::string::npos ? std::string::npos : cr - from);
      g_measure->Canvas()->Font()->SetStyle(line == 0 ? TFontStyles{fsBold} : TFontStyles{});
      g_measure->Canvas()->TextWidth(piece);
      from = cr == std::string::npos ? text.size() : cr + 1;
    }
  }
  if (g_companionStarts != 1) {
    std::fprintf(stderr, "companion started %d times\n", g_companionStarts);
    std::abort();
  }
  // A quit request left by an unknown edition must not leak into the next run.
  PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  DoneApplicationObjects();
  return 0;
}
