#include "util/cp932.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(Cp932, JapaneseRoundTripAndKnownBytes) {
  const std::string utf8 = "すべてのサイト 表示～①ｱ\\~";
  const std::string cp932 = Utf8ToCp932(utf8);
  EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
  EXPECT_EQ(Utf8ToCp932("あ表"), "\x82\xA0\x95\x5C");
  EXPECT_EQ(Cp932ToUtf8(""), "");
  EXPECT_EQ(Utf8ToCp932(""), "");
  const std::string withNul("a\0b\0", 4);  // zero bytes pass both ways
  EXPECT_EQ(Cp932ToUtf8(withNul), withNul);
  EXPECT_EQ(Utf8ToCp932(withNul), withNul);
}

TEST(Cp932, CharactersWithoutACp932FormBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp932("a😀b"), "a?b");
  EXPECT_EQ(Utf8ToCp932("ü€"), "??");
  // Broken UTF-8: a stray continuation byte, an overlong form, a cut-off end.
  EXPECT_EQ(Utf8ToCp932("a\x80"
                        "b"),
            "a?b");
  EXPECT_EQ(Utf8ToCp932("a\xC0\x80"
                        "b"),
            "a??b");
  const std::string cut = Utf8ToCp932("a\xE3\x81");
  EXPECT_EQ(cut.substr(0, 2), "a?");
  EXPECT_EQ(cut.find_first_not_of('?', 1), std::string::npos);
}

TEST(Cp932, AddressesKeepCharactersWithoutACp932FormAsEscapes) {
  // Japanese keeps its CP932 form; the rest names the same page escaped.
  EXPECT_EQ(Utf8URLToCp932("https://example.test/ü€🙂/한/日本?q=a b#x"),
            "https://example.test/%C3%BC%E2%82%AC%F0%9F%99%82/%ED%95%9C/" + Utf8ToCp932("日本") + "?q=a b#x");
  EXPECT_EQ(Cp932ToUtf8(Utf8URLToCp932("http://h/日本")), "http://h/日本");
  EXPECT_EQ(Utf8URLToCp932("a\x80"
                           "b\xE3\x81"),
            "a%80b%E3%81");  // broken bytes too
  EXPECT_EQ(Utf8URLToCp932(""), "");
}

TEST(Cp932, InvalidCp932BecomesQuestionMarksAndKeepsWhatFollows) {
  EXPECT_EQ(Cp932ToUtf8("\x85\x40"
                        "a"),
            "?a");  // unassigned pair: one mark
  EXPECT_EQ(Cp932ToUtf8("a\xA0"
                        "b\xFD"),
            "a?b?");
  EXPECT_EQ(Cp932ToUtf8("ab\x82"), "ab?");  // lone lead byte at the end
  // A lead byte before a byte that cannot follow it: the line break survives.
  EXPECT_EQ(Cp932ToUtf8("x\x82\r\ny"), "x?\r\ny");
}

TEST(Cp932, LongTextCrossesTheConversionBuffer) {
  std::string utf8;
  for (int i = 0; i < 20000; ++i) utf8 += "あa";
  utf8 += "\xFF";
  const std::string cp932 = Utf8ToCp932(utf8);
  EXPECT_EQ(cp932.size(), 60001u);
  EXPECT_EQ(cp932.back(), '?');
  EXPECT_EQ(Cp932ToUtf8(cp932), utf8.substr(0, utf8.size() - 1) + "?");
}

TEST(Cp932, TextOutsideCp932IsMarkedNotLost) {
  // Shown as a CP932 page: references for what CP932 lacks, and for broken bytes.
  EXPECT_EQ(Utf8HtmlToCp932("<b>日🙂é</b>\xE3"), "<b>\x93\xFA&#x1F642;&#xE9;</b>&#xFFFD;");
  // Kept UTF-8: a character that passes keeps its own bytes, even one that
  // CP932 and back would trade for a look-alike (the wave dash).
  EXPECT_EQ(MarkOutsideCp932("〜日🙂", OutsideCp932::kPercentEscapes), "〜日%F0%9F%99%82");
  EXPECT_EQ(MarkOutsideCp932("〜e\u0301\xFF", OutsideCp932::kCharacterReferences), "〜e&#x301;&#xFFFD;");
  EXPECT_EQ(MarkOutsideCp932("\xFF", OutsideCp932::kPercentEscapes), "%FF");
  EXPECT_EQ(MarkOutsideCp932("plain", OutsideCp932::kCharacterReferences), "plain");
}

TEST(SystemText, ConvertedOnceAndKept) {
  const std::string& a = SystemText("未分類");
  EXPECT_EQ(a, "\x96\xA2\x95\xAA\x97\xDE");
  EXPECT_EQ(&SystemText("未分類"), &a);
}

}  // namespace
}  // namespace morvane
