#pragma once
// What a file was when this program last read or wrote it: where it lives
// (device, inode), its size and modification time, and a hash of its bytes,
// so that a change made by another program is told from our own last save.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modifiedNs = 0;
  std::uint64_t hash = 0;

  // Same place, size and time: the bytes need not be read again.
  bool SameStat(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size && modifiedNs == other.modifiedNs;
  }
};

// Hash of a file's bytes as FileIdentity keeps it.
std::uint64_t HashBytes(std::string_view bytes);

// Only the stat half (hash 0); nullopt when no regular file is there.
std::optional<FileIdentity> StatFile(const std::string& path);

struct FileWithIdentity {
  std::string bytes;
  FileIdentity identity;
};
// The file's bytes and their identity, both taken from one open file; a file
// replaced while it was read is read again (twice at most). nullopt when no
// regular file is there or it cannot be read.
std::optional<FileWithIdentity> ReadFileWithIdentity(const std::string& path);

}  // namespace morvane
