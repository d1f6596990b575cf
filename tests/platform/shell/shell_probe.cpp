// Records how it was started into the file named by LB_PROBE_LOG: its argument vector, its
// working folder, whether it leads its own session, whether its signals start clean and how
// many descriptors it got above standard error.
// The record appears at once (written aside, then renamed), so a reader sees all or nothing.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  int inherited = 0;  // counted before any descriptor of our own is open
  for (int fd = 3; fd < 256; ++fd) inherited += ::fcntl(fd, F_GETFD) != -1;
  const char* log = std::getenv("LB_PROBE_LOG");
  if (log == nullptr) return 2;
  const std::string temp = std::string(log) + ".part." + std::to_string(::getpid());
  FILE* f = std::fopen(temp.c_str(), "w");
  if (f == nullptr) return 3;
  std::fprintf(f, "argc=%d\n", argc);
  for (int i = 0; i < argc; ++i) std::fprintf(f, "arg=%s\n", argv[i]);
  char cwd[4096];
  std::fprintf(f, "cwd=%s\n", ::getcwd(cwd, sizeof cwd) != nullptr ? cwd : "?");
  std::fprintf(f, "session_leader=%d\n", ::getsid(0) == ::getpid() ? 1 : 0);
  struct sigaction usr1 {};
  ::sigaction(SIGUSR1, nullptr, &usr1);
  std::fprintf(f, "sigusr1_default=%d\n", usr1.sa_handler == SIG_DFL ? 1 : 0);
  sigset_t mask;
  ::sigprocmask(SIG_SETMASK, nullptr, &mask);
  std::fprintf(f, "sigusr2_blocked=%d\n", sigismember(&mask, SIGUSR2));
  std::fprintf(f, "fds_above_stderr=%d\n", inherited);
  std::fclose(f);
  return std::rename(temp.c_str(), log) == 0 ? 0 : 4;
}
