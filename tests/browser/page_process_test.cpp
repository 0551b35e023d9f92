// A page whose process ends: every wait ends at once as failed, the browser
// shows what happened, and the next navigation works.
#include <gtest/gtest.h>

#include "browser/core/login_check.h"
#include "browser/core/page_gone.h"
#include "browser/core/site_login.h"
#include "fake_browser.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using testing::FakeToolbar;
using WaitEnd = BrowserFrame::WaitEnd;
using CallEnd = BrowserFrame::CallEnd;

class PageProcessTest : public ::testing::Test, protected testing::FakeFrame {
 protected:
  FakeToolbar bar{frame};
  void SetUp() override { bar.AttachAll(); }
  // The control starts each navigation and never completes it: only the end
  // of its process, some passes later, ends the wait.
  void DiesWhileLoading(int passes) {
    LoadsIn(passes, [this] { engine.EndPageProcess(); });
  }
};

TEST_F(PageProcessTest, AWaitEndsAtOnceAsFailedAndTheNoticeOffersTheLostPageAgain) {
  DiesWhileLoading(3);
  EXPECT_FALSE(frame.NavigateTo("http://host/a?x=1&y=\"2\"", true));
  EXPECT_EQ(frame.LastWaitEnd(), WaitEnd::PageProcessEnded);
  EXPECT_LT(pump.clock, 1000);  // not the ten minutes of the wait's limit
  EXPECT_FALSE(frame.BusyState() || bar.skipEnabled);
  EXPECT_EQ(bar.status.back(), SystemText("ブラウザの表示プロセスが終了しました"));
  ASSERT_EQ(engine.notices.size(), 1u);
  EXPECT_NE(engine.notices[0].find(SystemText("再読み込み")), std::string::npos);
  // The link goes back where the lost page was, its address escaped.
  EXPECT_NE(engine.notices[0].find("href=\"http://host/a?x=1&amp;y=&quot;2&quot;\""), std::string::npos);

  // The next navigation is an ordinary one.
  LoadsIn(1);
  EXPECT_TRUE(frame.NavigateTo("http://host/b", true));
  EXPECT_EQ(frame.LastWaitEnd(), WaitEnd::Done);
  EXPECT_EQ(bar.status.back(), "");
}

TEST_F(PageProcessTest, APageCallInFlightEndsAndOnlyAWebAddressGetsAReloadLink) {
  engine.page = [](PageScript, const std::vector<PageArgument>&) { return std::nullopt; };  // never answers
  pump.steps.push_back([] {});
  pump.steps.push_back([this] { engine.EndPageProcess(); });
  EXPECT_EQ(frame.GetHTMLSource(), "");
  EXPECT_EQ(frame.LastCallEnd(), CallEnd::PageProcessEnded);
  EXPECT_EQ(engine.cancelledCalls, 1);
  EXPECT_EQ(PageGoneNotice("about:blank").find("href"), std::string::npos);
  EXPECT_EQ(PageGoneNotice("javascript:alert(1)").find("href"), std::string::npos);
}

// The login, on the same fake: the page's form, then a submit that never
// loads unless the process ends.
class LoginProcessTest : public PageProcessTest {
 protected:
  SiteLogin login{frame};
  void SetUp() override {
    PageProcessTest::SetUp();
    engine.page = [this](PageScript s, const std::vector<PageArgument>& a) -> std::optional<PageValue> {
      switch (s) {
        case PageScript::SetField: return testing::Arg(a, "name") != nullptr;
        case PageScript::ClickElement:
          engine.busy = true;
          pump.steps.push_back([this] { engine.EndPageProcess(); });
          return true;
        default: return testing::LoginFormPage().Read(s);
      }
    };
  }
  LoginResult Run() { return login.Run({"http://vexa.test/site/1", "taro", "pw", "http://vexa.test"}); }
};

TEST_F(LoginProcessTest, EndedDuringTheFirstLoadOrAfterTheSubmitTheLoginFailsForThat) {
  const std::string failed =
      SystemText("管理画面ログイン失敗しました") + SystemText(" [ブラウザの表示プロセスが終了しました]");
  DiesWhileLoading(2);
  LoginResult r = Run();
  EXPECT_EQ(LoginStatusText(r), failed);
  EXPECT_TRUE(engine.calls.empty());  // nothing was asked of a page that is gone

  LoadsIn(1);  // the form comes
  r = Run();
  EXPECT_EQ(LoginStatusText(r), failed);
  EXPECT_EQ(engine.calls.back().first, PageScript::ClickElement);
  EXPECT_FALSE(frame.BusyState());
  EXPECT_EQ(engine.notices.size(), 2u);
}

// A private browser of the login check whose page's process ends on its
// first site.
class EndingBrowser : public PrivateBrowser, testing::FakeFrame {
 public:
  explicit EndingBrowser(int& sites) {
    engine.onNavigate = [this, &sites](std::string_view url) {
      ++sites;
      const bool ends = url == "http://vexa.test/site/1";
      StartLoad(url, 1, ends ? [this] { engine.EndPageProcess(); } : std::function<void()>());
    };
  }
  BrowserFrame& Frame() override { return frame; }
  MessagePump& Pump() override { return pump; }
  void Start() override {}
  bool Started() override { return true; }
};

TEST(LoginCheckProcessTest, TheSiteWhosePageProcessEndedFailsAndTheCheckGoesOn) {
  int sites = 0;
  std::vector<SiteRecord> records(2);
  records[0].AccessURL = "http://vexa.test/site/1";
  records[1].AccessURL = "http://vexa.test/site/2";
  LoginCheck check(records, "id", "pw", "http://vexa.test",
                   [&sites] { return std::make_unique<EndingBrowser>(sites); });
  check.Run({});
  ASSERT_EQ(check.Rows().size(), 2u);
  EXPECT_EQ(check.Rows()[0].result.failure, LoginFailure::PageProcessEnded);
  EXPECT_NE(check.Rows()[1].result.failure, LoginFailure::PageProcessEnded);
  EXPECT_EQ(sites, 2);
}

}  // namespace
}  // namespace morvane
