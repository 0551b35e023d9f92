// The page scanners walk any page to its end, always moving on, and give
// values; decoding entities never makes a text longer.
#include "fuzz_support.h"
#include "util/text_routines.h"
#include "web/html_routines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view page = AsText(data, size);
  const std::string title = morvane::ExtractTitle(page);
  FUZZ_CHECK(title.size() <= page.size());
  FUZZ_CHECK(morvane::TrimSpaces(title) == title);

  std::string href, text;
  std::string_view html = page;
  while (morvane::NextAnchor(html, href, text)) {
    FUZZ_CHECK(html.size() < page.size());
    FUZZ_CHECK(href.size() + text.size() <= page.size());
  }
  html = page;
  std::size_t left = html.size() + 1;
  while (morvane::NextLink(html, href, text)) {
    FUZZ_CHECK(html.size() < left);
    left = html.size();
    FUZZ_CHECK(!href.empty() && !text.empty());
  }

  const std::string decoded = morvane::DecodeEntities(page);
  FUZZ_CHECK(decoded.size() <= page.size());
  if (page.find('&') == std::string_view::npos) FUZZ_CHECK(decoded == page);
  return 0;
}
