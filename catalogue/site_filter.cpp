#include "catalogue/site_filter.h"

#include <glib.h>

#include <array>
#include <functional>
#include <unordered_map>
#include <vector>

#include "util/cp932.h"
#include "util/glib_ptr.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

// Field numbers of the site line the filter looks into.
constexpr unsigned kSearchedFields = (1u << 0) | (1u << 1) | (1u << 2) | (1u << 4);
constexpr std::size_t kMaxKeptFields = std::size_t{1} << 22;

// CP932 code of each full-width form of printable ASCII (U+FF01-U+FF5E) and
// the full-width space, mapped to its ASCII form; taken from the converter
// once, so the table always agrees with it.
struct WideForms {
  std::array<char, 0x10000> ascii{};
  WideForms() {
    for (char32_t c = 0xFF01; c <= 0xFF5E; ++c) Add(c, static_cast<char>(c - 0xFF01 + '!'));
    Add(0x3000, ' ');
  }
  void Add(char32_t wide, char narrow) {
    const char utf8[] = {static_cast<char>(0xE0 | (wide >> 12)), static_cast<char>(0x80 | ((wide >> 6) & 0x3F)),
                         static_cast<char>(0x80 | (wide & 0x3F)), 0};
    const std::string cp932 = Utf8ToCp932(utf8);
    if (cp932.size() == 2 && IsLeadByte(cp932[0]))
      ascii[static_cast<unsigned char>(cp932[0]) * 256 + static_cast<unsigned char>(cp932[1])] = narrow;
  }
};

const WideForms& Wide() {
  static const WideForms forms;
  return forms;
}

char16_t FoldAscii(unsigned char b) { return static_cast<char16_t>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b); }

// The matching form of the character at off; gives its width in bytes.
std::size_t FoldCharAt(std::string_view text, std::size_t off, char16_t& folded) {
  const unsigned char b = static_cast<unsigned char>(text[off]);
  if (off + 1 < text.size() && IsLeadByte(b)) {
    const unsigned code = b * 256 + static_cast<unsigned char>(text[off + 1]);
    const char narrow = Wide().ascii[code];
    folded = narrow ? FoldAscii(static_cast<unsigned char>(narrow)) : static_cast<char16_t>(code);
    return 2;
  }
  folded = FoldAscii(b);
  return 1;
}

bool IsAsciiText(std::string_view s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

void AppendLowerAscii(std::string& out, std::string_view ascii) {
  for (const char c : ascii) out.push_back(static_cast<char>(FoldAscii(static_cast<unsigned char>(c))));
}

// The matching form of a UTF-8 text: compatibility forms as their plain
// character (half-width kana as full-width, full-width Latin as ASCII),
// then letter case folded.
std::string FoldUtf8(std::string_view utf8) {
  std::string out;
  if (IsAsciiText(utf8)) {
    AppendLowerAscii(out, utf8);
    return out;
  }
  const GCharPtr normal(g_utf8_normalize(utf8.data(), static_cast<gssize>(utf8.size()), G_NORMALIZE_NFKC));
  if (!normal) return std::string(utf8);  // not UTF-8: matches only as it is
  const GCharPtr folded(g_utf8_casefold(normal.get(), -1));
  return folded.get();
}

struct TransparentHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// Folding takes far longer than finding: a field once folded is kept for the
// next keystroke. Most fields (addresses) are ASCII and never come here.
void AppendFoldedField(std::string& out, std::string_view cp932) {
  if (IsAsciiText(cp932)) {
    AppendLowerAscii(out, cp932);
    return;
  }
  thread_local std::unordered_map<std::string, std::string, TransparentHash, std::equal_to<>> kept;
  auto it = kept.find(cp932);
  if (it == kept.end()) {
    // Sites come and go: a cache grown far past any catalogue starts afresh.
    if (kept.size() >= kMaxKeptFields) kept.clear();
    it = kept.emplace(std::string(cp932), FoldUtf8(Cp932ToUtf8(cp932))).first;
  }
  out.append(it->second);
}

// The searched fields of a site line, folded, a tab after each. Fields end at
// a tab of their own, as the line is cut into them: a lead byte takes the
// byte after it.
void FoldSearchedFields(std::string_view line, std::string& out) {
  std::size_t start = 0, field = 0;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i < line.size() && line[i] != '\t') {
      if (IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) ++i;
      continue;
    }
    if ((kSearchedFields >> field) & 1u) {
      AppendFoldedField(out, line.substr(start, i - start));
      out.push_back('\t');
    }
    if (!(kSearchedFields >> ++field)) return;  // no searched field after this one
    start = i + 1;
  }
}

// The folded searched text of the line at a row of its list, kept from the
// last keystroke: a keystroke over a large list then only hashes and finds.
// A row whose line changed (its hash differs) is folded again.
const std::string& FoldedLineAt(std::string_view line, std::size_t row) {
  struct Kept {
    bool filled = false;
    std::size_t hash = 0;
    std::string folded;
  };
  thread_local std::vector<Kept> kept;
  if (row >= kept.size()) kept.resize(row + 1);
  Kept& k = kept[row];
  const std::size_t hash = std::hash<std::string_view>{}(line);
  if (!k.filled || k.hash != hash) {
    k.folded.clear();
    FoldSearchedFields(line, k.folded);
    k.hash = hash;
    k.filled = true;
  }
  return k.folded;
}

}  // namespace

std::u16string FoldForMatching(std::string_view cp932) {
  std::u16string out;
  out.reserve(cp932.size());
  char16_t c;
  for (std::size_t off = 0; off < cp932.size(); off += FoldCharAt(cp932, off, c)) {
    FoldCharAt(cp932, off, c);
    out.push_back(c);
  }
  return out;
}

SiteFilter::SiteFilter(std::string_view typed) : SiteFilter(FromUtf8(Cp932ToUtf8(typed))) {}

SiteFilter SiteFilter::FromUtf8(std::string_view typed) {
  std::string folded = FoldUtf8(typed);
  // The full-width space has become a plain one.
  const std::size_t first = folded.find_first_not_of(' ');
  if (first == std::string::npos) return SiteFilter(Folded{});
  folded.erase(folded.find_last_not_of(' ') + 1).erase(0, first);
  return SiteFilter(Folded{std::move(folded)});
}

SiteFilter::SiteFilter(Folded folded)
    : needle_(std::move(folded.text)),
      // The folded line holds a tab only between fields: such a text finds nothing.
      impossible_(needle_.find('\t') != std::string::npos) {}

bool SiteFilter::Matches(std::string_view siteLine) const {
  if (needle_.empty()) return true;
  if (impossible_) return false;
  // One buffer per thread: filtering a large list must not allocate per line.
  thread_local std::string folded;
  folded.clear();
  FoldSearchedFields(siteLine, folded);
  return folded.find(needle_) != std::string::npos;
}

bool SiteFilter::Matches(std::string_view siteLine, std::size_t row) const {
  if (needle_.empty()) return true;
  if (impossible_) return false;
  return FoldedLineAt(siteLine, row).find(needle_) != std::string::npos;
}

bool SiteFilter::Narrows(const SiteFilter& other) const {
  if (impossible_ || other.needle_.empty()) return true;
  return !other.impossible_ && needle_.find(other.needle_) != std::string::npos;
}

}  // namespace morvane
