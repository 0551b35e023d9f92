// The page's process killed as a crash would end it: waits end at once as
// failed, the browser says what happened and offers the page again, and a
// login that was under way fails for that reason.
#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "browser/core/site_login.h"
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

TEST_F(PageProcessTest, KilledDuringAWaitEndsItAtOnceAndTheNextNavigationWorks) {
  ASSERT_TRUE(Navigate(service->URL("/pages/target.html")));
  const pid_t page = PageProcess();
  ASSERT_GT(page, 0);
  {
    Later killer(500, [page] { kill(page, SIGKILL); });
    EXPECT_FALSE(Navigate(service->URL("/slow?s=8")));
    EXPECT_TRUE(killer.Fired());
  }
  EXPECT_EQ(frame().LastWaitEnd(), TfrBrowserBase::WaitEnd::PageProcessEnded);
  EXPECT_FALSE(frame().BusyState());
  ASSERT_TRUE(Navigate(service->URL("/pages/target.html")));
  EXPECT_TRUE(SourceHas("the target page"));
}

TEST_F(PageProcessTest, ALoginWhosePageProcessEndsAfterTheSubmitFailsForThat) {
  const std::string site = service->URL("/site/crash?form=slow");  // its post is answered after 5 s
  ASSERT_TRUE(Navigate(site));
  const pid_t page = PageProcess();
  ASSERT_GT(page, 0);
  // Killed once the submitted form is on its way: the second load the
  // login starts (the first opens the site's page).
  struct KillOnSubmit {
    pid_t pid;
    int loads = 0;
    bool killed = false;
  } watch{page};
  const gulong id = g_signal_connect(
      view(), "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer data) {
        auto* w = static_cast<KillOnSubmit*>(data);
        if (event == WEBKIT_LOAD_STARTED && ++w->loads == 2) w->killed = kill(w->pid, SIGKILL) == 0;
      }),
      &watch);
  SiteLogin login(frame(), widget_->Pump());
  const LoginResult result = login.Run({site, "crash", "secret", service->URL("/")});
  g_signal_handler_disconnect(view(), id);
  ASSERT_TRUE(watch.killed);
  EXPECT_EQ(LoginStatusText(result), J("管理画面ログイン失敗しました [ブラウザの表示プロセスが終了しました]"));
  EXPECT_FALSE(frame().BusyState());
}

}  // namespace
}  // namespace morvane::testing
