#include "util/text_routines.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace morvane {
namespace {

// "あ" in CP932, and a character whose second byte is a backslash ("表").
const std::string kA = "\x82\xA0";
const std::string kHyo = "\x95\x5C";

TEST(CutToken, FieldsComeOutOneByOneAndASeparatorInsideACharacterIsSkipped) {
  std::string s = "a\t\tb";
  EXPECT_EQ(CutToken(s, "\t"), "a");
  EXPECT_EQ(CutToken(s, "\t"), "");
  EXPECT_EQ(CutToken(s, "\t"), "b");
  EXPECT_EQ(s, "");
  EXPECT_EQ(CutToken(s, "\t"), "");
  // Without a separator the whole source is the token.
  s = "abc";
  EXPECT_EQ(CutToken(s, "\t"), "abc");
  EXPECT_EQ(s, "");
  s = "abc";
  EXPECT_EQ(CutToken(s, ""), "abc");
  EXPECT_EQ(s, "");
  s = "x\ty/z";
  EXPECT_EQ(CutToken(s, "/\t"), "x");  // any byte of the set ends the token
  EXPECT_EQ(CutToken(s, "/\t"), "y");
  EXPECT_EQ(s, "z");
  // The backslash that is the second byte of a character is no separator.
  s = kHyo + "a\\b\\";
  EXPECT_EQ(CutToken(s, "\\"), kHyo + "a");
  EXPECT_EQ(CutToken(s, "\\"), "b");
  EXPECT_EQ(s, "");
}

TEST(CutToken, ViewAndStringOverloadsAgreeOnAnyBytes) {
  std::mt19937 rng(7);
  const std::string alphabet = std::string("\t\\ab\x81\x95\x5C\xE0\xFC\x40", 10) + std::string(1, '\0');
  for (int round = 0; round < 2000; ++round) {
    std::string s;
    const int len = static_cast<int>(rng() % 12);
    for (int i = 0; i < len; ++i) s.push_back(alphabet[rng() % alphabet.size()]);
    std::string byString = s;
    std::string_view byView = s;
    while (!byString.empty() || !byView.empty()) {
      const std::string a = CutToken(byString, "\t\\");
      const std::string_view b = CutToken(byView, "\t\\");
      ASSERT_EQ(a, b) << "input " << ::testing::PrintToString(s);
      ASSERT_EQ(byString, byView);
    }
  }
}

TEST(IsTrailByte, OutsideTheStringIsIllegalIndex) {
  for (long long i : {0LL, -1LL, 4LL}) {
    try {
      IsTrailByte("abc", i);
      ADD_FAILURE() << "no error for " << i;
    } catch (const std::exception& e) {
      EXPECT_STREQ(e.what(), "Illegal Index");
    }
  }
  EXPECT_THROW(IsTrailByte("", 1), std::out_of_range);
}

TEST(IsTrailByte, FollowsThePairingOfLeadByteRuns) {
  // 81 81 | 81 40: bytes 2 and 4 close characters, byte 3 opens one.
  const std::string run = "\x81\x81\x81\x40";
  EXPECT_FALSE(IsTrailByte(run, 1));
  EXPECT_TRUE(IsTrailByte(run, 2));
  EXPECT_FALSE(IsTrailByte(run, 3));
  EXPECT_TRUE(IsTrailByte(run, 4));
  EXPECT_TRUE(IsTrailByte(kHyo + "a", 2));
  EXPECT_FALSE(IsTrailByte(kHyo + "a", 3));
}

TEST(IsTrailByte, AgreesWithAForwardWalkOverRandomBytes) {
  std::mt19937 rng(11);
  for (int round = 0; round < 500; ++round) {
    std::string s;
    for (int i = 0; i < 20; ++i) s.push_back(static_cast<char>(rng() % 3 == 0 ? 0x41 : 0x81 + rng() % 0x7C));
    std::vector<bool> trail(s.size(), false);
    for (std::size_t p = 0; p < s.size(); p += CharWidthAt(s, p))
      if (CharWidthAt(s, p) == 2) trail[p + 1] = true;
    for (std::size_t p = 0; p < s.size(); ++p)
      ASSERT_EQ(IsTrailByte(s, static_cast<long long>(p + 1)), trail[p]) << "byte " << p + 1;
  }
}

TEST(CharRoutines, CountInCharactersNotBytes) {
  EXPECT_EQ(CharLength(""), 0);
  EXPECT_EQ(CharLength(kA + "abc"), 4);
  EXPECT_EQ(CharLength("a\x81"), 2);  // a lone lead byte at the end is a character

  EXPECT_EQ(CharPos("b", kA + "abc"), 3);
  EXPECT_EQ(CharPos("bc", kA + "abc"), 3);
  EXPECT_EQ(CharPos("\\", kHyo), 0);
  EXPECT_EQ(CharPos("\\", kHyo + "\\"), 2);
  EXPECT_EQ(CharPos("\x81", "ab\x81"), 3);
  EXPECT_EQ(CharPos("x", ""), 0);
  EXPECT_EQ(CharPos("", "abc"), 0);
  EXPECT_EQ(CharPos("abcd", "abc"), 0);
  EXPECT_EQ(CharPos("c", "abc"), 3);
  // A match must begin on a character boundary even when the bytes line up.
  EXPECT_EQ(CharPos("\x5C" + kA, kHyo + kA), 0);

  const std::string s = kA + "bc";
  EXPECT_EQ(CharCopy(s, 1, 1), kA);
  EXPECT_EQ(CharCopy(s, 2, 5), "bc");
  EXPECT_EQ(CharCopy(s, 4, 1), "");
  EXPECT_EQ(CharCopy("a\x81", 2, 1), "\x81");
}

TEST(CharRoutines, CharDeleteShortensInPlace) {
  struct Case {
    std::string s;
    long long index, count;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{{kA + "bc", 1, 1, "bc"},
                                         {kA + "bc" + kA, 2, 2, kA + kA},
                                         {kA + "bc", 2, 10, kA},
                                         {"abc", 4, 1, "abc"},
                                         {"abc", 1, 0, "abc"}}) {
    std::string s = c.s;
    CharDelete(s, c.index, c.count);
    EXPECT_EQ(s, c.expected) << c.index << "," << c.count;
  }
}

TEST(TrimSpaces, HalfAndFullWidthSpacesAtBothEnds) {
  const std::string full = "\x81\x40";
  const std::pair<std::string, std::string> cases[] = {
      {full + " a b " + full + " ", "a b"},
      {" " + full + full, ""},
      {"", ""},
      {"\ta\t", "\ta\t"},
      {"a" + full + "b", "a" + full + "b"},
      // A trailing 0x40 is only a space when it closes the full-width space:
      {"a\x83\x40", "a\x83\x40"},          // "ァ" is 83 40
      {"x\x81\x81\x40", "x\x81\x81\x40"},  // 81 81 | 40: the 0x40 stands alone
      {"\x81\x81\x81\x40", "\x81\x81"},    // 81 81 | 81 40: a real one
      {" a\x81", "a\x81"},
      {" \x81", "\x81"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(TrimSpaces(in), out) << ::testing::PrintToString(in);
}

TEST(TrimLineBreaks, OnlyWholePairsAtTheEnds) {
  EXPECT_EQ(TrimLineBreaks("\r\n\r\nword\r\n"), "word");
  EXPECT_EQ(TrimLineBreaks("word\n"), "word\n");
  EXPECT_EQ(TrimLineBreaks("\n\r\nword"), "\n\r\nword");
  EXPECT_EQ(TrimLineBreaks("a\r\nb"), "a\r\nb");
  EXPECT_EQ(TrimLineBreaks("\r\n\r\n"), "");
  EXPECT_EQ(TrimLineBreaks("\r\r\n"), "\r");
  EXPECT_EQ(TrimLineBreaks(""), "");
  // The CR after a lead byte belongs to that character, so no pair ends here.
  EXPECT_EQ(TrimLineBreaks("x\x81\r\n"), "x\x81\r\n");
}

TEST(CutBefore, TakesTheTextBeforeTheDelimiter) {
  std::string s = "\t#_QZDivKeyValues_#\trest";
  EXPECT_EQ(CutBefore(s, "\t#_QZDivKeyValues_#\t"), "");
  EXPECT_EQ(s, "rest");
  s = "abc";
  EXPECT_EQ(CutBefore(s, "x"), "");
  EXPECT_EQ(s, "abc");
  s = kHyo + "a\\b\\c";
  EXPECT_EQ(CutBefore(s, "\\"), kHyo + "a");
  EXPECT_EQ(s, "b\\c");
}

TEST(TagBlocks, WrapAndExtractTheFirstBlock) {
  const std::string tag = "\t_SITELIST_\t";
  EXPECT_EQ(WrapTagBlock(tag, "x"), "<!--\t_SITELIST_\t-->x<!--/\t_SITELIST_\t-->");

  std::string src = "head" + WrapTagBlock(tag, "\r\none\r\n") + "mid" + WrapTagBlock(tag, "two") + "tail";
  const std::string original = src;
  EXPECT_EQ(ExtractTagBlock(src, tag, false), "one");
  EXPECT_EQ(src, original);
  EXPECT_EQ(ExtractTagBlock(src, tag, true), "one");
  EXPECT_EQ(src, "headmid" + WrapTagBlock(tag, "two") + "tail");
  EXPECT_EQ(ExtractTagBlock(src, tag, true), "two");
  EXPECT_EQ(src, "headmidtail");
  EXPECT_EQ(ExtractTagBlock(src, tag, true), "");
  EXPECT_EQ(src, "headmidtail");

  // Positions are in characters: a double-byte character before the block.
  src = kA + WrapTagBlock("T", kA + "z") + kA;
  EXPECT_EQ(ExtractTagBlock(src, "T", true), kA + "z");
  EXPECT_EQ(src, kA + kA);

  // Taking a large block's text by moving it gives what copying gives.
  for (const std::string& source : {"head" + WrapTagBlock(tag, "\r\none\r\n") + "tail", WrapTagBlock(tag, ""),
                                    "<!--" + tag + "-->x", "<!--/" + tag + "--><!--" + tag + "-->", std::string("x"),
                                    kA + WrapTagBlock(tag, kA + "\r\n") + WrapTagBlock(tag, "2")}) {
    std::string copied = source, moved = source;
    EXPECT_EQ(ExtractLargeTagBlock(moved, tag), ExtractTagBlock(copied, tag, true));
    EXPECT_EQ(moved, copied);
  }
}

TEST(ExtractBetween, MissingOrMisorderedMarksLeaveTheSourceAlone) {
  std::string s = "x]a[y";
  EXPECT_EQ(ExtractBetween(s, "[", "]"), "");
  EXPECT_EQ(s, "x]a[y");
  EXPECT_EQ(ExtractBetween(s, "", "]"), "");
  EXPECT_EQ(ExtractBetween(s, "[", ""), "");
  EXPECT_EQ(ExtractBetween(s, "{", "]"), "");
  EXPECT_EQ(s, "x]a[y");
  // Only the first end mark counts, even when a later one would follow the start.
  s = "]<a>b</a>";
  EXPECT_EQ(ExtractBetween(s, "<a>", "]"), "");
  EXPECT_EQ(s, "]<a>b</a>");
  // Overlapping marks: nothing between, the stretch through the end mark goes.
  s = "xabcx";
  EXPECT_EQ(ExtractBetween(s, "ab", "bc"), "");
  EXPECT_EQ(s, "xx");
}

TEST(RemoveAll, EveryOccurrence) {
  EXPECT_EQ(RemoveAll("a\r\nb\r\n\r\nc\r", "\r\n"), "abc\r");
  EXPECT_EQ(RemoveAll("abc", ""), "abc");
}

}  // namespace
}  // namespace morvane
