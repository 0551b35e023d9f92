// Opening a site from the list and the automatic login, against the
// stand-in service: a real double-click on a row of the running window.
#include <glib.h>
#include <signal.h>

#include "browser/gtk/browser_frame_widget.h"
#include "navi/gtk/browser_navi.h"
#include "real_input.h"
#include "service_window_test.h"
#include "support/later.h"
#include "support/web_process.h"
// X11 last: its macros clash with names in the headers above.
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

namespace morvane::testing {
namespace {

const std::string kDone = "管理画面ログイン完了しました";
const std::string kFailed = "管理画面ログイン失敗しました";

class LoginTest : public ServiceWindowTest {
 protected:
  void SetUp() override {
    ServiceWindowTest::SetUp();
    Watch();
  }
  // Every row of a test on screen, and each status text noted.
  void Watch() {
    W().Panel1.set_position(300);
    W().StatusBar1.signal_text_pushed().connect(
        [this](guint, const Glib::ustring& text) { statusTexts.push_back(text.raw()); });
  }

  // Sites as the list shows them under "すべてのサイト", in this order.
  void ShowSites(const std::vector<Site>& sites) {
    AddSites(sites);
    W().ShowEntry(J("すべてのサイト"));
    PumpFor(100);
  }
  int Posts() {
    const std::string posts = service->Fetch("/login-posts");
    return static_cast<int>(std::count(posts.begin(), posts.end(), '\n'));
  }
  std::string LastPost() {
    std::string posts = service->Fetch("/login-posts");
    if (!posts.empty()) posts.pop_back();
    return posts.substr(posts.rfind('\n') + 1);
  }
  void Logout() { ASSERT_TRUE(W().frBrowserBase1().NavigateTo(service->URL("/logout"), true)); }

  // Presses the row twice with the real pointer. Presses that follow the last
  // pair too soon would read as a triple click, so they wait it out.
  void DoubleClickRow(int row) {
    AwaitNextDoubleClick();
    int x = 0, y = 0;
    Gtk::TreeModel::Path path;
    path.push_back(row);
    ASSERT_TRUE(PumpUntil([&] { return W().lvSiteList.RowCentreOnScreen(path, x, y); }));
    Display* d = GDK_WINDOW_XDISPLAY(W().get_window()->gobj());
    XTestFakeMotionEvent(d, -1, x, y, 0);
    for (int i = 0; i < 2; ++i) {
      XTestFakeButtonEvent(d, 1, True, 0);
      XTestFakeButtonEvent(d, 1, False, 0);
    }
    XFlush(d);
    lastClick_ = g_get_monotonic_time();
  }
  void AwaitNextDoubleClick() {
    const gint64 clickAgain = lastClick_ + 2 * gint64{DoubleClickMilliseconds()} * 1000 + 100000;
    PumpUntil([clickAgain] { return g_get_monotonic_time() >= clickAgain; });
  }
  static int DoubleClickMilliseconds() {
    int milliseconds = 400;
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &milliseconds, nullptr);
    return milliseconds;
  }
  // The login's status text after a double-click on the row (UTF-8).
  std::string LoginOf(int row, int timeoutMs = 30000) {
    statusTexts.clear();
    DoubleClickRow(row);
    if (::testing::Test::HasFatalFailure()) return "(not clicked)";
    PumpUntil([this] { return !LoginTexts().empty(); }, timeoutMs);
    return LoginTexts().empty() ? std::string("(none)") : LoginTexts().back();
  }
  std::vector<std::string> LoginTexts() const {
    std::vector<std::string> texts;
    for (const std::string& t : statusTexts)
      if (t.rfind("管理画面ログイン", 0) == 0) texts.push_back(t);
    return texts;
  }

  std::vector<std::string> statusTexts;
  gint64 lastClick_ = 0;
};

TEST_F(LoginTest, LogsInWithTheSitesOwnLoginOrTheMastersEachFallingBackByItself) {
  W().Catalogue().SetMasterLogin(J("master-1"), J("secret"));
  ShowSites({{"own", "/site/own", "own-1", "secret"},
             {"master", "/site/master", "", ""},
             {"ownid", "/site/ownid", "own-2", ""}});
  EXPECT_EQ(LoginOf(0), kDone);
  EXPECT_EQ(LastPost(), "back=%2Fsite%2Fown&catname_d=own-1&pw_d=secret");
  // The page is opened once more and shows the site as a logged-in user sees it.
  EXPECT_TRUE(PumpUntil([this] { return PageHas("ログイン中: own-1") && !W().frBrowserBase1().BusyState(); }));
  EXPECT_EQ(W().StatusText(), J(kDone));  // that page's completion leaves the outcome in view

  // The new-site defaults come from that page.
  forms_.steps.push_back([](Gtk::Dialog& d) { d.response(Gtk::RESPONSE_CANCEL); });
  W().tbAddSiteClick();
  EXPECT_EQ(SiteDialog().edSiteName.get_text(), "own");
  EXPECT_EQ(SiteDialog().edAccessURL.get_text(), service->URL("/site/own"));

  // Still logged in: nothing is posted.
  const int posts = Posts();
  EXPECT_EQ(LoginOf(0), kDone);
  EXPECT_EQ(Posts(), posts);

  Logout();
  EXPECT_EQ(LoginOf(1), kDone);
  EXPECT_EQ(LastPost(), "back=%2Fsite%2Fmaster&catname_d=master-1&pw_d=secret");
  Logout();
  EXPECT_EQ(LoginOf(2), kDone);
  EXPECT_EQ(LastPost(), "back=%2Fsite%2Fownid&catname_d=own-2&pw_d=secret");
}

TEST_F(LoginTest, AShortIdOnTheLoginPageIsNoLoginAndLateOrButtonFormsAreFilled) {
  ShowSites({{"short", "/site/short", "a", "secret"},
             {"late", "/site/late?form=late", "late-1", "secret"},
             {"button", "/site/button?form=button", "button-1", "secret"}});
  int posts = Posts();
  EXPECT_EQ(LoginOf(0), kDone);
  EXPECT_EQ(Posts(), ++posts);
  Logout();
  EXPECT_EQ(LoginOf(1), kDone);
  EXPECT_EQ(LastPost(), "back=%2Fsite%2Flate%3Fform%3Dlate&catname_d=late-1&pw_d=secret");
  Logout();
  EXPECT_EQ(LoginOf(2), kDone);
  EXPECT_EQ(LastPost(), "back=%2Fsite%2Fbutton%3Fform%3Dbutton&catname_d=button-1&pw_d=secret");
}

TEST_F(LoginTest, FailuresSayWhyAndFillNothingThatWasNotAskedFor) {
  ShowSites({{"wrong", "/site/wrong", "wrong-1", "wrong"},
             {"noform", "/site/noform?form=none", "noform-1", "secret"},
             {"noid", "/site/noid", "", ""},
             {"unreachable", ClosedPortURL() + "site/x", "u-1", "secret"},
             {"failing", "/status/503", "f-1", "secret"},
             {"slow", "/site/slow?form=slow", "slow-1", "secret"},
             {"restricted", "http://127.0.0.1:1/site/x", "r-1", "secret"}});
  // No row selected: nothing happens.
  W().lvSiteList.SelectRow(-1);
  W().lvSiteListDblClick();
  EXPECT_TRUE(LoginTexts().empty());

  int posts = Posts();
  EXPECT_EQ(LoginOf(0), kFailed + " [ログインが拒否されました]");
  EXPECT_EQ(Posts(), ++posts);
  EXPECT_EQ(LoginOf(1), kFailed + " [ログインフォームがありません]");
  EXPECT_EQ(LoginOf(2), kFailed + " [ログインIDがありません]");
  EXPECT_EQ(LoginOf(3), kFailed + " [ページを開けません: 接続できません]");
  EXPECT_EQ(LoginOf(6), kFailed + " [ページを開けません: 使用できないポートです]");
  EXPECT_EQ(Posts(), posts);

  // A page of the same host with hidden fields of those names stays untouched.
  ASSERT_TRUE(W().frBrowserBase1().NavigateTo(service->URL("/trap"), true));
  EXPECT_EQ(LoginOf(4), kFailed + " [ページを開けません: 503]");
  EXPECT_TRUE(PageHas("data-got=\"\""));
  EXPECT_EQ(Posts(), posts);

  // The stop button during the wait after submitting.
  Later stop(1500, [this] { W().frBrowserBase1().StopNavigation(); });
  EXPECT_EQ(LoginOf(5), kFailed + " [中止しました]");
  EXPECT_EQ(Posts(), ++posts);
}

TEST_F(LoginTest, SkipOrStopDuringTheFirstLoadTypesNothingIntoThePageShownBefore) {
  ShowSites({{"slow", "/site/slow?wait=3", "slow-1", "secret"}, {"held", "/site/held?img=4", "held-1", "secret"}});
  // The page before is on another host (the same service under another
  // loopback name) and takes note of every value typed into it.
  const std::string trap = service->OtherHostURL("/trap");
  const int posts = Posts();
  struct Press {
    Gtk::Widget* button;
    int afterMs;
  };
  for (const Press press : {Press{&W().frBrowserNavi1->ToolButton1, 150}, Press{&W().frBrowserNavi1->ToolButton1, 1500},
                            Press{&W().frBrowserNavi1->tbStop, 150}, Press{&W().frBrowserNavi1->tbStop, 1500}}) {
    ASSERT_TRUE(W().frBrowserBase1().NavigateTo(trap, true));
    AwaitNextDoubleClick();  // the press is timed from the double-click
    Later click(press.afterMs, [&press] { ClickWithPointer(*press.button); });
    EXPECT_EQ(LoginOf(0), kFailed + " [ページを開けません: 別のページが表示されています]") << press.afterMs;
    EXPECT_TRUE(click.Fired());
    EXPECT_EQ(W().frBrowserBase1().GetLocationURL(), trap);
    EXPECT_TRUE(PageHas("data-got=\"\"")) << press.afterMs;
  }
  EXPECT_EQ(Posts(), posts);

  // Skipped once its document is shown (an image still loading): that page is
  // the one asked for, and the login goes on there.
  ASSERT_TRUE(W().frBrowserBase1().NavigateTo(trap, true));
  AwaitNextDoubleClick();
  Later skip(1500, [this] { ClickWithPointer(W().frBrowserNavi1->ToolButton1); });
  EXPECT_EQ(LoginOf(1), kDone);
  EXPECT_EQ(LastPost(), "back=%2Fsite%2Fheld%3Fimg%3D4&catname_d=held-1&pw_d=secret");
  Logout();
}

TEST_F(LoginTest, TheMasterLoginGoesToAnotherHostOnlyWhenTheUserAgreesAskedOnce) {
  W().Catalogue().SetMasterLogin(J("master-9"), J("secret"));
  ShowSites({{"elsewhere", service->OtherHostURL("/site/elsewhere"), "", ""},
             {"own", service->OtherHostURL("/site/own"), "own-9", "secret"}});
  const int posts = Posts();
  dialogs.yesNoAnswers.push_back(false);
  EXPECT_EQ(LoginOf(0), kFailed + " [マスターIDとパスワードを localhost には送信しません]");
  EXPECT_EQ(dialogs.questions, std::vector<std::string>{"マスターIDとパスワードを localhost に送信しますか？"});
  EXPECT_TRUE(PageHas("catname_d"));  // the page is shown, its form left empty
  // Asked once: the answer is kept in the settings file.
  EXPECT_EQ(LoginOf(0), kFailed + " [マスターIDとパスワードを localhost には送信しません]");
  EXPECT_EQ(dialogs.questions.size(), 1u);
  EXPECT_EQ(Posts(), posts);
  // A site's own login still goes to its own page.
  EXPECT_EQ(LoginOf(1), kDone);
  EXPECT_EQ(LastPost(), "back=%2Fsite%2Fown&catname_d=own-9&pw_d=secret");
  EXPECT_EQ(dialogs.questions.size(), 1u);

  // The next start, with the service under the other name: the answer for
  // the first host holds, and a yes for this one lets the login go there.
  CloseForms();
  serviceUrl = service->OtherHostURL("/");
  OpenForms();
  Watch();
  W().Catalogue().SetMasterLogin(J("master-9"), J("secret"));
  ShowSites({{"here", "/site/here", "", ""}});
  int here = 0;
  for (const std::string* line;
       (line = W().Catalogue().ShownList().Find(here)) && line->find("/site/here") == std::string::npos;)
    ++here;
  Logout();
  dialogs.yesNoAnswers.push_back(true);
  EXPECT_EQ(LoginOf(here), kDone);
  EXPECT_EQ(dialogs.questions.back(), "マスターIDとパスワードを 127.0.0.1 に送信しますか？");
  EXPECT_EQ(LastPost(), "back=%2Fsite%2Fhere&catname_d=master-9&pw_d=secret");
  EXPECT_EQ(W().IniFile().ReadString("MasterLoginHost_localhost"), "0");
  EXPECT_EQ(dialogs.questions.size(), 2u);
}

TEST_F(LoginTest, AwkwardValuesArriveExactlyAndASecondDoubleClickRunsItsOwnAttempt) {
  const std::string id = "q\"'&%+\\日本 x", pass = "p\"'&%+\\日本";
  ShowSites({{"awkward", "/site/awkward", id, pass},
             {"slow", "/site/slow?form=slow", "slow-1", "secret"},
             {"quick", "/site/quick", "quick-1", "secret"}});
  EXPECT_EQ(LoginOf(0), kFailed + " [ログインが拒否されました]");
  EXPECT_EQ(LastPost(), "back=%2Fsite%2Fawkward&catname_d=" + PercentEncoded(id) + "&pw_d=" + PercentEncoded(pass));

  // While the slow site's answer is awaited, the quick one is double-clicked.
  Later second(1500, [this] { DoubleClickRow(2); });
  EXPECT_EQ(LoginOf(1), kDone);
  EXPECT_EQ(LastPost(), "back=%2Fsite%2Fquick&catname_d=quick-1&pw_d=secret");
  PumpFor(200);
  // The first attempt gave way without a word of its own (the outcome is
  // written again as pages complete under it).
  for (const std::string& text : LoginTexts()) EXPECT_EQ(text, kDone);
}

TEST_F(LoginTest, DisplaySiteAndTheServicePageOpenWithoutLoggingIn) {
  ShowSites({{"shown", "/site/shown", "shown-1", "secret"}});
  W().lvSiteList.SelectRow(0);
  const int posts = Posts();
  W().miDisplaySiteClick();
  EXPECT_TRUE(PumpUntil([this] { return W().frBrowserBase1().GetLocationURL() == service->URL("/modified?shown"); }));
  W().PageControl1.set_current_page(-1);
  g_signal_emit_by_name(W().tbGoToVexaAccess.gobj(), "clicked");
  EXPECT_EQ(W().frBrowserBase1().GetLocationURL(), service->URL("/admin2/"));
  EXPECT_TRUE(PageHas("管理画面ログイン"));
  EXPECT_EQ(W().PageControl1.get_current_page(), W().PageControl1.page_num(W().tsBrowser));
  EXPECT_EQ(Posts(), posts);
  EXPECT_TRUE(LoginTexts().empty());
}

TEST_F(LoginTest, TheServiceAddressIsStoredFromTheSettingsDialogAndTheRunsAddressWins) {
  CloseForms();
  serviceUrl.clear();  // no --service-url
  OpenForms();
  forms_.steps.push_back([this](Gtk::Dialog& d) {
    SettingsDialog().edServiceURL.set_text(service->URL("/"));
    d.response(Gtk::RESPONSE_OK);
  });
  W().tbSetIDPWClick();
  g_signal_emit_by_name(W().tbGoToVexaAccess.gobj(), "clicked");
  EXPECT_EQ(W().frBrowserBase1().GetLocationURL(), service->URL("/admin2/"));

  // The next start reads it back, unless the command line names another.
  CloseForms();
  OpenForms();
  std::string shown;
  forms_.steps.push_back([this, &shown](Gtk::Dialog&) { shown = SettingsDialog().edServiceURL.get_text(); });
  W().tbSetIDPWClick();
  EXPECT_EQ(shown, service->URL("/"));
  g_signal_emit_by_name(W().tbGoToVexaAccess.gobj(), "clicked");
  EXPECT_EQ(W().frBrowserBase1().GetLocationURL(), service->URL("/admin2/"));
  CloseForms();
  serviceUrl = ClosedPortURL();
  OpenForms();
  g_signal_emit_by_name(W().tbGoToVexaAccess.gobj(), "clicked");
  EXPECT_FALSE(W().frBrowserBase1().LoadError().empty());
}

TEST_F(LoginTest, TheEndOfThePageProcessEndsTheLoginAtOnceAndSaysWhy) {
  ShowSites({{"slowpage", "/site/crash1?wait=8", "c-1", "secret"},
             {"slowpost", "/site/crash2?form=slow", "c-2", "secret"}});  // its post is answered after 5 s
  WebKitWebView* view = W().frBrowserBase1Widget->Engine().View();
  auto pageProcess = [&] {
    // A page of the same site first, so the load to come stays in its process.
    EXPECT_TRUE(W().frBrowserBase1().NavigateTo(service->URL("/pages/target.html"), true));
    return PageProcessOf(view, [](int ms) { PumpFor(ms); });
  };
  const std::string ended = kFailed + " [ブラウザの表示プロセスが終了しました]";
  for (const bool afterSubmit : {false, true}) {
    const pid_t page = pageProcess();
    ASSERT_GT(page, 0);
    const int posts = Posts();
    // During the first load, or once the submitted form has reached the service.
    struct Killer {
      std::function<int()> postsNow;
      pid_t page;
      int posts;
      bool afterSubmit, killed = false;
    } killer{[this] { return Posts(); }, page, posts, afterSubmit};
    const guint watch = g_timeout_add(
        afterSubmit ? 100 : 1000,
        +[](gpointer data) -> gboolean {
          auto* k = static_cast<Killer*>(data);
          if (k->afterSubmit && k->postsNow() == k->posts) return G_SOURCE_CONTINUE;
          k->killed = kill(k->page, SIGKILL) == 0;
          return G_SOURCE_REMOVE;
        },
        &killer);
    const std::string text = LoginOf(afterSubmit ? 1 : 0, 7000);
    if (!killer.killed) g_source_remove(watch);
    ASSERT_TRUE(killer.killed) << afterSubmit;
    EXPECT_EQ(text, ended) << afterSubmit;
    EXPECT_EQ(Posts(), posts + (afterSubmit ? 1 : 0));
    EXPECT_FALSE(W().frBrowserNavi1->ToolButton1.get_sensitive());  // nothing left to skip
    EXPECT_TRUE(PumpUntil([this] { return PageHas("再読み込み"); }, 5000));
  }
  // The next navigation works.
  EXPECT_TRUE(W().frBrowserBase1().NavigateTo(service->URL("/pages/target.html"), true));
  EXPECT_TRUE(PageHas("the target page"));
}

}  // namespace
}  // namespace morvane::testing
