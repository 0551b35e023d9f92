#include "web/scan_views.h"

#include "util/text_routines.h"

namespace morvane::scan {

std::size_t FindChar(std::string_view s, char c, TextEncoding e) {
  return e == TextEncoding::kUtf8 ? s.find(c) : FindAtCharacter(s, std::string_view(&c, 1));
}

std::string_view CutAt(std::string_view& s, char c, TextEncoding e) {
  const std::size_t at = FindChar(s, c, e);
  std::string_view token = s.substr(0, at);
  s.remove_prefix(at == npos ? s.size() : at + 1);
  return token;
}

std::string_view TrimView(std::string_view s, TextEncoding e) {
  if (e == TextEncoding::kCp932) return SpacesTrimmed(s);
  static constexpr std::string_view kWideSpace = "\xE3\x80\x80";
  for (;;) {
    if (s.starts_with(' ')) s.remove_prefix(1);
    else if (s.starts_with(kWideSpace)) s.remove_prefix(kWideSpace.size());
    else if (s.ends_with(' ')) s.remove_suffix(1);
    else if (s.ends_with(kWideSpace)) s.remove_suffix(kWideSpace.size());
    else return s;
  }
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
