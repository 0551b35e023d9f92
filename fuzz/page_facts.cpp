// The site check's page scans read any start of a page: the title is valid
// UTF-8 of bounded length, and the tag search always ends.
#include <glib.h>

#include "fuzz_support.h"
#include "health/page_facts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view page = AsText(data, size);
  const std::string charset = morvane::PageCharset(page.substr(0, 40), page);
  const std::string title = morvane::PageTitle(page, charset, 50);
  FUZZ_CHECK(g_utf8_validate(title.data(), static_cast<gssize>(title.size()), nullptr));
  FUZZ_CHECK(g_utf8_strlen(title.data(), static_cast<gssize>(title.size())) <= 50);
  for (const char* name : {"", "shift_jis", "utf-8", "euc-jp"}) {
    const std::string text = morvane::DecodePageText(page, name);
    FUZZ_CHECK(g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr));
  }
  morvane::FindAnalysisTag(page, "http://www.example.test/dir/", {"stats.example.test"}, false);
  return 0;
}
