#include "util/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <vector>

#include "util/file_ops.h"

namespace morvane {
namespace {

bool EndsLastLine(std::string_view text) { return text.empty() || text.ends_with("\r\n"); }

}  // namespace

// Searched a byte value at a time, at memchr speed, since whole data files
// pass through here: when every LF follows a CR and there are as many CRs as
// LFs, every CR is followed by its LF.
bool OnlyCrLfBreaks(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return false;
  std::size_t breaks = 0;
  for (std::size_t p = text.find('\n'); p != std::string_view::npos; p = text.find('\n', p + 1), ++breaks)
    if (p == 0 || text[p - 1] != '\r') return false;
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r')) == breaks;
}

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

std::string ToCrLfLines(std::string_view text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  if (OnlyCrLfBreaks(text)) return EndsLastLine(text) ? std::string(text) : std::string(text).append("\r\n");
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end) {
    const char* q = p;
    while (q != end && *q != '\r' && *q != '\n') ++q;
    out.append(p, q).append("\r\n");
    if (q != end) q += (*q == '\r' && q + 1 != end && q[1] == '\n') ? 2 : 1;
    p = q;
  }
  return out;
}

std::string LoadTextFile(const std::string& name) {
  std::string bytes;
  if (!ReadWholeFile(name, bytes)) return std::string(kFileLoadError);
  if (!OnlyCrLfBreaks(bytes)) return ToCrLfLines(bytes);
  if (!EndsLastLine(bytes)) bytes.append("\r\n");
  return bytes;  // no second copy of a large file
}

bool SaveTextFile(const std::string& name, std::string_view text, mode_t mode) {
  return SaveTextFile(name, {text}, mode);
}

bool SaveTextFile(const std::string& name, std::initializer_list<std::string_view> pieces, mode_t mode) {
  try {
    // A piece ending in CR before one starting with LF counts as unclean
    // here and simply takes the joining path.
    std::vector<std::string_view> clean;
    clean.reserve(pieces.size() + 1);
    std::string_view last;
    for (std::string_view piece : pieces) {
      if (!OnlyCrLfBreaks(piece)) {
        std::string joined;
        for (std::string_view p : pieces) joined.append(p);
        const std::string text = ToCrLfLines(joined);
        return WriteFileReplacing(name, text, mode);
      }
      clean.push_back(piece);
      if (!piece.empty()) last = piece;
    }
    if (!EndsLastLine(last)) clean.push_back("\r\n");
    return WriteFileReplacing(name, clean, mode);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool RegularFileExists(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace morvane
