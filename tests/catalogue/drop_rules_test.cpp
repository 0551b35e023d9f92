#include "catalogue/drop_rules.h"

#include <gtest/gtest.h>

#include "util/cp932.h"

namespace morvane {
namespace {

TEST(CategoryDropAcceptedTest, ACategoryNeverGoesIntoItselfOrUnderItself) {
  CategoryTree tree;
  // A nested user tree, as only a loaded file can make it.
  ASSERT_TRUE(tree.QZLoadTreeFromStrings(Utf8ToCp932("\r\nすべてのサイト\r\n\t未分類\r\n\tA\r\n\t\tA1\r\n\t\t\tA11\r\n\tB\r\n")));
  TreeEntry* a = tree.FindByName("A");
  EXPECT_FALSE(CategoryDropAccepted(tree, DragSource::CategoryTree, a, a));
  EXPECT_FALSE(CategoryDropAccepted(tree, DragSource::CategoryTree, a, tree.FindByName("A1")));
  EXPECT_FALSE(CategoryDropAccepted(tree, DragSource::CategoryTree, a, tree.FindByName("A11")));
  EXPECT_TRUE(CategoryDropAccepted(tree, DragSource::CategoryTree, a, tree.FindByName("B")));
  // A sub-entry may go beside its own parent.
  EXPECT_TRUE(CategoryDropAccepted(tree, DragSource::CategoryTree, tree.FindByName("A1"), a));
}

}  // namespace
}  // namespace morvane
