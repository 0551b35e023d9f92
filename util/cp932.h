#pragma once
// CP932 (Shift_JIS) <-> UTF-8 at the edges of the core. Never throws: a
// character with no form on the other side, or an invalid byte sequence,
// becomes "?".
#include <string>
#include <string_view>

namespace morvane {

std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);
// An address typed, pasted or reported by the web engine: a character with
// no CP932 form is written as percent-escapes of its UTF-8 bytes instead of
// "?", so the address still names the same page.
std::string Utf8URLToCp932(std::string_view utf8);
// UTF-8 HTML that is to be shown as a CP932 page: a character with no CP932
// form is written as a numeric character reference ("&#x1F642;"), so the page
// still shows it; bytes that are not UTF-8 become "&#xFFFD;".
std::string Utf8HtmlToCp932(std::string_view utf8);

// UTF-8 text that stays UTF-8 but must later survive CP932: every character
// that has no CP932 form (and every byte that is not UTF-8) is written as
// the percent-escapes of its bytes (an address) or as a numeric character
// reference (HTML); every other character keeps its own bytes.
enum class OutsideCp932 { kPercentEscapes, kCharacterReferences };
std::string MarkOutsideCp932(std::string_view utf8, OutsideCp932 how);

// The program's own texts are written in UTF-8 in the source and used as
// CP932 inside the core; converted once and kept.
const std::string& SystemText(std::string_view utf8);

}  // namespace morvane
