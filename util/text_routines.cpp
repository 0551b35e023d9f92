#include "util/text_routines.h"

#include <algorithm>
#include <stdexcept>

namespace morvane {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool IsTrailByte(std::string_view s, long long i) {
  if (i < 1 || i > static_cast<long long>(s.size())) throw std::out_of_range("Illegal Index");
  if (i == 1) return false;
  // Odd run of lead bytes just before i means i pairs with the last of them.
  long long run = 0;
  for (long long p = i - 1; p >= 1 && IsLeadByte(static_cast<unsigned char>(s[p - 1])); --p) ++run;
  return run % 2 == 1;
}

long long CharLength(std::string_view s) {
  long long n = 0;
  for (std::size_t p = 0; p < s.size(); p += CharWidthAt(s, p)) ++n;
  return n;
}

long long CharPos(std::string_view pattern, std::string_view s) {
  if (pattern.empty() || s.empty() || pattern.size() > s.size()) return 0;
  const std::size_t last = s.size() - pattern.size();
  long long k = 1;
  for (std::size_t p = 0; p <= last; p += CharWidthAt(s, p), ++k) {
    if (s[p] == pattern[0] && s.compare(p, pattern.size(), pattern) == 0) return k;
  }
  return 0;
}

namespace {
// Byte offset of character index k (1-based), or npos when s ends before it.
std::size_t OffsetOfChar(std::string_view s, long long k) {
  std::size_t p = 0;
  for (long long i = 1; i < k; ++i) {
    if (p >= s.size()) return std::string_view::npos;
    p += CharWidthAt(s, p);
  }
  return p < s.size() ? p : std::string_view::npos;
}

std::size_t SkipChars(std::string_view s, std::size_t p, long long count) {
  for (long long i = 0; i < count && p < s.size(); ++i) p += CharWidthAt(s, p);
  return p;
}
}  // namespace

std::string CharCopy(std::string_view s, long long start, long long count) {
  if (count <= 0) return {};
  if (start < 1) {
    count += start - 1;
    start = 1;
    if (count <= 0) return {};
  }
  const std::size_t from = OffsetOfChar(s, start);
  if (from == std::string_view::npos) return {};
  return std::string(s.substr(from, SkipChars(s, from, count) - from));
}

void CharDelete(std::string& s, long long start, long long count) {
  if (count <= 0 || start < 1) return;
  const std::size_t from = OffsetOfChar(s, start);
  if (from == std::string_view::npos) return;
  s.erase(from, SkipChars(s, from, count) - from);
}

std::string_view CutToken(std::string_view& source, std::string_view separators) {
  if (source.empty()) return {};
  if (separators.empty()) {
    std::string_view all = source;
    source = {};
    return all;
  }
  for (std::size_t p = 0; p < source.size(); p += CharWidthAt(source, p)) {
    if (separators.find(source[p]) != std::string_view::npos) {
      std::string_view token = source.substr(0, p);
      source.remove_prefix(p + 1);
      return token;
    }
  }
  std::string_view all = source;
  source = {};
  return all;
}

std::string CutToken(std::string& source, std::string_view separators) {
  std::string_view rest = source;
  std::string token(CutToken(rest, separators));
  source.erase(0, source.size() - rest.size());
  return token;
}

std::string TrimSpaces(std::string_view s) {
  std::size_t from = 0;
  while (from < s.size()) {
    if (s[from] == ' ') ++from;
    else if (s.compare(from, 2, "\x81\x40") == 0) from += 2;
    else break;
  }
  // One forward walk finds where the last character that is not a space ends.
  std::size_t end = from;
  for (std::size_t p = from; p < s.size();) {
    const std::size_t w = CharWidthAt(s, p);
    const bool space = (w == 1 && s[p] == ' ') || (w == 2 && s.compare(p, 2, "\x81\x40") == 0);
    p += w;
    if (!space) end = p;
  }
  return std::string(s.substr(from, end - from));
}

std::string TrimLineBreaks(std::string_view s) {
  while (s.size() >= 2 && s[0] == '\r' && s[1] == '\n') s.remove_prefix(2);
  // After the front is clean a text ending in CR LF is longer than the pair;
  // the CR must start a character of its own to count.
  while (s.size() > 2 && s.ends_with("\r\n") && !IsTrailByte(s, static_cast<long long>(s.size()) - 1))
    s.remove_suffix(2);
  return std::string(s);
}

std::string CutBefore(std::string& source, std::string_view delimiter) {
  const long long p = CharPos(delimiter, source);
  if (p == 0) return {};
  const std::size_t at = OffsetOfChar(source, p);
  std::string before = source.substr(0, at);
  source.erase(0, at + delimiter.size());
  return before;
}

std::string WrapTagBlock(std::string_view tag, std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2 * tag.size() + 16);
  out.append("<!--").append(tag).append("-->").append(text).append("<!--/").append(tag).append("-->");
  return out;
}

std::string ExtractBetween(std::string& source, std::string_view startMark, std::string_view endMark) {
  if (startMark.empty() || endMark.empty()) return {};
  const long long a = CharPos(startMark, source);
  const long long b = CharPos(endMark, source);
  if (a == 0 || b == 0 || b < a) return {};
  const std::size_t aByte = OffsetOfChar(source, a);
  const std::size_t bByte = OffsetOfChar(source, b);
  const std::size_t textFrom = aByte + startMark.size();
  // The end mark may overlap the start mark; then the text between is empty.
  std::string result =
      bByte > textFrom ? TrimLineBreaks(std::string_view(source).substr(textFrom, bByte - textFrom)) : std::string();
  const std::size_t cutEnd = std::max(bByte + endMark.size(), aByte);
  source.erase(aByte, std::min(cutEnd, source.size()) - aByte);
  return result;
}

std::string ExtractTagBlock(std::string& source, std::string_view tag, bool remove) {
  std::string copy = source;
  std::string start = "<!--";
  start.append(tag).append("-->");
  std::string end = "<!--/";
  end.append(tag).append("-->");
  std::string result = ExtractBetween(copy, start, end);
  if (remove) source = std::move(copy);
  return result;
}

std::string RemoveAll(std::string_view s, std::string_view pattern) {
  if (pattern.empty()) return std::string(s);
  std::string out;
  out.reserve(s.size());
  std::size_t p = 0;
  for (std::size_t hit; (hit = s.find(pattern, p)) != std::string_view::npos; p = hit + pattern.size())
    out.append(s.substr(p, hit - p));
  out.append(s.substr(p));
  return out;
}

}  // namespace morvane
