// Navigation on a real web view: browse modes, errors, stop and skip, closing.
#include "browser_gui_support.h"

namespace morvane::testing {
namespace {

class RecordingDesktop : public SystemBrowser {
 public:
  bool Open(std::string_view url) override {
    opened.emplace_back(url);
    return true;
  }
  std::vector<std::string> opened;
};

class BrowseModeTest : public BrowserTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    frame().SetSystemBrowser(&desktop);
  }
  // Clicks without waiting, then gives the page time to open its window.
  void OpenNewWindow(const char* page, const char* kind, const char* match) {
    ASSERT_TRUE(Navigate(service->URL(page)));
    ASSERT_TRUE(frame().ClickElement(kind, match, false, false));
  }
  RecordingDesktop desktop;
};

TEST_F(BrowseModeTest, SameWindowAndScriptModesOpenNewWindowsInTheVisibleBrowser) {
  frame().SetBrowseMode(J("同窓モード"));
  OpenNewWindow("/pages/blank_target.html", "a", "target.html");
  EXPECT_TRUE(WaitForURL(service->URL("/pages/target.html")));
  EXPECT_TRUE(SourceHas("the target page"));

  frame().SetBrowseMode(J("スクリプト実行"));
  OpenNewWindow("/pages/open_window.html", "button", "open");
  EXPECT_TRUE(WaitForURL(service->URL("/pages/target.html")));
  OpenNewWindow("/pages/open_window.html", "button", "blank");  // a blank window empties the page
  EXPECT_TRUE(WaitForURL("about:blank"));
  EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(BrowseModeTest, IgnoreModeOpensNothingNormalModeHandsTheAddressToTheDesktop) {
  frame().SetBrowseMode(J("無視"));
  OpenNewWindow("/pages/blank_target.html", "a", "target.html");
  OpenNewWindow("/pages/open_window.html", "button", "open");
  PumpUntil([] { return false; }, 500);
  EXPECT_EQ(frame().GetLocationURL(), service->URL("/pages/open_window.html"));
  EXPECT_TRUE(desktop.opened.empty());

  // The hook has the last word on the mode.
  frame().SetNewWindowHook([](TfrBrowserBase& f) { f.SetBrowseMode(J("通常のブラウザ")); });
  frame().SetBrowseMode(J("同窓モード"));
  OpenNewWindow("/pages/blank_target.html", "a", "target.html");
  EXPECT_TRUE(PumpUntil([&] { return !desktop.opened.empty(); }));
  EXPECT_EQ(desktop.opened, std::vector<std::string>{service->URL("/pages/target.html")});
  EXPECT_EQ(frame().GetLocationURL(), service->URL("/pages/blank_target.html"));
}

TEST_F(BrowserTest, NotFoundShowsTheServersPageAndCompletes) {
  ASSERT_TRUE(Navigate(service->URL("/status/404")));
  EXPECT_TRUE(frame().PageComplete());
  EXPECT_TRUE(SourceHas("status page 404"));
  EXPECT_TRUE(statusQueries.empty());
}

TEST_F(BrowserTest, ServerErrorsAreNotShownAndEndTheWaitAsFinished) {
  ASSERT_TRUE(Navigate(service->URL("/pages/target.html")));
  for (const char* path : {"/status/500", "/status/403"}) {
    EXPECT_TRUE(Navigate(service->URL(path))) << path;
    EXPECT_FALSE(SourceHas("status page")) << path;
    EXPECT_FALSE(frame().BusyState());
  }
  EXPECT_TRUE(statusQueries.empty());
}

TEST_F(BrowserTest, FailuresWithoutStatusAskTheServerAndShowNoErrorPage) {
  // A port that was free a moment ago: nobody listens there.
  GSocketListener* listener = g_socket_listener_new();
  const guint16 port = g_socket_listener_add_any_inet_port(listener, nullptr, nullptr);
  g_object_unref(listener);
  const std::string refused = "http://127.0.0.1:" + std::to_string(port) + "/";
  EXPECT_TRUE(Navigate(refused));
  EXPECT_EQ(statusQueries, std::vector<std::string>{refused});
  EXPECT_FALSE(frame().BusyState());
}

TEST_F(BrowserTest, UntrustedCertificatesAreNavigationErrorsNeverAccepted) {
  const std::string secure = service->SecureURL("/pages/target.html");
  EXPECT_TRUE(Navigate(secure));
  EXPECT_EQ(statusQueries, std::vector<std::string>{secure});
  EXPECT_FALSE(SourceHas("the target page"));
}

TEST_F(BrowserTest, SkipEndsAWaitAsFinishedAndStopAsFailed) {
  {
    Later skip(300, [this] { frame().RequestSkip(); });
    EXPECT_TRUE(Navigate(service->URL("/slow?s=8")));
    EXPECT_TRUE(skip.Fired());
  }
  EXPECT_FALSE(frame().BusyState());
  EXPECT_FALSE(SourceHas("slow page"));
  {
    Later stop(300, [this] { frame().StopNavigation(); });
    EXPECT_FALSE(Navigate(service->URL("/slow?s=8")));
    EXPECT_TRUE(stop.Fired());
  }
  // A click during a wait starts a navigation of its own; the outer wait
  // then waits for that one.
  {
    Later click(300, [this] { frame().NavigateTo(service->URL("/pages/target.html"), false); });
    EXPECT_TRUE(Navigate(service->URL("/slow?s=8")));
  }
  EXPECT_EQ(frame().GetLocationURL(), service->URL("/pages/target.html"));
}

TEST_F(BrowserTest, PageClosingItsWindowLeavesABlankPage) {
  // Pages may only close a window that shows nothing else in its history.
  Close();
  Open(false);
  ASSERT_TRUE(Navigate(service->URL("/pages/close_window.html")));
  EXPECT_TRUE(WaitForURL("about:blank"));
  EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(view())));
}

}  // namespace
}  // namespace morvane::testing
