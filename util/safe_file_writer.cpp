#include "util/safe_file_writer.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <vector>

#include "util/file_ops.h"

namespace morvane {
namespace {

std::atomic<unsigned> tempCounter{0};

// Temporary files are named ".<name>.<pid>-<counter>.tmp" beside the target.
std::string TempPrefix(const std::string& path) { return "." + NamePart(path) + "."; }

// Creates a fresh temporary file beside the target; -1 when none can be made.
int CreateTemp(const std::string& path, mode_t mode, std::string& tempPath) {
  const std::string prefix = FolderPart(path) + TempPrefix(path) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = prefix + std::to_string(tempCounter++) + ".tmp";
    const int fd = CurrentFileOps().Open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;  // a stale name from an earlier run: try the next
  }
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = CurrentFileOps().Write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;  // zero would loop for ever
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// "<pid>-<counter>.tmp": the rest of a temporary file's name after its prefix.
// Gives the pid, or 0 when the name is not one of ours.
pid_t TempOwner(std::string_view rest) {
  const std::size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string_view::npos || !rest.ends_with(".tmp")) return 0;
  const std::string_view pid = rest.substr(0, dash), counter = rest.substr(dash + 1, rest.size() - dash - 5);
  if (counter.empty() || pid.size() > 9) return 0;
  for (std::string_view digits : {pid, counter})
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) return 0;
  return static_cast<pid_t>(std::stoi(std::string(pid)));
}

// A save killed half-way leaves its temporary file behind; the next save of
// the same file removes those whose writer no longer runs, so they cannot pile
// up. A file of a live process (another instance saving now) is left alone.
void RemoveStaleTemps(const std::string& path) {
  const std::string folder = FolderPart(path), prefix = TempPrefix(path);
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with(prefix)) continue;
    const pid_t owner = TempOwner(name.substr(prefix.size()));
    if (owner > 0 && owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH) stale.emplace_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : stale) CurrentFileOps().Unlink((folder + name).c_str());
}

// The rename is what makes the new file visible; syncing its folder only
// makes it survive a power cut, so a folder that cannot be synced is no
// failure of the save.
void SyncFolder(const std::string& path) {
  const std::string folder = FolderPart(path);
  const int fd = CurrentFileOps().Open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return;
  CurrentFileOps().Fsync(fd);
  CurrentFileOps().Close(fd);
}

// The kernel's own limit on links followed in one path.
constexpr int kMaxLinkHops = 40;

// What a write to path replaces: path itself, or, when it is a symbolic link
// (a data file kept in a sync folder, say), the file at the end of its chain
// of links, so that the link stays a link. A relative link is read from the
// link's own folder. A missing file at the end is created there. nullopt for
// a chain that loops or cannot be read.
std::optional<std::string> FileBehindLinks(const std::string& path) {
  std::string at = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(at.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return std::nullopt;
    target.resize(static_cast<std::size_t>(n));
    at = target.front() == '/' ? target : FolderPart(at) + target;
  }
  return std::nullopt;
}

}  // namespace

std::string FolderPart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string NamePart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool WriteFileReplacing(const std::string& path, std::string_view bytes, mode_t mode) {
  return WriteFileReplacing(path, std::span(&bytes, 1), mode);
}

bool WriteFileReplacing(const std::string& given, std::span<const std::string_view> pieces, mode_t mode) {
  const std::optional<std::string> behind = FileBehindLinks(given);
  if (!behind) return false;
  const std::string& path = *behind;
  if (NamePart(path).empty()) return false;
  FileOps& ops = CurrentFileOps();
  std::string tempPath;
  const int fd = CreateTemp(path, mode, tempPath);
  if (fd < 0) return false;
  // Small pieces (the lines of a large file) go out together: one write per
  // piece would cost more than the disk.
  constexpr std::size_t kBlock = 1 << 20;
  std::string block;
  bool ok = true;
  for (std::string_view piece : pieces) {
    if (!ok) break;
    if (block.size() + piece.size() > kBlock && !block.empty()) {
      ok = WriteAll(fd, block);
      block.clear();
    }
    if (piece.size() >= kBlock) ok = ok && WriteAll(fd, piece);
    else block.append(piece);
  }
  ok = ok && WriteAll(fd, block);
  ok = ok && ops.Fsync(fd) == 0;
  ok = ops.Close(fd) == 0 && ok;
  ok = ok && ops.Rename(tempPath.c_str(), path.c_str()) == 0;
  if (!ok) {
    ops.Unlink(tempPath.c_str());
    return false;
  }
  SyncFolder(path);
  RemoveStaleTemps(path);
  return true;
}

}  // namespace morvane
