// Any page gives a sorted list of distinct entries whose page adds no markup
// of its own, and the quick link resolution agrees with GLib's. The first
// line of the input is the page address.
#include <algorithm>

#include "fuzz_support.h"
#include "navi/core/link_list.h"
#include "util/cp932.h"
#include "util/text_routines.h"
#include "web/html_routines.h"
#include "web/url_routines.h"

namespace {

std::size_t Count(std::string_view text, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view page = AsText(data, size);
  const std::string_view base = morvane::CutToken(page, "\n");
  morvane::ExtractTitle(page);

  const morvane::PageLinkList list = morvane::BuildPageLinkList(page, base, {}, {});
  FUZZ_CHECK(std::adjacent_find(list.entries.begin(), list.entries.end(),
                                [](const std::string& a, const std::string& b) { return !(a < b); }) ==
             list.entries.end());
  std::size_t links = 0;
  for (const std::string& entry : list.entries) {
    const std::string_view url = std::string_view(entry).substr(0, entry.find('\t'));
    FUZZ_CHECK(url.find_first_of("\r\n") == std::string_view::npos);
    FUZZ_CHECK(entry.size() > url.size() + 1);  // a text always follows the tab
    ++links;
  }
  const std::string shown = list.Page();
  FUZZ_CHECK(Count(shown, "<") == 3 * links + 8);  // <a..>, </a>, <br> per link; two boxes, four breaks
  FUZZ_CHECK(Count(shown, "<Textarea") == 2);
  // Shown as a CP932 page, whatever bytes the page held add no markup either.
  FUZZ_CHECK(Count(morvane::Utf8HtmlToCp932(shown), "<") == 3 * links + 8);

  const morvane::LinkResolver quick(base), slow(base, morvane::LinkResolver::Shortcuts::kOff);
  std::string_view html = page;
  std::string href, text;
  for (int i = 0; i < 64 && morvane::NextAnchor(html, href, text); ++i)
    FUZZ_CHECK(quick.Resolve(href) == slow.Resolve(href));
  using morvane::LinkResolver;
  const LinkResolver quick8(base, LinkResolver::Shortcuts::kUse, morvane::TextEncoding::kUtf8),
      slow8(base, LinkResolver::Shortcuts::kOff, morvane::TextEncoding::kUtf8);
  html = page;
  for (int i = 0; i < 64 && morvane::NextAnchor(html, href, text, morvane::TextEncoding::kUtf8); ++i)
    FUZZ_CHECK(quick8.Resolve(href) == slow8.Resolve(href));
  return 0;
}
