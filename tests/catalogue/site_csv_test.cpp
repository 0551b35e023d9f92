#include "catalogue/site_csv.h"

#include <gtest/gtest.h>

#include "catalogue/category_tree.h"
#include "catalogue/site_exchange.h"
#include "util/cp932.h"

namespace morvane {
namespace {

std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }

SiteRecord Site(std::string_view name, std::string_view url, std::string_view category = "") {
  return {J(name), J(url), J(category), "2026/12/08 04:37:29", "http://vexa/1", "id", "pw"};
}

TEST(SiteCsv, WritesMarkHeaderAndQuotesOnlyWhereNeeded) {
  LineList sites;
  sites.Add(FormatSiteLine(Site("旅, \"夏\"", "http://a/", "旅行")));
  EXPECT_EQ(SitesToCsv(sites, false),
            "\xEF\xBB\xBF" "サイト名,サイトURL,カテゴリ,登録日,Vexa解析URL,ログインID\r\n"
            "\"旅, \"\"夏\"\"\",http://a/,旅行,2026/12/08 04:37:29,http://vexa/1,id\r\n");
  EXPECT_NE(SitesToCsv(sites, true).find(",id,pw\r\n"), std::string::npos);
  EXPECT_EQ(SitesToCsv(sites, false).find("pw"), std::string::npos);
}

TEST(SiteCsv, CatalogueToCsvAndBackGivesTheSameSites) {
  LineList sites;
  sites.Add(FormatSiteLine(Site("旅の記録", "http://travel/", "旅行")));
  sites.Add(FormatSiteLine(Site("a,b\"c", "http://q/?x=1,2")));
  sites.Add(FormatSiteLine({J("表"), "http://hyou/", "", "", "", "", "p,a\"ss"}));  // 0x955C: a trail byte "\"
  const CsvSites back = ParseSitesCsv(SitesToCsv(sites, true));
  EXPECT_TRUE(back.problems.empty());
  ASSERT_EQ(back.sites.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(back.sites[i], sites.Get(static_cast<long long>(i)));
}

TEST(SiteCsv, ReadsWhatOtherToolsWrite) {
  // No mark, LF rows, no header, a quoted line break, no password column.
  const CsvSites lf = ParseSitesCsv("\"two\nlines\",http://a/,,,,\nb,http://b/,cat,d,e,f\n");
  ASSERT_EQ(lf.sites.size(), 2u);
  EXPECT_EQ(SiteFromLine(lf.sites[0]).SiteName, "twolines");  // cleaned as the site dialog cleans
  EXPECT_EQ(SiteFromLine(lf.sites[1]).LoginID, "f");
  EXPECT_TRUE(lf.problems.empty());
  // A spreadsheet on a Japanese system saves CP932 without a mark.
  const CsvSites cp932 = ParseSitesCsv(J("サイト名,サイトURL,カテゴリ,登録日,Vexa解析URL,ログインID\r\n表\t示,http://x/,,,,\r\n"));
  ASSERT_EQ(cp932.sites.size(), 1u);
  EXPECT_EQ(SiteFromLine(cp932.sites[0]).SiteName, J("表 示"));
  // A field ending in half a double-byte character loses that half: stored,
  // it would swallow the tab after it and merge two fields.
  const CsvSites half = ParseSitesCsv("name\x85,http://h/\x81,cat,,,\r\n");
  ASSERT_EQ(half.sites.size(), 1u);
  EXPECT_EQ(SiteFromLine(half.sites[0]).SiteName, "name");
  EXPECT_EQ(SiteFromLine(half.sites[0]).SiteURL, "http://h/");
}

TEST(SiteCsv, BadRowsAreReportedByLineAndTheRestIsRead) {
  const std::string text =
      "a,http://a/,,,,\r\n"            // 1 good
      "b,http://b/\r\n"                // 2 too few columns
      "\"c\"x,http://c/,,,,\r\n"       // 3 text after a closing quote
      "\"d\nd\",http://d/,,,,\r\n"     // 4-5 good, over two lines
      ",http://e/,,,,\r\n"             // 6 no name
      "f,http://f/,,,,,,\r\n"          // 7 too many columns
      "\"g,http://g/,,,,\r\n"          // 8 a quote never closed
      "h,http://h/,,,,";               // 9 good, no final break
  const CsvSites read = ParseSitesCsv(text);
  ASSERT_EQ(read.sites.size(), 3u);
  EXPECT_EQ(SiteFromLine(read.sites[0]).SiteName, "a");
  EXPECT_EQ(SiteFromLine(read.sites[1]).SiteName, "dd");
  EXPECT_EQ(SiteFromLine(read.sites[2]).SiteName, "h");
  std::vector<long long> lines;
  for (const CsvRowProblem& p : read.problems) lines.push_back(p.line);
  EXPECT_EQ(lines, (std::vector<long long>{2, 3, 6, 7, 8}));
  EXPECT_EQ(read.problems[0].message, J("列の数が正しくありません"));
}

TEST(MergeSites, AddsOrUpdatesByUrlAndAddsMissingCategories) {
  LineList sites;
  sites.Add(FormatSiteLine(Site("old", "http://a/")));
  CategoryTree tree;
  TreeEntry* selected = tree.FirstRoot();
  tree.Select(selected);
  const std::vector<SiteRecord> incoming = {Site("new", "http://a/", "旅行"), Site("b", "http://b/", "旅行"),
                                            Site("b again", "http://b/")};
  const SiteMergeCount kept = MergeSites(sites, tree, incoming, false);
  EXPECT_EQ(kept.added, 1);
  EXPECT_EQ(kept.skipped, 2);
  EXPECT_EQ(SiteFromLine(sites.Get(0)).SiteName, "old");
  ASSERT_NE(tree.FindByName(J("旅行")), nullptr);
  EXPECT_EQ(tree.Selected(), selected);

  const SiteMergeCount updated = MergeSites(sites, tree, incoming, true);
  EXPECT_EQ(updated.updated, 3);
  EXPECT_EQ(sites.Count(), 2);
  EXPECT_EQ(SiteFromLine(sites.Get(0)).SiteName, "new");
  EXPECT_EQ(SiteFromLine(sites.Get(1)).SiteName, "b again");

  // A URL twice among new sites: the later keeps the earlier's place.
  LineList fresh;
  MergeSites(fresh, tree, {Site("c", "http://c/"), Site("d", "http://d/"), Site("c again", "http://c/")}, true);
  ASSERT_EQ(fresh.Count(), 2);
  EXPECT_EQ(SiteFromLine(fresh.Get(0)).SiteName, "c again");
}

}  // namespace
}  // namespace morvane
