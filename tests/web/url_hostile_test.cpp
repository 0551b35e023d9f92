// Addresses from hostile pages: nothing a page writes may turn into a line
// break or tab in a resolved link, and the quick paths never differ from GLib.
#include <gtest/gtest.h>

#include "web/url_routines.h"

namespace morvane {
namespace {

TEST(ResolveLinkURL, EscapesInAHostAreNotDecoded) {
  // GLib gives hosts back decoded; "%0a" there once came out as a line break.
  EXPECT_EQ(ResolveLinkURL("about:blank", "iipp://x.%0a!v?t#f"), "iipp://x.%0a!v?t#f");
  EXPECT_EQ(ResolveLinkURL("http://host/", "http://a%09b/x"), "http://a%09b/x");
  EXPECT_EQ(ResolveLinkURL("http://ho%0Ast/dir/", "a.html"), "a.html");
  EXPECT_EQ(ResolveLinkURL("http://host/", "//h%25st/x"), "//h%25st/x");
  // An escape elsewhere is kept as written, as before.
  EXPECT_EQ(ResolveLinkURL("http://host/", "//other/%0a?%09"), "http://other/%0a?%09");
}

TEST(LinkResolver, PortsWithLeadingZerosOrOutOfRangeAgreeWithGLib) {
  for (const char* base : {"", "http://host/dir/", "about:blank"}) {
    const LinkResolver quick(base), slow(base, LinkResolver::Shortcuts::kOff);
    for (const char* reference : {"http://yamplp:09/b", "http://h:0/", "https://h:00080/x", "http://h:8080/x",
                                  "hTtp://p:2222211", "HTTP://p:65535/", "http://p:65536/"})
      EXPECT_EQ(quick.Resolve(reference), slow.Resolve(reference)) << base << " + " << reference;
  }
}

}  // namespace
}  // namespace morvane
