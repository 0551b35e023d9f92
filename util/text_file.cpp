#include "util/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <new>

#include "util/file_ops.h"

namespace morvane {
namespace {

// Most files already have CR LF everywhere; those are passed through whole.
bool AlreadyCrLf(std::string_view text) {
  if (text.empty()) return true;
  if (!text.ends_with("\r\n")) return false;
  for (std::size_t p = 0; (p = text.find_first_of(std::string_view("\r\n\0", 3), p)) != std::string_view::npos;) {
    if (text[p] != '\r' || p + 1 >= text.size() || text[p + 1] != '\n') return false;
    p += 2;
  }
  return true;
}

// Reads the whole file; false on any failure. Only regular files are read,
// so a FIFO or device under the name cannot block the program.
bool ReadWholeFile(const std::string& name, std::string& bytes) {
  FileOps& ops = CurrentFileOps();
  const int fd = ops.Open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0);
  if (fd < 0) return false;
  bool ok = false;
  try {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
      bytes.clear();
      bytes.reserve(static_cast<std::size_t>(st.st_size));
      char buffer[1 << 16];
      for (;;) {
        const ssize_t n = ops.Read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        if (n == 0) {
          ok = true;
          break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
      }
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  ops.Close(fd);
  return ok;
}

}  // namespace

std::string ToCrLfLines(std::string_view text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  if (AlreadyCrLf(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  for (std::size_t p = 0; p < text.size();) {
    const std::size_t brk = text.find_first_of("\r\n", p);
    if (brk == std::string_view::npos) {
      out.append(text.substr(p)).append("\r\n");
      break;
    }
    out.append(text.substr(p, brk - p)).append("\r\n");
    p = brk + (text.compare(brk, 2, "\r\n") == 0 ? 2 : 1);
  }
  return out;
}

std::string LoadTextFile(const std::string& name) {
  std::string bytes;
  if (!ReadWholeFile(name, bytes)) return std::string(kFileLoadError);
  if (AlreadyCrLf(bytes)) return bytes;  // no second copy of a large file
  return ToCrLfLines(bytes);
}

bool SaveTextFile(const std::string& name, std::string_view text, mode_t mode) {
  try {
    if (AlreadyCrLf(text)) return WriteFileReplacing(name, text, mode);
    return WriteFileReplacing(name, ToCrLfLines(text), mode);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool RegularFileExists(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace morvane
