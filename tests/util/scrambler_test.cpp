#include "util/scrambler.h"

#include <gtest/gtest.h>

#include <random>

namespace morvane {
namespace {

const std::string kKey = "#tide+arc*lump-Q";

// The scrambled form computed straight from its definition: each byte gives
// the four hex digits of its two hex digits, and the i-th digit overall picks
// the key character (digit + i) mod 16.
std::string ScrambledByDefinition(std::string_view plain, std::string_view key) {
  static const char* hex = "0123456789ABCDEF";
  std::string out = "_";
  std::size_t i = 0;
  for (unsigned char b : plain) {
    for (unsigned char h : {static_cast<unsigned char>(hex[b >> 4]), static_cast<unsigned char>(hex[b & 15])})
      for (int d : {h >> 4, h & 15}) out.push_back(key[(d + i++) % 16]);
  }
  return out;
}

TEST(ScrambleText, EmptyTextGivesEmptyWithoutLookingAtTheKey) {
  EXPECT_EQ(ScrambleText("", kKey), "");
  EXPECT_EQ(ScrambleText("", "short"), "");
}

TEST(ScrambleText, ShortKeyGivesEmpty) {
  EXPECT_EQ(ScrambleText("secret", kKey.substr(0, 15)), "");
  EXPECT_EQ(ScrambleText("_AAAA", kKey.substr(0, 15)), "");
}

TEST(ScrambleText, ZeroByteUsesKeyPositionsThreeOneFiveThree) {
  const std::string s = ScrambleText(std::string(1, '\0'), kKey);
  EXPECT_EQ(s, std::string("_") + kKey[3] + kKey[1] + kKey[5] + kKey[3]);
  EXPECT_EQ(HexBytes("abc"), "616263");
  EXPECT_EQ(HexBytes(HexBytes("abc")), "363136323633");
}

TEST(ScrambleText, RoundTripOverRandomBytesUsesOnlyKeyCharacters) {
  std::mt19937 rng(3);
  std::string every;
  for (int b = 1; b < 256; ++b) every.push_back(static_cast<char>(b));
  every.push_back('\0');  // after the "_" check: a leading 0x5F would mean scrambled
  std::vector<std::string> samples = {every, std::string(1, '\xFF'), std::string(3, '\0'), "\x82\xA0pass"};
  for (int round = 0; round < 300; ++round) {
    std::string p;
    const int len = 1 + static_cast<int>(rng() % 40);
    for (int i = 0; i < len; ++i) p.push_back(static_cast<char>(rng() % 256));
    if (p[0] == '_') p[0] = 'x';
    samples.push_back(p);
  }
  for (const std::string& p : samples) {
    const std::string s = ScrambleText(p, kKey);
    ASSERT_EQ(s.size(), 1 + 4 * p.size());
    ASSERT_EQ(s, ScrambledByDefinition(p, kKey));
    ASSERT_EQ(s.find_first_not_of(kKey, 1), std::string::npos);
    ASSERT_EQ(ScrambleText(s, kKey), p);
  }
}

TEST(ScrambleText, DamagedScrambledTextGivesAResultWithoutError) {
  for (const std::string& damaged :
       std::vector<std::string>{"_", "_zzz", "_#", std::string("_\0\xFF\x81", 4), "_" + kKey + "x"}) {
    const std::string once = ScrambleText(damaged, kKey);
    EXPECT_EQ(ScrambleText(damaged, kKey), once);
  }
  EXPECT_EQ(ScrambleText("_", kKey), "");
}

TEST(UnhexPairs, PairsThatAreNotHexGiveTheirFirstCharacter) {
  EXPECT_EQ(UnhexPairs("4142"), "AB");
  EXPECT_EQ(UnhexPairs("4a6B"), "Jk");
  EXPECT_EQ(UnhexPairs("4"), "\x04");
  EXPECT_EQ(UnhexPairs("4G41"), "4A");
  EXPECT_EQ(UnhexPairs("?"), "?");
  EXPECT_EQ(UnhexPairs(""), "");
  // A double-byte character is one character of a pair.
  EXPECT_EQ(UnhexPairs("\x82\xA0"
                       "41"),
            "\x82\xA0\x01");
  EXPECT_EQ(UnhexPairs("4\x82\xA0"
                       "41"),
            "4A");
}

TEST(ScrambleField, APasswordBeginningWithUnderscoreSurvives) {
  for (const std::string plain : {"_", "_secret", "__", "plain", "\x82\xA0"}) {
    const std::string stored = ScrambleField(plain, kKey);
    EXPECT_EQ(stored, ScrambledByDefinition(plain, kKey));
    EXPECT_EQ(UnscrambleField(stored, kKey), plain);
  }
  // Appended where a line is being built, it leaves what stands before it.
  std::string line = "name\t";
  AppendScrambledField(line, "_secret", kKey);
  EXPECT_EQ(line, "name\t" + ScrambledByDefinition("_secret", kKey));
  // Away from the "_" case the field form is exactly what ScrambleText gives.
  EXPECT_EQ(ScrambleField("plain", kKey), ScrambleText("plain", kKey));
  EXPECT_EQ(ScrambleField("", kKey), "");
  EXPECT_EQ(UnscrambleField("", kKey), "");
  // A stored field without the mark was never scrambled: it is the password.
  EXPECT_EQ(UnscrambleField("typed", kKey), "typed");
}

TEST(IsScrambledForm, TrueExactlyWhenAFieldComesBackUnchanged) {
  EXPECT_TRUE(IsScrambledForm("", kKey));
  EXPECT_FALSE(IsScrambledForm("_", kKey));
  EXPECT_FALSE(IsScrambledForm("plain", kKey));
  // 0x0A written with a lower-case hex digit still reads back as 0x0A, but
  // is written again in upper case.
  const std::string lower = "_" + SubstituteHex("3061", kKey);
  EXPECT_EQ(ScrambleText(lower, kKey), "\n");
  EXPECT_FALSE(IsScrambledForm(lower, kKey));
  EXPECT_FALSE(IsScrambledForm(ScrambleText("pw", kKey), kKey.substr(0, 15)));

  std::mt19937 rng(13);
  for (int round = 0; round < 3000; ++round) {
    std::string plain;
    for (int i = 0, n = 1 + static_cast<int>(rng() % 6); i < n; ++i) plain.push_back(static_cast<char>(rng() % 256));
    std::string stored = ScrambleField(plain, kKey);
    ASSERT_EQ(UnscrambleField(stored, kKey), plain);
    ASSERT_TRUE(IsScrambledForm(stored, kKey));
    if (rng() % 2) stored[1 + rng() % (stored.size() - 1)] = kKey[rng() % 16];           // damage one digit
    if (rng() % 4 == 0) stored[rng() % stored.size()] = static_cast<char>(rng() % 256);  // any byte
    if (rng() % 8 == 0) stored.pop_back();
    ASSERT_EQ(IsScrambledForm(stored, kKey), ScrambleField(UnscrambleField(stored, kKey), kKey) == stored)
        << ::testing::PrintToString(stored);
  }
}

}  // namespace
}  // namespace morvane
