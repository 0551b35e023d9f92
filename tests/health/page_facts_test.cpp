#include "health/page_facts.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(PageFacts, TheCharsetComesFromTheHeaderThenTheMeta) {
  EXPECT_EQ(PageCharset("text/html; charset=\"Shift_JIS\"", "<meta charset=utf-8>"), "shift_jis");
  EXPECT_EQ(PageCharset("text/html", "<head><meta charset='EUC-JP'>"), "euc-jp");
  EXPECT_EQ(PageCharset("", "<meta http-equiv=Content-Type content=\"text/html; charset=windows-31j\">"),
            "windows-31j");
  // A meta in the body, or inside a comment, is not the page's.
  EXPECT_EQ(PageCharset("", "<!-- <meta charset=sjis> --><body><meta charset=sjis>"), "");
}

TEST(PageFacts, TitlesAreDecodedByTheirCharsetAndAlwaysValid) {
  EXPECT_EQ(PageTitle("<title>\x83\x65\x83\x58\x83\x67</title>", "Shift_JIS"), "テスト");
  EXPECT_EQ(PageTitle("<TITLE lang=ja>caf\xc3\xa9 &lt;b&gt; &#x41;&#66; &hellip;</TITLE>", ""), "café <b> AB …");
  // Not UTF-8 and no charset: taken as CP932; a bad byte becomes U+FFFD.
  EXPECT_EQ(PageTitle("<title>\x83\x65\xff</title>", ""), "テ\xEF\xBF\xBD");
  EXPECT_EQ(PageTitle("<title>a\xc3</title>", "utf-8"), "a\xEF\xBF\xBD");
  EXPECT_EQ(PageTitle("<title>&#0; &#x110000; &#xD800;x</title>", ""), "\xEF\xBF\xBD \xEF\xBF\xBD \xEF\xBF\xBDx");
  EXPECT_EQ(PageTitle("<title>abcdef", "", 3), "abc");
  EXPECT_EQ(PageTitle("<html><body>no title</body>", ""), "");
  EXPECT_EQ(PageTitle("<title>x", "no-such-charset"), "x");
}

TEST(PageFacts, TheTagIsAScriptImageOrLinkToATagHost) {
  const std::vector<std::string> hosts = TagHosts({"http://Stats.Vexa.test/site?id=1", "", "vexa.test"});
  ASSERT_EQ(hosts, (std::vector<std::string>{"stats.vexa.test", "vexa.test"}));
  const std::string page = "http://www.example.test/dir/";
  EXPECT_EQ(FindAnalysisTag("<script src='https://stats.vexa.test/t.js'>", page, hosts, false), AnalysisTag::Present);
  EXPECT_EQ(FindAnalysisTag("<IMG alt=\"a > b\" SRC=//cdn.vexa.test/p.gif>", page, hosts, false), AnalysisTag::Present);
  EXPECT_EQ(FindAnalysisTag("<link rel=preconnect href=\"http://vexa.test\">", page, hosts, false),
            AnalysisTag::Present);
  // Only those three, only their address attribute, and no look-alikes.
  EXPECT_EQ(FindAnalysisTag("<a href=\"http://vexa.test/\">x</a><script data-src=\"http://vexa.test/\">"
                            "<img src=\"http://vexa.test.evil.test/\"><img src=\"http://notvexa.test/\">"
                            "<script src=\"vexa.test/t.js\"></script>",
                            page, hosts, false),
            AnalysisTag::Absent);
  EXPECT_EQ(FindAnalysisTag("<!-- <script src=\"http://vexa.test/t.js\"> -->", page, hosts, false),
            AnalysisTag::Absent);
  EXPECT_EQ(FindAnalysisTag("<p>long page cut short", page, hosts, true), AnalysisTag::Unknown);
  EXPECT_EQ(FindAnalysisTag("<script src=\"http://vexa.test/t.js\">", page, {}, false), AnalysisTag::Unknown);
  EXPECT_EQ(FindAnalysisTag("<script src=\"http://vexa.test/t.js", page, hosts, false), AnalysisTag::Absent);
}

}  // namespace
}  // namespace morvane
