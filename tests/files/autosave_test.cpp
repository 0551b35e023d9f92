// Saving after every change: copied in slices, written on another thread,
// the same bytes as the save at close, and a failure reported once a streak.
#include "catalogue/autosave.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "catalogue/site_record.h"
#include "file_test_support.h"

namespace morvane {
namespace {

using namespace std::chrono_literals;
using testing::ReadBytes;
using testing::TempDir;

class AutosaveTest : public ::testing::Test {
 protected:
  AutosaveTest() : catalogue(dir.Path()), autosave([this] { woken = true; }) {
    for (int i = 0; i < 5000; ++i) AddSite(i);
  }

  void AddSite(int i) {
    catalogue.SiteList().Add(FormatSiteLine(
        {"site" + std::to_string(i), "http://s/" + std::to_string(i), "", "2026/12/08 04:37:29", "", "id", "pw"}));
  }

  // Slices until the copy is handed over, then waits for the write.
  CatalogueAutosave::Outcome Run() {
    woken = false;
    while (autosave.Step(catalogue, 1ms)) {
    }
    if (!autosave.Writing()) return {};
    for (int i = 0; i < 5000 && !woken; ++i) std::this_thread::sleep_for(1ms);
    return autosave.Collect();
  }

  // What the save at close would write now.
  std::string CloseSaveBytes() {
    const std::string reference = dir / "reference.dat";
    EXPECT_TRUE(catalogue.SaveSiteData(reference));
    return ReadBytes(reference);
  }

  TempDir dir;
  SiteCatalogue catalogue;
  std::atomic<bool> woken{false};
  CatalogueAutosave autosave;
};

TEST_F(AutosaveTest, WritesWhatTheCloseSaveWritesAfterEachChange) {
  EXPECT_FALSE(autosave.Due());  // nothing changed yet
  EXPECT_FALSE(autosave.Step(catalogue, 1ms));
  EXPECT_FALSE(std::filesystem::exists(catalogue.DataFilePath()));

  catalogue.SetMasterLogin("master", "secret");
  autosave.Changed();
  ASSERT_TRUE(autosave.Due());
  // Its budget spent, a slice gives the window its turn before the copy is whole.
  ASSERT_TRUE(autosave.Step(catalogue, 1ns));
  const CatalogueAutosave::Outcome outcome = Run();
  EXPECT_TRUE(outcome.ended && outcome.saved && !outcome.reportFailure);
  EXPECT_EQ(ReadBytes(catalogue.DataFilePath()), CloseSaveBytes());
  EXPECT_FALSE(autosave.Due());
  EXPECT_EQ(testing::ModeOf(catalogue.DataFilePath()), 0600u);
}

TEST_F(AutosaveTest, AChangeWhileCopyingStartsTheCopyOver) {
  autosave.Changed();
  ASSERT_TRUE(autosave.Step(catalogue, 1ns));  // part of the lines copied
  catalogue.SiteList().Delete(0);
  catalogue.SiteList().Put(4000, FormatSiteLine({"moved", "http://moved/", "", "", "", "", ""}));
  autosave.Changed();
  EXPECT_TRUE(Run().saved);
  EXPECT_EQ(ReadBytes(catalogue.DataFilePath()), CloseSaveBytes());
}

TEST_F(AutosaveTest, AChangeWhileWritingIsSavedByTheNextRound) {
  autosave.Changed();
  while (autosave.Step(catalogue, 1ms)) {
  }
  ASSERT_TRUE(autosave.Writing());
  AddSite(99999);
  autosave.Changed();
  EXPECT_FALSE(autosave.Due());  // one write at a time
  for (int i = 0; i < 5000 && !woken; ++i) std::this_thread::sleep_for(1ms);
  EXPECT_TRUE(autosave.Collect().saved);
  ASSERT_TRUE(autosave.Due());
  EXPECT_TRUE(Run().saved);
  EXPECT_EQ(ReadBytes(catalogue.DataFilePath()), CloseSaveBytes());
}

TEST_F(AutosaveTest, FailuresAreReportedOncePerStreak) {
  SiteCatalogue lost(dir / "gone/");  // its folder does not exist: every save fails
  lost.SiteList().Add("x");
  const auto runLost = [&] {
    woken = false;
    while (autosave.Step(lost, 1ms)) {
    }
    for (int i = 0; i < 5000 && !woken; ++i) std::this_thread::sleep_for(1ms);
    return autosave.Collect();
  };
  autosave.Changed();
  CatalogueAutosave::Outcome first = runLost();
  EXPECT_TRUE(first.ended && !first.saved && first.reportFailure);
  EXPECT_FALSE(autosave.Due());  // not tried again until something changes
  autosave.Changed();
  CatalogueAutosave::Outcome second = runLost();
  EXPECT_TRUE(second.ended && !second.saved && !second.reportFailure);

  std::filesystem::create_directory(dir / "gone");
  autosave.Changed();
  EXPECT_TRUE(runLost().saved);
  std::filesystem::remove_all(dir / "gone");
  autosave.Changed();
  EXPECT_TRUE(runLost().reportFailure);  // a new streak
}

TEST_F(AutosaveTest, SettleLeavesTheCloseSaveLastAndMarkSavedEndsTheWork) {
  autosave.Changed();
  while (autosave.Step(catalogue, 1ms)) {
  }
  autosave.Settle();  // the write ends before the close saves
  EXPECT_FALSE(autosave.Writing());
  AddSite(77777);
  autosave.Changed();
  ASSERT_TRUE(catalogue.SaveSiteData());
  autosave.MarkSaved();
  EXPECT_FALSE(autosave.Due());
  EXPECT_EQ(ReadBytes(catalogue.DataFilePath()), CloseSaveBytes());
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// One zero byte in one site must not stop every later save: the rest is
// written, and the site is named once, until the sites left out change.
TEST_F(AutosaveTest, ASiteThatCannotBeStoredIsNamedOnceAndTheRestIsSaved) {
  catalogue.SiteList().Put(7, std::string("bad\0name\thttp://bad/\t\t\t\t\t", 25));
  autosave.Changed();
  CatalogueAutosave::Outcome outcome = Run();
  EXPECT_TRUE(outcome.saved && !outcome.reportFailure);
  EXPECT_EQ(outcome.reportLeftOut, std::vector<std::string>{"[badname] http://bad/"});
  SiteCatalogue loaded(dir.Path());
  ASSERT_TRUE(loaded.LoadSiteData().Loaded());
  EXPECT_EQ(loaded.SiteList().Count(), 4999);

  AddSite(9000);
  autosave.Changed();
  outcome = Run();
  EXPECT_TRUE(outcome.saved);
  EXPECT_TRUE(outcome.reportLeftOut.empty());  // said already

  catalogue.SiteList().Put(8, "second\nbad\thttp://lf/");
  autosave.Changed();
  EXPECT_EQ(Run().reportLeftOut.size(), 2u);  // another site: said again
  catalogue.SiteList().Delete(8);
  catalogue.SiteList().Delete(7);
  autosave.Changed();
  EXPECT_TRUE(Run().reportLeftOut.empty());
  catalogue.SiteList().Put(0, std::string("\0", 1));
  autosave.Changed();
  EXPECT_EQ(Run().reportLeftOut.size(), 1u);  // all well in between: said again
}

}  // namespace
}  // namespace morvane
