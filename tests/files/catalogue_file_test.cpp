#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/catalogue.h"
#include "catalogue/site_data_file.h"
#include "catalogue/site_record.h"
#include "file_test_support.h"
#include "util/cp932.h"
#include "util/safe_file_writer.h"
#include "util/scrambler.h"

namespace morvane {
namespace {

const std::string kKey = "#tide+arc*lump-Q";

std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }
std::string Identity(const std::string& name) { return J("Vexa アクセス解析セット - Morvane 8号") + name; }
std::string Block(const std::string& tag, const std::string& text) {
  return "<!--" + tag + "-->" + text + "<!--/" + tag + "-->";
}
std::string Container(const std::string& identity, const std::string& contents) {
  return Block("\t\t@__QZ_ID_CODE_BLOCK_TAG__@\t\t", identity) +
         Block("\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t", contents) + "\r\n";
}
// A data file built piece by piece from the documented layout.
std::string DataFile(const std::string& identity, const std::string& tree, const std::string& sites,
                     const std::string& master) {
  return Container(identity, Block("\t_CATEGORYTREE_\t", tree) + Block("\t_SITELIST_\t", sites) +
                                 Block("\t_SERIALNUMBER_\t", master));
}

const std::string kDesignedTree = "6 7 -1 5 0 -1 \r\n" + J("すべてのサイト") + "\r\n\t" + J("未分類") + "\r\n";
const std::string kDate = "2026/12/08 04:37:29";
const std::string kAccess = "http://vexa.example/a?u=1";

SiteRecord Site(std::string name, std::string url, std::string category, std::string id, std::string pass) {
  return {std::move(name), std::move(url), std::move(category), kDate, kAccess, std::move(id), std::move(pass)};
}

class CatalogueFile : public ::testing::Test {
 protected:
  std::string DataPath() const { return dir / "VexaSiteData.dat"; }
  TempDir dir;
};

TEST_F(CatalogueFile, SavedFileIsByteExact) {
  SiteCatalogue c(dir.Path());
  StoreSite(c.SiteList(), Site(J("日本語のサイト"), "http://a.example/", "", "user", "secret"));
  StoreSite(c.SiteList(), Site("B", "http://b.example/", J("未分類"), "", ""));
  c.SetMasterLogin("master", "pw");
  ASSERT_TRUE(c.SaveSiteData());
  const std::string sites = J("日本語のサイト") + "\thttp://a.example/\t\t" + kDate + "\t" + kAccess + "\tuser\t" +
                            ScrambleText("secret", kKey) + "\r\n" + "B\thttp://b.example/\t" + J("未分類") + "\t" +
                            kDate + "\t" + kAccess + "\t\t\r\n";
  const std::string master = ScrambleText("master\t" + ScrambleText("pw", kKey), kKey);
  EXPECT_EQ(ReadBytes(DataPath()), DataFile(Identity("VexaSiteData.dat"), kDesignedTree, sites, master));
  EXPECT_EQ(testing::ModeOf(DataPath()) & 0077, 0u);

  // An empty catalogue: the tree, an empty site list, no master login.
  SiteCatalogue empty(dir.Path());
  ASSERT_TRUE(empty.SaveSiteData(dir / "empty.dat"));
  EXPECT_EQ(ReadBytes(dir / "empty.dat"), DataFile(Identity("VexaSiteData.dat"), kDesignedTree, "", ""));
}

// A save writes the lines as they stand where it can; the stepwise save of
// the autosave joins them first. Both must give the same bytes and leave out
// the same sites, also for lines that cannot be stored.
TEST_F(CatalogueFile, SaveAndStepwiseSaveWriteTheSameBytes) {
  const std::vector<std::string> oddLines = {"",
                                             "lone\rCR",
                                             "lone\nLF",
                                             std::string("nul\0byte", 8),
                                             "a<!--/\t_SITELIST_\t-->b",
                                             "<!--/\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t-->",
                                             J("表") + "<!--/\t_SITELIST_\t-->",
                                             "\x81"};
  for (const std::string& odd : oddLines) {
    SCOPED_TRACE(::testing::PrintToString(odd));
    SiteCatalogue c(dir.Path());
    c.Tree().AddCategory(J("旅行"));
    StoreSite(c.SiteList(), Site(J("日本語のサイト"), "http://a.example/", J("旅行"), "user", "secret"));
    c.SiteList().Add(odd);
    c.SetMasterLogin("master", "pw");
    ASSERT_TRUE(c.SaveSiteData(dir / "whole.dat"));
    SiteDataSnapshot stepwise = c.Snapshot(dir / "stepwise.dat");
    ASSERT_TRUE(stepwise.Copy(std::chrono::steady_clock::duration::max()));
    EXPECT_EQ(stepwise.LeftOut(), c.LeftOutOfLastSave());
    EXPECT_EQ(c.LeftOutOfLastSave().size(), SiteLineStorable(odd) ? 0u : 1u);
    EXPECT_TRUE(std::move(stepwise).Write());
    EXPECT_EQ(ReadBytes(dir / "whole.dat"), ReadBytes(dir / "stepwise.dat"));
  }
}

// The data file's name is part of the identity the file carries. A name
// that would not read back as written (a line break in it) is refused by
// either way of saving, with nothing written, rather than saved into a file
// that the next start takes for another's and sets aside.
TEST_F(CatalogueFile, ANameThatWouldNotReadBackAsTheIdentityIsRefusedByBothSaves) {
  for (const std::string name : {"line\nbreak.dat", "carriage\rreturn.dat"}) {
    SCOPED_TRACE(::testing::PrintToString(name));
    TempDir own;
    WriteBytes(own / name, "theirs");
    SiteCatalogue c(own.Path());
    ASSERT_TRUE(c.ChooseDataFileName(name));
    StoreSite(c.SiteList(), Site("s", "http://s/", "", "", ""));
    EXPECT_FALSE(c.SaveSiteData());
    EXPECT_FALSE(c.SaveSiteData(own / "export.dat"));
    SiteDataSnapshot stepwise = c.Snapshot();
    ASSERT_TRUE(stepwise.Copy(std::chrono::steady_clock::duration::max()));
    EXPECT_FALSE(std::move(stepwise).Write());
    EXPECT_EQ(ReadBytes(own / name), "theirs");
    EXPECT_EQ(own.Names(), std::vector<std::string>{name});
  }
}

TEST_F(CatalogueFile, RoundTripKeepsEveryField) {
  SiteCatalogue c(dir.Path());
  ASSERT_EQ(c.Tree().AddCategory(J("ブログ")), AddCategoryResult::Added);
  StoreSite(c.SiteList(), Site(J("ソフト"), "http://s.example/", J("ブログ"), "_user", "_pass"));
  StoreSite(c.SiteList(), Site("", "http://e.example/", "", "", ""));
  StoreSite(c.SiteList(), Site(J("表"), "http://t.example/", J("未分類"), J("ＩＤ"), J("表パス")));
  c.SetMasterLogin("_master", "_pw");
  ASSERT_TRUE(c.SaveSiteData());

  SiteCatalogue loaded(dir.Path());
  loaded.SetMasterLogin("old", "old");
  const SiteDataLoadResult r = loaded.LoadSiteData();
  ASSERT_TRUE(r.Loaded());
  EXPECT_TRUE(r.masterLoginLoaded);
  EXPECT_FALSE(r.treeTextBad);
  EXPECT_EQ(loaded.SiteList().Lines(), c.SiteList().Lines());
  EXPECT_EQ(SiteFromLine(loaded.SiteList().Get(0)).LoginPass, "_pass");
  EXPECT_EQ(SiteFromLine(loaded.SiteList().Get(2)).LoginPass, J("表パス"));
  EXPECT_EQ(loaded.Tree().ToText(), c.Tree().ToText());
  EXPECT_EQ(loaded.MasterID(), "_master");
  EXPECT_EQ(loaded.MasterPass(), "_pw");
  EXPECT_EQ(loaded.Tree().Selected(), loaded.Tree().FirstRoot());
  EXPECT_EQ(loaded.ShownList().Count(), 3);

  // Half a master login survives; none at all leaves the one in memory.
  for (auto [id, pass] : {std::pair<std::string, std::string>{"", "only-pass"}, {"only-id", ""}, {"", ""}}) {
    SiteCatalogue half(dir.Path());
    half.SetMasterLogin(id, pass);
    ASSERT_TRUE(half.SaveSiteData());
    ASSERT_TRUE(loaded.LoadSiteData().Loaded());
    EXPECT_EQ(loaded.MasterID(), id.empty() && pass.empty() ? "only-id" : id);
    EXPECT_EQ(loaded.MasterPass(), pass);
    EXPECT_EQ(loaded.SiteList().Count(), 0);
  }
}

TEST_F(CatalogueFile, MissingFileOrFolderInItsPlaceIsSilentAndChangesNothing) {
  SiteCatalogue c(dir.Path());
  StoreSite(c.SiteList(), Site("x", "http://x/", "", "", ""));
  EXPECT_EQ(c.LoadSiteData().status, SiteDataLoadStatus::Missing);
  std::filesystem::create_directory(DataPath());
  EXPECT_EQ(c.LoadSiteData().status, SiteDataLoadStatus::Missing);
  EXPECT_FALSE(c.SaveSiteData());
  EXPECT_TRUE(std::filesystem::is_directory(DataPath()));
  EXPECT_EQ(c.SiteList().Count(), 1);
}

// Files the catalogue cannot take: reported, moved aside when it is the data
// file itself, and memory left exactly as it was.
TEST_F(CatalogueFile, UnusableDataFilesAreReportedAndSetAside) {
  const std::string good = DataFile(Identity("VexaSiteData.dat"), kDesignedTree, "a\thttp://a/\t\t\t\t\t\r\n", "");
  const std::pair<const char*, std::string> cases[] = {
      {"other identity", DataFile(Identity("Other.dat"), kDesignedTree, "a\thttp://a/\t\t\t\t\t\r\n", "")},
      {"cut short", good.substr(0, good.size() - 30)},
      {"NUL inside", good.substr(0, 200) + std::string(1, '\0') + good.substr(200)},
      {"binary garbage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18)},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    TempDir own;
    WriteBytes(own / "VexaSiteData.dat", bytes);
    SiteCatalogue c(own.Path());
    StoreSite(c.SiteList(), Site("mine", "http://mine/", "", "", ""));
    c.SetMasterLogin("id", "pw");

    const SiteDataLoadResult r = c.LoadSiteData();
    EXPECT_EQ(r.status, SiteDataLoadStatus::Foreign);
    EXPECT_EQ(c.SiteList().Count(), 1);
    EXPECT_EQ(c.MasterID(), "id");
    // Moved aside byte for byte, so the next save starts a new file.
    EXPECT_EQ(ReadBytes(r.backupName), bytes);
    EXPECT_TRUE(r.backupName.ends_with("_VexaSiteData.bak"));
    EXPECT_TRUE(c.SaveSiteData());
    EXPECT_EQ(own.Names().size(), 2u);
  }
}

TEST_F(CatalogueFile, ImportAndExportFiles) {
  SiteCatalogue c(dir.Path());
  StoreSite(c.SiteList(), Site("s", "http://s/", "", "", ""));
  ASSERT_TRUE(c.SaveSiteData(dir / "export.txt"));
  SiteCatalogue same(dir.Path());
  EXPECT_TRUE(same.LoadSiteData(dir / "export.txt").Loaded());
  EXPECT_EQ(same.SiteList().Lines(), c.SiteList().Lines());

  // Exported under another data file name: refused, and the file stays put.
  WriteBytes(dir / "Mine.dat", "");
  SiteCatalogue renamed(dir.Path());
  ASSERT_TRUE(renamed.ChooseDataFileName("Mine.dat"));
  const SiteDataLoadResult r = renamed.LoadSiteData(dir / "export.txt");
  EXPECT_EQ(r.status, SiteDataLoadStatus::Foreign);
  EXPECT_TRUE(r.backupName.empty());
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Mine.dat", "export.txt"}));
}

TEST_F(CatalogueFile, BlocksInAnyOrderOrMissingStillLoad) {
  const std::string tree =
      "6 7 -1 5 0 -1 5 0 -1 \r\n" + J("すべてのサイト") + "\r\n\t" + J("未分類") + "\r\n\t" + J("趣味") + "\r\n";
  const std::string site = "n\thttp://n/\t" + J("趣味") + "\t\t\t\t";
  WriteBytes(DataPath(), Container(Identity("VexaSiteData.dat"),
                                   Block("\t_SERIALNUMBER_\t", MasterLoginBlock("m", "p")) +
                                       Block("\t_SITELIST_\t", site + "\r\n") + Block("\t_CATEGORYTREE_\t", tree)));
  SiteCatalogue c(dir.Path());
  ASSERT_TRUE(c.LoadSiteData().Loaded());
  EXPECT_EQ(c.Tree().ToText(), tree);
  EXPECT_EQ(c.SiteList().Lines(), std::vector<std::string>{site});
  EXPECT_EQ(c.MasterPass(), "p");

  // Only a site list: the tree and the master login stay as they were.
  WriteBytes(DataPath(), Container(Identity("VexaSiteData.dat"), Block("\t_SITELIST_\t", "")));
  ASSERT_TRUE(c.LoadSiteData().Loaded());
  EXPECT_EQ(c.SiteList().Count(), 0);
  EXPECT_EQ(c.Tree().ToText(), tree);
  EXPECT_EQ(c.MasterID(), "m");
}

TEST_F(CatalogueFile, BadTreeTextLoadsEveryNameAndTheFileIsKeptBeforeItIsSavedOver) {
  const std::string original =
      DataFile(Identity("VexaSiteData.dat"), "6 7 -1 \r\nA\r\n\tB\r\n\t\t\t\tToo deep\r\n\tC\r\n",
               "s\thttp://s/\tC\t\t\t\t\r\n", MasterLoginBlock("m", "p"));
  WriteBytes(DataPath(), original);
  SiteCatalogue c(dir.Path());
  const SiteDataLoadResult r = c.LoadSiteData();
  EXPECT_TRUE(r.Loaded());
  EXPECT_TRUE(r.treeTextBad);
  for (const char* name : {"A", "B", "Too deep", "C"}) EXPECT_NE(c.Tree().FindByName(name), nullptr) << name;
  EXPECT_EQ(c.SiteList().Count(), 1);
  EXPECT_EQ(c.MasterID(), "m");

  ASSERT_TRUE(c.SaveSiteData());
  ASSERT_TRUE(c.SaveSiteData());
  // One backup, holding the damaged file as it was.
  std::vector<std::string> backups;
  for (const std::string& name : dir.Names())
    if (name.ends_with(".bak")) backups.push_back(name);
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(ReadBytes(dir / backups[0]), original);
  EXPECT_NE(ReadBytes(DataPath()), original);
  // An import with a damaged tree leaves its file alone.
  WriteBytes(dir / "import.dat", original);
  EXPECT_TRUE(c.LoadSiteData(dir / "import.dat").treeTextBad);
  ASSERT_TRUE(c.SaveSiteData());
  EXPECT_EQ(ReadBytes(dir / "import.dat"), original);
}

TEST_F(CatalogueFile, FailedSaveLeavesThePreviousFile) {
  SiteCatalogue c(dir.Path());
  StoreSite(c.SiteList(), Site("s", "http://s/", "", "", ""));
  ASSERT_TRUE(c.SaveSiteData());
  const std::string before = ReadBytes(DataPath());
  for (int i = 0; i < 2000; ++i)
    c.SiteList().Add(FormatSiteLine(Site("n", "http://n/" + std::to_string(i), "", "", "")));

  for (auto step : {FaultyFileOps::kOpen, FaultyFileOps::kWrite, FaultyFileOps::kFsync, FaultyFileOps::kRename}) {
    FaultyFileOps ops(step, ENOSPC, step == FaultyFileOps::kWrite ? 2 : 1);
    ops.writeLimit = 8192;
    EXPECT_FALSE(c.SaveSiteData());
  }
  EXPECT_EQ(ReadBytes(DataPath()), before);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"VexaSiteData.dat"});

  // A site that would cut its block short, or end the file's text, is left
  // out and named; the rest is written.
  c.SiteList().Add("evil<!--/\t_SITELIST_\t-->");
  c.SiteList().Add(std::string("zero\0byte\thttp://z/", 19));
  EXPECT_TRUE(c.SaveSiteData());
  EXPECT_EQ(c.LeftOutOfLastSave(), (std::vector<std::string>{"[evil<!--/] _SITELIST_", "[zerobyte] http://z/"}));
  SiteCatalogue loaded(dir.Path());
  ASSERT_TRUE(loaded.LoadSiteData().Loaded());
  EXPECT_EQ(loaded.SiteList().Count(), 2001);
}

TEST_F(CatalogueFile, DataFileThatCannotBeSetAsideIsNeverOverwritten) {
  WriteBytes(DataPath(), "someone else's file\r\n");
  SiteCatalogue c(dir.Path());
  {
    FaultyFileOps ops(FaultyFileOps::kRenameNoReplace, EEXIST);
    EXPECT_EQ(c.LoadSiteData().status, SiteDataLoadStatus::Foreign);
  }
  EXPECT_FALSE(c.SaveSiteData());
  EXPECT_EQ(ReadBytes(DataPath()), "someone else's file\r\n");
  EXPECT_TRUE(c.SaveSiteData(dir / "export.dat"));  // other files are still written
}

TEST_F(CatalogueFile, DataFileNameComesFromAnExistingFileInTheDataFolder) {
  SiteCatalogue c(dir.Path());
  WriteBytes(dir / "Other.dat", "");
  EXPECT_TRUE(c.ChooseDataFileName(J("　") + "Other.dat "));
  EXPECT_EQ(c.DataFilePath(), dir / "Other.dat");
  EXPECT_EQ(c.IdentityText(), Identity("Other.dat"));

  std::filesystem::create_directory(dir / "sub");
  WriteBytes(dir / "sub/x.dat", "");
  const std::string outside = "../" + NamePart(dir.Path().substr(0, dir.Path().size() - 1)) + "/Other.dat";
  for (const std::string& bad : {std::string("NotThere.dat"), std::string("sub/x.dat"), outside, std::string()}) {
    EXPECT_FALSE(c.ChooseDataFileName(bad)) << bad;
    EXPECT_EQ(c.DataFileName(), "VexaSiteData.dat");
  }
}

}  // namespace
}  // namespace morvane
