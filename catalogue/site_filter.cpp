#include "catalogue/site_filter.h"

#include <array>

#include "util/cp932.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

// Field numbers of the site line the filter looks into.
constexpr unsigned kSearchedFields = (1u << 0) | (1u << 1) | (1u << 2) | (1u << 4);
// Stands between fields in the folded text; no typed character folds to it.
constexpr char16_t kFieldBreak = 0xFFFF;

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

SiteFilter::SiteFilter(std::string_view typed) : needle_(FoldForMatching(TrimSpaces(typed))) {}

bool SiteFilter::Matches(std::string_view siteLine) const {
  if (needle_.empty()) return true;
  // One buffer per thread: filtering a large list must not allocate per line.
  thread_local std::u16string folded;
  folded.clear();
  unsigned field = 0;
  char16_t c;
  for (std::size_t off = 0, width = 0; off < siteLine.size() && field < 5; off += width) {
    width = FoldCharAt(siteLine, off, c);
    // Fields end at a tab of its own, as the line is cut into them.
    if (width == 1 && c == '\t') {
      if ((kSearchedFields >> field) & 1u) folded.push_back(kFieldBreak);
      ++field;
    } else if ((kSearchedFields >> field) & 1u) {
      folded.push_back(c);
    }
  }
  return folded.find(needle_) != std::u16string::npos;
}

bool SiteFilter::Narrows(const SiteFilter& other) const { return needle_.find(other.needle_) != std::u16string::npos; }

}  // namespace morvane
