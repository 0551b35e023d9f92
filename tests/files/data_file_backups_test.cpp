// What is kept before the data file is written over: the bytes of a file
// loaded with a damaged tree, a copy a day (the newest ten), the catalogue
// before an import or restore replaces it; and the backups as the restore
// box lists them.
#include <gtest/gtest.h>

#include <ctime>

#include "catalogue/data_file_backups.h"
#include "catalogue/data_file_writes.h"
#include "catalogue/site_data_file.h"
#include "catalogue/site_record.h"
#include "file_test_support.h"
#include "util/cp932.h"
#include "util/safe_file_writer.h"

namespace morvane {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::chrono::system_clock::time_point Day(int day, int hour = 12) {
  std::tm t{};
  t.tm_year = 2026 - 1900, t.tm_mon = 11, t.tm_mday = day, t.tm_hour = hour;
  t.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&t));
}

SiteRecord Site(const std::string& name) {
  return {name, "http://" + name + ".example/", "", "2026/12/08 04:37:29", "http://vexa.example/" + name, "id", "pw"};
}

std::vector<std::string> NamesEndingIn(const TempDir& dir, std::string_view end) {
  std::vector<std::string> names;
  for (const std::string& name : dir.Names())
    if (name.ends_with(end)) names.push_back(name);
  return names;
}

class DataFileBackupsTest : public ::testing::Test {
 protected:
  std::string DataPath() const { return dir / "VexaSiteData.dat"; }
  void SaveSites(const std::vector<std::string>& names) {
    SiteCatalogue c(dir.Path());
    for (const std::string& n : names) StoreSite(c.SiteList(), Site(n));
    ASSERT_TRUE(c.SaveSiteData());
  }
  // One write of the data file as the window makes it, through the one point.
  void Write(SiteCatalogue& c, DataFileWrites& writes, std::chrono::system_clock::time_point now,
             DataFileWrite kind = DataFileWrite::Autosave) {
    ASSERT_TRUE(writes.BeforeDataFileWrite(kind, now).mayWrite);
    SiteDataSnapshot snapshot = c.Snapshot();
    ASSERT_TRUE(snapshot.Copy(std::chrono::steady_clock::duration::max()));
    ASSERT_TRUE(std::move(snapshot).Write());
    writes.Written();
  }
  TempDir dir;
};

// The autosave's way (a snapshot written elsewhere) used to write over a
// damaged file first, and the copy made at close then held the new bytes.
TEST_F(DataFileBackupsTest, ADamagedTreeIsKeptAsLoadedBeforeTheFirstWriteOfAnyKind) {
  SaveSites({"a"});
  std::string original = ReadBytes(DataPath());
  const std::string tree = "\t_CATEGORYTREE_\t-->";
  original.insert(original.find(tree) + tree.size(), Utf8ToCp932("6 7 -1 \r\nA\r\n\t\t\tToo deep\r\n"));
  WriteBytes(DataPath(), original);

  for (const DataFileWrite kind : {DataFileWrite::Autosave, DataFileWrite::Close, DataFileWrite::Import}) {
    SiteCatalogue c(dir.Path());
    DataFileWrites writes(c);
    const SiteDataLoadResult loaded = c.LoadSiteData();
    ASSERT_TRUE(loaded.treeTextBad);
    writes.Loaded(loaded.status);
    // Changed from outside before the first write: the original is still the
    // one loaded, and the version found is kept on its own.
    if (kind == DataFileWrite::Close) WriteBytes(DataPath(), original + "\r\n");
    c.Tree().AddCategory("new");
    const DataFileWriteCheck check = writes.BeforeDataFileWrite(kind, Day(9));
    ASSERT_TRUE(check.mayWrite);
    ASSERT_FALSE(check.damagedOriginalKept.empty());
    EXPECT_EQ(ReadBytes(check.damagedOriginalKept), original);
    Write(c, writes, Day(9, 13));
    ASSERT_TRUE(c.SaveSiteData());  // the close: nothing more is kept
    EXPECT_EQ(ReadBytes(check.damagedOriginalKept), original);
    EXPECT_FALSE(c.DamagedOriginalPending());
    WriteBytes(DataPath(), original);  // damaged again for the next round
  }
  // Each round kept the original once; none was deleted by the daily rotation.
  std::size_t originals = 0;
  for (const std::string& name : NamesEndingIn(dir, "_VexaSiteData.bak"))
    originals += ReadBytes(dir / name) == original;
  EXPECT_EQ(originals, 3u);
}

TEST_F(DataFileBackupsTest, TheFirstSaveOfADayKeepsACopyAndTheNewestTenStay) {
  SiteCatalogue c(dir.Path());
  DataFileWrites writes(c);
  writes.Loaded(c.LoadSiteData().status);
  // A first save creates the file: nothing to copy.
  Write(c, writes, Day(1, 9));
  EXPECT_TRUE(NamesEndingIn(dir, ".bak").empty());
  WriteBytes(dir / "20261130120000_000_VexaSiteData.bak", "foreign, kept for good");

  for (int day = 1; day <= 13; ++day) {
    StoreSite(c.SiteList(), Site("day" + std::to_string(day)));
    const std::string before = ReadBytes(DataPath());
    const DataFileWriteCheck first = writes.BeforeDataFileWrite(DataFileWrite::Autosave, Day(day, 10));
    Write(c, writes, Day(day, 10));
    Write(c, writes, Day(day, 11));  // the second save that day copies nothing
    // Day one too: its first save found no file to copy.
    ASSERT_FALSE(first.dailyCopyKept.empty()) << day;
    EXPECT_EQ(ReadBytes(first.dailyCopyKept), before);
  }
  const std::vector<std::string> daily = NamesEndingIn(dir, ".daily.bak");
  ASSERT_EQ(daily.size(), 10u);
  EXPECT_TRUE(daily.front().starts_with("20261204")) << daily.front();
  EXPECT_TRUE(daily.back().starts_with("20261213")) << daily.back();
  EXPECT_EQ(ReadBytes(dir / "20261130120000_000_VexaSiteData.bak"), "foreign, kept for good");

  // A program started again the same day does not copy once more.
  SiteCatalogue again(dir.Path());
  DataFileWrites againWrites(again);
  againWrites.Loaded(again.LoadSiteData().status);
  EXPECT_TRUE(againWrites.BeforeDataFileWrite(DataFileWrite::Close, Day(13, 20)).dailyCopyKept.empty());
}

TEST_F(DataFileBackupsTest, BeforeAReplacementTheCatalogueIsKeptWithWhatCameFromOutside) {
  SaveSites({"a"});
  SiteCatalogue c(dir.Path());
  DataFileWrites writes(c);
  writes.Loaded(c.LoadSiteData().status);
  StoreSite(c.SiteList(), Site("unsaved"));
  SaveSites({"a", "outside"});  // another PC's save, not yet seen

  const DataFileWriteCheck check = writes.BeforeDataFileWrite(DataFileWrite::Import, Day(9));
  ASSERT_TRUE(check.mayWrite);
  ASSERT_FALSE(check.catalogueKept.empty());
  EXPECT_EQ(check.outside.kind, OutsideChangeKind::Merged);
  SiteCatalogue kept(dir.Path());
  ASSERT_TRUE(kept.LoadSiteData(check.catalogueKept).Loaded());
  std::vector<std::string> names;
  for (const std::string& line : kept.SiteList().Lines()) names.push_back(SiteFromLine(line).SiteName);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "unsaved", "outside"}));
  // The daily copy came first and holds the file as the other PC left it.
  ASSERT_FALSE(check.dailyCopyKept.empty());
  EXPECT_EQ(SummariseBackup(check.dailyCopyKept, c.IdentityText()).sites, 2);

  // No room for the copy: the replacement must not go ahead.
  testing::FaultyFileOps full(testing::FaultyFileOps::kWrite, ENOSPC);
  const DataFileWriteCheck refused = writes.BeforeDataFileWrite(DataFileWrite::Restore, Day(9, 13));
  EXPECT_FALSE(refused.mayWrite);
  EXPECT_TRUE(refused.catalogueNotKept);
}

TEST_F(DataFileBackupsTest, BackupsAreListedNewestFirstWithWhatTheyHold) {
  SaveSites({"a", "b"});
  const std::string good = ReadBytes(DataPath());
  WriteBytes(dir / "20261201100000_000_VexaSiteData.daily.bak", good);
  WriteBytes(dir / "20261203100000_000_VexaSiteData.bak", good.substr(0, good.size() / 2));  // cut short
  WriteBytes(dir / "20261202100000_000_VexaSiteData.dat", good);  // saved when the data file could not be
  WriteBytes(dir / "20261204100000_000_VexaSiteData.sync-conflict-20261204-ABC.bak", good);
  // Not backups of this data file.
  for (const char* other : {"VexaSiteData.sync-conflict-20261204-100000-ABC.dat", "20261205100000_000_Other.bak",
                            "2026120510000_000_VexaSiteData.bak", "20261205100000_000_VexaSiteData.dat.tmp"})
    WriteBytes(dir / other, good);

  const std::vector<BackupFile> list = ListBackups(DataPath());
  std::vector<std::string> names;
  for (const BackupFile& b : list) names.push_back(NamePart(b.path));
  EXPECT_EQ(names,
            (std::vector<std::string>{"20261204100000_000_VexaSiteData.sync-conflict-20261204-ABC.bak",
                                      "20261203100000_000_VexaSiteData.bak", "20261202100000_000_VexaSiteData.dat",
                                      "20261201100000_000_VexaSiteData.daily.bak"}));
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[2].kind, BackupKind::Rescue);
  EXPECT_EQ(list[3].kind, BackupKind::Daily);
  EXPECT_EQ(list[3].ShownTime(), "2026/12/01 10:00:00");
  EXPECT_EQ(list[3].size, good.size());

  SiteCatalogue c(dir.Path());
  const BackupSummary daily = SummariseBackup(list[3].path, c.IdentityText());
  EXPECT_TRUE(daily.loadable);
  EXPECT_EQ(daily.sites, 2);
  EXPECT_EQ(daily.categories, 0);
  EXPECT_FALSE(SummariseBackup(list[1].path, c.IdentityText()).loadable);
  EXPECT_FALSE(SummariseBackup(dir / "missing.bak", c.IdentityText()).loadable);
  // Under another data file's name the identity differs: not loadable.
  EXPECT_FALSE(SummariseBackup(list[3].path, SiteDataIdentity("Other.dat")).loadable);
}

}  // namespace
}  // namespace morvane
