// uidemo: shows the demo window of the standard controls.
//   uidemo                      run on the display (headless when there is none)
//   uidemo --headless-dump F    render the window headless and write it to F (BMP)
// Prints one line per user action on standard output.
#include <cstdio>
#include <cstring>
#include <string>

#include "demoform.h"
#include "embedded_resources.h"
#include "platform/win/headless.h"

namespace {

bool DumpHeadless(const std::string& file) {
  if (!headless::Enable(1024, 768)) return false;
  InitApplicationObjects();
  Application->Initialize();
  auto* form = new TDemoForm(Application, "UIDEMO");
  form->Show();
  headless::PumpUntilIdle();
  const headless::Frame f = headless::PresentedFrame(form->Handle());
  TBitmap bmp(f.width, f.height, pf32bit);
  for (int y = 0; y < f.height; ++y)
    std::memcpy(bmp.ScanLine(y), f.pixels.data() + std::size_t(y) * std::size_t(f.width), std::size_t(f.width) * 4);
  bmp.SaveToFile(file);
  delete form;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  RegisterEmbeddedResources_uidemo();
  RegisterStdControlClasses();
  try {
    if (argc == 3 && std::strcmp(argv[1], "--headless-dump") == 0) return DumpHeadless(argv[2]) ? 0 : 1;
    if (argc != 1) {
      std::fprintf(stderr, "usage: uidemo [--headless-dump FILE.bmp]\n");
      return 2;
    }
    InitApplicationObjects();
    Application->Initialize();
    Application->SetTitle("UI Demo");
    auto* form = Application->CreateForm<TDemoForm>();
    form->Log = [](const std::string& line) {
      std::printf("%s\n", line.c_str());
      std::fflush(stdout);
    };
    return Application->Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "uidemo: %s\n", e.what());
    return 1;
  }
}
