#include "xvfb/xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace testxvfb {

std::string XvfbProgram() {
  const char* path = std::getenv("PATH");
  const std::string all = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    const std::string dir = end > start ? all.substr(start, end - start) : ".";
    const std::string candidate = dir + "/Xvfb";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

bool PrivateXvfb::Start(int width, int height, int depth) {
  if (Running()) return true;
  const std::string exe = XvfbProgram();
  if (exe.empty()) return false;
  int fds[2];
  if (pipe(fds) != 0) return false;
  // With -displayfd the server takes the first free display number, so concurrent runs
  // never race for one, and writes that number only once it accepts connections.
  const std::string fd = std::to_string(fds[1]);
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
  const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
                        "-noreset", nullptr};
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&fa, fds[0]);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, exe.c_str(), &fa, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return false;
  }
  pid_ = pid;
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  while (poll(&p, 1, 10000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    Stop();  // died or hung before it was ready; do not leave it behind
    return false;
  }
  display_ = ":" + number;
  const char* old = std::getenv("DISPLAY");
  hadDisplay_ = old != nullptr;
  oldDisplay_ = old ? old : "";
  setenv("DISPLAY", display_.c_str(), 1);
  return true;
}

void PrivateXvfb::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = 0;
  if (!display_.empty()) {
    // Only undo our own setting; someone may have pointed DISPLAY elsewhere since.
    const char* now = std::getenv("DISPLAY");
    if (now && display_ == now) {
      if (hadDisplay_)
        setenv("DISPLAY", oldDisplay_.c_str(), 1);
      else
        unsetenv("DISPLAY");
    }
  }
  display_.clear();
}

}  // namespace testxvfb
