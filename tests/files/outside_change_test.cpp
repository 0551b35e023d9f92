#include "catalogue/outside_change.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>

#include "catalogue/conflict_copies.h"
#include "catalogue/site_record.h"
#include "file_test_support.h"
#include "util/cp932.h"
#include "util/text_file.h"

namespace morvane {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

SiteRecord Site(const std::string& name) {
  return {name, "http://" + name + ".example/", "", "2026/12/08 04:37:29", "http://vexa.example/" + name, "id", "pw"};
}

std::vector<std::string> Names(const SiteCatalogue& c) {
  std::vector<std::string> names;
  for (const std::string& line : c.SiteList().Lines()) names.push_back(SiteFromLine(line).SiteName);
  return names;
}

std::size_t BackupCount(const TempDir& dir) {
  std::size_t n = 0;
  for (const std::string& name : dir.Names()) n += name.ends_with(".bak");
  return n;
}

class OutsideChangeTest : public ::testing::Test {
 protected:
  OutsideChangeTest() {
    SiteCatalogue first(dir.Path());
    StoreSite(first.SiteList(), Site("a"));
    StoreSite(first.SiteList(), Site("b"));
    EXPECT_TRUE(first.SaveSiteData());
    guard.Loaded(ours, ours.LoadSiteData().status);
  }

  // What another PC or program saves: the file as we know it, plus its edit.
  void SaveFromOutside(const std::function<void(SiteCatalogue&)>& edit) {
    SiteCatalogue other(dir.Path());
    other.LoadSiteData();
    edit(other);
    ASSERT_TRUE(other.SaveSiteData());
  }

  OutsideChangeReport TakeIn() { return guard.TakeIn(ours, now += std::chrono::seconds(1)); }

  std::vector<std::string> NamesOnDisk() {
    SiteCatalogue reread(dir.Path());
    reread.LoadSiteData();
    return Names(reread);
  }

  TempDir dir;
  SiteCatalogue ours{dir.Path()};
  OutsideChangeGuard guard;
  std::chrono::system_clock::time_point now = std::chrono::system_clock::now();
};

TEST_F(OutsideChangeTest, AnOutsideEditIsMergedKeptAndSavedWithOurs) {
  StoreSite(ours.SiteList(), Site("ours"));
  SaveFromOutside([](SiteCatalogue& c) {
    StoreSite(c.SiteList(), Site("theirs"));
    DeleteSiteByURL(c.SiteList(), "http://b.example/");
  });
  const std::string outside = ReadBytes(ours.DataFilePath());

  const OutsideChangeReport r = TakeIn();
  EXPECT_EQ(r.kind, OutsideChangeKind::Merged);
  EXPECT_TRUE(r.catalogueChanged);
  EXPECT_TRUE(r.saved);
  EXPECT_EQ(r.counts.added, 1);
  EXPECT_EQ(r.counts.deleted, 1);
  EXPECT_EQ(Names(ours), (std::vector<std::string>{"a", "ours", "theirs"}));
  EXPECT_EQ(NamesOnDisk(), Names(ours));
  ASSERT_FALSE(r.backupName.empty());
  EXPECT_EQ(ReadBytes(r.backupName), outside);
  EXPECT_EQ(MergeStatusText(r.counts), Utf8ToCp932("別の場所での変更を取り込みました: 追加 1、更新 0、削除 1、競合 0"));

  // Our own save is now the known file: nothing more to take in.
  EXPECT_EQ(TakeIn().kind, OutsideChangeKind::None);
  EXPECT_EQ(BackupCount(dir), 1u);
}

TEST_F(OutsideChangeTest, TheSameBytesAgainAreNoChange) {
  const std::string path = ours.DataFilePath();
  const std::string bytes = ReadBytes(path);
  ASSERT_EQ(::unlink(path.c_str()), 0);  // a new inode and time, as a sync tool leaves it
  WriteBytes(path, bytes);
  EXPECT_EQ(TakeIn().kind, OutsideChangeKind::None);
  EXPECT_EQ(BackupCount(dir), 0u);
}

TEST_F(OutsideChangeTest, AFileThatIsNoCatalogueIsKeptAndNeverWrittenOver) {
  const std::string path = ours.DataFilePath();
  const std::string whole = ReadBytes(path);
  StoreSite(ours.SiteList(), Site("ours"));
  // A tree a thousand levels deep is no catalogue to merge either.
  SiteCatalogue deep(dir.Path());
  std::string tree = "\r\n";
  for (int depth = 0; depth < 1000; ++depth) tree += std::string(depth, '\t') + "c" + std::to_string(depth) + "\r\n";
  deep.Tree().FromText(tree);
  const std::string deepFile = dir / "deep.dat";
  ASSERT_TRUE(deep.SaveSiteData(deepFile));
  for (const std::string& damaged :
       {whole.substr(0, whole.size() / 2), std::string("PK\x03\x04 not a catalogue\0\x01", 22), std::string(),
        ReadBytes(deepFile)}) {
    SCOPED_TRACE(damaged.size());
    WriteBytes(path, damaged);
    const OutsideChangeReport r = TakeIn();
    EXPECT_EQ(r.kind, OutsideChangeKind::Unreadable);
    EXPECT_FALSE(r.catalogueChanged);
    EXPECT_TRUE(r.saved);
    EXPECT_EQ(ReadBytes(r.backupName), damaged);
    EXPECT_EQ(NamesOnDisk(), (std::vector<std::string>{"a", "b", "ours"}));
  }
}

TEST_F(OutsideChangeTest, ADataFileThatAppearsIsMergedWithoutABase) {
  TempDir fresh;
  SiteCatalogue empty(fresh.Path());
  OutsideChangeGuard freshGuard;
  freshGuard.Loaded(empty, empty.LoadSiteData().status);
  StoreSite(empty.SiteList(), Site("mine"));
  SiteCatalogue other(fresh.Path());
  StoreSite(other.SiteList(), Site("theirs"));
  ASSERT_TRUE(other.SaveSiteData());
  const OutsideChangeReport r = freshGuard.TakeIn(empty, now);
  EXPECT_EQ(r.kind, OutsideChangeKind::Merged);
  EXPECT_EQ(Names(empty), (std::vector<std::string>{"mine", "theirs"}));
}

TEST_F(OutsideChangeTest, AKeptCopyThatCannotBeWrittenStopsTheWrite) {
  StoreSite(ours.SiteList(), Site("ours"));
  SaveFromOutside([](SiteCatalogue& c) { StoreSite(c.SiteList(), Site("theirs")); });
  const std::string outside = ReadBytes(ours.DataFilePath());
  OutsideChangeReport r;
  {
    FaultyFileOps full(FaultyFileOps::kWrite, ENOSPC);
    r = TakeIn();
  }
  EXPECT_TRUE(r.writeRefused);
  EXPECT_FALSE(r.saved);
  EXPECT_EQ(ReadBytes(ours.DataFilePath()), outside);
  EXPECT_EQ(BackupCount(dir), 0u);
  // Room again: the next look takes it in.
  EXPECT_EQ(TakeIn().kind, OutsideChangeKind::Merged);
  EXPECT_EQ(NamesOnDisk(), (std::vector<std::string>{"a", "b", "ours", "theirs"}));
}

TEST_F(OutsideChangeTest, AnOutsideFileThatHoldsAllOfOursIsTakenAsItStands) {
  // Two copies of one catalogue in different orders settle without writes.
  SaveFromOutside([](SiteCatalogue& c) {
    c.SiteList().Exchange(0, 1);
    StoreSite(c.SiteList(), Site("theirs"));
  });
  const std::string outside = ReadBytes(ours.DataFilePath());
  const OutsideChangeReport r = TakeIn();
  EXPECT_EQ(r.kind, OutsideChangeKind::Merged);
  EXPECT_EQ(Names(ours), (std::vector<std::string>{"b", "a", "theirs"}));
  EXPECT_EQ(ReadBytes(ours.DataFilePath()), outside);
  EXPECT_EQ(BackupCount(dir), 0u);
  EXPECT_EQ(TakeIn().kind, OutsideChangeKind::None);
}

TEST(ConflictCopyNameTest, KnowsTheSyncToolsNames) {
  const std::string data = "VexaSiteData.dat";
  for (const char* name :
       {"VexaSiteData.sync-conflict-20261209-153000-ABC1234.dat",
        "VexaSiteData (conflicted copy 2026-12-09 153000).dat", "VexaSiteData (Taro's conflicted copy 2026-12-09).dat"})
    EXPECT_TRUE(IsConflictCopyName(data, name)) << name;
  for (const char* name : {"VexaSiteData.dat", "VexaSiteData.dat.tmp", "20261209153000_123_VexaSiteData.bak",
                           "VexaSiteData (copy).dat", "VexaSiteData.sync-conflict-.dat", "Other.sync-conflict-1.dat",
                           "VexaSiteData (conflicted copy 2026-12-09).ini"})
    EXPECT_FALSE(IsConflictCopyName(data, name)) << name;
}

TEST_F(OutsideChangeTest, AConflictCopyIsTakenInAndThenMovedAside) {
  // The other PC's version, left beside ours by the sync tool.
  SiteCatalogue other(dir.Path());
  other.LoadSiteData();
  StoreSite(other.SiteList(), Site("theirs"));
  const std::string copy = dir / "VexaSiteData (conflicted copy 2026-12-09 153000).dat";
  ASSERT_TRUE(other.SaveSiteData(copy));
  StoreSite(ours.SiteList(), Site("ours"));
  EXPECT_EQ(FindConflictCopies(dir.Path(), "VexaSiteData.dat"), std::vector<std::string>{copy});

  const OutsideChangeReport r = guard.TakeInCopy(ours, copy, now);
  EXPECT_EQ(r.kind, OutsideChangeKind::Merged);
  EXPECT_EQ(r.counts.added, 1);
  EXPECT_EQ(Names(ours), (std::vector<std::string>{"a", "b", "ours", "theirs"}));
  EXPECT_EQ(NamesOnDisk(), Names(ours));
  EXPECT_TRUE(FindConflictCopies(dir.Path(), "VexaSiteData.dat").empty());
  EXPECT_TRUE(RegularFileExists(r.backupName));

  // A damaged copy is neither taken in nor moved.
  WriteBytes(copy, "half a file");
  EXPECT_EQ(guard.TakeInCopy(ours, copy, now).kind, OutsideChangeKind::Unreadable);
  EXPECT_EQ(ReadBytes(copy), "half a file");
}

}  // namespace
}  // namespace morvane
