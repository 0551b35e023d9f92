#pragma once
// Finding sites by part of their text, as typed into the filter box: letter
// case is ignored for ASCII and full-width Latin letters, and the half-width
// and full-width forms of a letter, digit or sign match each other. Other
// characters (Japanese among them) match only as typed. Texts are CP932.
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
  // typed: the filter box's text; spaces at either end do not count.
  explicit SiteFilter(std::string_view typed = {});

  // An empty filter lets every site through.
  bool Empty() const { return needle_.empty(); }
  // True when the site line's name, URL, category or analysis URL holds the
  // text (never its date, login ID or password).
  bool Matches(std::string_view siteLine) const;
  // True when every site this filter lets through, other lets through too:
  // a list filtered by other need only be narrowed.
  bool Narrows(const SiteFilter& other) const;

 private:
  // Whether the folded text of a line holds the needle, character for character.
  bool FoundIn(std::string_view folded) const;

  std::string needle_;  // the typed text folded as bytes (see site_filter.cpp)
  bool impossible_ = false;
  bool endsInLoneLead_ = false;
};

}  // namespace morvane
