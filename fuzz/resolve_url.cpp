// Any reference resolves without fault against a few kinds of page address;
// the quick paths agree with GLib, and a resolved address stays as it is.
#include <algorithm>

#include "fuzz_support.h"
#include "web/url_routines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static constexpr std::string_view kBases[] = {
      "http://example.com/dir/page.html?q=1#top",
      "https://user:pw@host.example:8080/a/b/c/",
      "about:blank",
      "file:///home/user/site/index.html",
      "http://[::1]/",
      "",
  };
  if (size == 0) return 0;
  const std::string_view base = kBases[data[0] % std::size(kBases)];
  const std::string_view reference = AsText(data + 1, size - 1);

  const std::string resolved = morvane::ResolveLinkURL(base, reference);
  if (reference.empty()) FUZZ_CHECK(resolved.empty());
  FUZZ_CHECK(resolved.find_first_of("\t\r\n") == std::string::npos);
  const morvane::LinkResolver quick(base), slow(base, morvane::LinkResolver::Shortcuts::kOff);
  FUZZ_CHECK(quick.Resolve(reference) == resolved);
  FUZZ_CHECK(slow.Resolve(reference) == resolved);
  // GLib turns a host of non-ASCII bytes into its IDN form, which need not
  // stay the same when resolved again; every other address does.
  const bool ascii = std::all_of(data, data + size, [](uint8_t b) { return b < 0x80; });
  if (ascii && (resolved.starts_with("http://") || resolved.starts_with("https://")))
    FUZZ_CHECK(morvane::ResolveLinkURL(base, resolved) == resolved);
  return 0;
}
