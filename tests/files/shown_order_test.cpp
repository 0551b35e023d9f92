// Filtering and sorting change what the list shows, never the data file.
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/site_record.h"
#include "file_test_support.h"
#include "util/cp932.h"

namespace morvane {
namespace {

TEST(ShownOrder, FilterAndSortLeaveTheSavedBytesAlone) {
  testing::TempDir dir;
  SiteCatalogue c(dir.Path());
  for (const char* name : {"site10", "Beta", "site9", "alpha"})
    c.SiteList().Add(FormatSiteLine({name, std::string("http://") + name + "/", "", "", "", "", ""}));
  ASSERT_TRUE(c.SaveSiteData());
  const std::string before = testing::ReadBytes(c.DataFilePath());

  c.SetShownFilter(SiteFilter("SITE"));
  c.SetShownOrder(1, true);
  c.ShowEntry(AllSitesEntryName());
  ASSERT_EQ(c.ShownList().Count(), 2);
  EXPECT_EQ(c.ShownEntryTotal(), 4);
  EXPECT_EQ(SiteFromLine(c.ShownList().Get(0)).SiteName, "site10");
  EXPECT_EQ(SiteFromLine(c.ShownList().Get(1)).SiteName, "site9");
  c.SetShownFilter(SiteFilter());
  c.SetShownOrder(1, false);
  c.ShowEntry(AllSitesEntryName());
  EXPECT_EQ(SiteFromLine(c.ShownList().Get(0)).SiteName, "alpha");
  EXPECT_EQ(SiteFromLine(c.ShownList().Get(3)).SiteName, "site10");

  ASSERT_TRUE(c.SaveSiteData());
  EXPECT_EQ(testing::ReadBytes(c.DataFilePath()), before);
}

}  // namespace
}  // namespace morvane
