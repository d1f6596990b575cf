// TOutputFile: an output file that appears whole or not at all. Bytes go to a temporary
// file beside the target, which replaces the target only once everything is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TOutputFile {
 public:
  // Creates the temporary file (EFCreateError when it cannot be made). A target that
  // exists and is not a regular file (a device, a pipe) is opened and written in place:
  // renaming over it would replace the device itself.
  explicit TOutputFile(const std::string& target);
  // Removes the temporary file unless Commit succeeded.
  ~TOutputFile();
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;

  // Buffered; raises EWriteError when the system refuses the bytes (a full disk).
  void Write(const void* data, std::size_t size);
  void Write(const std::string& text) { Write(text.data(), text.size()); }
  // Writes what is buffered and puts the file in the target's place; raises EWriteError.
  void Commit();

 private:
  void Flush();
  void WriteAll(const std::uint8_t* bytes, std::size_t size);
  [[noreturn]] void Fail(int error);

  std::string target_;     // as given, for messages
  std::string finalPath_;  // where the file ends up (a link's destination when it is one)
  std::string tempPath_;   // empty when writing in place
  int fd_ = -1;
  unsigned mode_ = 0;  // permissions the finished file gets
  std::vector<std::uint8_t> buffer_;
  bool committed_ = false;
};
