// The login sequence against a scripted service: which page is filled, what
// counts as logged in, and the reason a failed login gives.
#include "browser/core/site_login.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "browser/core/service_address.h"
#include "fake_browser.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using testing::Arg;
using testing::FakeToolbar;
using L = PageValue::List;

// What the fake control shows: its source, the fields of its one form, and
// the submit captions on it.
struct Page {
  std::string source;
  std::vector<std::string> fields;
  std::vector<std::string> captions;
};

const std::string kSite = "http://vexa.test/site/1";
const std::string kService = "http://vexa.test";

class LoginTest : public ::testing::Test, protected testing::FakeFrame {
 protected:
  FakeToolbar bar{frame};
  SiteLogin login{frame, pump};

  std::map<std::string, Page> site;          // by address
  std::map<std::string, long long> errors;   // addresses that fail to load
  std::function<std::string()> afterSubmit;  // the address the submit leads to
  std::function<void()> onFill;              // runs once, as the next field is filled
  Page shown;
  std::vector<std::pair<std::string, std::string>> filled;
  int clicks = 0;
  int loadPasses = 2;

  Page LoginForm(std::string extra = {}) {
    return {"<form>" + extra + "<input name=\"catname_d\"><input name=\"pw_d\"></form>", {"back", "catname_d", "pw_d"},
            {SystemText("管理画面ログイン")}};
  }
  Page LoggedIn(std::string id) { return {"<p>" + id + "</p>", {}, {}}; }

  void SetUp() override {
    bar.AttachAll();
    engine.location = "http://elsewhere.test/";
    engine.onNavigate = [this](std::string_view url) { Load(std::string(url)); };
    engine.page = [this](PageScript s, const std::vector<PageArgument>& a) -> std::optional<PageValue> {
      switch (s) {
        case PageScript::Source: return shown.source;
        case PageScript::Forms: {
          L fields(shown.fields.begin(), shown.fields.end());
          return shown.fields.empty() ? L{} : L{L{"login", fields}};
        }
        case PageScript::FindElements: {
          L found;
          for (std::size_t i = 0; i < shown.captions.size(); ++i) found.push_back(L{static_cast<int>(i), shown.captions[i]});
          return found;
        }
        case PageScript::SetField: {
          if (onFill) std::exchange(onFill, nullptr)();
          const std::string& name = *Arg(a, "name")->Text();
          if (std::find(shown.fields.begin(), shown.fields.end(), name) == shown.fields.end()) return false;
          filled.emplace_back(name, *Arg(a, "value")->Text());
          return true;
        }
        case PageScript::ClickElement:
          ++clicks;
          if (afterSubmit) Load(afterSubmit());
          return true;
        default: return std::nullopt;
      }
    };
  }

  // The control takes a few passes; a failed load leaves the old page shown.
  void Load(std::string url) {
    engine.busy = true;
    frame.OnBeforeNavigate(url);
    for (int i = 1; i < loadPasses; ++i) pump.steps.push_back([] {});
    pump.steps.push_back([this, url] {
      engine.busy = false;
      if (auto error = errors.find(url); error != errors.end()) {
        bool cancel = false;
        frame.OnNavigateError(url, error->second, cancel);
        return;
      }
      engine.location = url;
      shown = site.count(url) ? site[url] : Page{};
      frame.OnDocumentComplete(true);
    });
  }

  LoginResult Run(std::string id = "taro", std::string password = "pw") {
    return login.Run({kSite, std::move(id), std::move(password), kService});
  }
  void Refused() {
    afterSubmit = [this] {
      site["http://vexa.test/admin2/login"] = LoginForm("<p>wrong</p>");
      return "http://vexa.test/admin2/login";
    };
  }
  void Accepted(std::string id) {
    afterSubmit = [this, id] {
      site[kSite] = LoggedIn(id);
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
  EXPECT_EQ(r.loginID + "/" + r.password + "/" + r.accessURL + "/" + r.serviceURL, "mid/ownpw/http://vexa.test/site/1/s");
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
  EXPECT_EQ(LoginStatusText({LoginOutcome::Succeeded, LoginFailure::None, {}}), SystemText("管理画面ログイン完了しました"));
  const std::string failed = SystemText("管理画面ログイン失敗しました");
  EXPECT_EQ(LoginStatusText({LoginOutcome::Failed, LoginFailure::PageNotReached, "503"}),
            failed + SystemText(" [ページを開けません: 503]"));
  EXPECT_EQ(LoginStatusText({LoginOutcome::Failed, LoginFailure::PageNotReached, "-100002"}),
            failed + SystemText(" [ページを開けません: 接続できません]"));
  EXPECT_EQ(LoginStatusText({LoginOutcome::Failed, LoginFailure::Refused, {}}),
            failed + SystemText(" [ログインが拒否されました]"));
  EXPECT_EQ(LoginStatusText({LoginOutcome::Superseded, LoginFailure::None, {}}), "");
}

TEST_F(LoginTest, FillsAndSubmitsTheFormThenOpensTheSitePageAgainWithoutWaiting) {
  site[kSite] = LoginForm();
  Accepted("taro");
  const LoginResult r = Run();
  EXPECT_EQ(r.outcome, LoginOutcome::Succeeded);
  EXPECT_EQ(filled, (std::vector<std::pair<std::string, std::string>>{{"catname_d", "taro"}, {"pw_d", "pw"}}));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(engine.navigated, (std::vector<std::string>{kSite, kSite}));  // opened, and again after the login
  EXPECT_TRUE(frame.BusyState());  // the last one is not waited for
}

TEST_F(LoginTest, AlreadyLoggedInTouchesNothingButAnIdOnTheLoginPageDoesNotCount) {
  site[kSite] = LoggedIn("taro");
  EXPECT_EQ(Run().outcome, LoginOutcome::Succeeded);
  EXPECT_TRUE(filled.empty());
  EXPECT_EQ(engine.navigated.size(), 1u);
  // The page shows an ID with markup characters escaped.
  site[kSite] = LoggedIn("a&amp;b&lt;c&gt;");
  EXPECT_EQ(Run("a&b<c>").outcome, LoginOutcome::Succeeded);
  EXPECT_TRUE(filled.empty());

  // "t" occurs in the login page's own markup.
  site[kSite] = LoginForm("<p>t</p>");
  Accepted("t");
  EXPECT_EQ(Run("t").outcome, LoginOutcome::Succeeded);
  EXPECT_EQ(clicks, 1);
}

TEST_F(LoginTest, NoIdWrongPasswordAndNoConfirmationFailWithTheirReasons) {
  site[kSite] = LoginForm();
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
  shown = LoginForm();
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
  site[kSite] = LoginForm();
  engine.onNavigate = [this](std::string_view) { Load("http://phish.test/"); };
  site["http://phish.test/"] = LoginForm();
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
  site[kSite] = Page{"<p>loading</p>", {}, {}};
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

  site[kSite] = Page{"<p>no form</p>", {}, {}};
  pump.slept = 0;
  EXPECT_EQ(Run().failure, LoginFailure::NoLoginForm);
  EXPECT_GE(pump.slept, SiteLogin::kLateFormPasses * 10);
  EXPECT_LT(pump.slept, SiteLogin::kLateFormPasses * 10 + 100);

  // A button without the fields is no login form either; a skip ends the look early.
  site[kSite] = Page{"", {}, {SystemText("管理画面ログイン")}};
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
  site[kSite] = LoginForm();
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
  site[kSite] = LoginForm();
  site[other] = LoginForm();
  afterSubmit = [this, other] {
    site[other] = LoggedIn("jiro");
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
  site[kSite] = LoginForm();
  site[other] = LoginForm();
  Refused();
  onFill = [&] { inner = login.Run({other, "jiro", "bad", kService}); };
  EXPECT_EQ(Run("taro", "pw1").outcome, LoginOutcome::Superseded);
  EXPECT_EQ(inner.failure, LoginFailure::Refused);
  EXPECT_EQ(filled.back(), (std::pair<std::string, std::string>{"catname_d", "taro"}));
  EXPECT_EQ(std::count(filled.begin(), filled.end(), std::pair<std::string, std::string>{"pw_d", "pw1"}), 0);
}

}  // namespace
}  // namespace morvane
