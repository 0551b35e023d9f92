// The login sequence against a scripted service: which page is filled, what
// counts as logged in, and the reason a failed login gives.
#include "browser/core/site_login.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <set>

#include "browser/core/master_login_hosts.h"
#include "browser/core/service_address.h"
#include "fake_browser.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using testing::Arg;
using testing::FakePage;
using testing::FakeToolbar;
using testing::LoggedInPage;
using testing::LoginFormPage;

const std::string kSite = "http://vexa.test/site/1";
const std::string kService = "http://vexa.test";

class LoginTest : public ::testing::Test, protected testing::FakeFrame {
 protected:
  FakeToolbar bar{frame};
  SiteLogin login{frame};

  std::map<std::string, FakePage> site;      // by address
  std::map<std::string, long long> errors;   // addresses that fail to load
  std::function<std::string()> afterSubmit;  // the address the submit leads to
  std::function<void()> onFill;              // runs once, as the next field is filled
  FakePage shown;
  std::string shownURL = "http://elsewhere.test/";  // the document's own address
  std::set<PageScript> hung;                        // calls the page never answers
  std::vector<std::pair<std::string, std::string>> filled;
  int clicks = 0;
  int loadPasses = 2;

  void SetUp() override {
    bar.AttachAll();
    engine.location = "http://elsewhere.test/";
    engine.onNavigate = [this](std::string_view url) { Load(std::string(url)); };
    engine.page = [this](PageScript s, const std::vector<PageArgument>& a) -> std::optional<PageValue> {
      if (hung.count(s)) return std::nullopt;
      switch (s) {
        case PageScript::SetField: {
          if (onFill) std::exchange(onFill, nullptr)();
          // The page compares its own document's origin, as the real script does.
          const std::string& origins = *Arg(a, "origins")->Text();
          const std::string here = OriginOf(shownURL);
          if (!origins.empty() && (here.empty() || origins.find(here) == std::string::npos)) return "elsewhere";
          const std::string& name = *Arg(a, "name")->Text();
          if (std::find(shown.fields.begin(), shown.fields.end(), name) == shown.fields.end()) return false;
          filled.emplace_back(name, *Arg(a, "value")->Text());
          return true;
        }
        case PageScript::ClickElement:
          ++clicks;
          if (afterSubmit) Load(afterSubmit());
          return true;
        default: return shown.Read(s);
      }
    };
  }

  // The control takes a few passes; a failed load leaves the old page shown.
  void Load(std::string url) {
    StartLoad(url, loadPasses, [this, url] {
      if (auto error = errors.find(url); error != errors.end()) {
        frame.OnNavigateError(url, error->second);
        return;
      }
      engine.location = url;
      shownURL = url;
      shown = site.count(url) ? site[url] : FakePage{};
      frame.OnDocumentComplete(true);
    });
  }

  LoginResult Run(std::string id = "taro", std::string password = "pw") {
    return login.Run({kSite, std::move(id), std::move(password), kService});
  }
  void Refused() {
    afterSubmit = [this] {
      site["http://vexa.test/admin2/login"] = LoginFormPage("<p>wrong</p>");
      return "http://vexa.test/admin2/login";
    };
  }
  void Accepted(std::string id) {
    afterSubmit = [this, id] {
      site[kSite] = LoggedInPage(id);
      return kSite;
    };
  }
};

TEST(LoginRequestTest, IdAndPasswordFallBackOnTheMasterLoginEachByItself) {
  SiteRecord site;
  site.AccessURL = "http://vexa.test/site/1";
  EXPECT_EQ(LoginRequestFor(site, "mid", "mpw", "s").loginID, "mid");
  EXPECT_EQ(LoginRequestFor(site, "mid", "mpw", "s").password, "mpw");
  site.LoginID = "own";
  SiteLoginRequest r = LoginRequestFor(site, "mid", "mpw", "s");
  EXPECT_EQ(r.loginID + "/" + r.password, "own/mpw");
  site.LoginID.clear();
  site.LoginPass = "ownpw";
  r = LoginRequestFor(site, "mid", "mpw", "s");
  EXPECT_EQ(r.loginID + "/" + r.password + "/" + r.accessURL + "/" + r.serviceURL,
            "mid/ownpw/http://vexa.test/site/1/s");
}

TEST(LoginRequestTest, OriginsCompareSchemeHostAndPortOnly) {
  EXPECT_TRUE(SameOrigin("http://Vexa.test/a?x", "http://vexa.test:80/b"));
  EXPECT_TRUE(SameOrigin("https://vexa.test/", "https://vexa.test:443"));
  EXPECT_FALSE(SameOrigin("https://vexa.test/", "http://vexa.test/"));
  EXPECT_FALSE(SameOrigin("http://vexa.test:8080/", "http://vexa.test/"));
  EXPECT_FALSE(SameOrigin("http://vexa.test.evil/", "http://vexa.test/"));
  EXPECT_FALSE(SameOrigin("about:blank", "about:blank"));
  EXPECT_FALSE(SameOrigin("", ""));
  EXPECT_FALSE(SameOrigin("vexa.test/site", "vexa.test/site"));
  EXPECT_FALSE(SameOrigin("file:///x", "file:///x"));
  // Spelled as the page script spells its document's origin.
  EXPECT_EQ(OriginOf("HTTP://Vexa.TEST/a"), "http://vexa.test:80");
  EXPECT_EQ(OriginOf("https://[::1]/"), "https://[::1]:443");
  EXPECT_EQ(OriginOf("http://127.0.0.1:8080/x"), "http://127.0.0.1:8080");
  EXPECT_EQ(OriginOf("ftp://vexa.test/"), "");
  EXPECT_EQ(HostOf("http://Vexa.test:81/"), "vexa.test");
  EXPECT_TRUE(OnBlockedPort("http://127.0.0.1:1/x"));
  EXPECT_TRUE(OnBlockedPort("https://vexa.test:25"));
  EXPECT_FALSE(OnBlockedPort("http://vexa.test/"));
  EXPECT_FALSE(OnBlockedPort("http://vexa.test:8080/"));
}

TEST(LoginRequestTest, ServiceAddressComesFromTheRunThenTheSettingsThenTheProgram) {
  EXPECT_EQ(ServiceURLInForce("http://run.test", "http://stored.test"), "http://run.test");
  EXPECT_EQ(ServiceURLInForce(" ", " http://stored.test "), "http://stored.test");
  EXPECT_EQ(ServiceURLInForce("", ""), kBuiltInServiceURL);
  EXPECT_EQ(ManagementPageURL("http://127.0.0.1:8080/some/page?x=1"), "http://127.0.0.1:8080/admin2/");
  EXPECT_EQ(ManagementPageURL("vexa.test"), "http://vexa.test/admin2/");
  EXPECT_EQ(ManagementPageURL("https://Vexa.test/"), "https://Vexa.test/admin2/");
  EXPECT_EQ(ManagementPageURL("http://"), "");
}

TEST(LoginRequestTest, StatusTextsAreExactAndFailuresSayWhy) {
  EXPECT_EQ(LoginStatusText({LoginOutcome::Succeeded, LoginFailure::None, {}}),
            SystemText("管理画面ログイン完了しました"));
  const std::string failed = SystemText("管理画面ログイン失敗しました");
  EXPECT_EQ(LoginStatusText({LoginOutcome::Failed, LoginFailure::PageNotReached, "503"}),
            failed + SystemText(" [ページを開けません: 503]"));
  EXPECT_EQ(LoginStatusText({LoginOutcome::Failed, LoginFailure::PageNotReached, "-100002"}),
            failed + SystemText(" [ページを開けません: 接続できません]"));
  EXPECT_EQ(LoginStatusText({LoginOutcome::Failed, LoginFailure::Refused, {}}),
            failed + SystemText(" [ログインが拒否されました]"));
  EXPECT_EQ(
      LoginStatusText({LoginOutcome::Failed, LoginFailure::PageNotReached, std::to_string(kRestrictedPortFailure)}),
      failed + SystemText(" [ページを開けません: 使用できないポートです]"));
  EXPECT_EQ(LoginStatusText({LoginOutcome::Superseded, LoginFailure::None, {}}), "");
}

TEST(MasterLoginHostsTest, TheMasterLoginGoesToAnotherHostOnlyWithTheUsersWordAskedOncePerHost) {
  SettingsFile settings("/nonexistent/morvane-test.ini");
  MasterLoginHosts hosts(settings);
  std::vector<std::string> asked;
  std::deque<bool> answers{false, true};
  const MasterLoginHosts::Ask ask = [&](std::string_view host) {
    asked.emplace_back(host);
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  };
  SiteRecord site;
  auto request = [&](std::string url) {
    site.AccessURL = std::move(url);
    return LoginRequestFor(site, "master", "mpw", "http://Vexa.test");
  };
  // The service's own host, on any port or scheme, needs nobody's word.
  SiteLoginRequest r = request("https://vexa.test:8443/site/1");
  EXPECT_FALSE(hosts.Decide(r, ask));
  EXPECT_FALSE(r.masterLoginDeclined);
  // Another host: asked once, the answer kept.
  r = request("http://other.test/a");
  EXPECT_TRUE(hosts.Decide(r, ask));
  EXPECT_TRUE(r.masterLoginDeclined);
  r = request("http://Other.test:81/b");
  EXPECT_FALSE(hosts.Decide(r, ask));
  EXPECT_TRUE(r.masterLoginDeclined);
  r = request("http://third.test/");
  EXPECT_TRUE(hosts.Decide(r, ask));
  EXPECT_FALSE(r.masterLoginDeclined);
  EXPECT_EQ(asked, (std::vector<std::string>{"other.test", "third.test"}));
  EXPECT_EQ(settings.ReadString("MasterLoginHost_other.test"), "0");
  // A new run reads the answers back; a site's own ID and password need none.
  MasterLoginHosts again(settings);
  r = request("http://third.test/");
  EXPECT_FALSE(again.Decide(r, nullptr));
  EXPECT_FALSE(r.masterLoginDeclined);
  site.LoginID = "own";
  site.LoginPass = "ownpw";
  r = request("http://other.test/");
  EXPECT_FALSE(r.usesMasterLogin);
  EXPECT_EQ(MasterLoginHosts::HostToAgree(r), "");
  // The master password alone is the master login's too; an undecided host
  // without anyone to ask is declined.
  site.LoginPass.clear();
  r = request("http://fourth.test/");
  EXPECT_FALSE(again.Decide(r, nullptr));
  EXPECT_TRUE(r.masterLoginDeclined);
  EXPECT_FALSE(again.Decided("fourth.test"));
  EXPECT_EQ(MasterLoginHosts::Question("x.test"), "マスターIDとパスワードを x.test に送信しますか？");
}

TEST_F(LoginTest, ADeclinedMasterLoginOpensThePageAndFillsNothing) {
  site[kSite] = LoginFormPage();
  SiteLoginRequest r{kSite, "master", "mpw", "http://service.test"};
  r.usesMasterLogin = r.masterLoginDeclined = true;
  const LoginResult result = login.Run(r);
  EXPECT_EQ(LoginStatusText(result),
            SystemText("管理画面ログイン失敗しました [マスターIDとパスワードを vexa.test には送信しません]"));
  EXPECT_EQ(engine.navigated, std::vector<std::string>{kSite});
  EXPECT_TRUE(filled.empty());
}

TEST_F(LoginTest, FillsAndSubmitsTheFormThenOpensTheSitePageAgainWithoutWaiting) {
  site[kSite] = LoginFormPage();
  Accepted("taro");
  const LoginResult r = Run();
  EXPECT_EQ(r.outcome, LoginOutcome::Succeeded);
  EXPECT_EQ(filled, (std::vector<std::pair<std::string, std::string>>{{"catname_d", "taro"}, {"pw_d", "pw"}}));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(engine.navigated, (std::vector<std::string>{kSite, kSite}));  // opened, and again after the login
  EXPECT_TRUE(frame.BusyState());                                         // the last one is not waited for
}

TEST_F(LoginTest, AlreadyLoggedInTouchesNothingButAnIdOnTheLoginPageDoesNotCount) {
  site[kSite] = LoggedInPage("taro");
  EXPECT_EQ(Run().outcome, LoginOutcome::Succeeded);
  EXPECT_TRUE(filled.empty());
  EXPECT_EQ(engine.navigated.size(), 1u);
  // The page shows an ID with markup characters escaped.
  site[kSite] = LoggedInPage("a&amp;b&lt;c&gt;");
  EXPECT_EQ(Run("a&b<c>").outcome, LoginOutcome::Succeeded);
  EXPECT_TRUE(filled.empty());

  // "t" occurs in the login page's own markup.
  site[kSite] = LoginFormPage("<p>t</p>");
  Accepted("t");
  EXPECT_EQ(Run("t").outcome, LoginOutcome::Succeeded);
  EXPECT_EQ(clicks, 1);
}

TEST_F(LoginTest, NoIdWrongPasswordAndNoConfirmationFailWithTheirReasons) {
  site[kSite] = LoginFormPage();
  LoginResult r = Run("");
  EXPECT_EQ(r.failure, LoginFailure::NoLoginID);
  EXPECT_EQ(engine.navigated.size(), 1u);
  EXPECT_TRUE(filled.empty());

  Refused();
  r = Run();
  EXPECT_EQ(r.outcome, LoginOutcome::Failed);
  EXPECT_EQ(r.failure, LoginFailure::Refused);
  EXPECT_EQ(engine.navigated.size(), 2u);  // not opened again

  afterSubmit = [this] { return "http://vexa.test/blank"; };
  EXPECT_EQ(Run().failure, LoginFailure::NotConfirmed);
}

TEST_F(LoginTest, FailedLoadOrAnotherSitesPageIsNeverFilled) {
  // The page shown before holds fields of the same names.
  shown = LoginFormPage();
  engine.location = kSite;
  errors[kSite] = 503;
  LoginResult r = Run();
  EXPECT_EQ(r.failure, LoginFailure::PageNotReached);
  EXPECT_EQ(r.detail, "503");
  errors[kSite] = -100002;  // refused: the status query finds nothing either
  frame.SetURLStatusQuery([](std::string_view, std::string& status, std::string&) { return status.clear(), false; });
  r = Run();
  EXPECT_EQ(r.failure, LoginFailure::PageNotReached);
  EXPECT_EQ(r.detail, "-100002");
  EXPECT_TRUE(filled.empty());

  // Sent on to another host that asks for the same fields.
  errors.clear();
  site[kSite] = LoginFormPage();
  engine.onNavigate = [this](std::string_view) { Load("http://phish.test/"); };
  site["http://phish.test/"] = LoginFormPage();
  r = Run();
  EXPECT_EQ(r.failure, LoginFailure::PageNotReached);
  EXPECT_EQ(r.detail, "");
  EXPECT_TRUE(filled.empty());

  // The submit answered with a server error.
  engine.onNavigate = [this](std::string_view url) { Load(std::string(url)); };
  afterSubmit = [this] { return errors["http://vexa.test/admin2/login"] = 500, "http://vexa.test/admin2/login"; };
  r = Run();
  EXPECT_EQ(r.failure, LoginFailure::PageNotReached);
  EXPECT_EQ(r.detail, "500");
}

TEST_F(LoginTest, AFormBuiltLaterIsWaitedForUntilItComesOrAStopOrSkipOrTheTimeLimit) {
  site[kSite] = FakePage{"<p>loading</p>", {}, {}};
  Accepted("taro");
  // The script adds the fields first and the button a little later.
  pump.everyPass = [this, passes = 0]() mutable {
    if (engine.location != kSite || shown.source != "<p>loading</p>") return;
    ++passes;
    if (passes == 20) shown.fields = {"catname_d", "pw_d"};
    if (passes == 30) shown.captions = {SystemText("管理画面ログイン")};
  };
  EXPECT_EQ(Run().outcome, LoginOutcome::Succeeded);
  EXPECT_EQ(filled.size(), 2u);
  pump.everyPass = nullptr;

  site[kSite] = FakePage{"<p>no form</p>", {}, {}};
  pump.slept = 0;
  EXPECT_EQ(Run().failure, LoginFailure::NoLoginForm);
  EXPECT_GE(pump.slept, SiteLogin::kLateFormPasses * 10);
  EXPECT_LT(pump.slept, SiteLogin::kLateFormPasses * 10 + 100);

  // A button without the fields is no login form either; a skip ends the look early.
  site[kSite] = FakePage{"", {}, {SystemText("管理画面ログイン")}};
  pump.slept = 0;
  pump.everyPass = [this] {
    if (!frame.BusyState() && engine.location == kSite) frame.RequestSkip();
  };
  EXPECT_EQ(Run().failure, LoginFailure::NoLoginForm);
  EXPECT_LT(pump.slept, 100);
  pump.everyPass = [this] {
    if (!frame.BusyState() && engine.location == kSite) frame.StopNavigation();
  };
  EXPECT_EQ(Run().failure, LoginFailure::Stopped);
  EXPECT_EQ(clicks, 1);
}

TEST_F(LoginTest, AStopDuringTheWaitAfterSubmittingFails) {
  site[kSite] = LoginFormPage();
  afterSubmit = [this] {
    engine.busy = true;  // the answer never comes
    pump.steps.push_back([] {});
    pump.steps.push_back([this] { frame.StopNavigation(); });
    return std::string();
  };
  engine.onNavigate = [this](std::string_view url) {
    if (!url.empty()) Load(std::string(url));
  };
  const LoginResult r = Run();
  EXPECT_EQ(r.failure, LoginFailure::Stopped);
  EXPECT_EQ(clicks, 1);
}

TEST_F(LoginTest, ASecondAttemptDuringAWaitRunsWholeAndTheFirstGivesWay) {
  const std::string other = "http://vexa.test/site/2";
  site[kSite] = LoginFormPage();
  site[other] = LoginFormPage();
  afterSubmit = [this, other] {
    site[other] = LoggedInPage("jiro");
    return other;
  };
  loadPasses = 5;
  LoginResult inner;
  bool started = false;
  pump.everyPass = [&] {
    if (started || engine.navigated.size() != 1) return;
    started = true;
    inner = login.Run({other, "jiro", "pw2", kService});
  };
  const LoginResult outer = Run();
  EXPECT_EQ(inner.outcome, LoginOutcome::Succeeded);
  EXPECT_EQ(outer.outcome, LoginOutcome::Superseded);
  EXPECT_EQ(LoginStatusText(outer), "");
  // Only the second site's login went into a form.
  EXPECT_EQ(filled, (std::vector<std::pair<std::string, std::string>>{{"catname_d", "jiro"}, {"pw_d", "pw2"}}));

  // One that runs while the first one's ID goes in, and is refused, leaves
  // its form shown: the first one's password stays out of it.
  pump.everyPass = nullptr;
  filled.clear();
  site[kSite] = LoginFormPage();
  site[other] = LoginFormPage();
  Refused();
  onFill = [&] { inner = login.Run({other, "jiro", "bad", kService}); };
  EXPECT_EQ(Run("taro", "pw1").outcome, LoginOutcome::Superseded);
  EXPECT_EQ(inner.failure, LoginFailure::Refused);
  EXPECT_EQ(filled.back(), (std::pair<std::string, std::string>{"catname_d", "taro"}));
  EXPECT_EQ(std::count(filled.begin(), filled.end(), std::pair<std::string, std::string>{"pw_d", "pw1"}), 0);
}

TEST_F(LoginTest, ASkipOrStopDuringTheFirstLoadNeverFillsThePageShownBeforeNorDoesATimeOut) {
  // The page shown before is on another host and has fields of the same
  // names; the control reports the address being loaded, as the engine does.
  shown = LoginFormPage();
  site[kSite] = LoginFormPage();
  Accepted("taro");
  engine.onNavigate = [this](std::string_view url) {
    engine.location = std::string(url);
    if (url == kSite) return;  // the answer is slow to come
    Load(std::string(url));
  };
  engine.busy = true;
  for (bool skip : {true, false}) {
    pump.steps.push_back([] {});
    pump.steps.push_back([this, skip] { skip ? frame.RequestSkip() : bar.ClickStop(); });
    const LoginResult r = Run();
    EXPECT_EQ(r.failure, LoginFailure::PageNotReached) << skip;
    EXPECT_EQ(LoginFailureText(r), SystemText("ページを開けません: 別のページが表示されています"));
  }
  EXPECT_TRUE(filled.empty());
  EXPECT_EQ(clicks, 0);

  // The load never comes and nobody asks to stop: the wait's limit ends it.
  pump.slept = 0;
  EXPECT_EQ(Run().failure, LoginFailure::TimedOut);
  EXPECT_GE(pump.slept, 60000LL * 10);
  EXPECT_TRUE(filled.empty());
}

TEST_F(LoginTest, ACallThePageNeverAnswersIsNeitherAYesNorANo) {
  // A wrong-password page that echoes the ID into its field and then keeps
  // its script busy: the look for the field gets no answer.
  site[kSite] = LoginFormPage();
  afterSubmit = [this] {
    site["http://vexa.test/admin2/login"] = LoginFormPage("<input name=\"catname_d\" value=\"taro\">");
    hung = {PageScript::Forms};
    return "http://vexa.test/admin2/login";
  };
  LoginResult r = Run();
  EXPECT_EQ(r.outcome, LoginOutcome::Failed);
  EXPECT_EQ(r.failure, LoginFailure::NoAnswer);
  EXPECT_EQ(LoginStatusText(r), SystemText("管理画面ログイン失敗しました [ページが応答しません]"));

  // Nothing answers at all: no fill, no click, and no success.
  afterSubmit = nullptr;
  hung = {PageScript::SetField, PageScript::Source};
  clicks = 0;
  EXPECT_EQ(Run().failure, LoginFailure::NoAnswer);
  // Given up by a stop or skip, the call fails with that.
  pump.everyPass = [this] {
    if (!frame.BusyState() && engine.location == kSite) frame.StopNavigation();
  };
  EXPECT_EQ(Run().failure, LoginFailure::Stopped);
  pump.everyPass = [this] {
    if (!frame.BusyState() && engine.location == kSite) frame.RequestSkip();
  };
  EXPECT_EQ(Run().failure, LoginFailure::Skipped);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(filled.size(), 2u);  // the first attempt's only
}

TEST_F(LoginTest, EachFailureNamesWhatHappened) {
  site[kSite] = LoginFormPage();
  // A skip during the wait after submitting is the skip, not a refusal.
  afterSubmit = [this] {
    engine.busy = true;
    pump.steps.push_back([] {});
    pump.steps.push_back([this] { frame.RequestSkip(); });
    return std::string();
  };
  engine.onNavigate = [this](std::string_view url) {
    if (!url.empty()) Load(std::string(url));
  };
  LoginResult r = Run();
  EXPECT_EQ(r.failure, LoginFailure::Skipped);
  EXPECT_EQ(LoginFailureText(r), SystemText("待機をスキップしました"));

  // A load that fails although its server answers 200 to the status query.
  afterSubmit = nullptr;
  pump.steps.clear();  // the skipped load never comes
  filled.clear();
  errors[kSite] = kLoadFailureBase - 7;
  frame.SetURLStatusQuery([](std::string_view, std::string& status, std::string&) { return status = "200", true; });
  r = Run();
  EXPECT_EQ(r.failure, LoginFailure::LoadFailed);
  EXPECT_EQ(LoginFailureText(r), SystemText("ページを開けません: 読み込みに失敗しました"));
  // A port of another protocol, where the query finds nobody.
  errors[kSite] = kRestrictedPortFailure;
  frame.SetURLStatusQuery([](std::string_view, std::string& status, std::string&) { return status.clear(), false; });
  EXPECT_EQ(LoginFailureText(Run()), SystemText("ページを開けません: 使用できないポートです"));
  EXPECT_TRUE(filled.empty());
}

}  // namespace
}  // namespace morvane
