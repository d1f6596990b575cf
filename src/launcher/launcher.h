// The launcher's entry: module initialisation, the start-up steps up to the main window,
// the run, and the seam through which it reaches the shell, finds its own folder and
// notes what went wrong.
#pragma once

#include <string>

#include "platform/base/wintypes.h"
#include "platform/os/os.h"

class TMainForm;

// The signature of ShellExecuteA.
using TShellExecuteFn = HINSTANCE (*)(HWND parent, const char* verb, const char* file, const char* parameters,
                                      const char* directory, int showCommand);
// Where the launcher's notes go: one line of text each, without its line end.
using TReportFn = void (*)(const std::string& line);
// The signature of LocalDate.
using TLocalDateFn = LocalDateParts (*)();

// Where the launcher lives, how it hands files and addresses to the shell, where its
// notes on failures go and which day it is. It is the launcher's one process-wide setting
// besides the product title and the busy counter, set by StartLauncher before the main
// window exists and only read afterwards, so tests can run the whole launcher in-process
// against a folder of their own, record every shell request and note instead of starting
// programs, and set the calendar.
struct TLauncherHost {
  // The executable's folder, ending in a separator; "" = the running executable's.
  std::string folder;
  // null = ShellExecuteA.
  TShellExecuteFn shellExecute = nullptr;
  // null = standard error.
  TReportFn report = nullptr;
  // null = LocalDate.
  TLocalDateFn localDate = nullptr;
};

// The host in force (folder, shell and date functions always filled in).
const TLauncherHost& LauncherHost();
// The folder of the running executable as the launcher sees it ("" when it is unknown).
std::string LauncherFolder();
// Hands a request to the host's shell function.
HINSTANCE LauncherShellExecute(HWND parent, const char* verb, const char* file, const char* parameters,
                               const char* directory, int showCommand);

// What the launcher hands to the shell: a program to start or an address to open.
enum TStartKind { skProgram, skAddress };

// Hands a program beside the launcher or an address to the shell with the verb "open",
// no parameters and no working folder. A refusal is noted as one line, "launcher: cannot
// start|open "FILE": REASON (shell error N)"; the launcher carries on either way.
void LauncherOpen(HWND parent, const std::string& file, int showCommand, TStartKind kind);

// The launcher shows no dialog for a failure; it notes what went wrong through the host,
// one line per event, so whoever started it can find out why.
void LauncherReport(const std::string& line);

// The note for a product title that names no edition: the title found and where, or
// that the product information file is missing.
std::string NoEditionNote(const std::string& title);

// The folder followed by the platform's path separator, unless it already ends in one.
std::string FolderWithBackslash(const std::string& folder);

// A value of the product information file: key `key` of section "SYSTEM" of lame.dll in
// `folder`, "" when anything is missing, in the code page also when the file is UTF-8.
// Read afresh on every call.
std::string ReadProductInfo(const std::string& folder, const std::string& key);
// The product title as the program entry reads it (key "Name").
std::string ReadProductTitle(const std::string& folder);

// Runs once per process before anything else: installs the system hand cursor as the
// hand-point cursor, registers the window classes and the embedded window definitions.
void InitLauncherModule();

// The program entry up to the run: takes the folder, reads the product title, makes it
// the application title, initialises the application (the window system must be running
// or is started as the application decides) and creates the main window. Returns it.
TMainForm* StartLauncher(const TLauncherHost& host = {});

// The whole program entry: StartLauncher, then the application's run until the quit
// request. Returns the exit code.
int RunLauncher(const TLauncherHost& host = {});
