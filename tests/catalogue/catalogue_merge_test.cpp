#include "catalogue/catalogue_merge.h"

#include <gtest/gtest.h>

#include "catalogue/category_tree.h"
#include "catalogue/site_record.h"
#include "util/cp932.h"

namespace morvane {
namespace {

std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }

std::string Line(const std::string& name, const std::string& url, const std::string& category = "") {
  return FormatSiteLine({name, url, category, "2026/12/08 04:37:29", "http://vexa.example/" + name, "id", "pw"});
}

// A tree text with user categories under the first root; "-" before a name
// puts it one level deeper.
std::string Tree(const std::vector<std::string>& categories) {
  CategoryTree tree;
  std::string entries = AllSitesEntryName() + "\r\n\t" + UncategorisedEntryName() + "\r\n";
  std::string state = "6 7 -1 5 0 -1 ";
  for (const std::string& c : categories) {
    const bool deeper = c.starts_with("-");
    entries += (deeper ? "\t\t" : "\t") + (deeper ? c.substr(1) : c) + "\r\n";
    state += "5 0 -1 ";
  }
  return state + "\r\n" + entries;
}

std::vector<std::string> UserCategories(const std::string& treeText) {
  CategoryTree tree;
  tree.FromText(treeText);
  std::vector<std::string> names;
  for (const TreeEntry* e : tree.PreOrder())
    if (!tree.IsSystemEntry(e)) names.push_back((e->parent && e->parent->parent ? "-" : "") + e->name);
  return names;
}

struct Side {
  std::vector<std::string> sites = {};
  std::vector<std::string> categories = {};
  std::string master = {};
};

MergedCatalogue Merge(const Side& base, const Side& ours, const Side& theirs, bool older = false) {
  const MergeBase b(Tree(base.categories), base.sites, base.master);
  const std::string oursTree = Tree(ours.categories), theirsTree = Tree(theirs.categories);
  return MergeCatalogues(b, {oursTree, ours.sites, ours.master}, {theirsTree, theirs.sites, theirs.master}, older);
}

const std::string A = Line("a", "http://a.example/"), A2 = Line("a2", "http://a.example/"),
                  A3 = Line("a3", "http://a.example/"), B = Line("b", "http://b.example/"),
                  B2 = Line("b2", "http://b.example/"), C = Line("c", "http://c.example/"),
                  D = Line("d", "http://d.example/");

struct SiteCase {
  const char* what;
  std::vector<std::string> base, ours, theirs, merged;
  MergeCounts counts;
};

TEST(CatalogueMergeTest, SitesFollowTheRules) {
  const std::string conflictA3 = FormatSiteLine({"a3" + ConflictMark(), "http://a.example/" + J("#競合"), "",
                                                 "2026/12/08 04:37:29", "http://vexa.example/a3", "id", "pw"});
  const std::vector<SiteCase> cases = {
      {"nothing changed", {A, B}, {A, B}, {A, B}, {A, B}, {}},
      {"added on each side", {A}, {A, B}, {A, C}, {A, B, C}, {1, 0, 0, 0}},
      {"added on both sides alike", {A}, {A, B}, {A, B}, {A, B}, {}},
      {"deleted there, untouched here", {A, B}, {A, B}, {A}, {A}, {0, 0, 1, 0}},
      {"deleted here, untouched there", {A, B}, {A}, {A, B}, {A}, {}},
      {"deleted on both sides", {A, B}, {A}, {A}, {A}, {}},
      {"changed there", {A, B}, {A, B}, {A2, B}, {A2, B}, {0, 1, 0, 0}},
      {"changed here", {A, B}, {A2, B}, {A, B}, {A2, B}, {}},
      {"changed alike on both sides", {A}, {A2}, {A2}, {A2}, {}},
      {"changed differently on both sides", {A, B}, {A2, B}, {A3, B}, {A2, conflictA3, B}, {0, 0, 0, 1}},
      {"changed here, deleted there", {A, B}, {A2, B}, {B}, {A2, B}, {0, 0, 0, 1}},
      {"deleted here, changed there", {A, B}, {B}, {A2, B}, {A2, B}, {0, 0, 0, 1}},
      {"added on both sides differently", {}, {A2}, {A3}, {A2, conflictA3}, {0, 0, 0, 1}},
      {"one change of each kind", {A, B, C}, {A, B, C}, {B2, C, D}, {B2, C, D}, {1, 1, 1, 0}},
  };
  for (const SiteCase& c : cases) {
    SCOPED_TRACE(c.what);
    const MergedCatalogue m = Merge({c.base}, {c.ours}, {c.theirs});
    EXPECT_EQ(m.siteLines, c.merged);
    EXPECT_EQ(m.counts.added, c.counts.added);
    EXPECT_EQ(m.counts.updated, c.counts.updated);
    EXPECT_EQ(m.counts.deleted, c.counts.deleted);
    EXPECT_EQ(m.counts.conflicts, c.counts.conflicts);
    EXPECT_EQ(m.differsFromOurs, m.siteLines != c.ours);
  }
}

TEST(CatalogueMergeTest, ConflictCopiesGetAUrlOfTheirOwn) {
  // The mark's own URL is taken already: the copy goes one further.
  const std::string taken = Line("x", "http://a.example/" + J("#競合"));
  const MergedCatalogue m = Merge({{A, taken}}, {{A2, taken}}, {{A3, taken}});
  ASSERT_EQ(m.siteLines.size(), 3u);
  const SiteRecord copy = SiteFromLine(m.siteLines[1]);
  EXPECT_EQ(copy.SiteName, "a3" + ConflictMark());
  EXPECT_EQ(copy.SiteURL, "http://a.example/" + J("#競合") + "2");
  EXPECT_EQ(copy.LoginPass, "pw");
}

TEST(CatalogueMergeTest, ASiteListedTwiceIsMatchedByItsPlace) {
  // The second "a" changed there; the first stays as both have it.
  const MergedCatalogue m = Merge({{A, B, A}}, {{A, B, A}}, {{A, B, A2}});
  EXPECT_EQ(m.siteLines, (std::vector<std::string>{A, B, A2}));
  EXPECT_EQ(m.counts.updated, 1);
}

struct TreeCase {
  const char* what;
  std::vector<std::string> base, ours, theirs, merged;
  std::vector<std::string> sites;  // the same on every side
};

TEST(CatalogueMergeTest, CategoriesAreTheUnionInEachSidesOrder) {
  const std::vector<TreeCase> cases = {
      {"added on each side", {"X"}, {"X", "O"}, {"T", "X"}, {"T", "X", "O"}, {}},
      {"added after the same entry", {"X", "Y"}, {"X", "O", "Y"}, {"X", "T", "Y"}, {"X", "O", "T", "Y"}, {}},
      {"deleted there, unused", {"X", "Y"}, {"X", "Y"}, {"Y"}, {"Y"}, {}},
      {"deleted here, unused", {"X", "Y"}, {"Y"}, {"X", "Y"}, {"Y"}, {}},
      {"deleted there, in use", {"X", "Y"}, {"X", "Y"}, {"Y"}, {"X", "Y"}, {Line("s", "http://s/", "X")}},
      {"deleted here, in use", {"X", "Y"}, {"Y"}, {"X", "Y"}, {"X", "Y"}, {Line("s", "http://s/", "X")}},
      {"added under an entry", {"X"}, {"X"}, {"X", "-T"}, {"X", "-T"}, {}},
      {"added under an entry ours deleted", {"X", "Y"}, {"Y"}, {"X", "-T", "Y"}, {"T", "Y"}, {}},
      {"moved here", {"X", "Y"}, {"Y", "X"}, {"X", "Y", "T"}, {"Y", "T", "X"}, {}},
      {"moved there", {"X", "Y"}, {"X", "Y"}, {"Y", "X"}, {"Y", "X"}, {}},
  };
  for (const TreeCase& c : cases) {
    SCOPED_TRACE(c.what);
    const MergedCatalogue m = Merge({c.sites, c.base}, {c.sites, c.ours}, {c.sites, c.theirs});
    EXPECT_EQ(UserCategories(m.treeText), c.merged);
    CategoryTree parsed;
    EXPECT_TRUE(parsed.FromText(m.treeText));
    EXPECT_EQ(parsed.Roots().size(), 1u);
  }
}

TEST(CatalogueMergeTest, TwoSidesThatMergeEachOthersFilesSettle) {
  // Each side added a site and a category; each then takes in the other's
  // file, and the second merge finds nothing to write back.
  const Side base{{A}, {"X"}};
  const Side one{{A, B}, {"X", "O"}}, two{{A, C}, {"X", "T"}};
  const MergedCatalogue first = Merge(base, one, two);
  EXPECT_FALSE(first.sameAsTheirs);
  const MergeBase twoKnown(Tree(two.categories), two.sites, "");
  const std::string twoTree = Tree(two.categories);
  const MergedCatalogue second =
      MergeCatalogues(twoKnown, {twoTree, two.sites, ""}, {first.treeText, first.siteLines, first.masterBlock});
  EXPECT_TRUE(second.sameAsTheirs);
  EXPECT_EQ(second.siteLines, first.siteLines);
  EXPECT_EQ(second.treeText, first.treeText);
  EXPECT_EQ(UserCategories(first.treeText), (std::vector<std::string>{"X", "O", "T"}));
}

TEST(CatalogueMergeTest, ACategoryTheOtherSideUsesIsKept) {
  // Theirs deleted X, which uncategorised their own sites in it; ours put a
  // new site into X meanwhile, so X stays, and so does the site.
  const std::string inX = Line("s", "http://s/", "X"), outOfX = Line("s", "http://s/", "");
  const std::string newInX = Line("n", "http://n/", "X");
  const MergedCatalogue m = Merge({{inX}, {"X"}}, {{inX, newInX}, {"X"}}, {{outOfX}, {}});
  EXPECT_EQ(m.siteLines, (std::vector<std::string>{outOfX, newInX}));
  EXPECT_EQ(UserCategories(m.treeText), (std::vector<std::string>{"X"}));
}

TEST(CatalogueMergeTest, TheMasterLoginOfTheSideThatChangedItWins) {
  EXPECT_EQ(Merge({{}, {}, "m0"}, {{}, {}, "m0"}, {{}, {}, "m1"}).masterBlock, "m1");
  EXPECT_EQ(Merge({{}, {}, "m0"}, {{}, {}, "m2"}, {{}, {}, "m0"}).masterBlock, "m2");
  EXPECT_EQ(Merge({{}, {}, "m0"}, {{}, {}, "m2"}, {{}, {}, "m1"}).masterBlock, "m2");
  EXPECT_EQ(Merge({{}, {}, "m0"}, {{}, {}, "m0"}, {{}, {}, ""}).masterBlock, "");
}

TEST(CatalogueMergeTest, AnOlderVersionOnlyAddsAndConflicts) {
  // A conflict copy may predate the base: what differs from it is no change.
  const MergedCatalogue m = Merge({{A, B}, {"X"}, "m0"}, {{A, B}, {"X"}, "m0"}, {{A2, C}, {}, "m1"}, true);
  ASSERT_EQ(m.siteLines.size(), 4u);
  EXPECT_EQ(m.siteLines[0], A);
  EXPECT_EQ(SiteFromLine(m.siteLines[1]).SiteName, "a2" + ConflictMark());
  EXPECT_EQ(m.siteLines[2], B);
  EXPECT_EQ(m.siteLines[3], C);
  EXPECT_EQ(m.counts.added, 1);
  EXPECT_EQ(m.counts.conflicts, 1);
  EXPECT_EQ(m.counts.deleted, 0);
  EXPECT_EQ(UserCategories(m.treeText), (std::vector<std::string>{"X"}));
  EXPECT_EQ(m.masterBlock, "m0");
}

TEST(CatalogueMergeTest, TheBaseKeepsSixteenBytesASite) {
  std::vector<std::string> lines;
  for (int i = 0; i < 1000; ++i) lines.push_back(Line("site" + std::to_string(i), "http://s" + std::to_string(i)));
  const MergeBase base(Tree({}), lines, "");
  EXPECT_EQ(base.SiteCount(), 1000u);
  EXPECT_LT(base.MemoryBytes(), 1000u * 16 + 1024);
}

}  // namespace
}  // namespace morvane
