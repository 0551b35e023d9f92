#include "catalogue/bookmark_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "util/cp932.h"

using namespace std::string_literals;

namespace morvane {
namespace {

std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }

std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(MORVANE_FIXTURES) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Names(const std::vector<SiteRecord>& sites) {
  std::vector<std::string> names;
  for (const SiteRecord& s : sites) names.push_back(Cp932ToUtf8(s.SiteName));
  return names;
}

TEST(BookmarkFile, ReadsABrowsersExportWithNestedFolders) {
  const BookmarkFile file = ParseBookmarkFile(Fixture("bookmarks.html"));
  ASSERT_EQ(file.folders.size(), 4u);
  EXPECT_EQ(file.folders[1].name, "Bookmarks Toolbar");
  EXPECT_EQ(file.folders[2].name, J("仕事"));
  EXPECT_EQ(file.folders[2].depth, 2);
  EXPECT_EQ(file.folders[3].name, "Other");
  EXPECT_EQ(file.notWeb, 2);  // the script and the local file

  // A folder takes the folders under it; the whole file takes everything.
  EXPECT_EQ(Names(file.SitesIn(2, "", "")), (std::vector<std::string>{"社内 ポータル", "ニュース (again)"}));
  EXPECT_EQ(Names(file.SitesIn(1, "", "")),
            (std::vector<std::string>{"Shop <Sale> ★ 日本", "社内 ポータル", "ニュース (again)"}));
  const std::vector<SiteRecord> all = file.SitesIn(0, J("旅行"), "2026/12/09 00:00:00");
  EXPECT_EQ(Names(all), (std::vector<std::string>{"ニュース & 天気", "Shop <Sale> ★ 日本", "社内 ポータル",
                                                  "ニュース (again)", "https://other.example.org/"}));
  EXPECT_EQ(all[1].SiteURL, "http://shop.example.com/?a=1&b=2");
  EXPECT_EQ(all[1].Category, J("旅行"));
  EXPECT_EQ(all[1].RegistDate, "2026/12/09 00:00:00");
  EXPECT_EQ(all[1].AccessURL, "");
  EXPECT_TRUE(file.SitesIn(9, "", "").empty());
}

TEST(BookmarkFile, HostileTitlesAndNestingAreTamed) {
  std::string page = "<DL><DT><A HREF=\"http://a/\">x\t<b>y</b>\r\nz&#0;&#xD800;&#99999999;&bogus;</A>";
  for (int i = 0; i < 5000; ++i) page += "<DT><H3>f</H3><DL>";  // far deeper than any real file
  page += "<DT><A HREF='http://deep/'>" + std::string(1 << 20, 'T') + "</A>";
  page += "<DT><A HREF='http://long/" + std::string(kBookmarkURLBytes, 'u') + "'>too long</A>";
  page += "<DT><A HREF=http://unclosed/>no end";
  const BookmarkFile file = ParseBookmarkFile(page);
  ASSERT_EQ(file.bookmarks.size(), 3u);
  EXPECT_EQ(Cp932ToUtf8(file.bookmarks[0].title), "x yz???&bogus;");
  EXPECT_EQ(file.bookmarks[1].title, std::string(kBookmarkTitleBytes, 'T'));  // a megabyte, cut
  EXPECT_EQ(file.tooLong, 1);
  EXPECT_LE(file.folders.size(), 40u);
  EXPECT_EQ(file.bookmarks[2].url, "http://unclosed/");
  EXPECT_EQ(file.bookmarks[2].title, "no end");
  // Not a bookmark file at all: nothing, and no crash.
  EXPECT_TRUE(ParseBookmarkFile("\x81<<>>\"'=&#;").bookmarks.empty());
}

// What a site line cannot hold is dropped and counted; addresses keep
// characters outside CP932 as escapes; a title is cut at a character.
TEST(BookmarkFile, TitlesAndAddressesAreMadeFitForASiteLine) {
  const std::string page =
      "<DL><DT><A HREF=\"http://ko.example/한국/\">n\0ul</A>"
      "<DT><A HREF=\"http://x/\">"s +
      std::string(kBookmarkTitleBytes - 1, 'a') + "日本</A>";
  const BookmarkFile file = ParseBookmarkFile(page);
  ASSERT_EQ(file.bookmarks.size(), 2u);
  EXPECT_EQ(file.bookmarks[0].url, "http://ko.example/%ED%95%9C%EA%B5%AD/");
  EXPECT_EQ(file.bookmarks[0].title, "nul");
  EXPECT_EQ(file.cleaned, 1);
  EXPECT_EQ(file.bookmarks[1].title, std::string(kBookmarkTitleBytes - 1, 'a'));  // not half of 日
  // A zero byte does not make a UTF-8 file CP932.
  EXPECT_EQ(ParseBookmarkFile("<A HREF=\"http://j/\">\0日本</A>"s).bookmarks.at(0).title, J("日本"));
}

}  // namespace
}  // namespace morvane
