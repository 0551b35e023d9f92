#pragma once
// Search-engine pages about the shown page: how much of its site an engine
// has indexed, and which pages link to it.
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

// The toolbar menu entries' Tags.
enum class IndexCheck {
  kYahooIndex = 0,
  kGoogleIndex = 1,
  kBingIndex = 2,
  kYahooBacklinks = 3,
  kGoogleBacklinks = 4,
  kBingBacklinks = 5,
};

inline constexpr std::string_view kYahooSearchHost = "search.yahoo.co.jp";
inline constexpr std::string_view kGoogleSearchHost = "www.google.co.jp";
inline constexpr std::string_view kBingSearchHost = "www.bing.com";

std::optional<IndexCheck> IndexCheckFromTag(int tag);

// The page address without its scheme and "//": host, path and query
// ("about:blank" and other addresses without "/" give an empty text).
std::string SitePart(std::string_view pageURL);

// The query subject as a query value: the engines expect UTF-8, so the CP932
// address is converted first, then everything but letters, digits, "-._~",
// the readable ":" and "/" and the address's own percent-escapes is
// percent-encoded ("&", "#", "+", a "%" that starts no escape, spaces and
// non-ASCII reach the engine intact; an escape is not escaped twice).
std::string EncodeQuerySubject(std::string_view subject);

// The search URL for the page shown at pageURL (CP932).
std::string IndexCheckURL(IndexCheck check, std::string_view pageURL);

}  // namespace morvane
