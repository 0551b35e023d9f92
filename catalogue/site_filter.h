#pragma once
// Finding sites by part of their text, as typed into the filter box: both
// the typed text and the sites' texts are taken in their compatibility form
// (NFKC: half-width and full-width letters, digits, signs and katakana match
// each other) with letter case folded. Hiragana and katakana stay apart.
#include <cstdint>
#include <string>
#include <string_view>

namespace morvane {

// One character's matching form: ASCII and full-width Latin letters as
// lower-case ASCII, full-width digits and signs as their ASCII form, every
// other character as its CP932 code (lead byte * 256 + trail byte).
std::u16string FoldForMatching(std::string_view cp932);

class SiteFilter {
 public:
  // typed: the filter box's text (CP932); spaces at either end do not count.
  explicit SiteFilter(std::string_view typed = {});
  // The same for the box's text as GTK gives it, so nothing typed is lost.
  static SiteFilter FromUtf8(std::string_view typed);

  // An empty filter lets every site through.
  bool Empty() const { return needle_.empty(); }
  // True when the site line's name, URL, category or analysis URL holds the
  // text (never its date, login ID or password).
  bool Matches(std::string_view siteLine) const;
  // The same for the line at a row of the list being filtered: its folded
  // text is kept for the next keystroke (on this thread) while the line stays.
  bool Matches(std::string_view siteLine, std::size_t row) const;
  // True when every site this filter lets through, other lets through too:
  // a list filtered by other need only be narrowed.
  bool Narrows(const SiteFilter& other) const;

 private:
  struct Folded {
    std::string text;
  };
  explicit SiteFilter(Folded folded);

  std::string needle_;  // the typed text folded (UTF-8)
  bool impossible_ = false;
};

}  // namespace morvane
