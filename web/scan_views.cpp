#include "web/scan_views.h"

#include <cstring>

#include "util/text_routines.h"

namespace morvane::scan {

namespace {
// True when byte i of s starts a character, given that s starts with one.
bool StartsCharacter(std::string_view s, std::size_t i) {
  std::size_t run = 0;
  while (run < i && IsLeadByte(static_cast<unsigned char>(s[i - run - 1]))) ++run;
  return run % 2 == 0;
}
}  // namespace

std::size_t FindChar(std::string_view s, char c, TextEncoding e) {
  if (e == TextEncoding::kUtf8) return s.find(c);
  std::size_t from = 0;
  while (from < s.size()) {
    const void* hit = std::memchr(s.data() + from, c, s.size() - from);
    if (hit == nullptr) return npos;
    const std::size_t at = static_cast<const char*>(hit) - s.data();
    // A run of lead bytes pairs up from its start; after an odd run the hit is
    // the second byte of a double-byte character, not a character of its own.
    if (StartsCharacter(s.substr(from), at - from)) return at;
    from = at + 1;
  }
  return npos;
}

std::string_view CutAt(std::string_view& s, char c, TextEncoding e) {
  const std::size_t at = FindChar(s, c, e);
  std::string_view token = s.substr(0, at);
  s.remove_prefix(at == npos ? s.size() : at + 1);
  return token;
}

std::string_view TrimView(std::string_view s, TextEncoding e) {
  if (e == TextEncoding::kUtf8) {
    static constexpr std::string_view kWideSpace = "\xE3\x80\x80";
    for (;;) {
      if (s.starts_with(' ')) s.remove_prefix(1);
      else if (s.starts_with(kWideSpace)) s.remove_prefix(kWideSpace.size());
      else if (s.ends_with(' ')) s.remove_suffix(1);
      else if (s.ends_with(kWideSpace)) s.remove_suffix(kWideSpace.size());
      else return s;
    }
  }
  for (;;) {
    if (s.starts_with(' ')) s.remove_prefix(1);
    else if (s.starts_with("\x81\x40")) s.remove_prefix(2);
    else break;
  }
  // From the back only the bytes just before a space need a look: a space
  // that is the second byte of a broken character is no space.
  for (;;) {
    if (s.ends_with(' ') && StartsCharacter(s, s.size() - 1)) s.remove_suffix(1);
    else if (s.ends_with("\x81\x40") && StartsCharacter(s, s.size() - 2)) s.remove_suffix(2);
    else break;
  }
  return s;
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

std::size_t FindNoCase(std::string_view s, std::string_view lowerWord, TextEncoding e) {
  if (lowerWord.empty()) return 0;
  for (std::size_t p = 0; p < s.size(); p += e == TextEncoding::kUtf8 ? 1 : CharWidthAt(s, p))
    if (StartsWithNoCase(s.substr(p), lowerWord)) return p;
  return npos;
}

}  // namespace morvane::scan
