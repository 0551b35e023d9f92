#include "web/url_routines.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

struct Case {
  const char* page;
  const char* reference;
  const char* expected;
};

TEST(ResolveLinkURL, ResolvesLikeABrowser) {
  const Case cases[] = {
      {"http://host/dir/page.html", "x.html", "http://host/dir/x.html"},
      {"http://host/dir/page.html", "./x.html", "http://host/dir/x.html"},
      {"http://host/dir/page.html", "/x.html", "http://host/x.html"},
      {"http://host/dir/page.html", "?p=1", "http://host/dir/page.html?p=1"},
      {"http://host/dir/page.html", "../x.html", "http://host/x.html"},
      {"http://host/dir/page.html", "../../x.html", "http://host/x.html"},
      {"http://host/dir/sub/", "../x.html", "http://host/dir/x.html"},
      {"http://host/dir/sub/", "x.html", "http://host/dir/sub/x.html"},
      {"http://host/p?q=1", "?r=2", "http://host/p?r=2"},
      {"http://host/dir/page.html", "'http://other/'", "http://other/"},
      {"http://host/dir/page.html", "'x.html'", "http://host/dir/x.html"},
      {"http://host/dir/page.html", "#frag", "http://host/dir/page.html#frag"},
      {"http://host/dir/page.html", "mailto:me@host", "mailto:me@host"},
      {"http://host/dir/page.html", "javascript:void(0)", "javascript:void(0)"},
      {"http://host/dir/page.html", "ftp://files/x", "ftp://files/x"},
      {"http://host/dir/page.html", "//cdn/x.js", "http://cdn/x.js"},
      {"https://host/dir/page.html", "//cdn/x.js", "https://cdn/x.js"},
      {"http://host", "/x.html", "http://host/x.html"},
      {"http://host:8080/a/b", "c", "http://host:8080/a/c"},
      {"http://host/dir/page.html", "", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResolveLinkURL(c.page, c.reference), c.expected) << c.page << " + " << c.reference;
}

TEST(ResolveLinkURL, WebAddressesComeBackAsWrittenAndTwoQuotesMeanTheFolder) {
  const Case cases[] = {
      {"http://host/dir/page.html", "HTTP://Other/X", "HTTP://Other/X"},
      {"http://host/dir/page.html", "Https://other/a/../b?q#f", "Https://other/a/../b?q#f"},
      {"about:blank", "http:x.html", "http:x.html"},
      // Only a scheme makes an address absolute: a file named "http..." is relative.
      {"http://host/dir/page.html", "http-guide.html", "http://host/dir/http-guide.html"},
      {"http://host/dir/page.html", "''", "http://host/dir/"},
      {"http://host/dir/sub/?q=1", "''", "http://host/dir/sub/"},
      {"http://host", "''", "http://host/"},
      {"about:blank", "''", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResolveLinkURL(c.page, c.reference), c.expected) << c.page << " + " << c.reference;
}

TEST(ResolveLinkURL, KeepsBytesAsWritten) {
  // Japanese file names, spaces, "%" escapes and characters GLib would
  // rewrite come out exactly as the page wrote them.
  EXPECT_EQ(ResolveLinkURL("http://host/\x93\xFA/p.html", "\x95\x5C.html"), "http://host/\x93\xFA/\x95\x5C.html");
  EXPECT_EQ(ResolveLinkURL("http://host/a%20b/p", "c d%2Fe.html?q=%41|{x}"),
            "http://host/a%20b/c d%2Fe.html?q=%41|{x}");
  EXPECT_EQ(ResolveLinkURL("http://host/dir/", "a\tb\r\nc.html"), "http://host/dir/abc.html");
}

TEST(ResolveLinkURL, KeepsWhatCannotBeResolved) {
  EXPECT_EQ(ResolveLinkURL("about:blank", "x.html"), "x.html");
  EXPECT_EQ(ResolveLinkURL("", "../x.html"), "../x.html");
  EXPECT_EQ(ResolveLinkURL("about:blank", "http://other/x"), "http://other/x");
  EXPECT_EQ(ResolveLinkURL("http://host/", "http://[broken/x"), "http://[broken/x");
  EXPECT_EQ(ResolveLinkURL("about:blank", "a\tb"), "ab");
  // Removing the dots would leave a path that reads as a host.
  EXPECT_EQ(ResolveLinkURL("http://host/", "http:/.//evil/x"), "http:/.//evil/x");
}

TEST(LinkResolver, ServesManyReferencesFromOneBase) {
  const LinkResolver resolver("http://host/dir/page.html");
  EXPECT_EQ(resolver.Resolve("a.html"), "http://host/dir/a.html");
  EXPECT_EQ(resolver.Resolve("/b.html"), "http://host/b.html");
  EXPECT_EQ(resolver.Resolve("a.html"), "http://host/dir/a.html");
}

TEST(LinkResolver, QuickPathsAgreeWithGLib) {
  const char* const bases[] = {"http://host/dir/page.html",
                               "http://host",
                               "http://host/a/b/?q=1#f",
                               "https://Host:8080/a/../b/c",
                               "http://host/%7Euser/",
                               "about:blank",
                               "",
                               "file:///tmp/x.html",
                               "http://[::1]/x/y",
                               "http://u@host/p"};
  const char* const heads[] = {"",        "/",        "//",      "?",  "#",  "./",  "../",
                               "http://", "HTTPS://", "mailto:", "a:", "x/", "\r\n"};
  const char* const tails[] = {"x",   "a/b",      "a/./b", "a/../b", ".", "..", "x?q=1#f", "Host:80/p", "h:/p",
                               "x y", "\x93\xFA", "%41",   "?",      "#", "",   "a//b",    "Host:/p",   "..a/b."};
  for (const char* base : bases) {
    const LinkResolver quick(base), slow(base, LinkResolver::Shortcuts::kOff);
    for (const char* head : heads) {
      for (const char* tail : tails) {
        const std::string reference = std::string(head) + tail;
        EXPECT_EQ(quick.Resolve(reference), slow.Resolve(reference)) << base << " + " << reference;
      }
    }
  }
}

TEST(StripTrailingSlash, RemovesOneSlash) {
  EXPECT_EQ(StripTrailingSlash("http://host/dir//"), "http://host/dir/");
  EXPECT_EQ(StripTrailingSlash("/"), "");
  EXPECT_EQ(StripTrailingSlash("http://host/x"), "http://host/x");
}

}  // namespace
}  // namespace morvane
