#include "browser/core/browser_frame.h"

#include <gtest/gtest.h>

#include "fake_browser.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using testing::FakeEngine;
using testing::FakePump;
using testing::FakeStatusBar;
using testing::FakeSystemBrowser;
using testing::FakeToolbar;

class FrameTest : public ::testing::Test {
 protected:
  FakeEngine engine;
  FakePump pump;
  TfrBrowserBase frame{engine, pump};
  FakeToolbar toolbar{frame};
  FakeStatusBar status;

  void Attach() {
    frame.SetToolbar(&toolbar);
    frame.SetStatusBar(&status);
  }
  // A navigation that the control starts at once and completes after some passes.
  void LoadsIn(int passes) {
    engine.onNavigate = [this, passes](std::string_view url) {
      engine.busy = true;
      engine.location = std::string(url);
      frame.wbBrowserBeforeNavigate2(url);
      for (int i = 1; i < passes; ++i) pump.steps.push_back([] {});
      pump.steps.push_back([this] {
        engine.busy = false;
        frame.wbBrowserDocumentComplete(true);
      });
    };
  }
};

TEST_F(FrameTest, SpacesOnlyNavigateNowhereAndLeaveTheFrameIdleAndComplete) {
  Attach();
  const std::string spaces = " " + SystemText("　") + " ";
  EXPECT_TRUE(frame.NavigateTo(spaces, true));
  EXPECT_TRUE(engine.navigated.empty());
  EXPECT_EQ(toolbar.urlText, spaces);
  EXPECT_TRUE(frame.PageComplete());
  EXPECT_TRUE(frame.StopRequest());
  EXPECT_FALSE(frame.BusyState());
}

TEST_F(FrameTest, UrlIsNavigatedWithItsSpacesAndFlagsSetForTheNavigation) {
  Attach();
  frame.RequestSkip();
  EXPECT_TRUE(frame.NavigateTo("  http://host/a  ", false));
  ASSERT_EQ(engine.navigated.size(), 1u);
  EXPECT_EQ(engine.navigated[0], "  http://host/a  ");
  EXPECT_TRUE(frame.BusyState());
  EXPECT_TRUE(toolbar.skipEnabled);
  EXPECT_FALSE(frame.SkipRequest());
  EXPECT_FALSE(frame.StopRequest());
  EXPECT_FALSE(frame.PageComplete());
}

TEST_F(FrameTest, NavigationWithWaitRunsThroughTheFlagsAndEndsComplete) {
  Attach();
  engine.location = "http://host/done";
  LoadsIn(3);
  std::vector<std::string> seen;
  pump.everyPass = [&] { seen.push_back(frame.StatusPrefix()); };
  EXPECT_TRUE(frame.NavigateTo("http://host/done", true));
  EXPECT_EQ(seen.front(), "[+]");
  EXPECT_TRUE(frame.PageComplete());
  EXPECT_FALSE(frame.BusyState());
  EXPECT_FALSE(toolbar.skipEnabled);
  EXPECT_EQ(toolbar.urlText, "http://host/done");
  // Completion clears the line, then shows the prefix alone, which is empty now.
  ASSERT_GE(status.texts.size(), 2u);
  EXPECT_EQ(status.texts[status.texts.size() - 2], "");
  EXPECT_EQ(status.texts.back(), "");
}

TEST_F(FrameTest, SecondNavigationAsksTheFirstToGiveUpThenStartsClean) {
  Attach();
  frame.NavigateTo("http://host/slow", false);
  engine.busy = true;
  bool askedToGiveUp = false;
  bool clearedWhenNavigating = false;
  pump.steps.push_back([&] { askedToGiveUp = frame.StopRequest() && frame.SkipRequest(); });
  engine.onNavigate = [&](std::string_view) {
    clearedWhenNavigating = !frame.StopRequest() && !frame.SkipRequest() && !frame.PageComplete();
  };
  frame.NavigateTo("http://host/next", false);
  EXPECT_TRUE(askedToGiveUp);
  EXPECT_TRUE(clearedWhenNavigating);
  EXPECT_GE(engine.stops, 1);  // the slow page was stopped rather than waited out
  EXPECT_FALSE(frame.StopRequest());
  EXPECT_FALSE(frame.SkipRequest());
  EXPECT_TRUE(frame.BusyState());
  EXPECT_EQ(engine.navigated.back(), "http://host/next");
}

TEST_F(FrameTest, InnerNavigationDuringAnOuterWaitIsWhatTheOuterWaitThenWaitsFor) {
  Attach();
  engine.busy = true;
  frame.NavigateTo("http://host/outer", false);
  // While the outer wait pumps, a click navigates elsewhere; that completes later.
  pump.steps.push_back([&] {
    LoadsIn(2);
    EXPECT_TRUE(frame.NavigateTo("http://host/inner", false));
  });
  EXPECT_TRUE(frame.WaitForComplete(100));
  EXPECT_EQ(engine.navigated.back(), "http://host/inner");
  EXPECT_TRUE(frame.PageComplete());
}

TEST_F(FrameTest, SkipDuringWaitStopsClicksStopAndReportsTrue) {
  Attach();
  frame.NavigateTo("http://host/slow", false);
  pump.steps.push_back([&] { frame.RequestSkip(); });
  EXPECT_TRUE(frame.WaitForComplete(100));
  EXPECT_GE(engine.stops, 1);
  EXPECT_EQ(toolbar.stopClicks, 1);
  EXPECT_FALSE(frame.BusyState());
  EXPECT_FALSE(toolbar.skipEnabled);
}

TEST_F(FrameTest, StopPassLimitAndTerminationEndWaits) {
  frame.NavigateTo("http://host/slow", false);
  pump.steps.push_back([&] { frame.StopNavigation(); });
  EXPECT_FALSE(frame.WaitForComplete(100));
  EXPECT_EQ(pump.processed, 2);  // ends after the pass in which stop came

  pump.processed = 0;
  EXPECT_FALSE(frame.WaitForComplete(3));
  EXPECT_EQ(pump.processed, 4);
  EXPECT_FALSE(frame.BusyState());

  pump.terminating = true;
  EXPECT_TRUE(frame.WaitForComplete(100));
}

TEST_F(FrameTest, WaitForDocumentGivesUpAfterItsPassesAndStopsTheControl) {
  Attach();
  engine.hasDocument = false;
  frame.NavigateTo("http://host/none", false);
  EXPECT_FALSE(frame.WaitForDocument(50));
  EXPECT_EQ(pump.processed, 1 + 6);  // one after navigating, then 50 / 10 + 1 passes
  EXPECT_EQ(engine.stops, 1);
  EXPECT_FALSE(frame.BusyState());
  EXPECT_FALSE(toolbar.skipEnabled);

  pump.steps.push_back([&] { engine.hasDocument = true; });
  EXPECT_TRUE(frame.WaitForDocument(50));
}

TEST_F(FrameTest, OnlyTheTopLevelDocumentCompletes) {
  frame.NavigateTo("http://host/frames", false);
  frame.wbBrowserBeforeNavigate2("http://host/inner-frame");
  frame.wbBrowserDocumentComplete(false);
  EXPECT_TRUE(frame.BusyState());
  EXPECT_FALSE(frame.PageComplete());
  frame.wbBrowserDocumentComplete(true);
  EXPECT_FALSE(frame.BusyState());
  EXPECT_TRUE(frame.PageComplete());
}

TEST_F(FrameTest, BeforeNavigateOfBlankLeavesTheFlagsAlone) {
  frame.RequestSkip();
  frame.wbBrowserBeforeNavigate2("about:blank");
  EXPECT_TRUE(frame.SkipRequest());
  EXPECT_FALSE(frame.BusyState());
  frame.wbBrowserBeforeNavigate2("http://host/");
  EXPECT_FALSE(frame.SkipRequest());
  EXPECT_TRUE(frame.BusyState());
}

TEST_F(FrameTest, BrowseModesDecideNewWindows) {
  FakeSystemBrowser desktop;
  frame.SetSystemBrowser(&desktop);
  const std::pair<const char*, NewWindowChoice> modes[] = {
      {"同窓モード", NewWindowChoice::HiddenBrowser},
      {"スクリプト実行", NewWindowChoice::HiddenBrowser},
      {"無視", NewWindowChoice::Cancel},
  };
  for (const auto& [mode, choice] : modes) {
    frame.SetBrowseMode(SystemText(mode));
    EXPECT_EQ(frame.wbBrowserNewWindow2("http://host/new"), choice) << mode;
  }
  EXPECT_TRUE(desktop.opened.empty());

  for (const std::string& mode : {std::string(), SystemText("通常のブラウザ"), std::string("other")}) {
    frame.SetBrowseMode(mode);
    EXPECT_EQ(frame.wbBrowserNewWindow2("http://host/" + mode), NewWindowChoice::Cancel);
    EXPECT_EQ(desktop.opened.back(), "http://host/" + mode);
  }
  frame.wbBrowserNewWindow2("about:blank");
  frame.wbBrowserNewWindow2("");
  EXPECT_EQ(desktop.opened.size(), 3u);
}

TEST_F(FrameTest, NewWindowHookSetsTheModeBeforeTheDecision) {
  frame.SetBrowseMode(SystemText("無視"));
  frame.SetNewWindowHook([](TfrBrowserBase& f) { f.SetBrowseMode(SystemText("同窓モード")); });
  engine.hiddenBusy = true;
  EXPECT_EQ(frame.wbBrowserNewWindow2("http://host/new"), NewWindowChoice::HiddenBrowser);
  EXPECT_EQ(pump.processed, 101);  // the wait for the hidden browser is bounded

  // The hidden browser's navigation goes to the visible one.
  frame.wbSecretBrowserBeforeNavigate2("http://host/new");
  EXPECT_EQ(engine.navigated.back(), "http://host/new");
}

TEST_F(FrameTest, CloseBrowserRequestsEverythingToEnd) {
  Attach();
  frame.CloseBrowser();
  EXPECT_TRUE(frame.StopRequest());
  EXPECT_EQ(engine.stops, 2);  // its own Stop and the stop button's
  EXPECT_EQ(toolbar.stopClicks, 1);
  EXPECT_TRUE(engine.hiddenReleased);
}

TEST_F(FrameTest, DetachesFromTheEngineWhenDestroyed) {
  FakeEngine other;
  {
    TfrBrowserBase inner(other, pump);
    EXPECT_EQ(other.events, &inner);
  }
  EXPECT_EQ(other.events, nullptr);
}

}  // namespace
}  // namespace morvane
