// Navigation on a real web view: browse modes, errors, stop and skip, closing.
#include <atomic>

#include "browser_gui_support.h"

namespace morvane::testing {
namespace {

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
  frame().SetBrowseMode(BrowseMode::SameWindow);
  OpenNewWindow("/pages/blank_target.html", "a", "target.html");
  EXPECT_TRUE(WaitForURL(service->URL("/pages/target.html")));
  EXPECT_TRUE(SourceHas("the target page"));

  frame().SetBrowseMode(BrowseModeNamed(J("スクリプト実行")));
  OpenNewWindow("/pages/open_window.html", "button", "open");
  EXPECT_TRUE(WaitForURL(service->URL("/pages/target.html")));
  OpenNewWindow("/pages/open_window.html", "button", "blank");  // a blank window empties the page
  EXPECT_TRUE(WaitForURL("about:blank"));
  EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(BrowseModeTest, IgnoreModeOpensNothingNormalModeHandsTheAddressToTheDesktop) {
  frame().SetBrowseMode(BrowseMode::Ignore);
  OpenNewWindow("/pages/blank_target.html", "a", "target.html");
  OpenNewWindow("/pages/open_window.html", "button", "open");
  PumpUntil([] { return false; }, 500);
  EXPECT_EQ(frame().GetLocationURL(), service->URL("/pages/open_window.html"));
  EXPECT_TRUE(desktop.opened.empty());

  // The hook has the last word on the mode.
  frame().SetNewWindowHook([](BrowserFrame& f) { f.SetBrowseMode(BrowseMode::DesktopBrowser); });
  frame().SetBrowseMode(BrowseMode::SameWindow);
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
  const std::string refused = ClosedPortURL();
  EXPECT_TRUE(Navigate(refused));
  EXPECT_EQ(statusQueries, std::vector<std::string>{refused});
  EXPECT_FALSE(frame().BusyState());
}

TEST_F(BrowserTest, ASlowServerAskedAboutAFailureLeavesTheWindowAnswering) {
  // A server that takes its time to answer, up to ten seconds.
  auto answer = std::make_shared<std::atomic<bool>>(false);
  auto asked = std::make_shared<std::atomic<int>>(0);
  frame().SetURLStatusQuery([answer, asked](std::string_view, std::string& status, std::string&) {
    ++*asked;
    for (int i = 0; i < 1000 && !*answer; ++i) g_usleep(10000);
    status.clear();
    return false;
  });
  const std::string refused = ClosedPortURL();
  frame().NavigateTo(refused, false);
  EXPECT_LT(LongestPassMs(1500), kAnsweringPassMs);
  EXPECT_EQ(*asked, 1);
  EXPECT_TRUE(frame().BusyState());  // not settled before the server answers
  *answer = true;
  EXPECT_TRUE(PumpUntil([&] { return !frame().BusyState() && frame().SkipRequest(); }));

  // A newer navigation drops the older failure's answer.
  *answer = false;
  frame().NavigateTo(refused, false);
  ASSERT_TRUE(PumpUntil([&] { return *asked == 2; }));
  ASSERT_TRUE(Navigate(service->URL("/pages/target.html")));
  *answer = true;
  PumpUntil([] { return false; }, 300);
  EXPECT_TRUE(frame().PageComplete() && !frame().SkipRequest());
  EXPECT_TRUE(SourceHas("the target page"));
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

TEST_F(BrowserTest, PageClosingItsWindowLeavesABlankPageButAFrameInsideCannot) {
  // The first page of a window, and one with pages before it in the history.
  Close();
  Open(false);
  ASSERT_TRUE(Navigate(service->URL("/pages/close_window.html")));
  EXPECT_TRUE(WaitForURL("about:blank"));
  ASSERT_TRUE(Navigate(service->URL("/pages/target.html")));
  ASSERT_TRUE(Navigate(service->URL("/pages/close_window.html")));
  EXPECT_TRUE(WaitForURL("about:blank"));
  EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(view())));

  const std::string framed = service->URL("/pages/close_from_frame.html");
  ASSERT_TRUE(Navigate(framed));
  ASSERT_TRUE(PumpUntil([&] { return PageValueOf("document.title") == "frame tried"; }));
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(frame().GetLocationURL(), framed);
}

}  // namespace
}  // namespace morvane::testing
