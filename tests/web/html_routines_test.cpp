#include "web/html_routines.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace morvane {
namespace {

using Link = std::pair<std::string, std::string>;

std::vector<Link> AllLinks(std::string_view html) {
  std::vector<Link> links;
  std::string href, text;
  while (NextLink(html, href, text)) links.emplace_back(href, text);
  return links;
}

TEST(ExtractTitle, FindsMixedCaseTagWithAttributeAndTrimsSpaces) {
  EXPECT_EQ(ExtractTitle("<html><head><TiTlE lang=\"ja\">  Top Page \x81\x40</title></head>"), "Top Page");
  EXPECT_EQ(ExtractTitle("<p>no title here</p>"), "");
  EXPECT_EQ(ExtractTitle("plain text"), "");
  // Line breaks inside stay, entities are not decoded.
  EXPECT_EQ(ExtractTitle("<title>A\r\nB &amp; C</title>"), "A\r\nB &amp; C");
  EXPECT_EQ(ExtractTitle("<title>unterminated"), "unterminated");
}

TEST(NextAnchor, KeepsHrefCaseAndStopsAtAttributes) {
  std::string_view html = "<A HREF=\"Page.html\" TARGET=\"_top\">Top</A>rest";
  std::string href, text;
  ASSERT_TRUE(NextAnchor(html, href, text));
  EXPECT_EQ(href, "Page.html");
  EXPECT_EQ(text, "Top");
  EXPECT_EQ(html, "rest");

  html = "<a href=x.html class=nav>X</a>";
  ASSERT_TRUE(NextAnchor(html, href, text));
  EXPECT_EQ(href, "x.html");
  html = "<a href=\"\" title=\"t\">T</a>";  // an empty quoted href takes the next quoted part
  ASSERT_TRUE(NextAnchor(html, href, text));
  EXPECT_EQ(href, "title=");
}

TEST(NextAnchor, OtherTagsAndAnchorsWithoutSpaceGiveNothing) {
  std::string href, text;
  for (std::string_view tag : {"<p class=a>x</p>", "<a\nhref=\"x\">X</a>", "<a name=top>X</a>", "<>", "<a>X</a>"}) {
    std::string_view html = tag;
    EXPECT_TRUE(NextAnchor(html, href, text)) << tag;
    EXPECT_EQ(href, "") << tag;
    EXPECT_EQ(text, "") << tag;
  }
  std::string_view none = "no tag at all";
  EXPECT_FALSE(NextAnchor(none, href, text));
}

TEST(NextLink, JoinsTextAroundInnerTagsAndSkipsEmptyLinks) {
  const auto links = AllLinks(
      "<a href=a.html><b>Bold</b> rest</a>"
      "<a href=img.html><img src=x.png></a>"
      "<a name=n>no href</a>"
      "<a href=\"b.html\">\r\n  Two\r\n</a>"
      "<a href=c.html>after last tag");
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0], Link("a.html", "Bold rest"));
  // Spaces are stripped before the line breaks, so the inner ones stay.
  EXPECT_EQ(links[1], Link("b.html", "  Two"));
}

TEST(NextLink, DoubleByteTextSurvivesAndEntitiesInHrefAreDecoded) {
  // 0x95 0x5C is one character whose second byte looks like a backslash.
  const auto links = AllLinks("<a href=\"?a=1&amp;b=&LT;2&gt\">\x95\x5C\x8E\xA6</a>");
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], Link("?a=1&b=<2>", "\x95\x5C\x8E\xA6"));
}

TEST(NextLink, ALeadByteHidesTheByteAfterIt) {
  // "\x82<" is one (broken) character, so no tag starts there.
  const auto links = AllLinks("<a href=x>A\x82<b>B</a>");
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].second, "A\x82<b>B");
}

TEST(DecodeEntities, DecodesInAnyCaseAndAmpersandLast) {
  EXPECT_EQ(DecodeEntities("&LT;a&Gt;&nbsp;&lt&gt&NBSP"), "<a> <> ");
  EXPECT_EQ(DecodeEntities("&amp;lt; &AMP;amp; &quot; &#60; &"), "&lt; &amp; &quot; &#60; &");
  EXPECT_EQ(DecodeEntities("&&lt;"), "&<");
}

TEST(PageScanners, SurviveHostileInput) {
  std::string href, text;
  // Megabytes without a tag, a "<" without ">", NUL bytes and broken CP932.
  const std::string noTag(4 << 20, 'x');
  std::string_view html = noTag;
  EXPECT_FALSE(NextLink(html, href, text));
  EXPECT_EQ(ExtractTitle(noTag), "");

  std::string broken("<a href=\"x\0y\">\x81\0\xFF<b", 19);
  broken.push_back('\x82');
  const auto found = AllLinks(broken);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], Link(std::string("x\0y", 3), std::string("\x81\0\xFF", 3)));
  EXPECT_EQ(ExtractTitle("<title"), "");

  // A megabyte href, and one anchor around 100,000 nested inline tags.
  std::string page = "<a href=\"" + std::string(1 << 20, 'h') + "\">";
  for (int i = 0; i < 100000; ++i) page += "<span>";
  page += "deep";
  for (int i = 0; i < 100000; ++i) page += "</span>";
  page += "</a>";
  const auto links = AllLinks(page);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].first.size(), std::size_t{1} << 20);
  EXPECT_EQ(links[0].second, "deep");

  // Many unterminated tags one after another.
  std::string opens;
  for (int i = 0; i < 200000; ++i) opens += "<a href=x";
  EXPECT_TRUE(AllLinks(opens).empty());
}

}  // namespace
}  // namespace morvane
