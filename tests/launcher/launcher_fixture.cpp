#include "launcher_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include "support/posixcompat.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "launcher/busy.h"
#include "platform/theme/theme.h"

namespace launchertest {

namespace {
std::vector<ShellCall> g_calls;
ShellBehaviour g_behaviour = ShellBehaviour::kSucceed;
int g_failure = 2;
std::vector<std::string> g_notes;
int g_year = 2030;
}  // namespace

HINSTANCE RecordingShell(HWND parent, const char* verb, const char* file, const char* parameters,
                         const char* directory, int showCommand) {
  ShellCall c;
  c.parent = parent;
  c.verb = verb ? verb : "(null)";
  c.file = file ? file : "(null)";
  c.parametersNull = parameters == nullptr;
  c.directoryNull = directory == nullptr;
  c.showCommand = showCommand;
  c.parentVisible = parent && IsWindowVisible(parent);
  if (c.parentVisible) c.parentFrame = headless::PresentedFrame(parent).pixels;
  c.screenCursor = Screen->Cursor();
  c.busyCount = BusyCount();
  g_calls.push_back(c);
  switch (g_behaviour) {
    case ShellBehaviour::kSucceed: return reinterpret_cast<HINSTANCE>(std::intptr_t(42));
    case ShellBehaviour::kFileNotFound: return reinterpret_cast<HINSTANCE>(std::intptr_t(2));
    case ShellBehaviour::kThrow: throw std::runtime_error("The shell is out of order");
    case ShellBehaviour::kFail: return reinterpret_cast<HINSTANCE>(std::intptr_t(g_failure));
  }
  return nullptr;
}

std::vector<ShellCall>& ShellCalls() { return g_calls; }
void SetShellBehaviour(ShellBehaviour behaviour) { g_behaviour = behaviour; }
void SetShellFailure(int result) {
  g_behaviour = ShellBehaviour::kFail;
  g_failure = result;
}

void RecordingReport(const std::string& line) { g_notes.push_back(line); }
std::vector<std::string>& Notes() { return g_notes; }

LocalDateParts TestDate() { return LocalDateParts{g_year, 3, 1}; }
void SetTestYear(int year) { g_year = year; }

std::string SystemForm(const std::string& path) { return std::filesystem::path(path).make_preferred().string(); }

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "launcher-test-XXXXXX").generic_string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TempFolder::Write(const std::string& name, const std::string& body, bool executable) const {
  {
    std::ofstream out(path_ + name, std::ios::binary | std::ios::trunc);
    out.write(body.data(), std::streamsize(body.size()));
  }
  if (executable) chmod((path_ + name).c_str(), 0755);
}

bool TempFolder::Exists(const std::string& name) const { return access((path_ + name).c_str(), F_OK) == 0; }

std::string TempFolder::Read(const std::string& name) const {
  std::ifstream in(path_ + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string ProductFile(const std::string& title) {
  return "[SYSTEM]\nName=" + title + "\nVersion=2.0\nCompany=Tarnhollow Software\n";
}

testsupport::Image Art(const std::string& name) {
  testsupport::Image img;
  std::string error;
  const std::string path = std::string(LB_SOURCE_DIR) + "/resources/art/" + name + ".png";
  EXPECT_TRUE(testsupport::ReadPng(path, &img, &error, testsupport::PngAlpha::kKeep)) << path << ": " << error;
  return img;
}

std::uint32_t Over(std::uint32_t argb, std::uint32_t background) {
  const std::uint32_t a = argb >> 24;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t s = (argb >> shift) & 0xFF, old = (background >> shift) & 0xFF;
    out |= ((a * s + (255 - a) * old + 255) >> 8) << shift;
  }
  return out;
}

const char* CategoryArt(int i) {
  static const char* const kArt[] = {"category-data", "category-music", "category-video", "category-tools"};
  return kArt[i];
}

// Task pictures repeat their category's where the task is the category's plain case.
const char* TaskArt(int n) {
  static const char* const kArt[] = {"category-data",   "category-data",    "category-data",    "category-data",
                                     "category-music",  "task-grab-audio",  "category-video",   "category-video",
                                     "category-video",  "task-disc-eraser", "task-device-info", "category-tools",
                                     "task-iso-burner", "task-iso-grabber"};
  return kArt[n];
}

std::vector<testsupport::NamedPixel> ArtPixels(const std::string& name, int left, int top,
                                               std::optional<std::uint32_t> background, const std::string& why) {
  const testsupport::Image art = Art(name);
  const auto colorRef = [](std::uint32_t rgb) { return COLORREF(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF)); };
  std::vector<testsupport::NamedPixel> p;
  int last = -1, half = -1;
  for (int i = 0; i < art.width * art.height; ++i) {
    const std::uint32_t a = art.pixels[i] >> 24;
    if (a == 255) {
      if (last < 0) p.push_back({left + i % art.width, top + i / art.width, colorRef(art.pixels[i]), why + ": first opaque pixel of " + name});
      last = i;
    } else if (a > 0 && half < 0) {
      half = i;
    }
  }
  if (last >= 0) p.push_back({left + last % art.width, top + last / art.width, colorRef(art.pixels[last]), why + ": last opaque pixel of " + name});
  if (background && half >= 0)
    p.push_back({left + half % art.width, top + half / art.width, colorRef(Over(art.pixels[half], *background)),
                 why + ": " + name + "'s soft edge blended over the background"});
  return p;
}

void LauncherTest::SetUp() {
  const int ppi = ScreenPixelsPerInch();
  ASSERT_TRUE(headless::Enable(1024 * ppi / 96, 768 * ppi / 96, ppi));
  // The window's tests and pictures are of the classic look unless a test turns styles on.
  SetThemeAppProperties(STAP_ALLOW_NONCLIENT);
  DoneApplicationObjects();
  InitApplicationObjects();
  InitLauncherModule();
  Application->OnShowException = [this](const std::string&, const std::string& message) {
    errors.push_back(message);
  };
  g_calls.clear();
  g_notes.clear();
  g_behaviour = ShellBehaviour::kSucceed;
  g_year = 2030;
}

void LauncherTest::TearDown() {
  headless::SetIdleHandler(nullptr);
  // Every start leaves the busy cursor as it found it.
  EXPECT_EQ(BusyCount(), 0);
  while (BusyCount() > 0) EndBusy();
  DoneApplicationObjects();
  ShutdownWindowSystem();
  form = nullptr;
}

TMainForm* LauncherTest::Start(const std::optional<std::string>& body) {
  if (body) folder.Write("lame.dll", *body);
  TLauncherHost host;
  host.folder = folder.Path();
  host.shellExecute = &RecordingShell;
  host.report = &RecordingReport;
  host.localDate = &TestDate;
  form = StartLauncher(host);
  return form;
}

void LauncherTest::ShowAndPump() {
  form->Show();
  Pump();
}

void LauncherTest::ClickCategory(int category) {
  const POINT p = CategoryPoint(category);
  headless::ClickAt(form->ListBoxMain->Handle(), p.x, p.y);
  Pump();
}

void LauncherTest::HoverTask(int task) {
  const POINT p = TaskPoint(task);
  headless::MovePointerTo(form->ListBoxData->Handle(), p.x, p.y);
  Pump();
}

void LauncherTest::ClickTask(int task) {
  const POINT p = TaskPoint(task);
  headless::MovePointerTo(form->ListBoxData->Handle(), p.x, p.y);
  headless::ClickAt(form->ListBoxData->Handle(), p.x, p.y);
  Pump();
}

int LauncherTest::StartsOf(const std::string& program) const {
  int n = 0;
  for (const ShellCall& c : g_calls)
    if (c.file == folder.Path() + program) ++n;
  return n;
}

testsupport::Image LauncherTest::Compose(std::initializer_list<HWND> windows) {
  RECT all{};
  bool first = true;
  for (HWND w : windows) {
    RECT r;
    GetWindowRect(w, &r);
    if (first) all = r;
    all = RECT{std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
               std::max(all.bottom, r.bottom)};
    first = false;
  }
  testsupport::Image img(all.right - all.left, all.bottom - all.top, 0);
  for (HWND w : windows) {
    RECT r;
    GetWindowRect(w, &r);
    const headless::Frame f = headless::PresentedFrame(w);
    for (int y = 0; y < f.height; ++y)
      for (int x = 0; x < f.width; ++x) img.At(r.left - all.left + x, r.top - all.top + y) = f.At(x, y) & 0xFFFFFFu;
  }
  return img;
}

}  // namespace launchertest
