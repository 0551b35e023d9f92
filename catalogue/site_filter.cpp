#include "catalogue/site_filter.h"

#include <array>

#include "util/cp932.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

// Field numbers of the site line the filter looks into.
constexpr unsigned kSearchedFields = (1u << 0) | (1u << 1) | (1u << 2) | (1u << 4);

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

// The matching form as bytes: a letter, digit or sign as its lower-case
// ASCII byte, every other character as its own bytes. The fields whose bit
// is set in `fields` are written to out, a tab after each, and the size
// written is given (never more than text.size()). Fields end at a tab of
// its own, as the line is cut into them; a lead byte takes the byte after it,
// so the folded text falls into characters just as CP932 text does.
std::size_t FoldFields(std::string_view text, unsigned fields, char* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  const auto& wide = Wide().ascii;
  char* const start = out;
  unsigned field = 0;
  bool kept = fields & 1u;
  while (p != end) {
    const unsigned char b = *p;
    if (b == '\t') {
      if (kept) *out++ = '\t';
      if (++field >= 32) break;
      kept = (fields >> field) & 1u;
      if (!(fields >> field)) break;  // no searched field after this one
      ++p;
    } else if (IsLeadByte(b) && p + 1 != end) {
      if (kept) {
        if (const char narrow = wide[b * 256u + p[1]]) *out++ = static_cast<char>(FoldAscii(static_cast<unsigned char>(narrow)));
        else {
          *out++ = static_cast<char>(b);
          *out++ = static_cast<char>(p[1]);
        }
      }
      p += 2;
    } else {
      if (kept) *out++ = static_cast<char>(FoldAscii(b));
      ++p;
    }
  }
  return static_cast<std::size_t>(out - start);
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

SiteFilter::SiteFilter(std::string_view typed) {
  const std::string trimmed = TrimSpaces(typed);
  needle_.resize(trimmed.size());
  needle_.resize(FoldFields(trimmed, ~0u, needle_.data()));
  // The folded line holds a tab only between fields: such a text finds nothing.
  impossible_ = needle_.find('\t') != std::string::npos;
  // A lead byte at the very end is a character alone, found only at the end
  // of a folded line, where it is one too.
  endsInLoneLead_ = !needle_.empty() && IsLeadByte(needle_.back()) && StartsCharacter(needle_, 0, needle_.size() - 1);
}

bool SiteFilter::FoundIn(std::string_view folded) const {
  if (impossible_) return false;
  if (!endsInLoneLead_) return FindAtCharacter(folded, needle_) != std::string_view::npos;
  return folded.ends_with(needle_) && StartsCharacter(folded, 0, folded.size() - needle_.size());
}

bool SiteFilter::Matches(std::string_view siteLine) const {
  if (needle_.empty()) return true;
  // One buffer per thread: filtering a large list must not allocate per line.
  thread_local std::string folded;
  if (folded.size() < siteLine.size()) folded.resize(siteLine.size());
  const std::size_t size = FoldFields(siteLine, kSearchedFields, folded.data());
  return FoundIn(std::string_view(folded.data(), size));
}

bool SiteFilter::Narrows(const SiteFilter& other) const {
  if (impossible_ || other.needle_.empty()) return true;
  return other.FoundIn(needle_);
}

}  // namespace morvane
