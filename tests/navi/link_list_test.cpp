#include "navi/core/link_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "navi/core/index_check.h"
#include "navi/core/link_tag.h"

namespace morvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr std::string_view kBase = "http://host/dir/page.html";

std::vector<std::string> Entries(std::string_view source, std::string_view anchorKeyword = {},
                                 std::string_view urlKeyword = {}) {
  return BuildPageLinkList(source, kBase, anchorKeyword, urlKeyword).entries;
}

TEST(PageLinkList, DropsDuplicateLinesAndSortsByBytes) {
  EXPECT_THAT(Entries("<a href=b.html>B</a><a href=a.html>Z</a><a href=b.html>B</a>"
                      "<a href=a.html>A</a><a href=/top.html>日</a>"),
              ElementsAre("http://host/dir/a.html\tA", "http://host/dir/a.html\tZ", "http://host/dir/b.html\tB",
                          "http://host/top.html\t日"));
}

TEST(PageLinkList, RemovesLineBreaksFromTextAndNamesEmptyOnes) {
  EXPECT_THAT(Entries("<a href=x>Page\r\nTwo</a><a href=y>\n</a><a href=z>A\rB\nC</a>"),
              ElementsAre("http://host/dir/x\tPageTwo", "http://host/dir/y\tNoText", "http://host/dir/z\tABC"));
}

TEST(PageLinkList, LeavesOutAdvertisingAndSearchLinksEvenWhenFiltered) {
  const std::string page =
      "<a href=\"http://pagead2.googlesyndication.com/x\">ad</a>"
      "<a href=\"https://pagead2.example/x\">ad</a>"
      "<a href=\"http://www.google.co.jp/search?q=x\">ad</a>"
      "<a href=\"ok.html\">ad</a>";
  EXPECT_THAT(Entries(page, "ad"), ElementsAre("http://host/dir/ok.html\tad"));
}

TEST(PageLinkList, KeywordsFilterTextAndAbsoluteUrlWithExactCase) {
  const std::string page = "<a href=shop/a.html>Buy now</a><a href=news.html>buy later</a><a href=shop/b.html>Info</a>";
  EXPECT_THAT(Entries(page, "Buy"), ElementsAre("http://host/dir/shop/a.html\tBuy now"));
  EXPECT_THAT(Entries(page, {}, "/dir/shop/"),
              ElementsAre("http://host/dir/shop/a.html\tBuy now", "http://host/dir/shop/b.html\tInfo"));
  EXPECT_THAT(Entries(page, "Buy", "news"), ElementsAre());
  // A keyword is matched by whole characters.
  EXPECT_THAT(Entries("<a href=x>あい</a>", "\x82\xE3"), ElementsAre());
}

TEST(PageLinkList, PageHasThreeBlocksAndEmptyBoxesWithoutLinks) {
  const std::string box = "<Textarea cols=100 rows=30 wrap=off ondblclick=\"this.select();\">";
  EXPECT_EQ(BuildPageLinkList("", kBase, {}, {}).Page(),
            "<br><br>" + box + "</Textarea><br><br>" + box + "</Textarea>");

  const PageLinkList list = BuildPageLinkList("<a href=a.html>A</a><a href=b.html>B</a>", kBase, {}, {});
  EXPECT_EQ(list.LinkLines(),
            "<a href=\"http://host/dir/a.html\">A</a>\r\n<a href=\"http://host/dir/b.html\">B</a>\r\n");
  EXPECT_EQ(list.ListText(), "http://host/dir/a.html\tA\r\nhttp://host/dir/b.html\tB\r\n");
  EXPECT_EQ(list.Page(),
            "<a href=\"http://host/dir/a.html\">A</a><br><a href=\"http://host/dir/b.html\">B</a><br>"
            "<br><br>" +
                box +
                "&lt;a href=\"http://host/dir/a.html\"&gt;A&lt;/a&gt;\r\n"
                "&lt;a href=\"http://host/dir/b.html\"&gt;B&lt;/a&gt;\r\n"
                "</Textarea><br><br>" +
                box + "http://host/dir/a.html\tA\r\nhttp://host/dir/b.html\tB\r\n</Textarea>");
}

TEST(PageLinkList, HostilePageCannotAddMarkupOrScript) {
  const PageLinkList list = BuildPageLinkList(
      "<a href='x\"><script>alert(1)</script>'>q</a>"
      "<a href=\"javascript:alert(2)\">run</a>"
      "<a href=\"a.html?x=1&amp;y=</Textarea>\">&lt;b&gt; &amp; \xE3<img src=x onerror=alert(3)></a>",
      kBase, {}, {});
  const std::string page = list.Page();
  const std::string visible = page.substr(0, page.find("<Textarea"));
  EXPECT_THAT(page, Not(HasSubstr("<script")));
  EXPECT_THAT(page, Not(HasSubstr("<img")));
  EXPECT_THAT(visible, Not(HasSubstr("javascript:")));
  EXPECT_THAT(visible, HasSubstr("<a>run</a><br>"));
  EXPECT_EQ(page.find("</Textarea>"), page.find("</Textarea><br><br>"));  // only the two closing tags
  // The URL is escaped in its attribute; the text keeps the page's own
  // entities, and a broken character does not hide the tag after it.
  EXPECT_THAT(visible, HasSubstr("<a href=\"http://host/dir/a.html?x=1&amp;y=&lt;/Textarea\">"));
  EXPECT_THAT(visible, HasSubstr("&lt;b&gt; &amp; \xE3</a>"));
  // The second box gives back the exact list once the browser decodes it.
  EXPECT_THAT(page, HasSubstr("\r\njavascript:alert(2)\trun\r\n</Textarea>"));
}

TEST(LinkTag, FillsEveryPlaceholderOfTheTemplate) {
  EXPECT_EQ(MakeLinkTag(kDefaultLinkTemplate, "http://host/", LinkTextFor("", "  Top ")),
            "<a href=\"http://host/\" taget=\"_blank\">Top</a>");
  EXPECT_EQ(MakeLinkTag("{$TEXT}-{$URL}-{$TEXT}", "u", "t"), "t-u-t");
  EXPECT_EQ(MakeLinkTag("plain", "u", "t"), "plain");
  EXPECT_EQ(MakeLinkTag("{$url}{$URL}", "{$TEXT}", "t"), "{$url}{$TEXT}");
  EXPECT_EQ(LinkTextFor("\u3000 sel ", "title"), "sel");
  EXPECT_EQ(LinkTextFor("", ""), "");
}

TEST(IndexCheck, BuildsEngineUrls) {
  EXPECT_EQ(IndexCheckURL(IndexCheck::kGoogleIndex, "http://host/"),
            "http://www.google.co.jp/search?hl=ja&ie=UTF-8&q=site%3Ahost/");
  EXPECT_EQ(IndexCheckURL(IndexCheck::kGoogleBacklinks, "http://host/"),
            "http://www.google.co.jp/search?hl=ja&ie=UTF-8&q=link%3Ahttp://host/");
  EXPECT_EQ(IndexCheckURL(IndexCheck::kYahooIndex, "http://host/a/b/c.html"),
            "http://search.yahoo.co.jp/search?search.x=1&fr=top_ga1_sa&tid=top_ga1_sa&ei=UTF-8&aq=&oq=&p=site%3A"
            "host/a/b/c.html");
  EXPECT_EQ(IndexCheckURL(IndexCheck::kBingBacklinks, "https://host/x"),
            "http://www.bing.com/search?filt=all&q=link%3Ahttps://host/x");
  EXPECT_EQ(IndexCheckURL(IndexCheck::kBingIndex, "about:blank"), "http://www.bing.com/search?filt=all&q=site%3A");
  EXPECT_EQ(IndexCheckFromTag(5), IndexCheck::kBingBacklinks);
  EXPECT_EQ(IndexCheckFromTag(6), std::nullopt);
}

TEST(IndexCheck, SubjectReachesTheEngineIntact) {
  // "日本" in CP932 goes out as its UTF-8 bytes.
  EXPECT_EQ(EncodeQuerySubject("host/a b?x=1&y=+2%#f~\x93\xFA\x96\x7B"),
            "host/a%20b%3Fx%3D1%26y%3D%2B2%25%23f~%E6%97%A5%E6%9C%AC");
  EXPECT_EQ(SitePart("http://host/p?q#f"), "host/p?q#f");
}

}  // namespace
}  // namespace morvane
