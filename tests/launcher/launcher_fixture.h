// Runs the launcher in-process on the headless window system: a private folder with the
// product information file, the start-up steps of the program entry, and a shell
// function that records every request instead of starting anything.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "launcher/launcher.h"
#include "launcher/mainform.h"
#include "platform/win/headless.h"
#include "support/golden.h"

namespace launchertest {

// One request to the shell as the launcher made it, with what was on screen then.
struct ShellCall {
  HWND parent = nullptr;
  std::string verb;
  std::string file;
  bool parametersNull = false;
  bool directoryNull = false;
  int showCommand = -1;
  bool parentVisible = false;
  // What the screen showed of the parent window then (0x00RRGGBB, rows top-down).
  std::vector<std::uint32_t> parentFrame;
  TCursor screenCursor = crDefault;
  int busyCount = 0;
};

enum class ShellBehaviour { kSucceed, kFileNotFound, kThrow, kFail };

// The recording shell function handed to the launcher, and what it saw.
HINSTANCE RecordingShell(HWND parent, const char* verb, const char* file, const char* parameters,
                         const char* directory, int showCommand);
std::vector<ShellCall>& ShellCalls();
void SetShellBehaviour(ShellBehaviour behaviour);
// Every request then fails with `result` (ShellBehaviour::kFail).
void SetShellFailure(int result);

// The recording report function handed to the launcher, and the lines it received.
void RecordingReport(const std::string& line);
std::vector<std::string>& Notes();

// The calendar the launcher sees: 1 March of the year set (2030 until a test sets one).
LocalDateParts TestDate();
void SetTestYear(int year);

// The path as the system writes it ('\\' between folders on Windows), as messages show it.
std::string SystemForm(const std::string& path);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // Ends in a separator.
  const std::string& Path() const { return path_; }
  void Write(const std::string& name, const std::string& body, bool executable = false) const;
  bool Exists(const std::string& name) const;
  std::string Read(const std::string& name) const;

 private:
  std::string path_;
};

// "[SYSTEM]\nName=<title>\n..." with a version and a company.
std::string ProductFile(const std::string& title);

// The artwork file resources/art/<name>.png as an independent PNG reader gives it:
// 0xAARRGGBB per pixel, alpha kept.
testsupport::Image Art(const std::string& name);
// An artwork pixel blended over a plain colour (both 0x00RRGGBB apart from the alpha):
// each channel (a * s + (255 - a) * old + 255) / 256.
std::uint32_t Over(std::uint32_t argb, std::uint32_t background);
// The artwork of category icon i and of task icon n (the task list's picture n).
const char* CategoryArt(int i);
const char* TaskArt(int n);
// Named pixels that pin the artwork drawn with its top-left corner at (left, top): its
// first and last fully opaque pixel in reading order and, over a known plain background
// (0x00RRGGBB), its first half-transparent one blended over it.
std::vector<testsupport::NamedPixel> ArtPixels(const std::string& name, int left, int top,
                                               std::optional<std::uint32_t> background, const std::string& why);

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The headless screen's density (its size grows with it).
  virtual int ScreenPixelsPerInch() const { return 96; }

  // Writes lame.dll (none when `body` is empty) and runs the entry's steps up to the
  // created main window, with the recording shell and report.
  TMainForm* Start(const std::optional<std::string>& body);
  // The run step's first part: shows the main window and handles what is queued.
  void ShowAndPump();
  static void Pump() { headless::PumpUntilIdle(); }

  // Client point of an item of a list (inside its border), a little off the item's top.
  static POINT CategoryPoint(int category) { return POINT{2 + 80, 2 + category * 80 + 40}; }
  static POINT TaskPoint(int task) { return POINT{2 + 200, 2 + task * 75 + 30}; }
  void ClickCategory(int category);
  void HoverTask(int task);
  void ClickTask(int task);

  // The calls that started `program` (a file beside the launcher).
  int StartsOf(const std::string& program) const;

  // What the screen shows of the given windows, the first one's rectangle extended to hold
  // the others, in the order given (later ones on top).
  static testsupport::Image Compose(std::initializer_list<HWND> windows);

  TempFolder folder;
  TMainForm* form = nullptr;
  std::vector<std::string> errors;  // what the standard error box would have shown
};

}  // namespace launchertest
