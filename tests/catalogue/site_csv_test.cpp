#include "catalogue/site_csv.h"

#include <gtest/gtest.h>

#include "catalogue/category_tree.h"
#include "catalogue/site_exchange.h"
#include "util/cp932.h"

using namespace std::string_literals;

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
            "\xEF\xBB\xBF"
            "サイト名,サイトURL,カテゴリ,登録日,Vexa解析URL,ログインID\r\n"
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
  const CsvSites cp932 =
      ParseSitesCsv(J("サイト名,サイトURL,カテゴリ,登録日,Vexa解析URL,ログインID\r\n表\t示,http://x/,,,,\r\n"));
  ASSERT_EQ(cp932.sites.size(), 1u);
  EXPECT_EQ(SiteFromLine(cp932.sites[0]).SiteName, J("表 示"));
  // A field ending in half a double-byte character loses that half: stored,
  // it would swallow the tab after it and merge two fields.
  const CsvSites half = ParseSitesCsv("name\x85,http://h/\x81,cat,,,\r\n", CsvEncoding::Cp932);
  ASSERT_EQ(half.sites.size(), 1u);
  EXPECT_EQ(SiteFromLine(half.sites[0]).SiteName, "name");
  EXPECT_EQ(SiteFromLine(half.sites[0]).SiteURL, "http://h/");
}

TEST(SiteCsv, BadRowsAreReportedByLineAndTheRestIsRead) {
  const std::string text =
      "a,http://a/,,,,\r\n"         // 1 good
      "b,http://b/\r\n"             // 2 too few columns
      "\"c\"x,http://c/,,,,\r\n"    // 3 text after a closing quote
      "\"d\nd\",http://d/,,,,\r\n"  // 4-5 good, over two lines
      ",http://e/,,,,\r\n"          // 6 no name
      "f,http://f/,,,,,,\r\n"       // 7 too many columns
      "\"g,http://g/,,,,\r\n"       // 8 a quote never closed
      "h,http://h/,,,,";            // 9 good, no final break
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
  EXPECT_EQ(kept.skipped, 1);
  EXPECT_EQ(kept.repeated, 1);
  EXPECT_EQ(SiteFromLine(sites.Get(0)).SiteName, "old");
  ASSERT_NE(tree.FindByName(J("旅行")), nullptr);
  EXPECT_EQ(tree.Selected(), selected);

  const SiteMergeCount updated = MergeSites(sites, tree, incoming, true);
  EXPECT_EQ(updated.updated, 2);  // b and b again are one site
  EXPECT_EQ(updated.repeated, 1);
  EXPECT_EQ(sites.Count(), 2);
  EXPECT_EQ(SiteFromLine(sites.Get(0)).SiteName, "new");
  EXPECT_EQ(SiteFromLine(sites.Get(1)).SiteName, "b again");

  // A URL twice among new sites: the later keeps the earlier's place.
  LineList fresh;
  MergeSites(fresh, tree, {Site("c", "http://c/"), Site("d", "http://d/"), Site("c again", "http://c/")}, true);
  ASSERT_EQ(fresh.Count(), 2);
  EXPECT_EQ(SiteFromLine(fresh.Get(0)).SiteName, "c again");
}

// A file without some column leaves that field of an updated site alone:
// the export's default has no password column.
TEST(SiteCsv, ImportIntoACatalogueThatHoldsTheSitesChangesNothing) {
  LineList sites;
  sites.Add(FormatSiteLine(Site("旅の記録", "http://travel/", "旅行")));
  sites.Add(FormatSiteLine({"=HYPERLINK(\"http://evil/\")", "http://f/", "", "", "", "-1", "pw2"}));
  sites.Add(FormatSiteLine({"'+already", "http://g/", "@home", "", "", "", "pw3"}));
  const std::vector<std::string> before = sites.Lines();
  const std::string csv = SitesToCsv(sites, false);
  EXPECT_NE(csv.find("\"'=HYPERLINK(\"\"http://evil/\"\")\""), std::string::npos);  // not a live formula
  EXPECT_NE(csv.find(",\"'-1\"\r\n"), std::string::npos);
  EXPECT_NE(csv.find("\"''+already\""), std::string::npos);

  CategoryTree tree;
  CsvSites read = ParseSitesCsv(csv);
  EXPECT_EQ(CountMerge(sites, read.sites, true).updated, 3);
  const SiteMergeCount count = MergeSites(sites, tree, std::move(read.sites), true, std::move(read.given));
  EXPECT_EQ(count.updated, 3);
  EXPECT_EQ(count.added, 0);
  EXPECT_EQ(sites.Lines(), before);  // passwords too

  // Columns in another order, some left out: only those named change; a
  // new site has the rest empty.
  CsvSites some =
      ParseSitesCsv("ログインID,サイトURL,メモ,サイト名\r\nnewid,http://travel/,x,改名\r\nid9,http://new/,y,新\r\n");
  EXPECT_EQ(some.problemCount, 0);
  MergeSites(sites, tree, std::move(some.sites), true, std::move(some.given));
  const SiteRecord travel = SiteFromLine(sites.Get(0));
  EXPECT_EQ(travel, (SiteRecord{J("改名"), "http://travel/", J("旅行"), "2026/12/08 04:37:29", "http://vexa/1", "newid",
                                "pw"}));
  EXPECT_EQ(SiteFromLine(sites.Get(3)), (SiteRecord{J("新"), "http://new/", "", "", "", "id9", ""}));
}

TEST(SiteCsv, AStrayQuoteTakesOnlyItsOwnLine) {
  const std::string text =
      "\"g,http://g/,,,,\r\n"                  // 1 a quote never closed, a quote later in the file
      "h,http://h/,,,,\r\n"                    // 2 good
      "\"i\",http://i/,,,,\r\n"                // 3 good
      "a,\"x\r\n"                              // 4 runs on, closes on 6 into a row of three columns
      "b,http://b/,,,,\r\n"                    // 5 good
      "c\",http://c/\r\n"                      // 6 too few columns
      "\"d \"\"q\"\"\nd\",http://d/,,,,\r\n";  // 7-8 good: really continued
  const CsvSites read = ParseSitesCsv(text);
  std::vector<std::string> names;
  for (const std::string& line : read.sites) names.push_back(SiteFromLine(line).SiteName);
  EXPECT_EQ(names, (std::vector<std::string>{"h", "i", "b", "d \"q\"d"}));
  std::vector<long long> lines;
  for (const CsvRowProblem& p : read.problems) lines.push_back(p.line);
  EXPECT_EQ(lines, (std::vector<long long>{1, 4, 6}));
  EXPECT_EQ(read.problems[0].message, J("引用符の閉じ方が正しくありません"));
}

// Bytes a site line cannot hold never get into one; the reader says how
// many rows lost some. Addresses keep characters outside CP932 as escapes.
TEST(SiteCsv, FieldsAreMadeFitForASiteLine) {
  const std::string text =
      "n\0ul,http://a/\0x,,,,\r\n"
      "\"two\r\nlines\",http://b/,,,,\r\n"
      "한국 ü,http://ko.example/한국/,,,http://vexa/🙂,\r\n"
      "plain,http://c/,,,,\r\n"s;
  const CsvSites read = ParseSitesCsv(text);
  ASSERT_EQ(read.sites.size(), 4u);
  EXPECT_EQ(read.cleanedRows, 2);
  for (const std::string& line : read.sites) EXPECT_EQ(line.find('\0'), std::string::npos);
  EXPECT_EQ(SiteFromLine(read.sites[0]).SiteName, "nul");
  EXPECT_EQ(SiteFromLine(read.sites[0]).SiteURL, "http://a/x");
  const SiteRecord ko = SiteFromLine(read.sites[2]);
  EXPECT_EQ(ko.SiteURL, "http://ko.example/%ED%95%9C%EA%B5%AD/");
  EXPECT_EQ(ko.AccessURL, "http://vexa/%F0%9F%99%82");
  EXPECT_EQ(ko.SiteName, "?? ?");  // a name has no escapes: CP932 has no such letters
}

TEST(SiteCsv, TheEncodingIsJudgedOnTheWholeFile) {
  const std::string utf8 = "旅の記録,http://a/,,,,\r\n料理,http://b/,,,,\r\n";
  EXPECT_EQ(DecideCsvEncoding(utf8), CsvEncoding::Utf8);
  EXPECT_EQ(DecideCsvEncoding(J(utf8)), CsvEncoding::Cp932);
  EXPECT_EQ(DecideCsvEncoding("a\0b,http://a/,,,,\r\n"s), CsvEncoding::Utf8);  // a zero byte is still UTF-8

  // One stray byte in a UTF-8 file: neither reading is clean, so the caller asks.
  const std::string stray = "旅の記録\x81,http://a/,,,,\r\n料理,http://b/,,,,\r\n";
  EXPECT_EQ(DecideCsvEncoding(stray), std::nullopt);
  EXPECT_EQ(CsvSampleNames(stray, CsvEncoding::Utf8, 5), (std::vector<std::string>{"旅の記録\uFFFD", "料理"}));
  EXPECT_EQ(CsvSampleNames(stray, CsvEncoding::Cp932, 1).size(), 1u);
  EXPECT_NE(CsvSampleNames(stray, CsvEncoding::Cp932, 1)[0], "旅の記録");
  const CsvSites asUtf8 = ParseSitesCsv(stray, CsvEncoding::Utf8);
  ASSERT_EQ(asUtf8.sites.size(), 2u);
  EXPECT_EQ(SiteFromLine(asUtf8.sites[1]).SiteName, J("料理"));
}

TEST(SiteCsv, ManyBadRowsKeepAHundredMessagesAndACount) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "bad\r\n";
  text += "good,http://g/,,,,\r\n";
  const CsvSites read = ParseSitesCsv(text);
  EXPECT_EQ(read.problems.size(), kCsvProblemsKept);
  EXPECT_EQ(read.problemCount, 5000);
  EXPECT_EQ(read.problems.back().line, 100);
  EXPECT_EQ(read.sites.size(), 1u);

  CsvReadProgress stopped;
  stopped.stop = true;
  EXPECT_TRUE(ParseSitesCsv(text, CsvEncoding::Utf8, &stopped).stopped);
}

// A URL twice in one file is one site: counted once, the later row's fields kept.
TEST(MergeSites, AUrlTwiceInOneFileIsCountedAsWhatHappened) {
  const std::string csv = "a,http://a/,,,,\r\nb,http://b/,,,,\r\na2,http://a/,,,,\r\n";
  LineList sites;
  CategoryTree tree;
  CsvSites read = ParseSitesCsv(csv);
  const SiteMergeCount planned = CountMerge(sites, read.sites, true);
  const SiteMergeCount fresh = MergeSites(sites, tree, std::move(read.sites), true, std::move(read.given));
  EXPECT_EQ(planned.added, fresh.added);
  EXPECT_EQ(planned.repeated, fresh.repeated);
  EXPECT_EQ(fresh.added, 2);
  EXPECT_EQ(fresh.updated, 0);
  EXPECT_EQ(fresh.repeated, 1);
  EXPECT_EQ(SiteFromLine(sites.Get(0)).SiteName, "a2");

  read = ParseSitesCsv(csv);
  const SiteMergeCount again = MergeSites(sites, tree, std::move(read.sites), true, std::move(read.given));
  EXPECT_EQ(again.added, 0);
  EXPECT_EQ(again.updated, 2);
  EXPECT_EQ(again.repeated, 1);
  EXPECT_EQ(sites.Count(), 2);
}

}  // namespace
}  // namespace morvane
