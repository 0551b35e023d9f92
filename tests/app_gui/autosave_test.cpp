// Every change to the catalogue reaches the data file soon after it is made,
// not only at close, and a failing disk is told once, not at every change.
#include <cerrno>

#include "catalogue/site_record.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

class AutosaveWindowTest : public WindowTest {
 protected:
  void SetUp() override { OpenForms(); }

  // Waits for the pending save (a second at most in use; the limit here only
  // keeps a broken build from hanging), then reads the data file afresh.
  SiteCatalogue OnDisk() {
    EXPECT_TRUE(PumpUntil([this] { return W().Autosave().Settled(); }, 5000));
    SiteCatalogue disk(folder.Path());
    EXPECT_TRUE(disk.LoadSiteData().Loaded());
    return disk;
  }
  std::vector<std::string> SiteNamesOnDisk() {
    std::vector<std::string> names;
    const SiteCatalogue disk = OnDisk();
    for (const std::string& line : disk.SiteList().Lines()) names.push_back(Cp932ToUtf8(SiteFromLine(line).SiteName));
    return names;
  }
};

TEST_F(AutosaveWindowTest, EachKindOfChangeIsSavedWithoutClosing) {
  AddCategory("旅行");
  EXPECT_NE(OnDisk().Tree().FindByName(J("旅行")), nullptr);

  AddSite("旅の記録", "http://travel/", "旅行");
  AddSite("料理", "http://food/");
  EXPECT_EQ(SiteNamesOnDisk(), (std::vector<std::string>{"旅の記録", "料理"}));

  forms_.steps.push_back([this](Gtk::Dialog&) {
    SettingsDialog().edLoginID.set_text("master");
    SettingsDialog().BitBtn1.clicked();
  });
  W().tbSetIDPWClick();
  EXPECT_EQ(OnDisk().MasterID(), "master");

  SelectCategory("すべてのサイト");
  W().lvSiteList.SelectRow(1);
  dialogs.yesNoAnswers.push_back(true);
  W().tbDeleteSiteClick();
  EXPECT_EQ(SiteNamesOnDisk(), (std::vector<std::string>{"旅の記録"}));

  SelectCategory("旅行");
  dialogs.yesNoAnswers.push_back(true);
  W().tbDeleteCategoryClick();
  const SiteCatalogue afterDelete = OnDisk();
  EXPECT_EQ(afterDelete.Tree().FindByName(J("旅行")), nullptr);
  EXPECT_EQ(SiteFromLine(afterDelete.SiteList().Get(0)).Category, "");  // uncategorised with it

  // An import replaces the catalogue: that too is on disk at once.
  SiteCatalogue other(folder.Path() + "other/");
  std::filesystem::create_directory(folder / "other");
  other.SiteList().Add(FormatSiteLine({"imported", "http://imported/", "", "", "", "", ""}));
  ASSERT_TRUE(other.SaveSiteData(folder / "import.dat"));
  dialogs.fileAnswers.push_back(folder / "import.dat");
  dialogs.yesNoAnswers.push_back(true);
  W().tbImportClick();
  EXPECT_EQ(SiteNamesOnDisk(), (std::vector<std::string>{"imported"}));
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(AutosaveWindowTest, AFailingDiskIsToldOncePerStreak) {
  const std::string failed = "サイトデータ保存に失敗しました";
  {
    FaultyFileOps full(FaultyFileOps::kWrite, ENOSPC);
    AddCategory("a");
    EXPECT_TRUE(PumpUntil([this] { return W().Autosave().Settled(); }, 5000));
    AddCategory("b");
    EXPECT_TRUE(PumpUntil([this] { return W().Autosave().Settled(); }, 5000));
    EXPECT_EQ(dialogs.errors, (std::vector<std::string>{failed}));
  }
  AddCategory("c");  // the disk has room again: everything so far is saved
  const SiteCatalogue disk = OnDisk();
  for (const char* name : {"a", "b", "c"}) EXPECT_NE(disk.Tree().FindByName(name), nullptr) << name;
  EXPECT_EQ(dialogs.errors.size(), 1u);

  FaultyFileOps full(FaultyFileOps::kWrite, ENOSPC);
  AddCategory("d");
  EXPECT_TRUE(PumpUntil([this] { return W().Autosave().Settled(); }, 5000));
  EXPECT_EQ(dialogs.errors, (std::vector<std::string>{failed, failed}));  // a new streak
}

}  // namespace
}  // namespace morvane::testing
