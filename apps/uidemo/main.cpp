// uidemo: shows the demo window of the standard controls, or the panel of button looks.
//   uidemo [--buttons]                    run on the display (headless when there is none)
//   uidemo [--buttons] --headless-dump F  render the window headless and write it to F (BMP)
// Prints one line per user action on standard output. LB_CLASSIC_LOOK=1 shows the classic
// look.
#include <cstdio>
#include <cstring>
#include <string>

#include "buttonpanel.h"
#include "demoform.h"
#include "embedded_resources.h"
#include "platform/win/headless.h"

namespace {

bool DumpHeadless(const std::string& file, bool buttons) {
  if (!headless::Enable(1024, 768)) return false;
  InitApplicationObjects();
  Application->Initialize();
  TForm* form = buttons ? static_cast<TForm*>(new TButtonPanel(Application)) : new TDemoForm(Application, "UIDEMO");
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
    int arg = 1;
    const bool buttons = argc > arg && std::strcmp(argv[arg], "--buttons") == 0;
    if (buttons) ++arg;
    if (argc == arg + 2 && std::strcmp(argv[arg], "--headless-dump") == 0) return DumpHeadless(argv[arg + 1], buttons) ? 0 : 1;
    if (argc != arg) {
      std::fprintf(stderr, "usage: uidemo [--buttons] [--headless-dump FILE.bmp]\n");
      return 2;
    }
    InitApplicationObjects();
    Application->Initialize();
    Application->SetTitle("UI Demo");
    auto say = [](const std::string& line) {
      std::printf("%s\n", line.c_str());
      std::fflush(stdout);
    };
    if (buttons)
      Application->CreateForm<TButtonPanel>()->Log = say;
    else
      Application->CreateForm<TDemoForm>()->Log = say;
    return Application->Run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "uidemo: %s\n", e.what());
    return 1;
  }
}
