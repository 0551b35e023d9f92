// The login check over scripted private browsers: a browser of its own for
// each site, the right row for each kind of site, a stop that ends the site
// under way, a limit for a page that never finishes, and a report that
// carries no password and no markup from the catalogue.
#include "browser/core/login_check.h"
#include "browser/core/master_login_hosts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_browser.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// What the fixture hands each scripted browser.
struct Script {
  std::vector<std::string> unreachable = {"http://vexa.test/site/down"};
  std::function<void()> onSite;     // a site's page has come
  std::function<void()> onStalled;  // a page that never finishes is being waited for
  int starts = 0;
  bool canStart = true;
  std::vector<long long> clocks;  // each browser's time passed when it went
};

// The stand-in service as one private browser sees it: the login it holds
// is its own cookie, gone with the browser. A page under /never/ never finishes.
class ScriptedBrowser : public PrivateBrowser, testing::FakeFrame {
 public:
  explicit ScriptedBrowser(Script& script) : script_(script) {
    engine.onNavigate = [this](std::string_view url) { Load(std::string(url)); };
    engine.page = [this](PageScript script, const std::vector<PageArgument>& args) -> std::optional<PageValue> {
      const bool form = loggedInAs_.empty();
      switch (script) {
        case PageScript::SetField:
          if (!form) return false;
          for (const PageArgument& a : args)
            if (a.name == "value") filled_.push_back(*a.value.Text());
          return true;
        case PageScript::ClickElement:
          if (filled_.size() >= 2 && filled_[filled_.size() - 1] == "secret") loggedInAs_ = filled_[filled_.size() - 2];
          Load(engine.location);
          return true;
        default: return (form ? testing::LoginFormPage() : testing::LoggedInPage(loggedInAs_)).Read(script);
      }
    };
  }
  ~ScriptedBrowser() override { script_.clocks.push_back(pump.clock); }
  BrowserFrame& Frame() override { return frame; }
  MessagePump& Pump() override { return pump; }
  void Start() override { ++script_.starts; }
  bool Started() override { return script_.canStart; }

 private:
  void Load(std::string url) {
    if (url.find("/never/") != std::string::npos) {
      engine.busy = true;
      frame.OnBeforeNavigate(url);
      pump.steps.push_back([this] {
        if (script_.onStalled) script_.onStalled();
      });
      return;
    }
    StartLoad(url, 1, [this, url] {
      const std::vector<std::string>& unreachable = script_.unreachable;
      if (std::find(unreachable.begin(), unreachable.end(), url) != unreachable.end()) {
        frame.OnNavigateError(url, 503);
        return;
      }
      if (url != engine.location && script_.onSite) script_.onSite();
      engine.location = url;
      frame.OnDocumentComplete(true);
    });
  }

  Script& script_;
  std::vector<std::string> filled_;
  std::string loggedInAs_;
};

SiteRecord Site(std::string name, std::string url, std::string id, std::string password) {
  SiteRecord site;
  site.SiteName = std::move(name);
  site.AccessURL = std::move(url);
  site.LoginID = std::move(id);
  site.LoginPass = std::move(password);
  return site;
}

class LoginCheckTest : public ::testing::Test {
 protected:
  LoginCheck Make(std::vector<SiteRecord> sites, std::string masterID = "master", std::string masterPass = "secret") {
    return LoginCheck(std::move(sites), std::move(masterID), std::move(masterPass), "http://vexa.test",
                      [this]() -> std::unique_ptr<PrivateBrowser> {
                        ++browsers;
                        return std::make_unique<ScriptedBrowser>(script);
                      });
  }
  Script script;
  int browsers = 0;
};

TEST_F(LoginCheckTest, NoSiteSeesTheLoginBeforeItAndEachGetsItsOwnRow) {
  LoginCheck check = Make({Site("good", "http://vexa.test/site/1", "taro", "secret"),
                           Site("master", "http://vexa.test/site/3", "", ""),
                           Site("wrong", "http://vexa.test/site/2", "jiro", "bad"),  // would pass with taro's cookie
                           Site("down", "http://vexa.test/site/down", "saburo", "secret")});
  std::vector<std::size_t> progress;
  check.Run([&](std::size_t done, std::size_t total) {
    EXPECT_EQ(total, 4u);
    progress.push_back(done);
  });
  EXPECT_EQ(browsers, 4);
  EXPECT_EQ(script.starts, 3);  // each started while the site before it logged in
  EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3, 4}));
  const std::vector<LoginCheckRow>& rows = check.Rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].result.outcome, LoginOutcome::Succeeded);
  EXPECT_EQ(rows[0].idSource, LoginIDSource::Site);
  EXPECT_EQ(rows[1].result.outcome, LoginOutcome::Succeeded);
  EXPECT_EQ(rows[1].idSource, LoginIDSource::Master);
  EXPECT_EQ(rows[1].loginID, "master");
  EXPECT_EQ(rows[2].result.failure, LoginFailure::Refused);
  EXPECT_EQ(rows[3].result.failure, LoginFailure::PageNotReached);
  EXPECT_FALSE(check.Stopped());
  const std::string page = check.ReportPage();
  EXPECT_THAT(page, HasSubstr("4 / 4"));
  EXPECT_THAT(page, HasSubstr("<td>" + SystemText("ログインが拒否されました") + "</td>"));
  EXPECT_THAT(page, HasSubstr("<td>master" + SystemText(" (マスターID)") + "</td>"));
  EXPECT_THAT(page, HasSubstr("<td>" + SystemText("ページを開けません: 503") + "</td>"));
  EXPECT_THAT(page, Not(HasSubstr(SystemText("中止しました"))));

  // No ID anywhere: the row says so. A browser that did not come up is
  // replaced, and the wrong password still fails after a good login.
  script.canStart = false;
  browsers = 0;
  LoginCheck noID =
      Make({Site("good", "http://vexa.test/site/1", "taro", "secret"), Site("none", "http://vexa.test/site/4", "", ""),
            Site("wrong", "http://vexa.test/site/2", "jiro", "bad")},
           "", "");
  noID.Run(nullptr);
  ASSERT_EQ(noID.Rows().size(), 3u);
  EXPECT_EQ(noID.Rows()[1].result.failure, LoginFailure::NoLoginID);
  EXPECT_EQ(noID.Rows()[1].idSource, LoginIDSource::None);
  EXPECT_EQ(noID.Rows()[2].result.failure, LoginFailure::Refused);
  EXPECT_EQ(browsers, 5);  // the first, and two for each site after it
}

TEST_F(LoginCheckTest, AMasterLoginTheUserDidNotAllowForItsHostIsNotSent) {
  SettingsFile settings("/nonexistent/morvane-test.ini");
  settings.WriteString("MasterLoginHost_other.test", "0");
  MasterLoginHosts hosts(settings);
  LoginCheck check = Make({Site("elsewhere", "http://other.test/site/1", "", ""),
                           Site("own", "http://other.test/site/2", "taro", "secret"),
                           Site("master", "http://vexa.test/site/3", "", "")});
  check.SetMasterLoginDecision([&](SiteLoginRequest& request) { hosts.Decide(request, nullptr); });
  check.Run(nullptr);
  ASSERT_EQ(check.Rows().size(), 3u);
  EXPECT_EQ(check.Rows()[0].result.failure, LoginFailure::MasterLoginDeclined);
  EXPECT_EQ(check.Rows()[1].result.outcome, LoginOutcome::Succeeded);
  EXPECT_EQ(check.Rows()[2].result.outcome, LoginOutcome::Succeeded);
  EXPECT_THAT(check.ReportPage(), HasSubstr(SystemText("マスターIDとパスワードを other.test には送信しません")));
}

TEST_F(LoginCheckTest, OneSiteStartsOneBrowserOnly) {
  LoginCheck check = Make({Site("good", "http://vexa.test/site/1", "taro", "secret")});
  check.Run(nullptr);
  ASSERT_EQ(check.Rows().size(), 1u);
  EXPECT_EQ(check.Rows()[0].result.outcome, LoginOutcome::Succeeded);
  EXPECT_EQ(browsers, 1);
}

TEST_F(LoginCheckTest, StopEndsTheSiteUnderWayAtOnceAndTheReportSaysSo) {
  LoginCheck* running = nullptr;
  script.onStalled = [&] { running->Stop(); };  // the user stops while the page still loads
  LoginCheck check = Make({Site("<b>one</b>", "http://vexa.test/never/1?a=1&b=2", "taro", "secret"),
                           Site("two", "http://vexa.test/site/2", "jiro", "secret")});
  running = &check;
  check.Run(nullptr);
  ASSERT_EQ(check.Rows().size(), 1u);
  EXPECT_EQ(check.Rows()[0].result.failure, LoginFailure::Stopped);
  EXPECT_TRUE(check.Stopped());
  // Neither the page's wait nor the site's limit was waited out.
  ASSERT_FALSE(script.clocks.empty());
  EXPECT_LT(script.clocks.front(), 1000);
  const std::string page = check.ReportPage();
  EXPECT_THAT(page, HasSubstr("1 / 2"));
  EXPECT_THAT(page, HasSubstr(SystemText("中止しました")));
  EXPECT_THAT(page, HasSubstr("&lt;b&gt;one&lt;/b&gt;"));
  EXPECT_THAT(page, HasSubstr("never/1?a=1&amp;b=2"));
  EXPECT_THAT(page, HasSubstr("taro"));
  EXPECT_THAT(page, Not(HasSubstr("secret")));

  // A stop as the last site's login ends still says the check was stopped.
  script.onStalled = nullptr;
  script.onSite = [&] { running->Stop(); };
  LoginCheck last = Make({Site("only", "http://vexa.test/site/1", "taro", "secret")});
  running = &last;
  last.Run(nullptr);
  ASSERT_EQ(last.Rows().size(), 1u);
  EXPECT_EQ(last.Rows()[0].result.failure, LoginFailure::Stopped);
  EXPECT_THAT(last.ReportPage(), HasSubstr(SystemText("（中止しました）")));
}

TEST_F(LoginCheckTest, APageThatNeverFinishesIsGivenUpAtTheSiteLimitAndTheNextSiteGoesOn) {
  LoginCheck check = Make({Site("stalled", "http://vexa.test/never/1", "taro", "secret"),
                           Site("good", "http://vexa.test/site/2", "jiro", "secret")});
  check.Run(nullptr);
  ASSERT_EQ(check.Rows().size(), 2u);
  EXPECT_EQ(check.Rows()[0].result.failure, LoginFailure::SiteTimeLimit);
  EXPECT_EQ(check.Rows()[1].result.outcome, LoginOutcome::Succeeded);
  EXPECT_FALSE(check.Stopped());
  // The navigation alone may wait ten minutes; the site had its limit.
  ASSERT_EQ(script.clocks.size(), 2u);
  EXPECT_GE(script.clocks[0], LoginCheck::kSiteLimitMilliseconds);
  EXPECT_LT(script.clocks[0], LoginCheck::kSiteLimitMilliseconds + 1000);
  EXPECT_THAT(check.ReportPage(), HasSubstr(SystemText("時間切れです: 30 秒で打ち切りました")));
}

}  // namespace
}  // namespace morvane
