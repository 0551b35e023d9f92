#include "util/text_routines.h"

#include <algorithm>
#include <stdexcept>

namespace morvane {

bool IsTrailByte(std::string_view s, long long i) {
  if (i < 1 || i > static_cast<long long>(s.size())) throw std::out_of_range("Illegal Index");
  if (i == 1) return false;
  // Odd run of lead bytes just before i means i pairs with the last of them.
  long long run = 0;
  for (long long p = i - 1; p >= 1 && IsLeadByte(s[p - 1]); --p) ++run;
  return run % 2 == 1;
}

long long CharLength(std::string_view s) {
  long long n = 0;
  for (std::size_t p = 0; p < s.size(); p += CharWidthAt(s, p)) ++n;
  return n;
}

// Whether byte offset p starts a character, given that offset known (<= p)
// does. A byte that is not a lead byte always ends a character, so only the
// run of lead bytes just before p decides, and never further back than known.
bool StartsCharacter(std::string_view s, std::size_t known, std::size_t p) {
  std::size_t q = p;
  while (q > known && IsLeadByte(s[q - 1])) --q;
  return (p - q) % 2 == 0;
}

// Byte offset of the first occurrence of pattern that starts a character.
// The byte search runs at memchr speed; each candidate is checked by looking
// back only as far as the last offset known to start a character, so the
// whole search stays linear.
std::size_t FindAtCharacter(std::string_view s, std::string_view pattern) {
  std::size_t known = 0;
  for (std::size_t p = s.find(pattern); p != std::string_view::npos; p = s.find(pattern, p + 1)) {
    if (StartsCharacter(s, known, p)) return p;
    known = p + 1;  // p is the second byte of a pair
  }
  return std::string_view::npos;
}

namespace {

std::size_t FindSeparator(std::string_view s, std::string_view separators, std::size_t from) {
  return separators.size() == 1 ? s.find(separators[0], from) : s.find_first_of(separators, from);
}

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

long long CharPos(std::string_view pattern, std::string_view s) {
  if (pattern.empty()) return 0;
  const std::size_t p = FindAtCharacter(s, pattern);
  return p == std::string_view::npos ? 0 : CharLength(s.substr(0, p)) + 1;
}

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
  std::size_t known = 0;
  for (std::size_t p = separators.empty() ? std::string_view::npos : FindSeparator(source, separators, 0);
       p != std::string_view::npos; p = FindSeparator(source, separators, p + 1)) {
    if (StartsCharacter(source, known, p)) {
      const std::string_view token = source.substr(0, p);
      source.remove_prefix(p + 1);
      return token;
    }
    known = p + 1;
  }
  const std::string_view all = source;
  source = {};
  return all;
}

std::string CutToken(std::string& source, std::string_view separators) {
  std::string_view rest = source;
  std::string token(CutToken(rest, separators));
  source.erase(0, source.size() - rest.size());
  return token;
}

std::string TrimSpaces(std::string_view s) { return std::string(SpacesTrimmed(s)); }

std::string_view SpacesTrimmed(std::string_view s) {
  std::size_t from = 0;
  while (from < s.size()) {
    if (s[from] == ' ') ++from;
    else if (s.compare(from, 2, "\x81\x40") == 0) from += 2;
    else break;
  }
  // From the right: a last byte that starts a character is a space when it
  // is 0x20; one that closes a pair is when the pair is 81 40.
  std::size_t end = s.size();
  while (end > from) {
    if (StartsCharacter(s, from, end - 1)) {
      if (s[end - 1] != ' ') break;
      --end;
    } else {
      if (s[end - 2] != '\x81' || s[end - 1] != '\x40') break;
      end -= 2;
    }
  }
  return s.substr(from, end - from);
}

std::string TrimLineBreaks(std::string_view s) { return std::string(LineBreaksTrimmed(s)); }

std::string_view LineBreaksTrimmed(std::string_view s) {
  while (s.size() >= 2 && s[0] == '\r' && s[1] == '\n') s.remove_prefix(2);
  // After the front is clean a text ending in CR LF is longer than the pair;
  // the CR must start a character of its own to count.
  while (s.size() > 2 && s.ends_with("\r\n") && !IsTrailByte(s, static_cast<long long>(s.size()) - 1))
    s.remove_suffix(2);
  return s;
}

std::string CutBefore(std::string& source, std::string_view delimiter) {
  if (delimiter.empty()) return {};
  const std::size_t at = FindAtCharacter(source, delimiter);
  if (at == std::string::npos) return {};
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

namespace {

// The marked stretch [from, to) of a source and the text between the marks.
struct MarkedStretch {
  bool found = false;
  std::size_t from = 0;
  std::size_t to = 0;
  std::string_view text;  // into the source
};

MarkedStretch FindMarked(std::string_view source, std::string_view startMark, std::string_view endMark) {
  MarkedStretch m;
  if (startMark.empty() || endMark.empty()) return m;
  const std::size_t a = FindAtCharacter(source, startMark);
  if (a == std::string_view::npos) return m;
  const std::size_t b = FindAtCharacter(source, endMark);
  if (b == std::string_view::npos || b < a) return m;
  const std::size_t textFrom = a + startMark.size();
  // The end mark may overlap the start mark; then the text between is empty.
  if (b > textFrom) m.text = LineBreaksTrimmed(source.substr(textFrom, b - textFrom));
  m.found = true;
  m.from = a;
  m.to = std::min(std::max(b + endMark.size(), a), source.size());
  return m;
}

}  // namespace

std::string ExtractBetween(std::string& source, std::string_view startMark, std::string_view endMark) {
  const MarkedStretch m = FindMarked(source, startMark, endMark);
  std::string text(m.text);
  if (m.found) source.erase(m.from, m.to - m.from);
  return text;
}

namespace {
MarkedStretch FindTagBlock(std::string_view source, std::string_view tag) {
  std::string start = "<!--";
  start.append(tag).append("-->");
  std::string end = "<!--/";
  end.append(tag).append("-->");
  return FindMarked(source, start, end);
}
}  // namespace

std::string ExtractTagBlock(std::string& source, std::string_view tag, bool remove) {
  const MarkedStretch m = FindTagBlock(source, tag);
  std::string text(m.text);
  if (remove && m.found) source.erase(m.from, m.to - m.from);
  return text;
}

std::string ExtractLargeTagBlock(std::string& source, std::string_view tag) {
  const MarkedStretch m = FindTagBlock(source, tag);
  if (!m.found) return {};
  if (m.text.empty()) {
    source.erase(m.from, m.to - m.from);
    return {};
  }
  std::string around = source.substr(0, m.from) + source.substr(m.to);
  const std::size_t textFrom = static_cast<std::size_t>(m.text.data() - source.data()), textSize = m.text.size();
  std::string text = std::move(source);
  text.resize(textFrom + textSize);
  text.erase(0, textFrom);
  source = std::move(around);
  return text;
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
