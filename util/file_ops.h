#pragma once
// The system calls that reading and writing our files go through. The real
// ones are the default; a test installs its own to make any single step fail
// (a full disk, a vanished folder, a rename that is refused) and checks that
// no stored byte changed. Every operation answers like its POSIX call: -1
// with errno set on failure.
#include <sys/types.h>

#include <cstddef>

namespace morvane {

class FileOps {
 public:
  virtual ~FileOps() = default;
  virtual int Open(const char* path, int flags, mode_t mode);
  virtual ssize_t Read(int fd, void* buffer, std::size_t size);
  virtual ssize_t Write(int fd, const void* data, std::size_t size);
  virtual int Fsync(int fd);
  virtual int Close(int fd);
  virtual int Rename(const char* from, const char* to);
  // Fails with EEXIST instead of replacing an existing file.
  virtual int RenameNoReplace(const char* from, const char* to);
  virtual int Unlink(const char* path);
};

// The operations in use; the real system calls until a test installs others.
FileOps& CurrentFileOps();
void InstallFileOps(FileOps* ops);  // nullptr restores the real calls

}  // namespace morvane
