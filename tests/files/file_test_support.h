#pragma once
// Helpers for the file tests: a private folder per test, raw byte access,
// scripted dialogs and file operations that fail on request.
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
#include "util/user_dialogs.h"

namespace morvane::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvane-files-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }  // with a trailing '/'
  std::string operator/(const std::string& name) const { return path_ + name; }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
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
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline mode_t ModeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

// Records what the program shows; answers questions from a fixed reply.
class RecordingDialogs : public UserDialogs {
 public:
  RecordingDialogs() { InstallDialogs(this); }
  ~RecordingDialogs() override { InstallDialogs(nullptr); }
  void ShowError(std::string_view message) override { errors.emplace_back(message); }
  bool AskYesNo(std::string_view) override { return answerYes; }
  void ShowMessage(std::string_view message) override { messages.emplace_back(message); }
  std::optional<std::string> InputText(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFile(std::string_view, const FileFilter*, std::size_t) override {
    return std::nullopt;
  }
  std::optional<std::string> SaveFile(std::string_view, const FileFilter*, std::size_t, std::string_view) override {
    return std::nullopt;
  }

  std::vector<std::string> errors;
  std::vector<std::string> messages;
  bool answerYes = false;
};

// The real calls, except that the chosen step fails with the chosen error.
// Each step counts its calls so a test can pick, say, the second write.
class FaultyFileOps : public FileOps {
 public:
  enum class Step { Open, Read, Write, Fsync, Close, Rename, RenameNoReplace, Unlink };

  FaultyFileOps(Step step, int error, int onCall = 1) : step_(step), error_(error), onCall_(onCall) {
    InstallFileOps(this);
  }
  ~FaultyFileOps() override { InstallFileOps(nullptr); }

  // Writes at most this many bytes per call (a short write, not a failure).
  std::size_t writeLimit = static_cast<std::size_t>(-1);
  int calls[8] = {};
  std::vector<std::string> opened;

  int Open(const char* path, int flags, mode_t mode) override {
    opened.emplace_back(path);
    return Fails(Step::Open) ? -1 : FileOps::Open(path, flags, mode);
  }
  ssize_t Read(int fd, void* buffer, std::size_t size) override {
    return Fails(Step::Read) ? -1 : FileOps::Read(fd, buffer, size);
  }
  ssize_t Write(int fd, const void* data, std::size_t size) override {
    return Fails(Step::Write) ? -1 : FileOps::Write(fd, data, std::min(size, writeLimit));
  }
  int Fsync(int fd) override { return Fails(Step::Fsync) ? -1 : FileOps::Fsync(fd); }
  int Close(int fd) override {
    if (Fails(Step::Close)) {
      FileOps::Close(fd);  // the descriptor is gone either way, as on Linux
      errno = error_;
      return -1;
    }
    return FileOps::Close(fd);
  }
  int Rename(const char* from, const char* to) override {
    return Fails(Step::Rename) ? -1 : FileOps::Rename(from, to);
  }
  int RenameNoReplace(const char* from, const char* to) override {
    return Fails(Step::RenameNoReplace) ? -1 : FileOps::RenameNoReplace(from, to);
  }
  int Unlink(const char* path) override { return Fails(Step::Unlink) ? -1 : FileOps::Unlink(path); }

 private:
  bool Fails(Step s) {
    const int n = ++calls[static_cast<int>(s)];
    if (s != step_ || n < onCall_) return false;
    errno = error_;
    return true;
  }

  Step step_;
  int error_;
  int onCall_;
};

}  // namespace morvane::testing
