// Master login, import, export, about, and closing with a failed save.
#include <csignal>

#include "app/close_signals.h"
#include "catalogue/site_record.h"
#include "util/file_ops.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

// Refuses to put any file in place under the given name, as a full or
// read-only disk would.
class RefusingRename final : public FileOps {
 public:
  explicit RefusingRename(std::string target) : target_(std::move(target)) { InstallFileOps(this); }
  ~RefusingRename() override { InstallFileOps(nullptr); }
  int Rename(const char* from, const char* to) override {
    if (to == target_) {
      errno = ENOSPC;
      return -1;
    }
    return FileOps::Rename(from, to);
  }

 private:
  std::string target_;
};

class FilesTest : public WindowTest {
 protected:
  void SetUp() override { OpenForms(); }
};

TEST_F(FilesTest, MasterLoginTakesTheBoxesOnlyOnOk) {
  W().Catalogue().SetMasterLogin("id0", "pw0");
  forms_.steps.push_back([this](Gtk::Dialog&) {
    EXPECT_EQ(SettingsDialog().edLoginID.get_text(), "id0");
    EXPECT_EQ(SettingsDialog().edLoginPW.get_text(), "pw0");
    SettingsDialog().edLoginID.set_text("changed");
    // Closed by its frame: a cancel.
  });
  W().tbSetIDPWClick();
  EXPECT_EQ(W().Catalogue().MasterID(), "id0");

  forms_.steps.push_back([this](Gtk::Dialog&) {
    EXPECT_EQ(SettingsDialog().edLoginID.get_text(), "id0");  // filled again from memory
    SettingsDialog().edLoginID.set_text(" マス\tター ");      // a pasted tab would split the stored login
    SettingsDialog().edLoginPW.set_text("秘\r\n密");
    SettingsDialog().Button1Click();
    SettingsDialog().BitBtn1.clicked();
  });
  W().tbSetIDPWClick();
  EXPECT_EQ(W().Catalogue().MasterID(), J(" マス ター "));  // spaces as typed
  EXPECT_EQ(W().Catalogue().MasterPass(), J("秘密"));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"秘\r\n密"}));
  // And it comes back whole from the data file.
  ASSERT_TRUE(W().Catalogue().SaveSiteData());
  W().Catalogue().SetMasterLogin("", "");
  ASSERT_TRUE(W().Catalogue().LoadSiteData().Loaded());
  EXPECT_EQ(W().Catalogue().MasterID(), J(" マス ター "));
  EXPECT_EQ(W().Catalogue().MasterPass(), J("秘密"));
  EXPECT_EQ(SettingsDialog().get_title(), "設定画面");
  EXPECT_TRUE(SettingsDialog().get_modal());
}

TEST_F(FilesTest, ExportThenImportRestoresSitesTreeAndMasterLogin) {
  AddCategory("旅行");
  AddSite("旅の記録", "http://travel/", "旅行");
  W().Catalogue().SetMasterLogin("master", "secret");
  const std::string exported = folder / "export.dat";
  dialogs.fileAnswers.push_back(exported);
  W().tbExportClick();
  ASSERT_EQ(dialogs.fileFilters.size(), 1u);
  ASSERT_EQ(dialogs.fileFilters[0].size(), 2u);
  EXPECT_EQ(dialogs.fileFilters[0][0].name, "データファイル(*.dat)");
  EXPECT_EQ(dialogs.fileFilters[0][0].pattern, "*.dat");
  EXPECT_EQ(dialogs.fileFilters[0][1].name, "テキストファイル(*.txt)");
  EXPECT_EQ(dialogs.defaultExts[0], "dat");
  EXPECT_TRUE(dialogs.errors.empty());

  // Change everything, then import the export back.
  SelectCategory("旅行");
  dialogs.yesNoAnswers.push_back(true);
  W().tbDeleteCategoryClick();
  W().Catalogue().SiteList().Clear();
  W().Catalogue().SetMasterLogin("", "");
  SettingsDialog().edLoginID.set_text("");
  W().ShowEntry(AllSitesEntryName());

  dialogs.fileAnswers.push_back(exported);
  dialogs.yesNoAnswers.push_back(true);  // replace the catalogue
  W().tbImportClick();
  ASSERT_EQ(dialogs.fileFilters.size(), 2u);
  ASSERT_EQ(dialogs.fileFilters[1].size(), 3u);
  EXPECT_EQ(dialogs.defaultExts[1], "");
  EXPECT_EQ(dialogs.fileFilters[1][2].name, "すべてのファイル(*.*)");
  EXPECT_TRUE(dialogs.errors.empty());
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "旅行"}));
  EXPECT_EQ(SelectedCategory(), "すべてのサイト");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"旅の記録"}));
  EXPECT_EQ(W().Catalogue().MasterID(), "master");
  EXPECT_EQ(SettingsDialog().edLoginID.get_text(), "master");
  ChooseCategory("旅行");
  EXPECT_EQ(SiteDialog().cbCategory.get_active_text(), "旅行");

  // The next export proposes the imported file.
  W().tbExportClick();  // cancelled
  EXPECT_EQ(dialogs.proposedNames.back(), exported);
}

TEST_F(FilesTest, AForeignImportChangesNothingAndAFailedExportIsReported) {
  AddSite("keep", "http://keep/");
  const std::string foreign = folder / "foreign.dat", target = folder / "out.dat";
  { std::ofstream(foreign, std::ios::binary) << "something else"; }
  dialogs.fileAnswers.push_back(foreign);
  W().tbImportClick();
  EXPECT_EQ(Column(1), (std::vector<std::string>{"keep"}));
  RefusingRename refuse(target);
  dialogs.fileAnswers.push_back(target);
  W().tbExportClick();
  EXPECT_EQ(dialogs.errors, (std::vector<std::string>{"読み込みに失敗しました。ファイル形式が異なります",
                                                      "エクスポートに失敗しました"}));
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(FilesTest, FailedSaveAtCloseAnsweredNoKeepsWindowAndCatalogue) {
  AddSite("unsaved", "http://unsaved/");
  {
    RefusingRename refuse(W().Catalogue().DataFilePath());
    dialogs.yesNoAnswers.push_back(false);
    EXPECT_FALSE(W().FormCloseQuery());
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], "サイトデータ保存に失敗しました。このまま終了しますか？");
    EXPECT_EQ(Column(1), (std::vector<std::string>{"unsaved"}));
    // The settings were written all the same.
    EXPECT_TRUE(std::filesystem::exists(folder / "morvane.ini"));
    EXPECT_FALSE(std::filesystem::exists(W().Catalogue().DataFilePath()));

    dialogs.yesNoAnswers.push_back(true);
    EXPECT_TRUE(W().FormCloseQuery());  // Yes: close without the data
  }
  // The disk is back: the next attempt saves and closes without a question.
  EXPECT_TRUE(W().FormCloseQuery());
  EXPECT_EQ(dialogs.questions.size(), 2u);
  CloseForms();
  OpenForms();
  EXPECT_EQ(Column(1), (std::vector<std::string>{"unsaved"}));
}

TEST_F(FilesTest, TerminationSignalSavesWithoutAskingAndRescuesAnUnwritableCatalogue) {
  AddSite("rescued", "http://rescued/");
  bool quit = false;
  {
    RefusingRename refuse(W().Catalogue().DataFilePath());
    CloseOnSignals closeOnSignals(W(), [&quit] { quit = true; });
    std::raise(SIGTERM);
    ASSERT_TRUE(PumpUntil([&quit] { return quit; }));
    EXPECT_TRUE(closeOnSignals.Fired());
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_FALSE(W().get_visible());
    // Beside the data file, time-stamped, importable under the same name.
    const std::string rescue = closeOnSignals.WrittenPath();
    ASSERT_FALSE(rescue.empty());
    EXPECT_EQ(rescue.substr(0, folder.Path().size()), folder.Path());
    EXPECT_TRUE(rescue.ends_with("_VexaSiteData.dat"));
    EXPECT_FALSE(std::filesystem::exists(W().Catalogue().DataFilePath()));
    dialogs.fileAnswers.push_back(rescue);
  }
  W().Catalogue().SiteList().Clear();
  dialogs.yesNoAnswers.push_back(true);
  W().tbImportClick();
  EXPECT_TRUE(dialogs.errors.empty());
  EXPECT_EQ(Column(1), (std::vector<std::string>{"rescued"}));

  // With a writable disk the data file itself is written.
  quit = false;
  CloseOnSignals again(W(), [&quit] { quit = true; });
  std::raise(SIGHUP);
  ASSERT_TRUE(PumpUntil([&quit] { return quit; }));
  EXPECT_EQ(again.WrittenPath(), W().Catalogue().DataFilePath());
  EXPECT_TRUE(std::filesystem::exists(W().Catalogue().DataFilePath()));
}

}  // namespace
}  // namespace morvane::testing
