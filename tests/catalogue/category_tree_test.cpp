#include "catalogue/category_tree.h"

#include <gtest/gtest.h>

#include <array>

#include "catalogue/drop_rules.h"
#include "catalogue/site_record.h"

namespace morvane {
namespace {

using Lines = std::vector<std::string>;

// The tree as names with their children in brackets, images left out.
std::string Shape(const std::vector<std::unique_ptr<TreeEntry>>& level) {
  std::string out;
  for (const auto& e : level) {
    if (!out.empty()) out += ",";
    out += e->name;
    if (!e->children.empty()) out += "(" + Shape(e->children) + ")";
  }
  return out;
}

// Entry lines with plain names stand in for the system entries.
CategoryTree Loaded(const std::string& entryLines, const std::string& state = "") {
  CategoryTree tree;
  EXPECT_TRUE(tree.FromText(state + "\r\n" + entryLines));
  return tree;
}

class CategoryTreeTest : public ::testing::Test {
 protected:
  CategoryTree tree;
  const std::string& all = AllSitesEntryName();
  const std::string& uncategorised = UncategorisedEntryName();
  TreeEntry* Add(std::string_view name) {
    TreeEntry* e = nullptr;
    EXPECT_EQ(tree.AddCategory(name, &e), AddCategoryResult::Added) << name;
    return e;
  }
  std::string Shown() { return Shape(tree.Roots()); }
};

TEST_F(CategoryTreeTest, DesignedTreeAndItsTextForm) {
  EXPECT_EQ(Shown(), all + "(" + uncategorised + ")");
  EXPECT_EQ(tree.ToText(), "6 7 -1 5 0 -1 \r\n" + all + "\r\n\t" + uncategorised + "\r\n");
  EXPECT_EQ(tree.CategoryListText(), "");
  EXPECT_TRUE(tree.IsSystemEntry(tree.FirstRoot()));
  EXPECT_TRUE(tree.IsSystemEntry(tree.FindByName(uncategorised)));
}

TEST_F(CategoryTreeTest, AddNormalisesTheNameAndRefusesDuplicates) {
  TreeEntry* news = Add("  \tNews\x81\x40");
  EXPECT_EQ(news->name, "News");
  EXPECT_EQ(news->image, 5);
  EXPECT_EQ(news->selectedImage, 0);
  EXPECT_EQ(news->stateImage, -1);
  EXPECT_EQ(tree.Selected(), news);
  EXPECT_EQ(tree.AddCategory("News"), AddCategoryResult::Duplicate);
  EXPECT_EQ(tree.AddCategory(uncategorised), AddCategoryResult::Duplicate);
  EXPECT_EQ(tree.AddCategory(" " + all), AddCategoryResult::Duplicate);
  EXPECT_EQ(tree.AddCategory("  \x81\x40"), AddCategoryResult::Empty);
  EXPECT_EQ(tree.AddCategory("\t\r\n"), AddCategoryResult::Empty);
  EXPECT_EQ(Add("news")->name, "news");  // case counts
  // Line breaks would split the entry line; a space left in front once the
  // tab is gone would be read back as one level deeper.
  EXPECT_EQ(Add("a\r\nb")->name, "ab");
  EXPECT_EQ(Add("c\nd")->name, "cd");
  EXPECT_EQ(Add("e\rf")->name, "ef");
  EXPECT_EQ(Add(" \t x \t ")->name, "x");
  EXPECT_EQ(tree.CategoryListText(), "News\r\nnews\r\nab\r\ncd\r\nef\r\nx\r\n");
  EXPECT_EQ(tree.Selected()->name, "x");
  const std::string text = tree.ToText();
  CategoryTree reloaded;
  ASSERT_TRUE(reloaded.FromText(text));
  EXPECT_EQ(Shape(reloaded.Roots()), Shown());
  EXPECT_EQ(reloaded.ToText(), text);
}

TEST_F(CategoryTreeTest, DeleteOutcomesAndSites) {
  ASSERT_TRUE(tree.FromText("\r\n" + all + "\r\n\t" + uncategorised + "\r\n\tA\r\n\t\tA1\r\n\tB\r\n"));
  LineList sites;
  for (const char* category : {"A", "A1", "B", "A"})
    sites.Add(FormatSiteLine({"s", std::string("u") + category, category, "", "", "", ""}));
  sites.Put(3, "s\tu4\tA\t\t\t\tplain");

  EXPECT_EQ(tree.DeleteCategory(nullptr, sites), DeleteCategoryResult::NothingSelected);
  EXPECT_EQ(tree.DeleteCategory(tree.FirstRoot(), sites), DeleteCategoryResult::SystemEntry);
  EXPECT_EQ(tree.DeleteCategory(tree.FindByName(uncategorised), sites), DeleteCategoryResult::SystemEntry);
  tree.Select(tree.FindByName("A1"));
  EXPECT_EQ(tree.DeleteCategory(tree.FindByName("A"), sites), DeleteCategoryResult::Deleted);
  EXPECT_EQ(Shown(), all + "(" + uncategorised + ",B)");
  EXPECT_EQ(tree.Selected(), tree.FindByName("B"));  // the next sibling takes the selection
  Lines categories;
  for (const std::string& line : sites.Lines()) categories.push_back(SiteFromLine(line).Category);
  EXPECT_EQ(categories, (Lines{"", "A1", "B", ""}));
  EXPECT_EQ(SiteFromLine(sites.Get(3)).LoginPass, "plain");

  // Without a next sibling the one before takes it, without either the parent.
  ASSERT_EQ(tree.AddCategory("C"), AddCategoryResult::Added);
  tree.DeleteCategory(tree.FindByName("C"), sites);
  EXPECT_EQ(tree.Selected(), tree.FindByName("B"));
  ASSERT_TRUE(tree.FromText("\r\n" + all + "\r\n\tA\r\n\t\tA1\r\n\tB\r\n"));
  tree.Select(tree.FindByName("A1"));
  tree.DeleteCategory(tree.FindByName("A1"), sites);
  EXPECT_EQ(tree.Selected(), tree.FindByName("A"));
  tree.Select(tree.FirstRoot());
  tree.DeleteCategory(tree.FindByName("A"), sites);
  EXPECT_EQ(tree.Selected(), tree.FirstRoot());  // a selection elsewhere stays
}

class MoveTest : public CategoryTreeTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tree.FromText("\r\n" + all + "\r\n\t" + uncategorised + "\r\n\tA\r\n\t\tA1\r\n\tB\r\n\tC\r\n"));
  }
  bool Move(std::string_view dragged, std::string_view target) {
    return tree.MoveCategory(tree.FindByName(dragged), tree.FindByName(target));
  }
  std::string Under(std::string inner) { return all + "(" + uncategorised + "," + inner + ")"; }
};

TEST_F(MoveTest, DropTargetsDecideThePlace) {
  ASSERT_EQ(Shown(), Under("A(A1),B,C"));
  EXPECT_TRUE(Move("B", all));
  EXPECT_EQ(Shown(), Under("A(A1),C,B"));
  EXPECT_TRUE(Move("A", "B"));  // the last entry: end of the root's children
  EXPECT_EQ(Shown(), Under("C,B,A"));
  EXPECT_TRUE(Move("A", uncategorised));
  EXPECT_EQ(Shown(), Under("A,C,B"));
  EXPECT_EQ(tree.Selected()->name, "A");
}

TEST_F(MoveTest, ThePlaceFollowsThePreOrderSuccessor) {
  EXPECT_TRUE(Move("C", "A"));  // A has children: C becomes its first child
  EXPECT_EQ(Shown(), Under("A(C,A1),B"));
  EXPECT_TRUE(Move("B", "A1"));  // nothing follows A1 once B is out: the end
  EXPECT_EQ(Shown(), Under("A(C,A1),B"));
  ASSERT_TRUE(tree.AddCategory("D") == AddCategoryResult::Added);
  EXPECT_TRUE(Move("C", "A1"));  // before the next sibling of A1's parent
  EXPECT_EQ(Shown(), Under("A(A1),C,B,D"));
}

TEST_F(MoveTest, MovedEntryLosesImagesAndSubEntries) {
  tree.FindByName("A")->image = 9;
  tree.FindByName("A")->stateImage = 2;
  EXPECT_TRUE(Move("A", "C"));
  const TreeEntry* a = tree.FindByName("A");
  EXPECT_EQ(a->image, 5);
  EXPECT_EQ(a->selectedImage, 0);
  EXPECT_EQ(a->stateImage, -1);
  EXPECT_TRUE(a->children.empty());
  EXPECT_EQ(tree.FindByName("A1"), nullptr);
}

TEST_F(MoveTest, DropOntoItselfOrBelowOrASystemEntryIsNoMove) {
  CategoryTree deep = Loaded(all + "\r\n\t" + uncategorised + "\r\n\tA\r\n\t\tA1\r\n\t\t\tA11\r\n\tB\r\n");
  TreeEntry* a = deep.FindByName("A");
  for (const char* below : {"A", "A1", "A11"})
    EXPECT_FALSE(CategoryDropAccepted(deep, DragSource::CategoryTree, a, deep.FindByName(below))) << below;
  EXPECT_TRUE(CategoryDropAccepted(deep, DragSource::CategoryTree, a, deep.FindByName("B")));
  EXPECT_TRUE(CategoryDropAccepted(deep, DragSource::CategoryTree, deep.FindByName("A1"), a));  // beside its parent
  for (const std::string& system : {all, uncategorised})
    for (const std::string& target : {all, uncategorised, std::string("A")})
      EXPECT_FALSE(
          CategoryDropAccepted(tree, DragSource::CategoryTree, tree.FindByName(system), tree.FindByName(target)));
  // A site goes anywhere but onto all sites; nothing else is taken.
  const TreeEntry* c = tree.FindByName("C");
  EXPECT_FALSE(CategoryDropAccepted(tree, DragSource::SiteList, c, tree.FindByName(all)));
  EXPECT_TRUE(CategoryDropAccepted(tree, DragSource::SiteList, c, tree.FindByName(uncategorised)));
  EXPECT_TRUE(CategoryDropAccepted(tree, DragSource::SiteList, c, c));
  EXPECT_FALSE(CategoryDropAccepted(tree, DragSource::SiteList, c, nullptr));
  EXPECT_FALSE(CategoryDropAccepted(tree, DragSource::Other, c, c));

  const std::string before = tree.ToText();
  EXPECT_FALSE(Move("A", "A"));
  EXPECT_FALSE(Move("A", "A1"));
  EXPECT_FALSE(Move(uncategorised, "C"));
  EXPECT_FALSE(Move(all, "C"));
  EXPECT_FALSE(tree.MoveCategory(nullptr, tree.FirstRoot()));
  EXPECT_EQ(tree.ToText(), before);
}

TEST(TreeText, SaveAndLoadReproduceNamesStructureAndImages) {
  const std::string text = "6 7 -1 5 0 -1 1 2 3 4 5 -1 0 0 12 \r\n\x82\xA0\r\n\tb\r\n\t\tc\r\n\td\r\ne\r\n";
  CategoryTree tree;
  ASSERT_TRUE(tree.FromText(text));
  EXPECT_EQ(Shape(tree.Roots()), "\x82\xA0(b(c),d),e");
  EXPECT_EQ(tree.ToText(), text);
  EXPECT_EQ(tree.Selected(), tree.FirstRoot());
  EXPECT_EQ(tree.EntryAt(tree.PathOf(tree.FindByName("c"))), tree.FindByName("c"));
  EXPECT_EQ(tree.PathOf(tree.FindByName("d")), (std::vector<int>{0, 1}));
}

TEST(TreeText, StateLineShortOrDamaged) {
  CategoryTree tree = Loaded("a\r\n\tb\r\n\tc\r\nd\r\n", "6 7 x 5 +3");
  std::vector<std::array<int, 3>> images;
  for (const TreeEntry* e : tree.PreOrder()) images.push_back({e->image, e->selectedImage, e->stateImage});
  EXPECT_EQ(images, (std::vector<std::array<int, 3>>{{6, 7, -1}, {5, 3, -1}, {0, 0, -1}, {0, 0, -1}}));
  // Numbers past the last entry are ignored.
  tree = Loaded("a\r\n", "1 2 3 4 5 6");
  EXPECT_EQ(tree.FirstRoot()->image, 1);
  EXPECT_EQ(tree.FirstRoot()->stateImage, 3);
}

TEST(TreeText, EmptyTextChangesNothingAndAStateLineAloneEmptiesTheTree) {
  CategoryTree tree;
  tree.AddCategory("A");
  const std::string before = tree.ToText();
  EXPECT_TRUE(tree.FromText(""));
  EXPECT_EQ(tree.ToText(), before);
  EXPECT_TRUE(tree.FromText("6 7 -1 \r\n"));
  EXPECT_TRUE(tree.Roots().empty());
  EXPECT_EQ(tree.FirstRoot(), nullptr);
  EXPECT_EQ(tree.CategoryListText(), "");
  EXPECT_EQ(tree.ToText(), "\r\n");
  // Adding to an empty tree must not crash; the entry becomes a root.
  EXPECT_EQ(tree.AddCategory("new"), AddCategoryResult::Added);
  EXPECT_EQ(Shape(tree.Roots()), "new");
}

TEST(TreeText, DepthComesFromLeadingTabsAndSpaces) {
  EXPECT_EQ(Shape(Loaded("R\r\n\tA\r\n\t B\r\n").Roots()), "R(A(B))");
  EXPECT_EQ(Shape(Loaded("R\r\n A\r\n").Roots()), "R(A)");
  EXPECT_EQ(Shape(Loaded("R\r\n\tA\r\n\t\tA1\r\n\t\t\tA2\r\n\tB\r\nS\r\n\tT\r\n").Roots()), "R(A(A1(A2)),B),S(T)");
  EXPECT_EQ(Shape(Loaded("\t\tX\r\nY\r\n").Roots()), "X,Y");
  // Indents count against the entry before, whose depth is its place in the
  // tree: an indented first line is a root like any other.
  EXPECT_EQ(Shape(Loaded("\tA\r\n\tB\r\n").Roots()), "A(B)");
  EXPECT_EQ(Shape(Loaded("\t\tA\r\n\tB\r\n\t\tC\r\nD\r\n").Roots()), "A(B(C)),D");
}

TEST(TreeText, TooDeepALineIsAnErrorButEveryNameIsKept) {
  CategoryTree tree;
  EXPECT_FALSE(tree.FromText("6 7 -1 5 0 -1 1 2 -1 \r\nR\r\n\tA\r\n\t\t\tB\r\n\t\t\t\t\tB1\r\n\tC\r\n"));
  EXPECT_EQ(Shape(tree.Roots()), "R(A(B(B1)),C)");
  EXPECT_EQ(tree.FindByName("B")->image, 1);  // the state line follows the lines' order
  EXPECT_EQ(tree.Selected(), tree.FirstRoot());
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// The name index answers as a walk over the tree would: the first entry of a
// name in pre-order, through moves, deletes and adds, with names a text
// holds more than once, and in a tree moved to another object.
TEST(CategoryTreeIndex, FindsTheFirstEntryOfANameAsAWalkWould) {
  const auto walk = [](const CategoryTree& t, std::string_view name) -> TreeEntry* {
    for (TreeEntry* e : t.PreOrder())
      if (e->name == name) return e;
    return nullptr;
  };
  const auto agree = [&](const CategoryTree& t, const char* when) {
    for (const char* name : {"a", "b", "c", "d", "x", "y", ""})
      EXPECT_EQ(t.FindByName(name), walk(t, name)) << when << name;
  };
  CategoryTree tree = Loaded("a\r\n\tb\r\n\tc\r\nb\r\nd\r\n\tb\r\n");
  agree(tree, "loaded ");
  ASSERT_EQ(tree.FindByName("b")->parent, tree.FindByName("a"));

  // The first "b" moved into "d": the second comes first now.
  ASSERT_TRUE(tree.MoveCategory(tree.FindByName("b"), tree.FindByName("d")));
  agree(tree, "moved ");
  EXPECT_EQ(tree.FindByName("b")->parent, nullptr);
  LineList sites;
  ASSERT_EQ(tree.DeleteCategory(tree.FindByName("b"), sites), DeleteCategoryResult::Deleted);
  agree(tree, "deleted ");
  EXPECT_EQ(tree.FindByName("b")->parent, tree.FindByName("d"));

  ASSERT_EQ(tree.AddCategory("x"), AddCategoryResult::Added);
  EXPECT_EQ(tree.AddCategory("x"), AddCategoryResult::Duplicate);
  agree(tree, "added ");
  CategoryTree moved = std::move(tree);
  agree(moved, "moved away ");
  ASSERT_TRUE(moved.FromText("\r\ny\r\n\tx\r\n"));
  agree(moved, "reloaded ");
}

}  // namespace
}  // namespace morvane
