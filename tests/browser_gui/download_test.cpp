// Downloads: a page saves nothing by itself; a click of the user on it
// offers one file in the save dialog, written only where the user chose.
#include <filesystem>
#include <fstream>
#include <set>

#include "app/download_consent.h"
#include "browser_gui_support.h"
#include "support/fake_dialogs.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

struct RecordingStatus : StatusBar {
  void SetStatusText(std::string_view text) override { lines.emplace_back(text); }
  std::vector<std::string> lines;
};

class DownloadTest : public BrowserTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    saved = fs::path(dataDir_) / "saved";
    fs::create_directories(saved);
    frame().SetStatusBar(&status);
    frame().SetDownloadChooser(ChooseDownloadTarget);
  }
  void TearDown() override {
    frame().SetStatusBar(nullptr);
    BrowserTest::TearDown();
  }
  // Clicks the middle of the element with that id.
  void ClickElement(const std::string& id) {
    const std::string at = PageValueOf(("(() => { const r = document.getElementById('" + id +
                                        "').getBoundingClientRect(); return Math.round(r.left + 8) + ' ' +"
                                        " Math.round(r.top + r.height / 2); })()")
                                           .c_str());
    int x = 0, y = 0;
    ASSERT_EQ(std::sscanf(at.c_str(), "%d %d", &x, &y), 2) << at;
    ClickPageAt(x, y);
  }
  // Where a download nobody decided on would have gone.
  static bool AnywhereUnasked(const std::string& name) {
    const char* downloads = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
    return fs::exists(fs::path(g_get_home_dir()) / name) || (downloads && fs::exists(fs::path(downloads) / name));
  }
  FakeDialogs dialogs;
  RecordingStatus status;
  fs::path saved;
};

TEST_F(DownloadTest, APageSavesNothingByItselfAndTheStatusLineSaysSo) {
  ASSERT_TRUE(Navigate(service->URL("/pages/download_timer.html")));
  const std::string dropped = J("クリックなしのダウンロードを止めました: ");
  std::set<std::string> names;
  auto droppedNames = [&] {
    names.clear();
    for (const std::string& line : status.lines)
      if (line.rfind(dropped, 0) == 0) names.insert(line.substr(dropped.size()));
    return names.size() >= 2;
  };
  PumpUntil(droppedNames, 10000);        // its timers have run, however busy the machine
  PumpUntil([] { return false; }, 500);  // and nothing more comes
  droppedNames();
  EXPECT_TRUE(dialogs.downloadBoxes.empty());
  // The engine names a page saved by its link "bash_login.html"; what a frame
  // inside the page asks for is not even looked at.
  EXPECT_EQ(names, (std::set<std::string>{"bash_login.html", "top.bin"}));
  for (const char* name : {"bash_login", "bash_login.html", "evil.desktop", "top.bin"})
    EXPECT_FALSE(AnywhereUnasked(name)) << name;
  EXPECT_EQ(frame().GetLocationURL(), service->URL("/pages/download_timer.html"));
}

TEST_F(DownloadTest, AClickOffersOneFileInTheSaveDialogAndWritesItOnlyWhereChosen) {
  ASSERT_TRUE(Navigate(service->URL("/pages/downloads.html")));
  const fs::path report = saved / "report.csv";
  dialogs.fileAnswers.push_back(report.string());
  ClickElement("attached");
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(report) && fs::file_size(report) == 64 * 1024; }));
  ASSERT_EQ(dialogs.downloadBoxes.size(), 1u);
  EXPECT_EQ(dialogs.downloadBoxes[0].rfind("ダウンロードの保存|", 0), 0u) << dialogs.downloadBoxes[0];
  EXPECT_TRUE(dialogs.downloadBoxes[0].ends_with("|report.csv")) << dialogs.downloadBoxes[0];

  // Eight files on one click: one dialog, here cancelled, and nothing written.
  ClickElement("many");
  PumpUntil([] { return false; }, 2000);
  EXPECT_EQ(dialogs.downloadBoxes.size(), 2u);
  EXPECT_EQ(std::distance(fs::directory_iterator(saved), fs::directory_iterator()), 1);
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(AnywhereUnasked("big" + std::to_string(i) + ".bin"));
}

TEST_F(DownloadTest, AFileThatIsThereIsKeptUnlessTheUserAgreedToReplaceIt) {
  const fs::path existing = saved / "evil.desktop";
  std::ofstream(existing) << "keep";
  frame().SetDownloadChooser([&](std::string_view) { return DownloadTarget{existing.string(), false}; });
  ASSERT_TRUE(Navigate(service->URL("/pages/downloads.html")));
  ClickElement("named");
  PumpUntil([] { return false; }, 1500);
  EXPECT_TRUE(fs::exists(existing));
  std::ifstream in(existing);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "keep");

  frame().SetDownloadChooser([&](std::string_view) { return DownloadTarget{existing.string(), true}; });
  ClickElement("named");
  EXPECT_TRUE(PumpUntil([&] {
    std::ifstream again(existing);
    return std::string(std::istreambuf_iterator<char>(again), std::istreambuf_iterator<char>())
               .find("the target page") != std::string::npos;
  }));
  EXPECT_EQ(std::distance(fs::directory_iterator(saved), fs::directory_iterator()), 1);  // no part file left
}

}  // namespace
}  // namespace morvane::testing
