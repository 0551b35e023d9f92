#include "catalogue/site_record.h"

#include <gtest/gtest.h>

#include "util/cp932.h"
#include "util/scrambler.h"

namespace morvane {
namespace {

using Lines = std::vector<std::string>;
using Cells = std::array<std::string, 8>;

SiteRecord Site(std::string name, std::string url, std::string category = "", std::string pass = "") {
  return {std::move(name),         std::move(url), std::move(category), "2024/01/02 03:04:05",
          "http://vexa.example/a", "id",           std::move(pass)};
}

TEST(SiteLine, ShortAndLongLines) {
  ParsedSiteLine p = ParseSiteLine("a\tb");
  EXPECT_EQ(p.record, (SiteRecord{"a", "b", "", "", "", "", ""}));
  EXPECT_EQ(p.leftover, "");
  EXPECT_EQ(FormatSiteLine(p.record), "a\tb\t\t\t\t\t");

  p = ParseSiteLine("1\t2\t3\t4\t5\t6\t\t8\t9");
  EXPECT_EQ(p.record, (SiteRecord{"1", "2", "3", "4", "5", "6", ""}));
  EXPECT_EQ(p.leftover, "8\t9");
  EXPECT_EQ(FormatSiteLine(p.record), "1\t2\t3\t4\t5\t6\t");

  EXPECT_EQ(ParseSiteLine("").record, SiteRecord{});
  // The quick field readers agree with the full parse, short lines included.
  for (std::string_view line : {"", "a", "a\tb", "a\tb\tc", "1\t2\t3\t4\t5\t6\t\t8\t9"}) {
    EXPECT_EQ(SiteURLOfLine(line), ParseSiteLine(line).record.SiteURL) << line;
    EXPECT_EQ(SiteCategoryOfLine(line), ParseSiteLine(line).record.Category) << line;
  }
}

TEST(SiteLine, PasswordIsScrambledInTheLineAndPlainInTheRecord) {
  const SiteRecord r = Site("n", "u", "c", "pw");
  const std::string line = FormatSiteLine(r);
  const std::string stored = line.substr(line.rfind('\t') + 1);
  EXPECT_EQ(stored, ScrambleText("pw", kSitePasswordKey));
  EXPECT_EQ(ParseSiteLine(line).record, r);
  EXPECT_EQ(FormatSiteLine(ParseSiteLine(line).record), line);

  // A password that begins with "_" is kept, and stored in the same scrambled form.
  for (const std::string& pass : std::vector<std::string>{"_", "_secret", "_" + stored}) {
    const std::string l = FormatSiteLine(Site("n", "u", "", pass));
    const std::string field = l.substr(l.rfind('\t') + 1);
    EXPECT_EQ(field.size(), 1 + 4 * pass.size());
    EXPECT_EQ(field.find_first_not_of(kSitePasswordKey, 1), std::string::npos);
    EXPECT_EQ(ParseSiteLine(l).record.LoginPass, pass);
  }
  // A plain seventh field written by hand is the password itself.
  EXPECT_EQ(ParseSiteLine("n\tu\t\t\t\t\tplain").record.LoginPass, "plain");
}

TEST(SiteLine, RowCellsNumberFromOneAndHideThePassword) {
  EXPECT_EQ(SiteRowCells(FormatSiteLine(Site("n", "u", "c")), 0),
            (Cells{"1", "n", "u", "c", "2024/01/02 03:04:05", "http://vexa.example/a", "id", "*Password*"}));
  EXPECT_EQ(SiteRowCells("a\tb\t\t\t\t\tsecret", 41), (Cells{"42", "a", "b", "", "", "", "", "*Password*"}));
}

TEST(CheckSiteInput, LaterEmptyFieldOverridesEarlier) {
  const SiteRecord ok = Site("n", "u");
  EXPECT_EQ(CheckSiteInput(ok), "");
  EXPECT_EQ(CheckSiteInput(SiteRecord{}), SystemText("アクセス解析URLが入力されていません"));
  SiteRecord r = ok;
  r.SiteName.clear();
  EXPECT_EQ(CheckSiteInput(r), SystemText("サイト名が入力されていません"));
  r.SiteURL.clear();
  EXPECT_EQ(CheckSiteInput(r), SystemText("サイトURLが入力されていません"));
  r = ok;
  r.Category.clear();
  r.RegistDate.clear();
  r.LoginID.clear();
  r.LoginPass.clear();
  EXPECT_EQ(CheckSiteInput(r), "");
}

TEST(CleanSiteField, PastedBreaksAndTabsCannotSplitTheLine) {
  EXPECT_EQ(CleanSiteField(" a\tb\r\nc\x81\x40"), "a bc");
  // The master login keeps its spaces but loses what would split its block.
  EXPECT_EQ(FlattenField(" a\tb\r\nc\x81\x40"), " a bc\x81\x40");
  // A zero byte would stop the data file from being written at all.
  EXPECT_EQ(CleanSiteField(std::string_view("n\0ul", 4)), "nul");
}

class SiteListTest : public ::testing::Test {
 protected:
  LineList sites;
  const std::string& all = AllSitesEntryName();
  const std::string& uncategorised = UncategorisedEntryName();
};

TEST_F(SiteListTest, StoreReplacesInPlaceOrAppends) {
  StoreSite(sites, Site("one", "http://a/"));
  StoreSite(sites, Site("two", "http://b/"));
  StoreSite(sites, Site("ONE", "http://a/"));
  ASSERT_EQ(sites.Count(), 2);
  EXPECT_EQ(SiteFromLine(sites.Get(0)).SiteName, "ONE");
  // An edited site whose URL changed is a new site; the old one stays.
  StoreSite(sites, Site("one", "http://a2/"));
  EXPECT_EQ(sites.Count(), 3);
  // URLs differ by case: two sites.
  StoreSite(sites, Site("upper", "http://B/"));
  EXPECT_EQ(sites.Count(), 4);
  EXPECT_EQ(FindSiteByURL(sites, "http://B/"), 3);
  EXPECT_EQ(FindSiteByURL(sites, "http://b/"), 1);
  EXPECT_EQ(FindSiteByURL(sites, "http://c/"), -1);
}

TEST_F(SiteListTest, DuplicateUrlsFromAFileActOnTheFirst) {
  sites.Add(FormatSiteLine(Site("first", "u", "A")));
  sites.Add(FormatSiteLine(Site("other", "v", "A")));
  sites.Add(FormatSiteLine(Site("second", "u", "A")));
  EXPECT_EQ(FindSiteByURL(sites, "u"), 0);

  MoveSiteToEntry(sites, SiteFromLine(sites.Get(0)), "B");
  EXPECT_EQ(SiteFromLine(sites.Get(0)).Category, "B");
  EXPECT_EQ(SiteFromLine(sites.Get(2)).Category, "A");

  DeleteSiteByURL(sites, "u");
  ASSERT_EQ(sites.Count(), 2);
  EXPECT_EQ(SiteFromLine(sites.Get(1)).SiteName, "second");
  DeleteSiteByURL(sites, "none");
  EXPECT_EQ(sites.Count(), 2);
}

TEST_F(SiteListTest, MoveSiteToSystemEntriesAndNeverAppends) {
  sites.Add(FormatSiteLine(Site("s", "u", "A")));
  const std::string before = sites.Get(0);
  SiteRecord r = SiteFromLine(before);
  r.SiteName = "edited";
  MoveSiteToEntry(sites, r, all);
  EXPECT_EQ(sites.Get(0), before);  // dropping on all sites changes nothing
  MoveSiteToEntry(sites, r, uncategorised);
  EXPECT_EQ(SiteFromLine(sites.Get(0)).Category, "");
  MoveSiteToEntry(sites, Site("x", "not stored"), "A");
  EXPECT_EQ(sites.Count(), 1);
}

TEST_F(SiteListTest, UncategoriseRewritesOnlyThatCategory) {
  sites.Add(FormatSiteLine(Site("1", "a", "News")));
  sites.Add("2\tb\tnews\t\t\t\tplain");  // another category, a hand-written password
  sites.Add(FormatSiteLine(Site("3", "c", "News", "pw")));
  const std::string untouched = sites.Get(1);
  UncategoriseSites(sites, "News");
  EXPECT_EQ(SiteFromLine(sites.Get(0)).Category, "");
  EXPECT_EQ(sites.Get(1), untouched);
  EXPECT_EQ(SiteFromLine(sites.Get(2)), Site("3", "c", "", "pw"));
}

TEST_F(SiteListTest, ShownListForEachKindOfEntry) {
  sites.Add(FormatSiteLine(Site("news", "a", "News")));
  sites.Add(FormatSiteLine(Site("none", "b", "")));
  sites.Add(FormatSiteLine(Site("lost", "c", "Gone")));
  sites.Add(FormatSiteLine(Site("named", "d", uncategorised)));
  sites.Add("short\te\tNews\t\t\t\tplain\textra");
  LineList shown;
  shown.Add("stale");

  auto names = [&](std::string_view entry) {
    BuildShownList(sites, shown, entry);
    Lines out;
    for (const std::string& line : shown.Lines()) out.push_back(SiteFromLine(line).SiteName);
    return out;
  };
  EXPECT_EQ(names(all), (Lines{"news", "none", "lost", "named", "short"}));
  EXPECT_EQ(names(uncategorised), (Lines{"none", "named"}));
  EXPECT_EQ(names("News"), (Lines{"news", "short"}));
  EXPECT_EQ(names("news"), Lines{});
  EXPECT_EQ(names("Unknown"), Lines{});
  // Shown lines are the formatted records: the leftover is dropped.
  names("News");
  EXPECT_EQ(shown.Get(1), FormatSiteLine(SiteFromLine("short\te\tNews\t\t\t\tplain")));
}

}  // namespace
}  // namespace morvane
