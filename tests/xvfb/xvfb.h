// A private X server for tests and benchmarks: Xvfb on a display number it picks itself,
// with DISPLAY pointing at it while it runs.
#pragma once

#include <sys/types.h>

#include <string>

namespace testxvfb {

// The Xvfb program found on PATH, or an empty string when it is not installed.
std::string XvfbProgram();
inline bool Installed() { return !XvfbProgram().empty(); }

// Owns one Xvfb process; the destructor stops and reaps it and gives DISPLAY back its
// earlier value.
class PrivateXvfb {
 public:
  PrivateXvfb() = default;
  ~PrivateXvfb() { Stop(); }
  PrivateXvfb(const PrivateXvfb&) = delete;
  PrivateXvfb& operator=(const PrivateXvfb&) = delete;

  // Starts the server with one screen of the given size and returns once it accepts
  // connections; sets DISPLAY to it. False when Xvfb is missing or did not come up.
  bool Start(int width = 1024, int height = 768, int depth = 24);
  void Stop();
  bool Running() const { return pid_ > 0; }
  // ":<n>" while running, else empty.
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = 0;
  std::string display_;
  bool hadDisplay_ = false;
  std::string oldDisplay_;
};

}  // namespace testxvfb
