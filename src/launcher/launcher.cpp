// Program entry of the launcher: module initialisation, the start-up steps, the run.
#include "launcher/launcher.h"

#include "embedded_resources.h"
#include "launcher/mainform.h"
#include "platform/os/os.h"
#include "platform/profile/profile.h"
#include "ui/stdctrls/stdctrls.h"

// The platform's ShellExecuteA, bound in a unit of its own (see shellhost.cpp).
TShellExecuteFn PlatformShellExecute();

namespace {
TLauncherHost g_host;
}  // namespace

const TLauncherHost& LauncherHost() {
  if (!g_host.shellExecute) g_host.shellExecute = PlatformShellExecute();
  return g_host;
}

std::string LauncherFolder() { return g_host.folder.empty() ? ExecutableFolder() : g_host.folder; }

HINSTANCE LauncherShellExecute(HWND parent, const char* verb, const char* file, const char* parameters,
                               const char* directory, int showCommand) {
  return LauncherHost().shellExecute(parent, verb, file, parameters, directory, showCommand);
}

std::string FolderWithBackslash(const std::string& folder) {
  if (!folder.empty() && folder.back() == PathSeparator) return folder;
  return folder + PathSeparator;
}

std::string ReadProductTitle(const std::string& folder) {
  // An unknown folder must not turn into a file looked up in the current directory.
  if (folder.empty()) return std::string();
  return ReadProfileString("SYSTEM", "Name", "", FolderWithBackslash(folder) + "lame.dll");
}

void InitLauncherModule() {
  RegisterEmbeddedResources_launcher();
  RegisterStdControlClasses();
  // Every hand-point control then shows the system's own hand.
  Screen->SetCursors(crHandPoint, LoadCursorA(nullptr, IDC_HAND));
}

TMainForm* StartLauncher(const TLauncherHost& host) {
  g_host.folder = host.folder.empty() ? std::string() : FolderWithBackslash(host.folder);
  g_host.shellExecute = host.shellExecute ? host.shellExecute : PlatformShellExecute();
  const std::string folder = LauncherFolder();
  Application->SetTitle(ReadProductTitle(folder));
  Application->Initialize();
  return Application->CreateForm<TMainForm>();
}

int RunLauncher(const TLauncherHost& host) {
  StartLauncher(host);
  // Shows the main window whatever happened while it was made, then runs until the quit
  // request (OK, the close box, or at once after start-up for an unknown edition).
  return Application->Run();
}
