#pragma once
// What the site check reads from the start of a page: its character set, its
// title, and whether it still carries the analysis service's tag. The page is
// raw bytes from the network, hostile and possibly cut short; the scans look
// only for ASCII marks ("<", tag and attribute names), which no byte of a
// CP932 or UTF-8 character can imitate.
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

enum class AnalysisTag { Present, Absent, Unknown };

// "タグあり", "タグなし", "確認できません" (UTF-8).
std::string_view AnalysisTagText(AnalysisTag tag);

// The page's character set, lower case: the Content-Type header's charset,
// else a <meta> one, else empty.
std::string PageCharset(std::string_view contentType, std::string_view html);

// Bytes of the page in its character set as UTF-8: CP932 (also for
// "shift_jis" and its other names), UTF-8, and whatever iconv knows. Without
// a charset, valid UTF-8 is taken as it is and anything else as CP932. Bytes
// that do not decode become U+FFFD; the result is always valid UTF-8.
std::string DecodePageText(std::string_view bytes, std::string_view charset);

// The first <title>'s text as UTF-8: entities decoded, runs of white space
// made one space, control characters dropped, at most maxChars characters.
std::string PageTitle(std::string_view html, std::string_view charset, std::size_t maxChars = 200);

// Host names (lower case) of the addresses given, for the tag search;
// addresses without a host are left out.
std::vector<std::string> TagHosts(const std::vector<std::string>& addresses);

// Whether a script src, an img src or a link href of the page refers to one
// of the hosts (relative references resolved against pageURL). Unknown when
// there is no host to look for, or the page was cut short before a tag was
// found.
AnalysisTag FindAnalysisTag(std::string_view html, std::string_view pageURL, const std::vector<std::string>& hosts,
                            bool cutShort);

}  // namespace morvane
