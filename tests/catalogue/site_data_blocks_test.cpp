// The data file's blocks read back as written even when a text inside one of
// them looks like another block's mark.
#include <gtest/gtest.h>

#include "catalogue/site_data_file.h"

namespace morvane {
namespace {

TEST(SiteDataBlocks, SiteLinesThatLookLikeLaterMarksStayInTheSiteList) {
  // Site name "<!--", URL "_SERIALNUMBER_", category "-->": one line that is
  // exactly the master login block's opening mark; the next line its closing one.
  LineList sites;
  sites.Add("<!--\t_SERIALNUMBER_\t-->");
  sites.Add("<!--/\t_SERIALNUMBER_\t-->");
  sites.Add("<!--\t_CATEGORYTREE_\t-->\tx");
  const std::string master = MasterLoginBlock("boss", "secret");
  const std::optional<std::string> contents = BuildSiteDataContents("6 7 -1 \r\nall\r\n", sites, master);
  ASSERT_TRUE(contents);

  const SiteDataBlocks blocks = ParseSiteDataContents(*contents);
  EXPECT_EQ(blocks.treeText, "6 7 -1 \r\nall");
  EXPECT_EQ(blocks.siteListText, sites.GetText().substr(0, sites.GetText().size() - 2));
  EXPECT_EQ(blocks.masterBlock, master);
  const MasterLogin login = ParseMasterLoginBlock(blocks.masterBlock);
  EXPECT_EQ(login.id, "boss");
  EXPECT_EQ(login.pass, "secret");
}

TEST(SiteDataBlocks, OwnClosingMarkInsideABlockIsRefused) {
  LineList sites;
  sites.Add("a\t<!--/\t_SITELIST_\t-->");
  EXPECT_FALSE(BuildSiteDataContents("", sites, ""));
  EXPECT_FALSE(BuildSiteDataContents("x<!--/\t_CATEGORYTREE_\t-->", LineList(), ""));
  // Lines are searched joined: a line ending in a lone lead byte must not
  // hide the mark at the start of the next, nor make one out of two lines.
  sites.Clear();
  sites.Add("a\x81");
  sites.Add("<!--/\t_SITELIST_\t-->");
  EXPECT_FALSE(BuildSiteDataContents("", sites, ""));
  sites.Put(1, "\t_SITELIST_\t-->");
  sites.Put(0, "<!--/\x81");
  EXPECT_TRUE(BuildSiteDataContents("", sites, ""));
}

TEST(SiteDataBlocks, BuiltInSlicesGivesTheSameBytes) {
  LineList sites;
  for (int i = 0; i < 3000; ++i) sites.Add("site" + std::to_string(i) + "\thttp://s/" + std::to_string(i));
  SiteDataContentsBuilder builder("6 7 -1 \r\nall\r\n", sites, "m");
  int slices = 1;
  while (!builder.CopyLines(std::chrono::nanoseconds(1))) ++slices;
  EXPECT_GT(slices, 2);
  EXPECT_EQ(std::move(builder).Finish(), BuildSiteDataContents("6 7 -1 \r\nall\r\n", sites, "m"));
}

}  // namespace
}  // namespace morvane
