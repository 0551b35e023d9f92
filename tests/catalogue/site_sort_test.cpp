#include "catalogue/site_sort.h"

#include <gtest/gtest.h>

#include "catalogue/site_filter.h"
#include "catalogue/site_record.h"
#include "util/cp932.h"

namespace morvane {
namespace {

std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }

TEST(NaturalCompare, NumbersByValueLettersByFoldedForm) {
  EXPECT_LT(NaturalCompare("site9", "site10"), 0);
  EXPECT_LT(NaturalCompare("site009", "site10"), 0);
  EXPECT_LT(NaturalCompare("2026/9/1", "2026/10/1"), 0);
  EXPECT_LT(NaturalCompare(J("ａｂｃ"), "ABD"), 0);  // width and case do not decide
  EXPECT_EQ(NaturalCompare("abc", "abc"), 0);
  EXPECT_NE(NaturalCompare("abc", "ABC"), 0);      // but equal-looking texts still have an order
  EXPECT_LT(NaturalCompare(J("あ"), J("い")), 0);  // Japanese by code
  EXPECT_LT(NaturalCompare("ab", "abc"), 0);
  EXPECT_LT(NaturalCompare("99999999999999999999998", "99999999999999999999999"), 0);  // past any integer type
}

class SortSiteLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto [name, date] : {std::pair{"site10", "2026/12/08 04:37:29"},
                              {"Site9", "2026/02/01 00:00:00"},
                              {"site9", "2025/12/31 23:59:59"},
                              {"あいう", "2026/12/08 04:37:30"}})
      lines.Add(FormatSiteLine({J(name), std::string("http://") + name + "/", "", date, "", "", ""}));
  }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> out;
    for (long long i = 0; i < lines.Count(); ++i) out.push_back(Cp932ToUtf8(SiteRowCells(lines.Get(i), i)[column]));
    return out;
  }
  LineList lines;
};

TEST_F(SortSiteLinesTest, ByNameAndDateBothWaysTiesKeepTheirOrder) {
  SortSiteLines(lines, 1, false);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"Site9", "site9", "site10", "あいう"}));
  SortSiteLines(lines, 1, true);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"あいう", "site10", "site9", "Site9"}));
  SortSiteLines(lines, 4, false);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"site9", "Site9", "site10", "あいう"}));
  const LineList before = lines;
  SortSiteLines(lines, 0, false);  // "No" and the password column do not sort
  SortSiteLines(lines, 7, true);
  EXPECT_EQ(lines.Lines(), before.Lines());
}

TEST(BuildShownList, KeepsOnlyWhatTheFilterLetsThrough) {
  LineList sites, shown;
  sites.Add(FormatSiteLine({"alpha", "http://a/", J("旅行"), "", "", "", ""}));
  sites.Add(FormatSiteLine({"beta", "http://b/", "", "", "", "", ""}));
  sites.Add(FormatSiteLine({"Alphabet", "http://c/", "", "", "", "", ""}));
  BuildShownList(sites, shown, AllSitesEntryName(), SiteFilter(J("ＡＬＰＨ")));
  ASSERT_EQ(shown.Count(), 2);
  EXPECT_EQ(SiteURLOfLine(shown.Get(1)), "http://c/");
  BuildShownList(sites, shown, UncategorisedEntryName(), SiteFilter("alph"));
  ASSERT_EQ(shown.Count(), 1);
  EXPECT_EQ(SiteURLOfLine(shown.Get(0)), "http://c/");
}

}  // namespace
}  // namespace morvane
