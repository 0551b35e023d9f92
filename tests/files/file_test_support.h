#pragma once
// Helpers for the file tests: a private folder per test, raw byte access,
// file operations that fail on request.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "util/file_ops.h"

namespace morvane::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvane-files-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  const std::string& Path() const { return path_; }  // with a trailing '/'
  std::string operator/(const std::string& name) const { return path_ + name; }
  std::vector<std::string> Names() const { return NamesOf(path_); }
  // The names in any folder, sorted.
  static std::vector<std::string> NamesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline mode_t ModeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

// The real calls, except that one step fails with the given error from its
// onCall-th call on. Installed for the object's lifetime.
class FaultyFileOps : public FileOps {
 public:
  enum Step { kOpen, kRead, kWrite, kFsync, kClose, kRename, kRenameNoReplace, kSteps };

  FaultyFileOps(Step step, int error, int onCall = 1) : step_(step), error_(error), onCall_(onCall) {
    InstallFileOps(this);
  }
  ~FaultyFileOps() override { InstallFileOps(nullptr); }

  std::size_t writeLimit = static_cast<std::size_t>(-1);  // bytes per write: short writes
  int calls[kSteps] = {};

  int Open(const char* p, int flags, mode_t mode) override { return Fails(kOpen) ? -1 : FileOps::Open(p, flags, mode); }
  ssize_t Read(int fd, void* b, std::size_t n) override { return Fails(kRead) ? -1 : FileOps::Read(fd, b, n); }
  ssize_t Write(int fd, const void* d, std::size_t n) override {
    return Fails(kWrite) ? -1 : FileOps::Write(fd, d, std::min(n, writeLimit));
  }
  int Fsync(int fd) override { return Fails(kFsync) ? -1 : FileOps::Fsync(fd); }
  int Close(int fd) override {
    FileOps::Close(fd);  // the descriptor is gone even when close reports an error
    return Fails(kClose) ? -1 : 0;
  }
  int Rename(const char* a, const char* b) override { return Fails(kRename) ? -1 : FileOps::Rename(a, b); }
  int RenameNoReplace(const char* a, const char* b) override {
    return Fails(kRenameNoReplace) ? -1 : FileOps::RenameNoReplace(a, b);
  }

 private:
  bool Fails(Step s) {
    if (++calls[s] < onCall_ || s != step_) return false;
    errno = error_;
    return true;
  }
  Step step_;
  int error_;
  int onCall_;
};

}  // namespace morvane::testing

namespace morvane {
// Every file test uses these.
using testing::FaultyFileOps;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
}  // namespace morvane
