// The login check over scripted private browsers: nothing of one site's
// login left for the next, the right row for each kind of site, a stop after the site under way,
// and a report that carries no password and no markup from the catalogue.
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
using L = PageValue::List;

// The stand-in service as one private browser sees it: the login it holds
// is its own cookie, gone when the browser forgets (if it can) or goes.
class ScriptedBrowser : public PrivateBrowser {
 public:
  ScriptedBrowser(const std::vector<std::string>& unreachable, std::function<void()> onSite, int& forgets,
                  bool canForget)
      : unreachable_(unreachable), onSite_(std::move(onSite)), forgets_(forgets), canForget_(canForget) {
    engine_.onNavigate = [this](std::string_view url) { Load(std::string(url)); };
    engine_.page = [this](PageScript script, const std::vector<PageArgument>& args) -> std::optional<PageValue> {
      const bool form = loggedInAs_.empty();
      switch (script) {
        case PageScript::Source:
          return form ? std::string("<form><input name=\"catname_d\"></form>") : "<p>" + loggedInAs_ + "</p>";
        case PageScript::Forms:
          return form ? L{L{"login", L{"catname_d", "pw_d"}}} : L{};
        case PageScript::FindElements:
          return form ? L{L{0, SystemText("管理画面ログイン")}} : L{};
        case PageScript::SetField:
          if (!form) return false;
          for (const PageArgument& a : args)
            if (a.name == "value") filled_.push_back(*a.value.Text());
          return true;
        case PageScript::ClickElement:
          if (filled_.size() >= 2 && filled_[filled_.size() - 1] == "secret") loggedInAs_ = filled_[filled_.size() - 2];
          Load(engine_.location);
          return true;
        default: return std::nullopt;
      }
    };
  }
  TfrBrowserBase& Frame() override { return frame_; }
  MessagePump& Pump() override { return pump_; }
  void BeginForgetting() override {
    ++forgets_;
    if (canForget_) loggedInAs_.clear();
  }
  bool Forgotten() override { return canForget_; }

 private:
  void Load(std::string url) {
    engine_.busy = true;
    frame_.OnBeforeNavigate(url);
    pump_.steps.push_back([this, url] {
      engine_.busy = false;
      if (std::find(unreachable_.begin(), unreachable_.end(), url) != unreachable_.end()) {
        bool cancel = false;
        frame_.OnNavigateError(url, 503, cancel);
        return;
      }
      if (url != engine_.location && onSite_) onSite_();
      engine_.location = url;
      frame_.OnDocumentComplete(true);
    });
  }

  const std::vector<std::string>& unreachable_;
  std::function<void()> onSite_;
  int& forgets_;
  bool canForget_;
  testing::FakeEngine engine_;
  testing::FakePump pump_;
  TfrBrowserBase frame_{engine_, pump_};
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
                        return std::make_unique<ScriptedBrowser>(unreachable, onSite, forgets, canForget);
                      });
  }
  std::vector<std::string> unreachable = {"http://vexa.test/site/down"};
  std::function<void()> onSite;
  int browsers = 0;
  int forgets = 0;
  bool canForget = true;
};

TEST_F(LoginCheckTest, NoSiteSeesTheLoginBeforeItAndEachGetsItsOwnRow) {
  // Two browsers take turns: the third site is the first one's browser's next.
  LoginCheck check = Make({Site("good", "http://vexa.test/site/1", "taro", "secret"),
                           Site("master", "http://vexa.test/site/3", "", ""),
                           Site("wrong", "http://vexa.test/site/2", "jiro", "bad"),  // would pass with taro's cookie
                           Site("down", "http://vexa.test/site/down", "saburo", "secret")});
  std::vector<std::size_t> progress;
  check.Run([&](std::size_t done, std::size_t total) {
    EXPECT_EQ(total, 4u);
    progress.push_back(done);
  });
  EXPECT_EQ(browsers, 2);
  EXPECT_EQ(forgets, 5);  // after each site, and the second browser's start
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

  // No ID anywhere: the row says so. A browser that cannot forget is
  // replaced, so the wrong password still fails after a good login.
  canForget = false;
  browsers = 0;
  LoginCheck noID = Make({Site("good", "http://vexa.test/site/1", "taro", "secret"),
                          Site("none", "http://vexa.test/site/4", "", ""),
                          Site("wrong", "http://vexa.test/site/2", "jiro", "bad")},
                         "", "");
  noID.Run(nullptr);
  ASSERT_EQ(noID.Rows().size(), 3u);
  EXPECT_EQ(noID.Rows()[1].result.failure, LoginFailure::NoLoginID);
  EXPECT_EQ(noID.Rows()[1].idSource, LoginIDSource::None);
  EXPECT_EQ(noID.Rows()[2].result.failure, LoginFailure::Refused);
  EXPECT_EQ(browsers, 4);  // the second one did not forget its start either
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

TEST_F(LoginCheckTest, StopEndsAfterTheSiteUnderWayAndTheReportSaysSo) {
  LoginCheck* running = nullptr;
  onSite = [&] { running->Stop(); };  // the user stops while the first site loads
  LoginCheck check = Make({Site("<b>one</b>", "http://vexa.test/site/1?a=1&b=2", "taro", "secret"),
                           Site("two", "http://vexa.test/site/2", "jiro", "secret")});
  running = &check;
  check.Run(nullptr);
  ASSERT_EQ(check.Rows().size(), 1u);
  EXPECT_EQ(check.Rows()[0].result.outcome, LoginOutcome::Succeeded);
  EXPECT_TRUE(check.Stopped());
  const std::string page = check.ReportPage();
  EXPECT_THAT(page, HasSubstr("1 / 2"));
  EXPECT_THAT(page, HasSubstr(SystemText("中止しました")));
  EXPECT_THAT(page, HasSubstr("&lt;b&gt;one&lt;/b&gt;"));
  EXPECT_THAT(page, HasSubstr("site/1?a=1&amp;b=2"));
  EXPECT_THAT(page, HasSubstr("taro"));
  EXPECT_THAT(page, Not(HasSubstr("secret")));
}

}  // namespace
}  // namespace morvane
