#include "navi/core/url_routines.h"

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

TEST(ResolveLinkURL, KeepsBytesAsWritten) {
  // Japanese file names, spaces, "%" escapes and characters GLib would
  // rewrite come out exactly as the page wrote them.
  EXPECT_EQ(ResolveLinkURL("http://host/\x93\xFA/p.html", "\x95\x5C.html"), "http://host/\x93\xFA/\x95\x5C.html");
  EXPECT_EQ(ResolveLinkURL("http://host/a%20b/p", "c d%2Fe.html?q=%41|{x}"), "http://host/a%20b/c d%2Fe.html?q=%41|{x}");
  EXPECT_EQ(ResolveLinkURL("http://host/dir/", "a\tb\r\nc.html"), "http://host/dir/abc.html");
}

TEST(ResolveLinkURL, KeepsWhatCannotBeResolved) {
  EXPECT_EQ(ResolveLinkURL("about:blank", "x.html"), "x.html");
  EXPECT_EQ(ResolveLinkURL("", "../x.html"), "../x.html");
  EXPECT_EQ(ResolveLinkURL("about:blank", "http://other/x"), "http://other/x");
  EXPECT_EQ(ResolveLinkURL("http://host/", "http://[broken/x"), "http://[broken/x");
  EXPECT_EQ(ResolveLinkURL("about:blank", "a\tb"), "ab");
}

TEST(LinkResolver, ServesManyReferencesFromOneBase) {
  const LinkResolver resolver("http://host/dir/page.html");
  EXPECT_EQ(resolver.Resolve("a.html"), "http://host/dir/a.html");
  EXPECT_EQ(resolver.Resolve("/b.html"), "http://host/b.html");
  EXPECT_EQ(resolver.Resolve("a.html"), "http://host/dir/a.html");
}

TEST(StripTrailingSlash, RemovesOneSlash) {
  EXPECT_EQ(StripTrailingSlash("http://host/dir//"), "http://host/dir/");
  EXPECT_EQ(StripTrailingSlash("/"), "");
  EXPECT_EQ(StripTrailingSlash("http://host/x"), "http://host/x");
}

}  // namespace
}  // namespace morvane
