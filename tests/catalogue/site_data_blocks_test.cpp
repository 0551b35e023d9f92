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

// A site line that could not be read back is left out and named, and the
// rest written; a tree text that could not is refused, as the tree is one.
TEST(SiteDataBlocks, ASiteLineThatCannotBeStoredIsLeftOutAndNamed) {
  LineList sites;
  sites.Add("kept\thttp://kept/");
  sites.Add("a\t<!--/\t_SITELIST_\t-->");
  sites.Add(std::string("n\0ul\thttp://nul/\tx", 18));
  sites.Add("line\nbreak\thttp://lf/");
  sites.Add("<!--/\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t-->\thttp://c/");
  std::vector<std::string> leftOut;
  const std::optional<std::string> contents = BuildSiteDataContents("", sites, "", &leftOut);
  ASSERT_TRUE(contents);
  EXPECT_EQ(ParseSiteDataContents(*contents).siteListText, "kept\thttp://kept/");
  EXPECT_EQ(leftOut, (std::vector<std::string>{"[a] <!--/", "[nul] http://nul/", "[linebreak] http://lf/",
                                                "[<!--/] "}));
  EXPECT_FALSE(BuildSiteDataContents("x<!--/\t_CATEGORYTREE_\t-->", LineList(), ""));
  // Each line is a text of its own in the file: a line ending in a lone lead
  // byte neither hides a mark at the start of the next nor makes one with it.
  sites.Clear();
  sites.Add("a\x81");
  sites.Add("<!--/\t_SITELIST_\t-->");
  ASSERT_TRUE(BuildSiteDataContents("", sites, "", &leftOut));
  EXPECT_EQ(leftOut.size(), 1u);
  sites.Put(1, "\t_SITELIST_\t-->");
  sites.Put(0, "<!--/\x81");
  ASSERT_TRUE(BuildSiteDataContents("", sites, "", &leftOut));
  EXPECT_TRUE(leftOut.empty());
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
