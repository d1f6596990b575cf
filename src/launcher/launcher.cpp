// Program entry of the launcher: module initialisation, the start-up steps, the run.
#include "launcher/launcher.h"

#include <cstdint>
#include <cstdio>

#include "embedded_resources.h"
#include "buttons/paintedbuttons.h"
#include "launcher/mainform.h"
#include "platform/base/cp1252.h"
#include "platform/os/os.h"
#include "platform/profile/profile.h"
#include "png/pngimage.h"
#include "pngimagelist/pngimagelist.h"
#include "ui/core/sysutils.h"
#include "ui/stdctrls/stdctrls.h"

// The platform's ShellExecuteA and its failure texts, bound in a unit of their own (see
// shellhost.cpp).
TShellExecuteFn PlatformShellExecute();
const char* PlatformShellErrorText(std::intptr_t result);

namespace {

TLauncherHost g_host;

void ReportToStandardError(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

// Quoted, with control characters written out: titles come from a file anyone may edit,
// and a note must stay one line that does nothing to the terminal.
std::string Quoted(const std::string& text, bool escapeBackslash = true) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) out += std::string("\\x") + kHex[u >> 4] + kHex[u & 15];
    else if (c == '"' || (c == '\\' && escapeBackslash)) out += std::string("\\") + c;
    else out += c;
  }
  return out + "\"";
}

// A path quoted as the system writes it; on Windows its backslashes are the separators (no
// file name there holds a quote or a control character).
std::string QuotedPath(const std::string& path) {
#ifdef _WIN32
  return Quoted(SystemFileName(path), false);
#else
  return Quoted(path);
#endif
}

constexpr const char* kProductFileName = "lame.dll";

}  // namespace

const TLauncherHost& LauncherHost() {
  if (!g_host.shellExecute) g_host.shellExecute = PlatformShellExecute();
  if (!g_host.localDate) g_host.localDate = &LocalDate;
  return g_host;
}

std::string LauncherFolder() { return g_host.folder.empty() ? ExecutableFolder() : g_host.folder; }

HINSTANCE LauncherShellExecute(HWND parent, const char* verb, const char* file, const char* parameters,
                               const char* directory, int showCommand) {
  return LauncherHost().shellExecute(parent, verb, file, parameters, directory, showCommand);
}

void LauncherReport(const std::string& line) { (g_host.report ? g_host.report : &ReportToStandardError)(line); }

void LauncherOpen(HWND parent, const std::string& file, int showCommand, TStartKind kind) {
  const std::intptr_t result = reinterpret_cast<std::intptr_t>(
      LauncherShellExecute(parent, "open", file.c_str(), nullptr, nullptr, showCommand));
  if (result > 32) return;
  const std::string what = kind == skProgram ? "start " + QuotedPath(file) : "open " + Quoted(file);
  LauncherReport("launcher: cannot " + what + ": " + PlatformShellErrorText(result) + " (shell error " +
                 std::to_string(result) + ")");
}

std::string NoEditionNote(const std::string& title) {
  const std::string folder = LauncherFolder();
  if (folder.empty()) return "launcher: the launcher's own folder is unknown, so it has no product title and no edition";
  const std::string file = FolderWithBackslash(folder) + kProductFileName;
  if (!PathExists(file))
    return "launcher: the product information file " + QuotedPath(file) + " is missing, so no edition is selected";
  return "launcher: the product title " + Quoted(title) + " in " + QuotedPath(file) + " names no edition";
}

std::string FolderWithBackslash(const std::string& folder) {
  if (!folder.empty() && folder.back() == PathSeparator) return folder;
  return folder + PathSeparator;
}

std::string ReadProductInfo(const std::string& folder, const std::string& key) {
  // An unknown folder must not turn into a file looked up in the current directory.
  if (folder.empty()) return std::string();
  std::string text;
  if (!ReadProfileFile((FolderWithBackslash(folder) + kProductFileName).c_str(), &text)) text.clear();
  // A file saved as UTF-8 (with or without its byte-order mark) is read as UTF-8 and
  // shown in the code page like the same text saved in it; any other file is taken as
  // the code page's bytes. The cut to the buffer counts characters either way.
  const bool utf8 = IsUtf8WithNonAscii(text);
  std::string value(std::size_t(utf8 ? 4 : 1) * kProfileValueBufferSize, '\0');
  value.resize(GetProfileStringFromText(text, "SYSTEM", key.c_str(), "", value.data(), DWORD(value.size())));
  if (!utf8) return value;
  value = Utf8ToCp1252(value);
  if (value.size() >= kProfileValueBufferSize) value.resize(kProfileValueBufferSize - 1);
  return value;
}

std::string ReadProductTitle(const std::string& folder) { return ReadProductInfo(folder, "Name"); }

void InitLauncherModule() {
  RegisterEmbeddedResources_launcher();
  RegisterStdControlClasses();
  // The main window's picture lists and its two image buttons.
  RegisterPngImageListClasses();
  RegisterButtonClasses();
  // The About dialog's logo is loaded by file name, which finds the codec by extension.
  RegisterPngFormat();
  // Every hand-point control then shows the system's own hand.
  Screen->SetCursors(crHandPoint, LoadCursorA(nullptr, IDC_HAND));
}

TMainForm* StartLauncher(const TLauncherHost& host) {
  g_host.folder = host.folder.empty() ? std::string() : FolderWithBackslash(host.folder);
  g_host.shellExecute = host.shellExecute ? host.shellExecute : PlatformShellExecute();
  g_host.report = host.report;
  g_host.localDate = host.localDate ? host.localDate : &LocalDate;
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
