#include "navi/core/link_tag.h"

#include <algorithm>

#include "web/scan_views.h"

namespace morvane {

std::string LinkTextFor(std::string_view selection, std::string_view title) {
  const std::string_view text = scan::TrimView(selection, TextEncoding::kUtf8);
  return std::string(text.empty() ? scan::TrimView(title, TextEncoding::kUtf8) : text);
}

std::string MakeLinkTag(std::string_view linkTemplate, std::string_view url, std::string_view text) {
  static constexpr std::string_view kUrl = "{$URL}", kText = "{$TEXT}";
  std::string out;
  out.reserve(linkTemplate.size() + url.size() + text.size());
  for (;;) {
    const std::size_t u = linkTemplate.find(kUrl), t = linkTemplate.find(kText);
    const std::size_t at = std::min(u, t);
    out.append(linkTemplate.substr(0, at));
    if (at == std::string_view::npos) return out;
    const bool isUrl = at == u;
    out.append(isUrl ? url : text);
    linkTemplate.remove_prefix(at + (isUrl ? kUrl : kText).size());
  }
}

}  // namespace morvane
