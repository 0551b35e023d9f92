#include "catalogue/bookmark_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "util/cp932.h"

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
  page += "<DT><A HREF=http://unclosed/>no end";
  const BookmarkFile file = ParseBookmarkFile(page);
  ASSERT_EQ(file.bookmarks.size(), 3u);
  EXPECT_EQ(Cp932ToUtf8(file.bookmarks[0].title), "x yz???&bogus;");
  EXPECT_EQ(file.bookmarks[1].title.size(), 1u << 20);
  EXPECT_LE(file.folders.size(), 40u);
  EXPECT_EQ(file.bookmarks[2].url, "http://unclosed/");
  EXPECT_EQ(file.bookmarks[2].title, "no end");
  // Not a bookmark file at all: nothing, and no crash.
  EXPECT_TRUE(ParseBookmarkFile("\x81<<>>\"'=&#;").bookmarks.empty());
}

}  // namespace
}  // namespace morvane
