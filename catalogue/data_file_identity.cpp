#include "catalogue/data_file_identity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <new>

namespace morvane {
namespace {

FileIdentity IdentityOf(const struct stat& st) {
  FileIdentity id;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.size = st.st_size;
  id.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return id;
}

bool ReadAll(int fd, std::size_t expected, std::string& bytes) {
  bytes.clear();
  bytes.reserve(expected);
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

// 64 bits tell a change from our own save: the bytes are compared only when
// the file's stat already differs, and nothing here defends against a writer
// who could as well have destroyed the file.
std::uint64_t HashBytes(std::string_view bytes) { return std::hash<std::string_view>{}(bytes); }

std::optional<FileIdentity> StatFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return IdentityOf(st);
}

std::optional<FileWithIdentity> ReadFileWithIdentity(const std::string& path) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    // O_NONBLOCK: a FIFO put under the name must not hold the program up.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::optional<FileWithIdentity> result;
    try {
      struct stat before {
      }, after{};
      FileWithIdentity read;
      if (::fstat(fd, &before) == 0 && S_ISREG(before.st_mode) &&
          ReadAll(fd, static_cast<std::size_t>(before.st_size), read.bytes) && ::fstat(fd, &after) == 0) {
        read.identity = IdentityOf(after);
        // Written to while we read: the bytes may be half old, half new.
        if (IdentityOf(before).SameStat(read.identity) && static_cast<off_t>(read.bytes.size()) == read.identity.size) {
          read.identity.hash = HashBytes(read.bytes);
          result = std::move(read);
        }
      } else {
        ::close(fd);
        return std::nullopt;
      }
    } catch (const std::bad_alloc&) {
      ::close(fd);
      return std::nullopt;
    }
    ::close(fd);
    if (result) return result;
  }
  return std::nullopt;
}

}  // namespace morvane
