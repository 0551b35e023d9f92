// The page's process killed as a crash would end it while its page is
// shown: the browser says what happened and offers the page again.
#include <signal.h>
#include <unistd.h>

#include "browser_gui_support.h"
#include "support/web_process.h"

namespace morvane::testing {
namespace {

struct RecordingStatus : StatusBar {
  void SetStatusText(std::string_view text) override { lines.emplace_back(text); }
  std::vector<std::string> lines;
};

class PageProcessTest : public BrowserTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    frame().SetStatusBar(&status);
  }
  void TearDown() override {
    frame().SetStatusBar(nullptr);
    BrowserTest::TearDown();
  }
  pid_t PageProcess() {
    return PageProcessOf(view(), [](int ms) { PumpUntil([] { return false; }, ms); });
  }
  bool NoticeShown() { return SourceHas(J("再読み込み")); }
  RecordingStatus status;
};

TEST_F(PageProcessTest, KilledWhileShownThePageSaysSoAndItsLinkLoadsThePageAgain) {
  const std::string target = service->URL("/pages/target.html");
  ASSERT_TRUE(Navigate(target));
  const pid_t page = PageProcess();
  ASSERT_GT(page, 0);
  ASSERT_EQ(kill(page, SIGKILL), 0);
  ASSERT_TRUE(PumpUntil([&] { return NoticeShown(); }));
  EXPECT_EQ(frame().GetPageTitle(), J("ブラウザの表示プロセスが終了しました"));
  EXPECT_EQ(status.lines.back(), J("ブラウザの表示プロセスが終了しました"));
  EXPECT_FALSE(frame().BusyState());
  // The user clicks "再読み込み".
  const std::string at = PageValueOf(
      "(() => { const r = document.getElementById('reload').getBoundingClientRect();"
      " return Math.round(r.left + 4) + ' ' + Math.round(r.top + r.height / 2); })()");
  int x = 0, y = 0;
  ASSERT_EQ(std::sscanf(at.c_str(), "%d %d", &x, &y), 2) << at;
  ClickPageAt(x, y);
  EXPECT_TRUE(WaitForURL(target));
  EXPECT_TRUE(PumpUntil([&] { return SourceHas("the target page"); }));
}

}  // namespace
}  // namespace morvane::testing
