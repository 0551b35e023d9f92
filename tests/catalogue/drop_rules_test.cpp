#include "catalogue/drop_rules.h"

#include <gtest/gtest.h>

#include "catalogue/site_record.h"
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
  EXPECT_FALSE(CategoryDropAccepted(tree, DragSource::CategoryTree, nullptr, a));
  EXPECT_FALSE(CategoryDropAccepted(tree, DragSource::SiteList, a, nullptr));
}

TEST(DropSiteOnEntryTest, ChangesTheFirstSiteOfThatURLAndRefusesMissingRows) {
  TLightStrings sites;
  TQZSiteListRec r;
  r.SiteName = "first";
  r.SiteURL = "http://dup/";
  sites.Add(FormatSiteLine(r));
  r.SiteName = "second";
  sites.Add(FormatSiteLine(r));
  TLightStrings shown;
  shown.Add(sites.Get(1));  // the second shown, the first changed: sites are found by URL
  TreeEntry target;
  target.name = "News";
  EXPECT_TRUE(DropSiteOnEntry(sites, shown, 0, &target));
  EXPECT_EQ(SiteFromLine(sites.Get(0)).Category, "News");
  EXPECT_EQ(SiteFromLine(sites.Get(1)).Category, "");
  EXPECT_FALSE(DropSiteOnEntry(sites, shown, 1, &target));
  EXPECT_FALSE(DropSiteOnEntry(sites, shown, -1, &target));
  EXPECT_FALSE(DropSiteOnEntry(sites, shown, 0, nullptr));
}

}  // namespace
}  // namespace morvane
