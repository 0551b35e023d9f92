#include "util/data_folder_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "util/file_ops.h"

namespace morvane {
namespace {

// Close-on-exec, so a browser or helper the program starts never carries the
// lock past the program's own end; no symlink, so a planted link cannot make
// us create a file elsewhere.
constexpr int kLockOpenFlags = O_CLOEXEC | O_NOFOLLOW;

bool WritableByOthers(const struct stat& st) { return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0; }

bool ProbeWrite(const std::string& folder) {
  FileOps& ops = CurrentFileOps();
  const std::string probe = folder + ".write-test-" + std::to_string(::getpid());
  const int fd = ops.Open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  const bool closed = ops.Close(fd) == 0;
  return ops.Unlink(probe.c_str()) == 0 && closed;
}

}  // namespace

DataFolderLock::~DataFolderLock() { Release(); }

void DataFolderLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

DataFolderLock::Result DataFolderLock::Acquire(const std::string& folder) {
  Release();
  const std::string path = folder + kDataFolderLockName;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kLockOpenFlags, 0600);
  // A read-only folder may still hold the lock file of an earlier run.
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | kLockOpenFlags);
  if (fd < 0) return Result::kUnavailable;
  int locked;
  do locked = ::flock(fd, LOCK_EX | LOCK_NB);
  while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const bool inUse = errno == EWOULDBLOCK;
    ::close(fd);
    return inUse ? Result::kInUse : Result::kUnavailable;
  }
  fd_ = fd;
  return Result::kLocked;
}

DataFolderState InspectDataFolder(const DataPaths& paths) {
  DataFolderState state;
  state.writable = ProbeWrite(paths.folder);
  struct stat st {};
  if (::stat(paths.folder.c_str(), &st) == 0) state.sharedWritable = WritableByOthers(st);
  if (!paths.browserProfile.empty() && ::stat(paths.browserProfile.c_str(), &st) == 0) {
    state.browserSharedWritable = WritableByOthers(st);
    state.browserOwnedByOther = st.st_uid != ::geteuid();
  }
  return state;
}

}  // namespace morvane
