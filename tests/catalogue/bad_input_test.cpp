// Damaged files and hostile pages reach these routines as arbitrary bytes:
// they must give some result, never crash or hang, and what they write must
// read back the same.
#include <glib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "catalogue/category_tree.h"
#include "catalogue/site_record.h"
#include "util/cp932.h"
#include "util/line_list.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

// Short strings over the bytes that matter most: separators, line breaks,
// NUL, spaces, lead bytes of both ranges, 0x40 and 0x5C trail bytes, the
// scrambler's mark and key characters, and a few of any other value.
std::string RandomBytes(std::mt19937& rng, std::size_t maxLength) {
  static constexpr char kBytes[] = "\t\r\n \x81\x40\x5C\x95\xE0\xFC\xFD\xA0\x80_#tQ<!-/>=AZaz09";
  static const std::string interesting(kBytes, sizeof kBytes);  // the closing NUL too
  std::string s;
  const std::size_t len = rng() % (maxLength + 1);
  for (std::size_t i = 0; i < len; ++i)
    s.push_back(rng() % 4 == 0 ? static_cast<char>(rng() % 256) : interesting[rng() % interesting.size()]);
  return s;
}

bool EndsInLoneLeadByte(std::string_view s) {
  return !s.empty() && IsLeadByte(s.back()) && !IsTrailByte(s, static_cast<long long>(s.size()));
}

TEST(BadInput, TextRoutinesTakeAnyBytes) {
  std::mt19937 rng(21);
  for (int round = 0; round < 3000; ++round) {
    const std::string s = RandomBytes(rng, 24);
    const std::string pattern = RandomBytes(rng, 3);
    const long long length = CharLength(s);
    ASSERT_LE(length, static_cast<long long>(s.size()));
    ASSERT_EQ(CharCopy(s, 1, length + 1), s);
    ASSERT_LE(CharPos(pattern, s), length);
    std::string d = s;
    CharDelete(d, 1 + static_cast<long long>(rng() % 5), static_cast<long long>(rng() % 5));
    ASSERT_LE(d.size(), s.size());
    ASSERT_LE(TrimSpaces(s).size(), s.size());
    ASSERT_LE(TrimLineBreaks(s).size(), s.size());
    std::string src = s;
    const std::string before = CutBefore(src, pattern);
    ASSERT_TRUE(src == s || before.size() + pattern.size() + src.size() == s.size());
    src = s;
    ExtractTagBlock(src, pattern, true);
    ASSERT_LE(src.size(), s.size());
    std::string_view rest = s;
    std::size_t total = 0, tokens = 0;
    while (!rest.empty()) total += CutToken(rest, "\t\\").size(), ++tokens;
    ASSERT_LE(total + tokens, s.size() + 1);
  }
}

TEST(BadInput, ConversionAlwaysGivesValidTextOnTheOtherSide) {
  std::mt19937 rng(22);
  for (int round = 0; round < 3000; ++round) {
    const std::string s = RandomBytes(rng, 24);
    const std::string utf8 = Cp932ToUtf8(s);
    std::string checked = utf8;
    std::replace(checked.begin(), checked.end(), '\0', ' ');  // GLib refuses NUL; we keep it
    ASSERT_TRUE(g_utf8_validate(checked.data(), static_cast<gssize>(checked.size()), nullptr)) << round;
    const std::string back = Utf8ToCp932(utf8);
    ASSERT_EQ(Cp932ToUtf8(back), utf8);  // what came across is stable
    ASSERT_FALSE(Utf8ToCp932(s).size() > s.size());
  }
}

TEST(BadInput, SiteLinesAndListTextReadBackAsWritten) {
  std::mt19937 rng(24);
  for (int round = 0; round < 3000; ++round) {
    const std::string line = RandomBytes(rng, 60);
    const SiteRecord r = SiteFromLine(line);
    const std::string formatted = FormatSiteLine(r);
    // Only a damaged line's last field can end in a lone lead byte; that byte
    // pairs with the tab written after it, so such a line is read as it is.
    if (!EndsInLoneLeadByte(line)) {
      ASSERT_EQ(SiteFromLine(formatted), r) << ::testing::PrintToString(line);
      ASSERT_EQ(SiteURLOfLine(formatted), r.SiteURL);
    }
    ASSERT_EQ(FormatSiteLine(SiteFromLine(FormatSiteLine(SiteFromLine(formatted)))),
              FormatSiteLine(SiteFromLine(formatted)));

    LineList list;
    list.SetText(line);
    LineList again;
    again.SetText(list.GetText());
    ASSERT_EQ(again.Lines(), list.Lines());
    list.Sort();
    (void)list.Values(RandomBytes(rng, 3));
  }
}

TEST(BadInput, AnyTreeTextLoadsAndSavesStably) {
  std::mt19937 rng(25);
  for (int round = 0; round < 3000; ++round) {
    std::string text = RandomBytes(rng, 16);
    for (int i = 0; i < 5; ++i) text += std::string(rng() % 3, "\t "[rng() % 2]) + RandomBytes(rng, 5) + "\r\n";
    CategoryTree tree;
    tree.FromText(text);
    const std::string saved = tree.ToText();
    CategoryTree reloaded;
    ASSERT_TRUE(reloaded.FromText(saved)) << ::testing::PrintToString(text);
    ASSERT_EQ(reloaded.ToText(), saved);
    // Dragging anything anywhere keeps the tree loadable.
    const auto entries = reloaded.PreOrder();
    if (entries.size() > 1) {
      reloaded.MoveCategory(entries[rng() % entries.size()], entries[rng() % entries.size()]);
      ASSERT_TRUE(CategoryTree().FromText(reloaded.ToText()));
    }
  }
}

TEST(BadInput, HundredMegabyteLineOfLeadBytes) {
  // All lead bytes: the worst case for finding character boundaries.
  std::string line(100u << 20, '\x81');
  EXPECT_EQ(CharLength(line), static_cast<long long>(line.size() / 2));
  EXPECT_TRUE(IsTrailByte(line, static_cast<long long>(line.size())));
  EXPECT_EQ(CharPos("\t", line), 0);
  EXPECT_EQ(TrimSpaces(line).size(), line.size());

  std::string_view view = line;
  EXPECT_EQ(CutToken(view, "\t").size(), line.size());
  line += "\r\n\r\n";
  EXPECT_EQ(TrimLineBreaks(line).size(), line.size() - 4);
  std::string block = WrapTagBlock("\t_SITELIST_\t", line);
  EXPECT_EQ(ExtractTagBlock(block, "\t_SITELIST_\t", true).size(), line.size() - 4);
  EXPECT_EQ(block, "");

  line.resize(line.size() - 4);
  line += "\turl";
  const SiteRecord r = SiteFromLine(line);
  EXPECT_EQ(r.SiteName.size(), line.size() - 4);
  EXPECT_EQ(r.SiteURL, "url");
  {
    LineList sites;
    sites.SetText(line);
    ASSERT_EQ(sites.Count(), 1);
    EXPECT_EQ(FindSiteByURL(sites, "url"), 0);
    EXPECT_EQ(sites.GetText().size(), line.size() + 2);
  }
  EXPECT_EQ(Cp932ToUtf8(std::string_view(line).substr(0, 10u << 20)).size(), 15u << 20);
}

}  // namespace
}  // namespace morvane
