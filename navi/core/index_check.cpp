#include "navi/core/index_check.h"

#include <glib.h>

#include <cstring>

#include "util/cp932.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

struct Engine {
  std::string_view host;
  std::string_view query;  // path and query up to the subject
};

constexpr std::string_view kYahooQuery = "/search?search.x=1&fr=top_ga1_sa&tid=top_ga1_sa&ei=UTF-8&aq=&oq=&p=";
constexpr std::string_view kGoogleQuery = "/search?hl=ja&ie=UTF-8&q=";
constexpr std::string_view kBingQuery = "/search?filt=all&q=";

Engine EngineOf(IndexCheck check) {
  switch (check) {
    case IndexCheck::kYahooIndex:
    case IndexCheck::kYahooBacklinks: return {kYahooSearchHost, kYahooQuery};
    case IndexCheck::kGoogleIndex:
    case IndexCheck::kGoogleBacklinks: return {kGoogleSearchHost, kGoogleQuery};
    case IndexCheck::kBingIndex:
    case IndexCheck::kBingBacklinks: break;
  }
  return {kBingSearchHost, kBingQuery};
}

bool IsBacklinkCheck(IndexCheck check) { return static_cast<int>(check) >= 3; }

}  // namespace

std::optional<IndexCheck> IndexCheckFromTag(int tag) {
  if (tag < 0 || tag > 5) return std::nullopt;
  return static_cast<IndexCheck>(tag);
}

std::string SitePart(std::string_view pageURL) {
  CutToken(pageURL, "/");
  CutToken(pageURL, "/");
  return std::string(pageURL);
}

std::string EncodeQuerySubject(std::string_view subject) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string utf8 = Cp932ToUtf8(subject);
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 2);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    // The engine reports addresses already escaped: an escape stays one, so
    // the search looks for the page and not for the text "%E6...".
    const bool startsEscape =
        c == '%' && i + 2 < utf8.size() && g_ascii_isxdigit(utf8[i + 1]) && g_ascii_isxdigit(utf8[i + 2]);
    if (startsEscape || g_ascii_isalnum(c) || (c != 0 && std::strchr("-._~:/", c) != nullptr)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    out.push_back('%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
  }
  return out;
}

std::string IndexCheckURL(IndexCheck check, std::string_view pageURL) {
  const Engine engine = EngineOf(check);
  const bool backlinks = IsBacklinkCheck(check);
  std::string url = "http://";
  url.append(engine.host).append(engine.query).append(backlinks ? "link%3A" : "site%3A");
  url.append(EncodeQuerySubject(backlinks ? std::string(pageURL) : SitePart(pageURL)));
  return url;
}

}  // namespace morvane
