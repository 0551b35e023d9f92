#include "catalogue/site_defaults.h"

#include <gtest/gtest.h>

#include "util/cp932.h"

namespace morvane {
namespace {

std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }

TEST(DefaultSiteNameTest, TakesTheBracketedNameAfterBothMarkers) {
  EXPECT_EQ(DefaultSiteName(J("[menu]利用パーツ一覧(TOP)x[no]アクセス解析 <b>[日本の旅]</b> [later]")), J("日本の旅"));
  // Without the markers the first bracketed text of the page is taken.
  EXPECT_EQ(DefaultSiteName("<title>[Plain]</title>"), "Plain");
  EXPECT_EQ(DefaultSiteName(""), "");
}

TEST(DefaultSiteNameTest, GivesNothingForMisplacedOrMissingBrackets) {
  EXPECT_EQ(DefaultSiteName(J("利用パーツ一覧(TOP)アクセス解析 ] then [name]")), "");
  EXPECT_EQ(DefaultSiteName(J("利用パーツ一覧(TOP)アクセス解析 no brackets")), "");
  // An open bracket with no close: the rest of the page.
  EXPECT_EQ(DefaultSiteName(J("アクセス解析 [rest")), "rest");
  // The second byte of "ー" is the byte of "["; it is no bracket.
  EXPECT_EQ(DefaultSiteName(J("xー[name]")), "name");
}

TEST(RegistDateTextTest, PadsEveryField) {
  std::tm t{};
  t.tm_year = 2009 - 1900, t.tm_mon = 0, t.tm_mday = 2, t.tm_hour = 3, t.tm_min = 4, t.tm_sec = 5;
  EXPECT_EQ(RegistDateText(t), "2009/01/02 03:04:05");
  EXPECT_EQ(RegistDateNow().size(), 19u);
}

}  // namespace
}  // namespace morvane
