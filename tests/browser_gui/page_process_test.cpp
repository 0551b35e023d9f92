// The page's process killed as a crash would end it: waits end at once as
// failed, the browser says what happened and offers the page again, and a
// login that was under way fails for that reason.
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "browser/core/site_login.h"
#include "browser_gui_support.h"

namespace morvane::testing {
namespace {

struct RecordingStatus : StatusBar {
  void SetStatusText(std::string_view text) override { lines.emplace_back(text); }
  std::vector<std::string> lines;
};

// CPU time so far of each web process this program started, by pid.
std::map<pid_t, long long> WebProcessTimes() {
  std::map<pid_t, long long> times;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || line.find("(WebKitWebProces") == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    std::string state;
    long long ppid = 0, skip = 0, user = 0, system = 0;
    rest >> state >> ppid;
    for (int i = 0; i < 9; ++i) rest >> skip;
    rest >> user >> system;
    if (ppid == getpid()) times[std::stoi(entry.path().filename().string())] = user + system;
  }
  return times;
}

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
  // The process of the page shown: of the web processes this program runs
  // (a spare one may wait beside it), the one that works while the page
  // keeps its processor busy.
  pid_t PageProcess() {
    const std::map<pid_t, long long> before = WebProcessTimes();
    webkit_web_view_evaluate_javascript(view(), "{ const end = Date.now() + 600; while (Date.now() < end); }", -1,
                                        nullptr, nullptr, nullptr, nullptr, nullptr);
    PumpUntil([] { return false; }, 800);
    pid_t busiest = 0;
    long long most = -1;
    for (const auto& [pid, time] : WebProcessTimes()) {
      const auto was = before.find(pid);
      const long long worked = time - (was == before.end() ? 0 : was->second);
      if (worked > most) busiest = pid, most = worked;
    }
    return busiest;
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
