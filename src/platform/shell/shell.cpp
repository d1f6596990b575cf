#include "platform/shell/shell.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/ascii.h"

#ifdef _WIN32
#include "platform/native/native_file.h"
#include "platform/native/native_shell.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

HINSTANCE AsHandle(int code) { return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(code)); }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// "scheme:rest" with a scheme of letters, digits, "+", "-", "." that starts with a letter.
// One-letter schemes are not taken, so that a drive-style "C:..." name stays a file name.
bool LooksLikeAddress(std::string_view s) {
  if (s.empty() || !IsAsciiLetter(s[0])) return false;
  std::size_t i = 1;
  while (i < s.size() &&
         (IsAsciiLetter(s[i]) || IsAsciiDigit(s[i]) || s[i] == '+' || s[i] == '-' || s[i] == '.')) {
    ++i;
  }
  return i >= 2 && i < s.size() && s[i] == ':';
}

#ifdef _WIN32
}  // namespace
#else
int ShellErrorFromErrno(int e) {
  switch (e) {
    case ENOENT:
    case ENAMETOOLONG:
    case ELOOP:
      return SE_ERR_FNF;
    case ENOTDIR:
      return SE_ERR_PNF;
    case ENOMEM:
    case EAGAIN:
      return SE_ERR_OOM;
    case ENOEXEC:
      return ERROR_BAD_FORMAT;
    default:
      return SE_ERR_ACCESSDENIED;
  }
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::vector<char> cwd(4096);
  while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
    if (errno != ERANGE || cwd.size() > (1u << 20)) return path;
    cwd.resize(cwd.size() * 2);
  }
  std::string base = cwd.data();
  if (base.empty() || base.back() != '/') base += '/';
  return base + path;
}

// Only absolute PATH entries count: an empty or relative entry would make the opener
// depend on whatever folder the program happens to run in.
std::string FindOnPath(const char* name) {
  const char* env = std::getenv("PATH");
  const std::string path = env != nullptr ? env : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string dir = path.substr(start, end - start);
    start = end + 1;
    if (dir.empty() || dir[0] != '/') continue;
    std::string candidate = dir;
    if (candidate.back() != '/') candidate += '/';
    candidate += name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

// Why a path could not be found: the file itself (SE_ERR_FNF) or a folder on the way.
int MissingPathError(const std::string& path, int statErrno) {
  if (statErrno != ENOENT) return ShellErrorFromErrno(statErrno);
  struct stat st {};
  const std::string folder = FolderOf(path);
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return SE_ERR_PNF;
  return SE_ERR_FNF;
}

// Owns the spawn attributes and file actions so every exit path releases them.
class SpawnSetup {
 public:
  SpawnSetup() {
    ok_ = ::posix_spawnattr_init(&attr_) == 0;
    if (ok_ && ::posix_spawn_file_actions_init(&actions_) != 0) {
      ::posix_spawnattr_destroy(&attr_);
      ok_ = false;
    }
  }
  ~SpawnSetup() {
    if (ok_) {
      ::posix_spawn_file_actions_destroy(&actions_);
      ::posix_spawnattr_destroy(&attr_);
    }
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // The started program begins clean: default signal dispositions, nothing blocked, a
  // session of its own so it outlives us and takes no terminal signals meant for us, and no
  // descriptor but standard input, output and error (whatever we inherited stays with us).
  bool Configure(const std::string& workdir) {
    if (!ok_) return false;
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    if (::posix_spawnattr_setsigdefault(&attr_, &all) != 0) return false;
    if (::posix_spawnattr_setsigmask(&attr_, &none) != 0) return false;
    if (::posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK |
                                               POSIX_SPAWN_SETSID) != 0) {
      return false;
    }
    if (::posix_spawn_file_actions_addclosefrom_np(&actions_, 3) != 0) return false;
    if (!workdir.empty() &&
        ::posix_spawn_file_actions_addchdir_np(&actions_, workdir.c_str()) != 0) {
      return false;
    }
    return true;
  }
  const posix_spawnattr_t* attr() const { return &attr_; }
  const posix_spawn_file_actions_t* actions() const { return &actions_; }

 private:
  bool ok_ = false;
  posix_spawnattr_t attr_{};
  posix_spawn_file_actions_t actions_{};
};

class FdPair {
 public:
  FdPair() = default;
  ~FdPair() {
    CloseRead();
    CloseWrite();
  }
  FdPair(const FdPair&) = delete;
  FdPair& operator=(const FdPair&) = delete;
  bool Open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read_ = fds[0];
    write_ = fds[1];
    return true;
  }
  int read() const { return read_; }
  int write() const { return write_; }
  void CloseRead() {
    if (read_ >= 0) ::close(read_);
    read_ = -1;
  }
  void CloseWrite() {
    if (write_ >= 0) ::close(write_);
    write_ = -1;
  }

 private:
  int read_ = -1;
  int write_ = -1;
};

// Starts program with args, detached. A short-lived intermediate child runs posix_spawn and
// reports its result through a close-on-exec pipe, then exits; we reap it at once, so the
// program is reparented away from us and nothing of it is left to wait for. Everything the
// intermediate child touches is prepared before fork, since after fork in a threaded
// process only the plainest calls are safe. Returns 0 or an errno value.
int SpawnDetached(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workdir) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  SpawnSetup setup;
  if (!setup.Configure(workdir)) return ENOMEM;
  FdPair pipe;
  if (!pipe.Open()) return errno;

  // No handler of ours may run in the intermediate child; the mask is ours again after fork.
  sigset_t all, old;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &old);
  const pid_t child = ::fork();
  if (child == 0) {
    pid_t grandchild = 0;
    const int rc = ::posix_spawn(&grandchild, program.c_str(), setup.actions(), setup.attr(),
                                 argv.data(), environ);
    ssize_t written;
    do {
      written = ::write(pipe.write(), &rc, sizeof rc);
    } while (written < 0 && errno == EINTR);
    ::_exit(0);
  }
  const int forkErrno = errno;
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (child < 0) return forkErrno;

  pipe.CloseWrite();
  int result = 0;
  std::size_t got = 0;
  char* bytes = reinterpret_cast<char*>(&result);
  while (got < sizeof result) {
    const ssize_t n = ::read(pipe.read(), bytes + got, sizeof result - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += std::size_t(n);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // The intermediate child died before it could tell us anything.
  if (got != sizeof result) return EAGAIN;
  return result;
}

}  // namespace

HINSTANCE ShellExecuteA(HWND /*parent*/, const char* verb, const char* file,
                        const char* parameters, const char* directory, int /*showCommand*/) {
  if (verb != nullptr && verb[0] != '\0' && !AsciiSameText(verb, "open")) {
    return AsHandle(SE_ERR_NOASSOC);
  }
  if (file == nullptr || file[0] == '\0') return AsHandle(SE_ERR_FNF);

  std::string workdir;
  if (directory != nullptr && directory[0] != '\0') {
    workdir = Absolute(directory);
    struct stat st {};
    if (::stat(workdir.c_str(), &st) != 0) {
      return AsHandle(errno == EACCES ? SE_ERR_ACCESSDENIED : SE_ERR_PNF);
    }
    if (!S_ISDIR(st.st_mode)) return AsHandle(SE_ERR_PNF);
  }

  std::string target = file;
  if (!LooksLikeAddress(target)) {
    // Absolute before anything starts, so a working folder of the child cannot change
    // which file is meant, and a name such as "-x" is never taken for an option.
    target = Absolute(target);
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return AsHandle(MissingPathError(target, errno));
    if (S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0) {
      if (::access(target.c_str(), X_OK) != 0) return AsHandle(SE_ERR_ACCESSDENIED);
      std::vector<std::string> args{target};
      if (parameters != nullptr && parameters[0] != '\0') args.emplace_back(parameters);
      const int rc = SpawnDetached(target, args, workdir.empty() ? FolderOf(target) : workdir);
      return AsHandle(rc == 0 ? kShellExecuteSuccess : ShellErrorFromErrno(rc));
    }
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return AsHandle(SE_ERR_ACCESSDENIED);
  }

  const std::string opener = FindOnPath("xdg-open");
  if (opener.empty()) return AsHandle(SE_ERR_NOASSOC);
  const int rc = SpawnDetached(opener, {"xdg-open", target}, workdir);
  return AsHandle(rc == 0 ? kShellExecuteSuccess : ShellErrorFromErrno(rc));
}

#endif  // !_WIN32

int ShellResultFromSystem(std::intptr_t result) {
  if (result > 32) return kShellExecuteSuccess;
  switch (result) {
    case 0:  // out of memory or resources
    case SE_ERR_OOM:
      return SE_ERR_OOM;
    case SE_ERR_FNF:
    case SE_ERR_PNF:
    case SE_ERR_ACCESSDENIED:
    case ERROR_BAD_FORMAT:
    case SE_ERR_NOASSOC:
      return int(result);
    case 26:  // a sharing violation
      return SE_ERR_ACCESSDENIED;
    case 27:  // the association is incomplete
    case 28:  // the opener did not answer in time
    case 29:  // the opener failed
    case 30:  // the opener was busy
      return SE_ERR_NOASSOC;
    case 32:  // a library the program needs is missing
      return ERROR_BAD_FORMAT;
    default:
      return SE_ERR_ACCESSDENIED;
  }
}

#ifdef _WIN32
// The system's own shell starts everything; our part is the verb rule shared with the
// other systems, a program's own folder as its working folder, and the error values.
HINSTANCE ShellExecuteA(HWND /*parent*/, const char* verb, const char* file, const char* parameters,
                        const char* directory, int showCommand) {
  if (verb != nullptr && verb[0] != '\0' && !AsciiSameText(verb, "open")) return AsHandle(SE_ERR_NOASSOC);
  if (file == nullptr || file[0] == '\0') return AsHandle(SE_ERR_FNF);
  const std::string target = file;
  const bool isPath = !LooksLikeAddress(target);
  std::string folder = directory != nullptr ? directory : "";
  if (folder.empty() && isPath && native::KindOf(target) == native::PathKind::kFile) {
    const std::size_t slash = target.find_last_of("/\\");
    if (slash != std::string::npos) folder = target.substr(0, slash == 0 ? 1 : slash);
  }
  int result = ShellResultFromSystem(
      native::ShellOpen(target, isPath, parameters != nullptr ? parameters : "", folder, showCommand));
  // As on every system: a missing file in a missing folder is the folder's fault.
  if (result == SE_ERR_FNF && isPath) {
    const std::size_t slash = target.find_last_of("/\\");
    if (slash != std::string::npos && slash > 0 && native::KindOf(target.substr(0, slash)) != native::PathKind::kFolder)
      result = SE_ERR_PNF;
  }
  return AsHandle(result);
}
#endif

const char* ShellErrorText(std::intptr_t result) {
  switch (result) {
    case 0:
    case SE_ERR_OOM: return "the system is out of memory or processes";
    case SE_ERR_FNF: return "the file does not exist";
    case SE_ERR_PNF: return "a folder on its path does not exist";
    case SE_ERR_ACCESSDENIED: return "access is denied";
    case ERROR_BAD_FORMAT: return "the file is not a program that can run here";
    case SE_ERR_NOASSOC: return "no program is set up to open it";
    default: return "the shell refused it";
  }
}
