#include "catalogue/site_filter.h"

#include <gtest/gtest.h>

#include "catalogue/site_record.h"
#include "util/cp932.h"

namespace morvane {
namespace {

std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }

std::string Line(std::string_view name, std::string_view url, std::string_view category = "",
                 std::string_view access = "http://vexa/1") {
  return FormatSiteLine({J(name), J(url), J(category), "2026/12/08 04:37:29", J(access), "loginname", "secretpw"});
}

bool Finds(std::string_view typed, const std::string& line) { return SiteFilter(J(typed)).Matches(line); }

TEST(SiteFilter, LooksIntoNameUrlCategoryAndAnalysisUrlOnly) {
  const std::string line = Line("旅の記録", "http://travel.example/", "旅行", "http://vexa/analysis/77");
  EXPECT_TRUE(Finds("記録", line));
  EXPECT_TRUE(Finds("travel.ex", line));
  EXPECT_TRUE(Finds("旅行", line));
  EXPECT_TRUE(Finds("analysis/77", line));
  EXPECT_FALSE(Finds("2026", line));       // the date
  EXPECT_FALSE(Finds("loginname", line));  // the login ID
  EXPECT_FALSE(Finds("secret", line));     // nor the password
  // A match never runs from one field into the next.
  EXPECT_FALSE(Finds("記録http", line));
  EXPECT_TRUE(Finds("", line));
  EXPECT_TRUE(Finds("　 ", line));  // only spaces: no filter
}

TEST(SiteFilter, LetterCaseAndWidthDoNotMatterButHiraganaIsNotKatakana) {
  const std::string line = Line("Ｍｏｒｖａｎｅ Shop ２４", "HTTP://Example.COM/", "", "");
  EXPECT_TRUE(Finds("morvane", line));
  EXPECT_TRUE(Finds("MORVANE", line));
  EXPECT_TRUE(Finds("ｓｈｏｐ", line));  // full-width typed, half-width stored
  EXPECT_TRUE(Finds("e shop 24", line));
  EXPECT_TRUE(Finds("ｅｘａｍｐｌｅ．ｃｏｍ／", line));
  EXPECT_FALSE(Finds("shop25", line));
  const std::string kana = Line("カタカナ", "http://k/");
  EXPECT_TRUE(Finds("カタ", kana));
  EXPECT_FALSE(Finds("かた", kana));  // hiragana is another text
  // Half-width kana and the full-width forms find each other, sounded marks
  // included ("ﾃﾞ" is two characters, "デ" one).
  EXPECT_TRUE(Finds("ｶﾀ", kana));
  const std::string news = Line("デイリーニュース", "http://n/", "ﾆｭｰｽ");
  EXPECT_TRUE(Finds("ﾆｭｰｽ", news));
  EXPECT_TRUE(Finds("ﾃﾞｲﾘｰ", news));
  EXPECT_TRUE(Finds("ニュース", news));  // the category, typed full-width
  EXPECT_FALSE(Finds("ﾃｲﾘｰ", news));     // without the mark it is another word
  // Letter case beyond ASCII, and the signs of the compatibility forms.
  EXPECT_TRUE(Finds("δ", Line("ΑΒΓΔ", "http://g/")));
  EXPECT_TRUE(Finds("(株)", Line("㈱見本", "http://m/")));
  EXPECT_TRUE(SiteFilter::FromUtf8("  Ｓｈｏｐ　").Matches(line));
  // What the box gives that CP932 lacks still finds nothing else.
  EXPECT_FALSE(SiteFilter::FromUtf8("🙂").Matches(Line("?", "http://q/")));
}

TEST(SiteFilter, TrailBytesNeverMatchAsLetters) {
  // "ア" is 0x83 0x41: its second byte is "A", which must not match "a".
  const std::string line = Line("アイ", "http://x/", "", "http://x/");
  EXPECT_FALSE(Finds("a", line));
  EXPECT_FALSE(Finds("A", line));
  // Nor does a text whose bytes run from the middle of one character into the next.
  EXPECT_FALSE(Finds("[ア", Line("ーア", "http://x/")));  // "ー" is 0x81 0x5B, "[" is 0x5B
  EXPECT_FALSE(SiteFilter(J("ーア")).Narrows(SiteFilter(J("[ア"))));
  // A name ending in a lone lead byte takes the tab after it, as the line is read.
  // Fields: name "\x83\tA", URL "B", category "C", date "D", analysis URL "E".
  const std::string broken = "\x83\tA\tB\tC\tD\tE\tF";
  EXPECT_FALSE(SiteFilter("D").Matches(broken));
  EXPECT_TRUE(SiteFilter("E").Matches(broken));
}

TEST(SiteFilter, AKeptRowFollowsItsLine) {
  const SiteFilter filter = SiteFilter::FromUtf8("ﾆｭｰｽ");
  const std::string news = Line("ニュース", "http://n/"), other = Line("天気", "http://w/");
  EXPECT_TRUE(filter.Matches(news, 7));
  EXPECT_FALSE(filter.Matches(other, 7));  // the row now holds another site
  EXPECT_TRUE(filter.Matches(news, 7));
  EXPECT_FALSE(SiteFilter::FromUtf8("天").Matches(news, 7));
}

TEST(SiteFilter, NarrowsWhenTheTextGrows) {
  EXPECT_TRUE(SiteFilter(J("abc")).Narrows(SiteFilter(J("ＡＢ"))));
  EXPECT_TRUE(SiteFilter(J("abc")).Narrows(SiteFilter("")));
  EXPECT_FALSE(SiteFilter(J("ab")).Narrows(SiteFilter(J("abc"))));
}

}  // namespace
}  // namespace morvane
