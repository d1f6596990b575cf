// Files and folders of the system by UTF-8 path ('/' or '\' between folders): the wide
// calls behind our streams, the launcher's file checks and the tools' output files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace native {

// The C runtime's file descriptor for the path, always in binary mode and not inherited
// by started programs; `flags` and `mode` as for open(). -1 with errno set on failure.
int OpenFileDescriptor(const std::string& path, int flags, int mode);
// A C stream for the path, in binary mode whatever `mode` says; null with errno set.
std::FILE* OpenFileStream(const std::string& path, const char* mode);

enum class PathKind { kMissing, kFile, kFolder };
// What the path names; kMissing also when it cannot be examined.
PathKind KindOf(const std::string& path);
// Size of the file in bytes, or -1.
std::int64_t FileSize(const std::string& path);
// Replaces `to` with `from` in one step; false with errno set on failure.
bool RenameOver(const std::string& from, const std::string& to);
// Removes a file; false with errno set on failure.
bool RemoveFile(const std::string& path);

// Reads at most `limit` bytes of a regular file (not a folder, device or pipe, which
// could stall the caller); false when it cannot be read.
bool ReadRegularFile(const std::string& path, std::size_t limit, std::string* out);

// The current folder and the running program's path in our form (UTF-8, '/'); "" on failure.
std::string CurrentFolder();
std::string ModulePath();

}  // namespace native
