// The data file's blocks read back as written even when a text inside one of
// them looks like another block's mark; a text that would not is refused.
#include <gtest/gtest.h>

#include "catalogue/site_data_file.h"
#include "util/container_file.h"
#include "util/text_file.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

constexpr std::string_view kIdentity = "identity";

struct ReadBack {
  bool identityMatches = false;
  SiteDataBlocks blocks;
  std::vector<std::string> leftOut;
};

// The file built in one slice and read again as a load reads it; nullopt
// when the builder refused it.
std::optional<ReadBack> BuildAndRead(std::string_view tree, const LineList& sites, std::string_view master,
                                     std::string_view identity = kIdentity) {
  SiteDataFileBuilder builder(identity, tree, sites, master);
  EXPECT_TRUE(builder.CopyLines(std::chrono::steady_clock::duration::max()));
  ReadBack read;
  read.leftOut = builder.LeftOut();
  std::optional<std::string> bytes = std::move(builder).Finish();
  if (!bytes) return std::nullopt;
  EXPECT_EQ(ToCrLfLines(*bytes), *bytes) << "the reader would change the bytes";
  ContainerText container = ParseContainer(std::move(*bytes), identity);
  EXPECT_TRUE(container.contentsFound);
  read.identityMatches = container.identityMatches;
  read.blocks = ParseSiteDataContents(std::move(container.contents));
  return read;
}

TEST(SiteDataBlocks, SiteLinesThatLookLikeLaterMarksStayInTheSiteList) {
  // Site name "<!--", URL "_SERIALNUMBER_", category "-->": one line that is
  // exactly the master login block's opening mark; the next line its closing one.
  LineList sites;
  sites.Add("<!--\t_SERIALNUMBER_\t-->");
  sites.Add("<!--/\t_SERIALNUMBER_\t-->");
  sites.Add("<!--\t_CATEGORYTREE_\t-->\tx");
  const std::string master = MasterLoginBlock("boss", "secret");
  const std::optional<ReadBack> read = BuildAndRead("6 7 -1 \r\nall\r\n", sites, master);
  ASSERT_TRUE(read);

  EXPECT_EQ(read->blocks.treeText, "6 7 -1 \r\nall");
  EXPECT_EQ(read->blocks.siteListText, sites.GetText().substr(0, sites.GetText().size() - 2));
  EXPECT_EQ(read->blocks.masterBlock, master);
  const MasterLogin login = ParseMasterLoginBlock(read->blocks.masterBlock);
  EXPECT_EQ(login.id, "boss");
  EXPECT_EQ(login.pass, "secret");
}

// A site line that could not be read back is left out and named, and the
// rest written.
TEST(SiteDataBlocks, ASiteLineThatCannotBeStoredIsLeftOutAndNamed) {
  LineList sites;
  sites.Add("kept\thttp://kept/");
  sites.Add("a\t<!--/\t_SITELIST_\t-->");
  sites.Add(std::string("n\0ul\thttp://nul/\tx", 18));
  sites.Add("line\nbreak\thttp://lf/");
  sites.Add("<!--/\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t-->\thttp://c/");
  std::optional<ReadBack> read = BuildAndRead("", sites, "");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->blocks.siteListText, "kept\thttp://kept/");
  EXPECT_EQ(read->leftOut,
            (std::vector<std::string>{"[a] <!--/", "[nul] http://nul/", "[linebreak] http://lf/", "[<!--/] "}));
  // Each line is a text of its own in the file: a line ending in a lone lead
  // byte neither hides a mark at the start of the next nor makes one with it.
  sites.Clear();
  sites.Add("a\x81");
  sites.Add("<!--/\t_SITELIST_\t-->");
  read = BuildAndRead("", sites, "");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->leftOut.size(), 1u);
  sites.Put(1, "\t_SITELIST_\t-->");
  sites.Put(0, "<!--/\x81");
  read = BuildAndRead("", sites, "");
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->leftOut.empty());
  EXPECT_EQ(read->blocks.siteListText, "<!--/\x81\r\n\t_SITELIST_\t-->");
}

// The identity, the tree text and the master block are one text each: one
// that would come back otherwise refuses the whole file, any other comes back
// as given (the tree and the master block trimmed of line breaks at their
// ends, as every block's text is read; the identity must then have none).
TEST(SiteDataBlocks, EachOtherTextIsRefusedOrReadBackAsGiven) {
  struct Text {
    std::string text;
    bool fitsContents;  // as the tree text or the master block
    bool fitsIdentity;
  };
  const Text texts[] = {
      {"plain", true, true},
      {"two\r\nlines", true, true},
      {"another block's mark <!--/\t_SITELIST_\t-->", true, true},
      {"\x81<!--/\t_CATEGORYTREE_\t--> a mark's first byte taken into a character", true, true},
      {"ends on a whole character \x81\x81", true, true},
      {"\r\nedge breaks\r\n", true, false},
      {"contents end <!--/\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t-->", false, true},
      {"lone\nLF", false, false},
      {"lone\rCR", false, false},
      {std::string("n\0ul", 4), false, false},
      {"ends in a lone lead byte\x81", false, false},
  };
  const LineList sites;
  for (const Text& t : texts) {
    SCOPED_TRACE(::testing::PrintToString(t.text));
    const std::optional<ReadBack> asTree = BuildAndRead(t.text, sites, "m");
    const std::optional<ReadBack> asMaster = BuildAndRead("t", sites, t.text);
    const std::optional<ReadBack> asIdentity = BuildAndRead("t", sites, "m", t.text);
    ASSERT_EQ(asTree.has_value(), t.fitsContents);
    ASSERT_EQ(asMaster.has_value(), t.fitsContents);
    ASSERT_EQ(asIdentity.has_value(), t.fitsIdentity);
    EXPECT_TRUE(!asIdentity || asIdentity->identityMatches);
    if (!t.fitsContents) continue;
    EXPECT_EQ(asTree->blocks.treeText, LineBreaksTrimmed(t.text));
    EXPECT_EQ(asMaster->blocks.masterBlock, LineBreaksTrimmed(t.text));
  }
  // A block's own closing mark ends only that block.
  EXPECT_FALSE(SiteDataLayout::Of(kIdentity, "x<!--/\t_CATEGORYTREE_\t-->", ""));
  EXPECT_FALSE(SiteDataLayout::Of(kIdentity, "", "x<!--/\t_SERIALNUMBER_\t-->"));
  EXPECT_FALSE(SiteDataLayout::Of("x<!--/\t\t@__QZ_ID_CODE_BLOCK_TAG__@\t\t-->", "", ""));
  EXPECT_TRUE(SiteDataLayout::Of(kIdentity, "x<!--/\t_SERIALNUMBER_\t-->", "x<!--/\t_CATEGORYTREE_\t-->"));
}

TEST(SiteDataBlocks, BuiltInSlicesGivesTheSameBytes) {
  LineList sites;
  for (int i = 0; i < 3000; ++i) sites.Add("site" + std::to_string(i) + "\thttp://s/" + std::to_string(i));
  const std::string tree = "6 7 -1 \r\nall\r\n";
  SiteDataFileBuilder sliced(kIdentity, tree, sites, "m"), whole(kIdentity, tree, sites, "m");
  int slices = 1;
  while (!sliced.CopyLines(std::chrono::nanoseconds(1))) ++slices;
  EXPECT_GT(slices, 2);
  ASSERT_TRUE(whole.CopyLines(std::chrono::steady_clock::duration::max()));
  EXPECT_EQ(std::move(sliced).Finish(), std::move(whole).Finish());
}

}  // namespace
}  // namespace morvane
