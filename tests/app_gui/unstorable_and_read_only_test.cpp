// Two ways the window must not lose or damage what the user has: a site the
// data file cannot hold as it stands (a zero byte from an older import) is
// named while everything else is saved, and a data folder whose lock cannot
// be taken opens read-only.
#include <unistd.h>

#include "app/data_folder_start.h"
#include "catalogue/site_record.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

class UnstorableSiteTest : public WindowTest {
 protected:
  void SetUp() override { OpenForms(); }
  void Settle() {
    EXPECT_TRUE(PumpUntil([this] { return W().Autosave().Settled(); }, 5000));
  }
};

TEST_F(UnstorableSiteTest, TheSiteIsNamedOnceTheRestIsSavedAndTheCloseAsks) {
  AddSite("良いサイト", "http://good/");
  W().Catalogue().SiteList().Add(FormatSiteLine({J("壊れた") + std::string(1, '\0') + J("名前"), "http://broken/", "",
                                                 "2026/12/08 04:37:29", "http://a/", "", ""}));
  W().CatalogueChanged();
  Settle();
  const std::string named = "\n[壊れた名前] http://broken/";
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].find("次のサイトは保存されませんでした"), std::string::npos);
  EXPECT_NE(dialogs.errors[0].find(named), std::string::npos);
  // Later changes are saved, and the same site is not told of again.
  AddSite("次のサイト", "http://next/");
  Settle();
  EXPECT_EQ(dialogs.errors.size(), 1u);
  {
    SiteCatalogue disk(folder.Path());
    ASSERT_TRUE(disk.LoadSiteData().Loaded());
    EXPECT_EQ(disk.SiteList().Count(), 2);
  }

  // Closing would lose it: the window asks, and No keeps everything.
  dialogs.yesNoAnswers.push_back(false);
  EXPECT_FALSE(W().FormCloseQuery());
  ASSERT_EQ(dialogs.questions.size(), 1u);
  EXPECT_NE(dialogs.questions[0].find(named), std::string::npos);
  EXPECT_TRUE(dialogs.questions[0].ends_with("このまま終了しますか？"));
  EXPECT_EQ(Column(1).size(), 3u);

  // Deleted by the user, the close goes through without a question.
  W().lvSiteList.SelectRow(1);
  dialogs.yesNoAnswers.push_back(true);
  W().tbDeleteSiteClick();
  EXPECT_EQ(Column(1), (std::vector<std::string>{"良いサイト", "次のサイト"}));
  EXPECT_TRUE(W().FormCloseQuery());
  EXPECT_EQ(dialogs.questions.size(), 2u);  // the delete's own
}

// The lock file is a link, as a planted one would be: the lock cannot be
// taken, so a second window would go unnoticed.
class ReadOnlyStartTest : public WindowTest {
 protected:
  void SetUp() override {
    {
      SiteCatalogue first(folder.Path());
      StoreSite(first.SiteList(), {"kept", "http://kept/", "", "2026/12/08 04:37:29", "http://a/", "", ""});
      ASSERT_TRUE(first.SaveSiteData());
    }
    ASSERT_EQ(::symlink("elsewhere", (folder / kDataFolderLockName).c_str()), 0);
  }
};

TEST_F(ReadOnlyStartTest, ALockThatCannotBeTakenOpensReadOnlyAndWritesNothing) {
  DataPaths paths = DataPathsFor(folder.Path(), "morvane");
  DataFolderLock lock;
  ASSERT_TRUE(OpenDataFolder(paths, lock));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].find("読み取り専用で開きます"), std::string::npos);
  EXPECT_TRUE(paths.readOnly);
  EXPECT_TRUE(paths.browserProfile.empty());  // the web engine keeps its cookies in memory

  const std::vector<std::string> before = folder.Names();
  const std::string dataBefore = ReadBytes(folder / "VexaSiteData.dat");
  MainWindowOptions options;
  options.paths = paths;
  options.serviceUrl = serviceUrl;
  forms = std::make_unique<MorvaneForms>(options);
  W().show();
  PumpUntil([this] { return W().get_mapped(); });
  EXPECT_TRUE(W().get_title().raw().ends_with("（読み取り専用）"));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"kept"}));

  // Changes are made in the window, and nothing reaches the folder.
  AddSite("new", "http://new/");
  AddCategory("旅行");
  PumpFor(1500);
  EXPECT_TRUE(W().FormCloseQuery());
  EXPECT_TRUE(dialogs.questions.empty());
  CloseForms();
  EXPECT_EQ(folder.Names(), before);
  EXPECT_EQ(ReadBytes(folder / "VexaSiteData.dat"), dataBefore);
}

}  // namespace
}  // namespace morvane::testing
