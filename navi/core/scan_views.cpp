#include "navi/core/scan_views.h"

#include <cstring>

#include "util/text_routines.h"

namespace morvane::scan {

std::size_t FindChar(std::string_view s, char c) {
  std::size_t from = 0;
  while (from < s.size()) {
    const void* hit = std::memchr(s.data() + from, c, s.size() - from);
    if (hit == nullptr) return npos;
    const std::size_t at = static_cast<const char*>(hit) - s.data();
    // A run of lead bytes pairs up from its start; after an odd run the hit is
    // the second byte of a double-byte character, not a character of its own.
    std::size_t run = 0;
    while (at - run > from && IsLeadByte(static_cast<unsigned char>(s[at - run - 1]))) ++run;
    if (run % 2 == 0) return at;
    from = at + 1;
  }
  return npos;
}

std::string_view CutAt(std::string_view& s, char c) {
  const std::size_t at = FindChar(s, c);
  std::string_view token = s.substr(0, at);
  s.remove_prefix(at == npos ? s.size() : at + 1);
  return token;
}

std::string_view TrimView(std::string_view s) {
  std::size_t from = 0;
  while (from < s.size()) {
    if (s[from] == ' ') ++from;
    else if (s.compare(from, 2, "\x81\x40") == 0) from += 2;
    else break;
  }
  std::size_t end = from;
  for (std::size_t p = from; p < s.size();) {
    const std::size_t w = CharWidthAt(s, p);
    const bool space = (w == 1 && s[p] == ' ') || (w == 2 && s[p] == '\x81' && s[p + 1] == '\x40');
    p += w;
    if (!space) end = p;
  }
  return s.substr(from, end - from);
}

bool StartsWithNoCase(std::string_view s, std::string_view lowerWord) {
  if (s.size() < lowerWord.size()) return false;
  for (std::size_t i = 0; i < lowerWord.size(); ++i)
    if (LowerAscii(s[i]) != lowerWord[i]) return false;
  return true;
}

bool EqualsNoCase(std::string_view s, std::string_view lowerWord) {
  return s.size() == lowerWord.size() && StartsWithNoCase(s, lowerWord);
}

std::size_t FindNoCase(std::string_view s, std::string_view lowerWord) {
  if (lowerWord.empty()) return 0;
  for (std::size_t p = 0; p < s.size(); p += CharWidthAt(s, p))
    if (StartsWithNoCase(s.substr(p), lowerWord)) return p;
  return npos;
}

}  // namespace morvane::scan
