// A data file kept as a symbolic link (into a sync folder, say) stays a link
// through every save: the file it leads to is what changes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "catalogue/catalogue.h"
#include "catalogue/site_record.h"
#include "file_test_support.h"
#include "util/safe_file_writer.h"

namespace morvane {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

bool IsLink(const std::string& path) { return std::filesystem::is_symlink(path); }

TEST(LinkedFile, ASaveReplacesTheFileBehindTheLinksInItsOwnFolder) {
  TempDir data, sync;
  WriteBytes(sync / "real.dat", "old\r\n");
  // A relative link to a second link, absolute, to the file: each is read
  // from its own folder.
  ASSERT_EQ(::symlink((sync / "real.dat").c_str(), (sync / "hop").c_str()), 0);
  std::filesystem::create_directory(data / "sub");
  const std::string relative = std::filesystem::relative(sync / "hop", data / "sub").string();
  ASSERT_EQ(::symlink(relative.c_str(), (data / "sub/file.dat").c_str()), 0);
  ASSERT_TRUE(WriteFileReplacing(data / "sub/file.dat", "new\r\n", kPrivateFileMode));
  EXPECT_TRUE(IsLink(data / "sub/file.dat"));
  EXPECT_TRUE(IsLink(sync / "hop"));
  EXPECT_EQ(ReadBytes(sync / "real.dat"), "new\r\n");
  // No temporary file is left in either folder.
  EXPECT_EQ(TempDir::NamesOf(sync.Path()), (std::vector<std::string>{"hop", "real.dat"}));
  EXPECT_EQ(TempDir::NamesOf(data / "sub"), std::vector<std::string>{"file.dat"});
}

TEST(LinkedFile, ALinkToAMissingFileCreatesItAndALoopIsRefused) {
  TempDir dir;
  ASSERT_EQ(::symlink("gone.dat", (dir / "dangling").c_str()), 0);
  ASSERT_TRUE(WriteFileReplacing(dir / "dangling", "x", kPrivateFileMode));
  EXPECT_TRUE(IsLink(dir / "dangling"));
  EXPECT_EQ(ReadBytes(dir / "gone.dat"), "x");

  ASSERT_EQ(::symlink("b", (dir / "a").c_str()), 0);
  ASSERT_EQ(::symlink("a", (dir / "b").c_str()), 0);
  EXPECT_FALSE(WriteFileReplacing(dir / "a", "y", kPrivateFileMode));
  EXPECT_TRUE(IsLink(dir / "a"));
  EXPECT_TRUE(IsLink(dir / "b"));
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a", "b", "dangling", "gone.dat"}));
}

TEST(LinkedFile, TheCatalogueSavesAndLoadsThroughALinkedDataFile) {
  TempDir data, sync;
  {
    SiteCatalogue first(data.Path());
    StoreSite(first.SiteList(), {"A", "http://a/", "", "2026/12/08 04:37:29", "http://v/a", "id", "pw"});
    ASSERT_TRUE(first.SaveSiteData(sync / "VexaSiteData.dat"));
  }
  ASSERT_EQ(::symlink((sync / "VexaSiteData.dat").c_str(), (data / "VexaSiteData.dat").c_str()), 0);
  SiteCatalogue catalogue(data.Path());
  ASSERT_TRUE(catalogue.LoadSiteData().Loaded());
  StoreSite(catalogue.SiteList(), {"B", "http://b/", "", "2026/12/08 04:37:29", "http://v/b", "id", "pw"});
  ASSERT_TRUE(catalogue.SaveSiteData());
  EXPECT_TRUE(IsLink(data / "VexaSiteData.dat"));

  SiteCatalogue again(sync.Path());
  ASSERT_TRUE(again.LoadSiteData().Loaded());
  EXPECT_EQ(again.SiteList().Count(), 2);
}

}  // namespace
}  // namespace morvane
