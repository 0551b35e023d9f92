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

using testing::FaultyFileOps;
using testing::ReadBytes;
using testing::RecordingDialogs;
using testing::TempDir;
using testing::WriteBytes;
using Step = FaultyFileOps::Step;

const std::string kKey = "#tide+arc*lump-Q";

std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }

std::string Identity(const std::string& dataFileName) { return J("Vexa アクセス解析セット - Morvane 8号") + dataFileName; }

std::string Block(const std::string& tag, const std::string& text) {
  return "<!--" + tag + "-->" + text + "<!--/" + tag + "-->";
}

// A data file built piece by piece from the documented layout.
std::string DataFile(const std::string& identity, const std::string& tree, const std::string& sites,
                     const std::string& master) {
  const std::string contents =
      Block("\t_CATEGORYTREE_\t", tree) + Block("\t_SITELIST_\t", sites) + Block("\t_SERIALNUMBER_\t", master);
  return Block("\t\t@__QZ_ID_CODE_BLOCK_TAG__@\t\t", identity) +
         Block("\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t", contents) + "\r\n";
}

const std::string kDesignedTree = "6 7 -1 5 0 -1 \r\n" + J("すべてのサイト") + "\r\n\t" + J("未分類") + "\r\n";

TQZSiteListRec Site(std::string name, std::string url, std::string category, std::string id, std::string pass) {
  return {std::move(name), std::move(url), std::move(category), "2026/12/08 04:37:29", "http://vexa.example/a?u=1",
          std::move(id), std::move(pass)};
}

class CatalogueFile : public ::testing::Test {
 protected:
  std::string DataPath() const { return dir / "VexaSiteData.dat"; }
  std::vector<std::string> SiteLines(const SiteCatalogue& c) const { return c.SiteList().Lines(); }

  TempDir dir;
  RecordingDialogs dialogs;
};

TEST_F(CatalogueFile, SavedFileIsByteExact) {
  SiteCatalogue c(dir.Path());
  StoreSite(c.SiteList(), Site(J("日本語のサイト"), "http://a.example/", "", "user", "secret"));
  StoreSite(c.SiteList(), Site("B", "http://b.example/", J("未分類"), "", ""));
  c.SetMasterLogin("master", "pw");
  ASSERT_TRUE(c.SaveSiteData());

  const std::string sites = J("日本語のサイト") + "\thttp://a.example/\t\t2026/12/08 04:37:29\thttp://vexa.example/a?u=1\tuser\t" +
                            ScrambleText("secret", kKey) + "\r\n" + "B\thttp://b.example/\t" + J("未分類") +
                            "\t2026/12/08 04:37:29\thttp://vexa.example/a?u=1\t\t\r\n";
  const std::string master = ScrambleText("master\t" + ScrambleText("pw", kKey), kKey);
  EXPECT_EQ(ReadBytes(DataPath()), DataFile(Identity("VexaSiteData.dat"), kDesignedTree, sites, master));
  EXPECT_EQ(testing::ModeOf(DataPath()) & 0077, 0u);
}

TEST_F(CatalogueFile, EmptyCatalogueSavesEmptyBlocksAndLoadsBackUnchanged) {
  SiteCatalogue c(dir.Path());
  ASSERT_TRUE(c.SaveSiteData());
  EXPECT_EQ(ReadBytes(DataPath()), DataFile(Identity("VexaSiteData.dat"), kDesignedTree, "", ""));

  SiteCatalogue other(dir.Path());
  other.SetMasterLogin("kept", "as is");
  StoreSite(other.SiteList(), Site("x", "http://x/", "", "", ""));
  const SiteDataLoadResult r = other.LoadSiteData();
  EXPECT_TRUE(r.Loaded());
  EXPECT_FALSE(r.masterLoginLoaded);
  EXPECT_EQ(other.SiteList().Count(), 0);
  EXPECT_EQ(other.MasterID(), "kept");
  EXPECT_EQ(other.MasterPass(), "as is");
  EXPECT_EQ(other.Tree().QZSaveTreeToStrings(), kDesignedTree);
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(CatalogueFile, RoundTripKeepsEveryField) {
  SiteCatalogue c(dir.Path());
  ASSERT_EQ(c.Tree().AddCategory(J("ブログ")), AddCategoryResult::Added);
  ASSERT_EQ(c.Tree().AddCategory(J("表示")), AddCategoryResult::Added);
  StoreSite(c.SiteList(), Site(J("ソフト"), "http://s.example/", J("ブログ"), "_user", "_pass"));
  StoreSite(c.SiteList(), Site("", "http://e.example/", "", "", ""));
  StoreSite(c.SiteList(), Site(J("表"), "http://t.example/", J("表示"), J("ＩＤ"), J("パス")));
  c.SetMasterLogin("_master", "_pw");
  const std::string tree = c.Tree().QZSaveTreeToStrings();
  ASSERT_TRUE(c.SaveSiteData());

  SiteCatalogue loaded(dir.Path());
  const SiteDataLoadResult r = loaded.LoadSiteData();
  ASSERT_TRUE(r.Loaded());
  EXPECT_TRUE(r.masterLoginLoaded);
  EXPECT_FALSE(r.treeTextBad);
  EXPECT_EQ(SiteLines(loaded), SiteLines(c));
  EXPECT_EQ(SiteFromLine(loaded.SiteList().Get(0)).LoginPass, "_pass");
  EXPECT_EQ(SiteFromLine(loaded.SiteList().Get(2)).LoginPass, J("パス"));
  EXPECT_EQ(loaded.Tree().QZSaveTreeToStrings(), tree);
  EXPECT_EQ(loaded.MasterID(), "_master");
  EXPECT_EQ(loaded.MasterPass(), "_pw");
  // The first entry is selected and its sites shown.
  EXPECT_EQ(loaded.Tree().Selected(), loaded.Tree().FirstRoot());
  EXPECT_EQ(loaded.ShownList().Count(), 3);
}

TEST_F(CatalogueFile, MasterLoginWithOnlyOneHalfSurvives) {
  for (auto [id, pass] : {std::pair<std::string, std::string>{"", "only-pass"}, {"only-id", ""}, {J("管理者"), "_"}}) {
    SiteCatalogue c(dir.Path());
    c.SetMasterLogin(id, pass);
    ASSERT_TRUE(c.SaveSiteData());
    SiteCatalogue loaded(dir.Path());
    ASSERT_TRUE(loaded.LoadSiteData().Loaded());
    EXPECT_EQ(loaded.MasterID(), id);
    EXPECT_EQ(loaded.MasterPass(), pass);
  }
}

TEST_F(CatalogueFile, MissingFileOrFolderInItsPlaceIsSilentAndChangesNothing) {
  SiteCatalogue c(dir.Path());
  StoreSite(c.SiteList(), Site("x", "http://x/", "", "", ""));
  EXPECT_EQ(c.LoadSiteData().status, SiteDataLoadStatus::Missing);

  std::filesystem::create_directory(DataPath());
  WriteBytes(DataPath() + "/inside", "keep");
  EXPECT_EQ(c.LoadSiteData().status, SiteDataLoadStatus::Missing);
  EXPECT_FALSE(c.SaveSiteData());
  EXPECT_EQ(ReadBytes(DataPath() + "/inside"), "keep");
  EXPECT_EQ(c.SiteList().Count(), 1);
  EXPECT_TRUE(dialogs.errors.empty());
}

// Files the catalogue cannot take: reported, moved aside when it is the data
// file itself, and memory left exactly as it was.
TEST_F(CatalogueFile, UnusableDataFilesAreReportedAndSetAside) {
  const std::string good = DataFile(Identity("VexaSiteData.dat"), kDesignedTree, "a\thttp://a/\t\t\t\t\t\r\n", "");
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"other identity", DataFile(Identity("Other.dat"), kDesignedTree, "a\thttp://a/\t\t\t\t\t\r\n", "")},
      {"cut short", good.substr(0, good.size() - 30)},
      {"NUL inside", good.substr(0, 200) + std::string(1, '\0') + good.substr(200)},
      {"binary garbage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 20)},
      {"empty", ""},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    TempDir own;
    WriteBytes(own / "VexaSiteData.dat", bytes);
    SiteCatalogue c(own.Path());
    StoreSite(c.SiteList(), Site("mine", "http://mine/", "", "", ""));
    c.SetMasterLogin("id", "pw");
    dialogs.errors.clear();

    const SiteDataLoadResult r = c.LoadSiteData();
    EXPECT_EQ(r.status, SiteDataLoadStatus::Foreign);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], J("読み込みに失敗しました。ファイル形式が異なります"));
    EXPECT_EQ(c.SiteList().Count(), 1);
    EXPECT_EQ(c.MasterID(), "id");

    // Moved aside byte for byte, so the next save starts a new file.
    ASSERT_FALSE(r.backupName.empty());
    EXPECT_EQ(ReadBytes(r.backupName), bytes);
    EXPECT_EQ(NamePart(r.backupName).size(), std::string("yyyymmddhhmmss_zzz_VexaSiteData.bak").size());
    EXPECT_TRUE(c.SaveSiteData());
    EXPECT_EQ(ReadBytes(r.backupName), bytes);
    EXPECT_EQ(own.Names().size(), 2u);
  }
}

TEST_F(CatalogueFile, ImportFileThatCannotBeTakenStaysWhereItIs) {
  const std::string import = dir / "import.dat";
  const std::string bytes = DataFile(Identity("Other.dat"), kDesignedTree, "", "");
  WriteBytes(import, bytes);
  SiteCatalogue c(dir.Path());
  const SiteDataLoadResult r = c.LoadSiteData(import);
  EXPECT_EQ(r.status, SiteDataLoadStatus::Foreign);
  EXPECT_TRUE(r.backupName.empty());
  EXPECT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"import.dat"});
}

TEST_F(CatalogueFile, ExportImportsAgainOnlyUnderTheSameDataFileName) {
  WriteBytes(dir / "Mine.dat", "");
  SiteCatalogue c(dir.Path());
  StoreSite(c.SiteList(), Site("s", "http://s/", "", "", ""));
  ASSERT_TRUE(c.SaveSiteData(dir / "export.txt"));
  EXPECT_NE(ReadBytes(dir / "export.txt").find(Identity("VexaSiteData.dat")), std::string::npos);

  SiteCatalogue same(dir.Path());
  EXPECT_TRUE(same.LoadSiteData(dir / "export.txt").Loaded());
  EXPECT_EQ(SiteLines(same), SiteLines(c));

  SiteCatalogue renamed(dir.Path());
  ASSERT_TRUE(renamed.ChooseDataFileName("Mine.dat"));
  EXPECT_EQ(renamed.LoadSiteData(dir / "export.txt").status, SiteDataLoadStatus::Foreign);
}

TEST_F(CatalogueFile, BlocksInAnyOrderOrMissingStillLoad) {
  const std::string tree = "6 7 -1 5 0 -1 5 0 -1 \r\n" + J("すべてのサイト") + "\r\n\t" + J("未分類") + "\r\n\t" + J("趣味") + "\r\n";
  const std::string site = "n\thttp://n/\t" + J("趣味") + "\t\t\t\t\r\n";
  const std::string master = MasterLoginBlock("mid", "mpw");
  const std::string contents =
      Block("\t_SERIALNUMBER_\t", master) + Block("\t_SITELIST_\t", site) + Block("\t_CATEGORYTREE_\t", tree);
  WriteBytes(DataPath(), Block("\t\t@__QZ_ID_CODE_BLOCK_TAG__@\t\t", Identity("VexaSiteData.dat")) +
                             Block("\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t", contents));
  SiteCatalogue c(dir.Path());
  ASSERT_TRUE(c.LoadSiteData().Loaded());
  EXPECT_EQ(c.Tree().QZSaveTreeToStrings(), tree);
  EXPECT_EQ(SiteLines(c), std::vector<std::string>{"n\thttp://n/\t" + J("趣味") + "\t\t\t\t"});
  EXPECT_EQ(c.MasterID(), "mid");
  EXPECT_EQ(c.MasterPass(), "mpw");

  // Only a site list: the tree and the master login stay as they were.
  WriteBytes(DataPath(), Block("\t\t@__QZ_ID_CODE_BLOCK_TAG__@\t\t", Identity("VexaSiteData.dat")) +
                             Block("\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t", Block("\t_SITELIST_\t", "")));
  ASSERT_TRUE(c.LoadSiteData().Loaded());
  EXPECT_EQ(c.SiteList().Count(), 0);
  EXPECT_EQ(c.Tree().QZSaveTreeToStrings(), tree);
  EXPECT_EQ(c.MasterID(), "mid");
}

TEST_F(CatalogueFile, BadTreeTextKeepsTheTreeButLoadsTheRest) {
  const std::string badTree = "6 7 -1 \r\nA\r\n\t\t\tToo deep\r\n";
  WriteBytes(DataPath(), DataFile(Identity("VexaSiteData.dat"), badTree, "s\thttp://s/\t\t\t\t\t\r\n",
                                  MasterLoginBlock("m", "p")));
  SiteCatalogue c(dir.Path());
  ASSERT_EQ(c.Tree().AddCategory("Mine"), AddCategoryResult::Added);
  const std::string before = c.Tree().QZSaveTreeToStrings();
  const SiteDataLoadResult r = c.LoadSiteData();
  EXPECT_TRUE(r.Loaded());
  EXPECT_TRUE(r.treeTextBad);
  EXPECT_EQ(c.Tree().QZSaveTreeToStrings(), before);
  EXPECT_EQ(c.SiteList().Count(), 1);
  EXPECT_EQ(c.MasterID(), "m");
}

TEST_F(CatalogueFile, FailedSaveLeavesThePreviousFile) {
  SiteCatalogue c(dir.Path());
  StoreSite(c.SiteList(), Site("s", "http://s/", "", "", ""));
  ASSERT_TRUE(c.SaveSiteData());
  const std::string before = ReadBytes(DataPath());
  for (int i = 0; i < 2000; ++i) StoreSite(c.SiteList(), Site("n", "http://n/" + std::to_string(i), "", "", ""));

  for (auto step : {Step::Open, Step::Write, Step::Fsync, Step::Rename}) {
    FaultyFileOps ops(step, step == Step::Write ? ENOSPC : EIO, step == Step::Write ? 2 : 1);
    ops.writeLimit = 8192;
    EXPECT_FALSE(c.SaveSiteData());
    EXPECT_FALSE(c.SaveSiteData(dir / "export.dat"));
  }
  EXPECT_EQ(ReadBytes(DataPath()), before);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"VexaSiteData.dat"});

  // A text that would cut its own block short is refused, not written.
  c.SiteList().Add("evil<!--/\t_SITELIST_\t-->");
  EXPECT_FALSE(c.SaveSiteData());
  EXPECT_EQ(ReadBytes(DataPath()), before);
}

TEST_F(CatalogueFile, DataFileThatCannotBeSetAsideIsNeverOverwritten) {
  const std::string foreign = "someone else's file\r\n";
  WriteBytes(DataPath(), foreign);
  SiteCatalogue c(dir.Path());
  {
    FaultyFileOps ops(Step::RenameNoReplace, EEXIST);
    EXPECT_EQ(c.LoadSiteData().status, SiteDataLoadStatus::Foreign);
  }
  EXPECT_FALSE(c.SaveSiteData());
  EXPECT_EQ(ReadBytes(DataPath()), foreign);
  EXPECT_TRUE(c.SaveSiteData(dir / "export.dat"));  // other files are still written
}

TEST_F(CatalogueFile, DataFileNameComesFromAnExistingFileInTheDataFolder) {
  SiteCatalogue c(dir.Path());
  WriteBytes(dir / "Other.dat", "");
  EXPECT_TRUE(c.ChooseDataFileName(J("　") + "Other.dat "));
  EXPECT_EQ(c.DataFileName(), "Other.dat");
  EXPECT_EQ(c.DataFilePath(), dir / "Other.dat");
  EXPECT_EQ(c.IdentityText(), Identity("Other.dat"));

  EXPECT_FALSE(c.ChooseDataFileName("NotThere.dat"));
  EXPECT_EQ(c.DataFileName(), "VexaSiteData.dat");
  std::filesystem::create_directory(dir / "sub");
  WriteBytes(dir / "sub/x.dat", "");
  EXPECT_FALSE(c.ChooseDataFileName("sub/x.dat"));
  EXPECT_FALSE(c.ChooseDataFileName("../" + NamePart(dir.Path().substr(0, dir.Path().size() - 1)) + "/Other.dat"));
  EXPECT_FALSE(c.ChooseDataFileName(""));
  EXPECT_EQ(c.DataFileName(), "VexaSiteData.dat");
}

TEST(MasterLoginBlock, OrdinaryLoginsAreTheWholeBlockScrambledOnce) {
  EXPECT_EQ(MasterLoginBlock("", ""), "");
  EXPECT_EQ(MasterLoginBlock("id", "pw"), ScrambleText("id\t" + ScrambleText("pw", kKey), kKey));
  EXPECT_EQ(MasterLoginBlock("", "pw"), ScrambleText("\t" + ScrambleText("pw", kKey), kKey));
  const MasterLogin back = ParseMasterLoginBlock(MasterLoginBlock("_id", "_pw"));
  EXPECT_EQ(back.id, "_id");
  EXPECT_EQ(back.pass, "_pw");
}

}  // namespace
}  // namespace morvane
