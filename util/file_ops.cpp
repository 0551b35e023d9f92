#include "util/file_ops.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace morvane {
namespace {
FileOps realOps;
FileOps* current = &realOps;
}  // namespace

int FileOps::Open(const char* path, int flags, mode_t mode) {
  int fd;
  do fd = ::open(path, flags, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

ssize_t FileOps::Read(int fd, void* buffer, std::size_t size) { return ::read(fd, buffer, size); }

ssize_t FileOps::Write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }

int FileOps::Fsync(int fd) { return ::fsync(fd); }

// Close is not retried on EINTR: on Linux the descriptor is gone either way.
int FileOps::Close(int fd) { return ::close(fd); }

int FileOps::Rename(const char* from, const char* to) { return ::rename(from, to); }

int FileOps::RenameNoReplace(const char* from, const char* to) {
  if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // File systems without the flag: a hard link fails just as atomically
  // when the name is taken.
  if (::link(from, to) != 0) return -1;
  if (::unlink(from) != 0) {
    const int err = errno;
    ::unlink(to);
    errno = err;
    return -1;
  }
  return 0;
}

int FileOps::Unlink(const char* path) { return ::unlink(path); }

FileOps& CurrentFileOps() { return *current; }
void InstallFileOps(FileOps* ops) { current = ops ? ops : &realOps; }

}  // namespace morvane
