// Opening the data folder at start-up: the boxes a user meets before the
// window, and the folder the about box names.
#include <sys/stat.h>
#include <unistd.h>

#include "app/data_folder_start.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

class DataFolderStartTest : public ::testing::Test {
 protected:
  TempDir dir;
  FakeDialogs dialogs;
  DataPaths paths = DataPathsFor(dir / "data", "morvane");
  DataFolderLock lock;
};

TEST_F(DataFolderStartTest, FreshFolderOpensQuietlyAndIsLockedForTheRun) {
  ASSERT_TRUE(OpenDataFolder(paths, lock));
  EXPECT_EQ(dialogs.BoxCount(), 0u);
  EXPECT_EQ(ModeOf(dir / "data"), 0700u);
  EXPECT_EQ(paths.browserProfile, dir / "data/browser/");
  EXPECT_EQ(DataFolderLock().Acquire(paths.folder), DataFolderLock::Result::kInUse);
}

TEST_F(DataFolderStartTest, ASecondStartOnTheFolderSaysSoAndTouchesNothing) {
  DataFolderLock first;
  ASSERT_TRUE(EnsureDataFolder(paths));
  ASSERT_EQ(first.Acquire(paths.folder), DataFolderLock::Result::kLocked);
  WriteBytes(paths.folder + "VexaSiteData.dat", "kept");
  const auto before = std::filesystem::last_write_time(paths.folder);

  EXPECT_FALSE(OpenDataFolder(paths, lock));
  EXPECT_EQ(dialogs.errors, (std::vector<std::string>{"このデータフォルダは別のウィンドウで使用中です"}));
  EXPECT_EQ(TempDir::NamesOf(paths.folder), (std::vector<std::string>{"VexaSiteData.dat", "morvane.lock"}));
  EXPECT_EQ(std::filesystem::last_write_time(paths.folder), before);
}

TEST_F(DataFolderStartTest, AFolderThatCannotBeMadeEndsTheStartWithABox) {
  WriteBytes(dir / "data", "a file where the folder should be");
  EXPECT_FALSE(OpenDataFolder(paths, lock));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].find("データフォルダを作成できません"), std::string::npos);
  EXPECT_NE(dialogs.errors[0].find(dir / "data/"), std::string::npos);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"data"}));
}

TEST_F(DataFolderStartTest, AnUnwritableFolderOffersToQuitAtOnce) {
  ASSERT_TRUE(EnsureDataFolder(paths));
  {
    FaultyFileOps readOnly(FaultyFileOps::kOpen, EROFS);
    dialogs.yesNoAnswers = {true};
    EXPECT_FALSE(OpenDataFolder(paths, lock));
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_NE(dialogs.questions[0].find("データフォルダに書き込めません"), std::string::npos);
    EXPECT_NE(dialogs.questions[0].find("終了しますか?"), std::string::npos);
  }
  lock.Release();
  {
    // Declined: the user carries on, knowing nothing will be kept.
    FaultyFileOps readOnly(FaultyFileOps::kOpen, EACCES);
    dialogs.yesNoAnswers = {false};
    EXPECT_TRUE(OpenDataFolder(paths, lock));
    EXPECT_EQ(dialogs.questions.size(), 2u);
  }
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(DataFolderStartTest, SharedFoldersAreWarnedOfAndAForeignProfileIsNotUsed) {
  ASSERT_TRUE(EnsureDataFolder(paths));
  std::filesystem::create_directory(paths.browserProfile);
  ::chmod(paths.folder.c_str(), 0777);
  ::chmod(paths.browserProfile.c_str(), 0777);
  ASSERT_TRUE(OpenDataFolder(paths, lock));
  ASSERT_EQ(dialogs.errors.size(), 2u);
  EXPECT_NE(dialogs.errors[0].find("データフォルダは他のユーザーも書き込める"), std::string::npos);
  EXPECT_NE(dialogs.errors[1].find("ログインのクッキー"), std::string::npos);
  EXPECT_EQ(paths.browserProfile, dir / "data/browser/");

  if (::geteuid() != 0) GTEST_SKIP() << "giving the profile to another user needs root";
  lock.Release();
  dialogs.errors.clear();
  ::chmod(paths.folder.c_str(), 0700);
  ASSERT_EQ(::chown(paths.browserProfile.c_str(), 65534, 65534), 0);
  ASSERT_TRUE(OpenDataFolder(paths, lock));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].find("別のユーザーのもの"), std::string::npos);
  EXPECT_TRUE(paths.browserProfile.empty());
}

using AboutTest = WindowTest;

TEST_F(AboutTest, AboutBoxNamesTheDataFolderInUse) {
  OpenForms();
  gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(W().tbAbout.gobj()))));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].rfind("Vexa アクセス解析セット - Morvane 8号", 0), 0u);
  EXPECT_NE(dialogs.messages[0].find("データフォルダ: " + folder.Path()), std::string::npos);
}

}  // namespace
}  // namespace morvane::testing
