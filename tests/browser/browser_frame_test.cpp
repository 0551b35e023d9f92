// The frame's flags, waits and decisions, step by step against a fake control.
#include "browser/core/browser_frame.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <new>
#include <stdexcept>
#include <system_error>

#include "browser/core/status_text.h"
#include "browser/core/wait_limits.h"
#include "fake_browser.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using testing::FakePump;
using testing::FakeToolbar;

class FrameTest : public ::testing::Test, protected testing::FakeFrame {
 protected:
  FakeToolbar bar{frame};

  bool ErrorCancels(long long status) {
    return frame.OnNavigateError("http://host/x", status) == NavigateErrorChoice::Cancel;
  }
};

TEST_F(FrameTest, BlankUrlNavigatesNowhereOtherUrlsGoAsTyped) {
  bar.AttachAll();
  const std::string spaces = " " + SystemText("　");
  EXPECT_TRUE(frame.NavigateTo(spaces, true));
  EXPECT_TRUE(engine.navigated.empty());
  EXPECT_EQ(bar.urlText, spaces);
  EXPECT_TRUE(frame.PageComplete() && frame.StopRequest() && !frame.BusyState());

  frame.RequestSkip();
  EXPECT_TRUE(frame.NavigateTo(" http://host/a ", false));
  EXPECT_EQ(engine.navigated, std::vector<std::string>{" http://host/a "});
  EXPECT_TRUE(frame.BusyState() && bar.skipEnabled);
  EXPECT_FALSE(frame.SkipRequest() || frame.StopRequest() || frame.PageComplete());
}

TEST_F(FrameTest, WaitedNavigationShowsBusyThenCompletesAndClearsTheStatusLine) {
  bar.AttachAll();
  LoadsIn(3);
  std::vector<std::string> prefixes;
  pump.everyPass = [&] { prefixes.push_back(frame.StatusPrefix()); };
  EXPECT_TRUE(frame.NavigateTo("http://host/done", true));
  EXPECT_EQ(prefixes.front(), "[+]");
  EXPECT_TRUE(frame.PageComplete() && !frame.BusyState() && !bar.skipEnabled);
  EXPECT_EQ(bar.urlText, "http://host/done");
  EXPECT_EQ(bar.status, (std::vector<std::string>{"", ""}));  // cleared, then the empty prefix
}

TEST_F(FrameTest, SecondNavigationStopsTheFirstThenStartsClean) {
  frame.NavigateTo("http://host/slow", false);
  engine.busy = true;
  bool askedToGiveUp = false, cleanAtStart = false;
  pump.steps.push_back([&] { askedToGiveUp = frame.StopRequest() && frame.SkipRequest(); });
  engine.onNavigate = [&](std::string_view) {
    cleanAtStart = !frame.StopRequest() && !frame.SkipRequest() && !frame.PageComplete();
  };
  frame.NavigateTo("http://host/next", false);
  EXPECT_TRUE(askedToGiveUp && cleanAtStart);
  EXPECT_EQ(engine.stops, 1);  // not waited out
}

TEST_F(FrameTest, SkipEndsAWaitAsDoneStopAndPassLimitAsFailedTerminationAsDone) {
  bar.AttachAll();
  frame.NavigateTo("http://host/slow", false);
  pump.steps.push_back([&] { frame.RequestSkip(); });
  EXPECT_TRUE(frame.WaitForComplete(100));
  EXPECT_EQ(bar.stopClicks, 1);
  EXPECT_FALSE(frame.BusyState() || bar.skipEnabled);

  pump.processed = 0;
  pump.steps.push_back([&] { frame.StopNavigation(); });
  EXPECT_FALSE(frame.WaitForComplete(100));
  EXPECT_LT(pump.processed, 100);  // ended by the stop, not by its limit
  EXPECT_TRUE(frame.StopRequest());

  // A page that never completes: the limit ends the wait as failed.
  pump.slept = 0;
  EXPECT_FALSE(frame.WaitForComplete(3));
  EXPECT_LE(pump.slept, 3 * wait_limits::kPassMilliseconds);
  EXPECT_FALSE(frame.BusyState() || frame.StopRequest() || frame.PageComplete());
  pump.terminating = true;
  EXPECT_TRUE(frame.WaitForComplete(100));
}

TEST_F(FrameTest, WaitForDocumentGivesUpAfterItsPassesAndStopsTheControl) {
  engine.hasDocument = false;
  frame.NavigateTo("http://host/none", false);
  pump.slept = 0;
  EXPECT_FALSE(frame.WaitForDocument(50));
  EXPECT_LE(pump.slept, 50);
  EXPECT_EQ(engine.stops, 1);
  EXPECT_FALSE(frame.BusyState());
}

TEST_F(FrameTest, EveryWaitEndsAtOnceWhenTheApplicationEnds) {
  // Nothing ever settles: a busy control without a document, a busy hidden
  // browser, scripts that never answer, an element to click on a busy page.
  engine.busy = engine.hiddenBusy = true;
  engine.hasDocument = engine.readyComplete = false;
  engine.page = [](PageScript s, const std::vector<PageArgument>&) -> std::optional<PageValue> {
    if (s == PageScript::FindElements) return PageValue::List{PageValue::List{0, "go"}};
    return std::nullopt;
  };
  frame.SetBrowseMode(BrowseMode::SameWindow);
  frame.NavigateTo("http://host/first", false);
  pump.terminating = true;
  const std::vector<std::pair<const char*, std::function<void()>>> waits{
      {"second navigation", [&] { frame.NavigateTo("http://host/second", false); }},
      {"document", [&] { EXPECT_FALSE(frame.WaitForDocument(60000)); }},
      {"completion", [&] { EXPECT_TRUE(frame.WaitForComplete(60000)); }},
      {"new window",
       [&] {
         frame.OnNewWindow({"http://host/new", 1});
       }},
      {"shown text", [&] { frame.ShowHTML("x"); }},
      {"page script", [&] { engine.hasDocument = true, frame.GetHTMLSource(); }},
      {"click on a busy page", [&] { engine.busy = true, frame.ClickElement("a", "go", false, true); }},
  };
  for (const auto& [name, wait] : waits) {
    pump.slept = 0;
    wait();
    EXPECT_EQ(pump.slept, 0) << name;
  }
}

TEST_F(FrameTest, OnlyTheTopLevelDocumentCompletesAndBlankNavigationsAreNotCounted) {
  frame.RequestSkip();
  frame.OnBeforeNavigate("about:blank");
  EXPECT_TRUE(frame.SkipRequest() && !frame.BusyState());
  frame.OnBeforeNavigate("http://host/inner-frame");
  EXPECT_TRUE(!frame.SkipRequest() && frame.BusyState());
  frame.OnDocumentComplete(false);
  EXPECT_TRUE(frame.BusyState() && !frame.PageComplete());
  frame.OnDocumentComplete(true);
  EXPECT_TRUE(!frame.BusyState() && frame.PageComplete());
}

TEST_F(FrameTest, BrowseModesDecideNewWindowsAfterTheHook) {
  bar.AttachAll();
  std::string next;
  unsigned long click = 0;  // each request comes with an input of its own
  // The box's names, as the toolbar reads them at each request.
  frame.SetNewWindowHook([&](BrowserFrame& f) { f.SetBrowseMode(BrowseModeNamed(next)); });
  for (const char* mode : {"同窓モード", "スクリプト実行", "無視"}) {
    next = SystemText(mode);
    EXPECT_EQ(frame.OnNewWindow({"http://host/new", ++click}),
              next == SystemText("無視") ? NewWindowChoice::Cancel : NewWindowChoice::HiddenBrowser);
  }
  EXPECT_TRUE(bar.opened.empty());
  for (const std::string& mode : {std::string(), SystemText("通常のブラウザ"), std::string("other")}) {
    next = mode;
    EXPECT_EQ(frame.OnNewWindow({"http://host/" + mode, ++click}), NewWindowChoice::Cancel);
    EXPECT_EQ(bar.opened.back(), "http://host/" + mode);
  }
  frame.OnNewWindow({"about:blank", ++click});
  EXPECT_EQ(bar.opened.size(), 3u);

  // The hidden browser gets a bounded wait, and its navigation goes to the visible one.
  next = SystemText("同窓モード");
  engine.hiddenBusy = true;
  EXPECT_EQ(frame.OnNewWindow({"http://host/new", ++click}), NewWindowChoice::HiddenBrowser);
  frame.OnHiddenBeforeNavigate("http://host/new");
  EXPECT_EQ(engine.navigated.back(), "http://host/new");
}

TEST_F(FrameTest, PagesOpenWindowsOnlyOnTheUsersInputAndHandTheDesktopOneWebAddressPerInput) {
  bar.AttachAll();
  int hooked = 0;
  frame.SetNewWindowHook([&](BrowserFrame&) { ++hooked; });
  for (const char* mode : {"通常のブラウザ", "同窓モード", "スクリプト実行"}) {
    frame.SetBrowseMode(BrowseModeNamed(SystemText(mode)));
    EXPECT_EQ(frame.OnNewWindow({"http://host/on-load", 0}), NewWindowChoice::Cancel) << mode;
  }
  EXPECT_EQ(hooked, 0);

  frame.SetBrowseMode(BrowseMode::DesktopBrowser);
  unsigned long click = 0;
  for (const char* other : {"ssh://host/", "file:///etc/passwd", "mailto:a@host", "javascript:open()",
                            "data:text/html,x", "httpx://host/", "http:/host", ""})
    frame.OnNewWindow({other, ++click});
  EXPECT_TRUE(bar.opened.empty()) << bar.opened.front();

  // However many windows the page asks for during one click, one address leaves.
  ++click;
  for (const char* asked : {"ssh://host/", "HTTPS://host/1", "http://host/2", "https://host/3"})
    frame.OnNewWindow({asked, click});
  frame.OnNewWindow({"http://host/next", ++click});
  EXPECT_EQ(bar.opened, (std::vector<std::string>{"HTTPS://host/1", "http://host/next"}));

  // Nor does the hidden browser send the visible one where a page could not.
  frame.OnHiddenBeforeNavigate("file:///etc/passwd");
  frame.OnHiddenBeforeNavigate("ssh://host/");
  EXPECT_TRUE(engine.navigated.empty());
  frame.OnHiddenBeforeNavigate("about:blank");
  EXPECT_EQ(engine.navigated, std::vector<std::string>{"about:blank"});
}

TEST(StatusText, ScriptLinksShowTheirPathOthersStayAsTheyAre) {
  const std::string script = SystemText("スクリプト実行：[");
  EXPECT_EQ(StatusDisplayText("morvane://tools/backup[daily].morvane"), script + "tools/backup]");
  EXPECT_EQ(StatusDisplayText("m://tools/b.morvane/"), script + "tools/b.morvane/]");
  for (const char* same : {"x://tools/a.MORVANE", "http://h/a.morvane.html", "http://h/x.morvane:80",
                           "c:\\d.morvane\\f", "x.morvane//", ""})
    EXPECT_EQ(StatusDisplayText(same), same);
}

TEST_F(FrameTest, StatusLineCarriesSkipAndBusyMarksAndNeverRaises) {
  bar.AttachAll();
  frame.NavigateTo("http://host/", false);
  frame.OnStatusTextChange("http://host/link");
  EXPECT_EQ(bar.status.back(), "[+]http://host/link");
  frame.RequestSkip();
  frame.OnStatusTextChange("x");
  EXPECT_EQ(bar.status.back(), "[*+]x");
  bar.statusFails = true;
  EXPECT_NO_THROW(frame.OnDocumentComplete(true));
  EXPECT_NO_THROW(frame.StopNavigation());
}

TEST_F(FrameTest, TheSkipActionFollowsEveryChangeOfBusyLoadsTheFrameDidNotStartToo) {
  bar.AttachAll();
  frame.OnBeforeNavigate("http://host/clicked-link");
  EXPECT_TRUE(bar.skipEnabled);
  frame.OnDocumentComplete(true);
  EXPECT_FALSE(bar.skipEnabled);
  frame.OnBeforeNavigate("http://host/clicked-link");
  frame.StopNavigation();
  EXPECT_FALSE(bar.skipEnabled);
  frame.SetURLStatusQuery(nullptr);  // a failure number is then given up at once
  frame.OnBeforeNavigate("http://host/unreachable");
  frame.OnNavigateError("http://host/unreachable", -1);
  EXPECT_FALSE(bar.skipEnabled || frame.BusyState());
  frame.OnBeforeNavigate("http://host/crashing");
  engine.EndPageProcess();
  EXPECT_FALSE(bar.skipEnabled);
}

// What the control, the event loop and the status query fail with stays in
// the frame: the event or call it came in ends as a failed load or no answer.
TEST_F(FrameTest, FailuresOfTheControlAndTheLoopNeverLeaveTheFrame) {
  bar.AttachAll();
  engine.onNavigate = [](std::string_view) { throw std::bad_alloc(); };
  EXPECT_NO_THROW(frame.NavigateTo("http://host/a", false));
  engine.onNavigate = nullptr;
  engine.page = [](PageScript, const std::vector<PageArgument>&) -> std::optional<PageValue> {
    throw std::bad_alloc();
  };
  EXPECT_EQ(frame.GetHTMLSource(), "");
  EXPECT_EQ(frame.LastCallEnd(), BrowserFrame::CallEnd::Failed);

  frame.SetURLStatusQuery([](std::string_view, std::string& code, std::string&) -> bool {
    code = "200";
    throw std::runtime_error("resolver gone");
  });
  frame.NavigateTo("http://host/b", false);
  EXPECT_EQ(frame.OnNavigateError("http://host/b", -1), NavigateErrorChoice::Cancel);
  pump.ProcessMessages();
  EXPECT_TRUE(frame.SkipRequest() && !frame.BusyState());  // no answer: given up
  EXPECT_EQ(frame.QueriedStatus(), "");

  struct ThreadlessPump : FakePump {
    void RunAside(std::function<void()>) override { throw std::system_error(EAGAIN, std::generic_category()); }
  } threadless;
  BrowserFrame alone{engine, threadless};
  alone.NavigateTo("http://host/c", false);
  EXPECT_EQ(alone.OnNavigateError("http://host/c", -1), NavigateErrorChoice::Cancel);
  EXPECT_TRUE(alone.SkipRequest() && !alone.BusyState());
}

TEST_F(FrameTest, CommandStateSetsHistoryFlagsAndAlwaysCallsTheHook) {
  int calls = 0;
  frame.SetCommandStateHook([&](BrowserFrame&) { ++calls; });
  frame.OnCommandStateChange(BrowserCommand::Back, true);
  frame.OnCommandStateChange(static_cast<BrowserCommand>(-1), false);
  EXPECT_TRUE(frame.BackFlag() && !frame.ForwardFlag());
  frame.OnCommandStateChange(BrowserCommand::Forward, true);
  EXPECT_TRUE(frame.ForwardFlag());
  EXPECT_EQ(calls, 3);
}

TEST_F(FrameTest, NotFoundCompletesOtherStatusesCancelAndStop) {
  bar.AttachAll();
  frame.NavigateTo("http://host/missing", false);
  pump.steps.push_back([&] { EXPECT_FALSE(ErrorCancels(404)); });
  EXPECT_TRUE(frame.WaitForComplete(100));
  EXPECT_TRUE(frame.PageComplete());
  EXPECT_EQ(engine.stops + bar.stopClicks, 0);

  EXPECT_FALSE(ErrorCancels(200));
  for (long long code : {500, 401, 302}) {
    frame.NavigateTo("http://host/broken", false);
    pump.steps.push_back([&] { EXPECT_TRUE(ErrorCancels(code)); });
    bar.stopClicks = 0;
    EXPECT_TRUE(frame.WaitForComplete(100)) << code;  // through the skip request
    EXPECT_EQ(bar.stopClicks, 1);
    EXPECT_FALSE(frame.PageComplete());
  }
}

TEST_F(FrameTest, AnErrorThatArrivesBeforeTheWaitStillEndsIt) {
  // A quick server answers while NavigateTo processes messages once, before
  // its wait: the wait must not clear that error's skip request and run on
  // for a page that will never complete.
  bar.AttachAll();
  engine.onNavigate = [&](std::string_view) { pump.steps.push_back([&] { ErrorCancels(500); }); };
  EXPECT_TRUE(frame.NavigateTo("http://host/broken", true));
  EXPECT_LT(pump.processed, 10);
  EXPECT_FALSE(frame.BusyState());
}

TEST_F(FrameTest, FailureNumbersAreSettledWhenTheServerAnswersAwayFromTheWindow) {
  std::vector<std::string> asked;
  std::string answer;
  frame.SetURLStatusQuery([&](std::string_view url, std::string& code, std::string&) {
    asked.emplace_back(url);
    code = answer;
    return false;
  });
  // The event returns before the server is asked; the navigation stays busy.
  pump.holdAside = true;
  frame.NavigateTo("http://host/x", false);
  EXPECT_TRUE(ErrorCancels(-2146697211));
  EXPECT_TRUE(asked.empty());
  EXPECT_TRUE(frame.BusyState() && !frame.SkipRequest());
  pump.FinishAside();
  pump.ProcessMessages();
  EXPECT_EQ(asked, std::vector<std::string>{"http://host/x"});
  EXPECT_TRUE(frame.SkipRequest() && !frame.BusyState());  // no answer at all

  pump.holdAside = false;
  for (const char* settled : {"404", "200"}) {
    answer = settled;
    frame.NavigateTo("http://host/x", false);
    EXPECT_TRUE(ErrorCancels(-12345));
    pump.ProcessMessages();
    EXPECT_TRUE(frame.PageComplete() && !frame.SkipRequest() && !frame.BusyState()) << settled;
  }
  answer = "503";
  frame.NavigateTo("http://host/x", false);
  ErrorCancels(12345);
  pump.ProcessMessages();
  EXPECT_TRUE(frame.SkipRequest() && !frame.PageComplete());
  EXPECT_EQ(asked.size(), 4u);
}

TEST_F(FrameTest, AnAnswerAboutAnOlderNavigationIsDropped) {
  frame.SetURLStatusQuery([](std::string_view, std::string& code, std::string&) { return code = "503", false; });
  pump.holdAside = true;
  for (const std::function<void()>& moveOn : std::vector<std::function<void()>>{
           [&] { frame.NavigateTo("http://host/newer", false); },
           [&] { frame.OnBeforeNavigate("http://host/followed-link"), frame.OnTopLevelLoadStarted(); },
           [&] { frame.StopNavigation(); },
       }) {
    frame.NavigateTo("http://host/failing", false);
    ErrorCancels(-1);
    moveOn();
    const bool stopped = frame.StopRequest();
    pump.FinishAside();
    pump.ProcessMessages();
    EXPECT_FALSE(frame.SkipRequest());
    EXPECT_EQ(frame.BusyState(), !stopped);
  }
  // A frame inside the page that navigates (one that reloads itself) starts
  // no new page: the answer still settles the failure.
  frame.NavigateTo("http://host/failing", false);
  ErrorCancels(-1);
  frame.OnBeforeNavigate("http://host/frame-reloads");
  pump.FinishAside();
  pump.ProcessMessages();
  EXPECT_TRUE(frame.SkipRequest());
  EXPECT_EQ(frame.LoadError(), "503");

  // A waited navigation that fails ends when the answer arrives.
  pump.holdAside = false;
  engine.onNavigate = [&](std::string_view) { pump.steps.push_back([&] { ErrorCancels(-1); }); };
  EXPECT_TRUE(frame.NavigateTo("http://host/failing", true));
  EXPECT_FALSE(frame.BusyState());
}

TEST_F(FrameTest, AnOutcomeStaysThroughItsOwnPageThenGivesWayForGood) {
  bar.AttachAll();
  LoadsIn(2);
  frame.NavigateTo("http://host/site", false);  // the login's second opening
  frame.ShowOutcome("done");
  EXPECT_EQ(bar.status.back(), "done");
  EXPECT_TRUE(frame.WaitForComplete(100));
  EXPECT_EQ(bar.status.back(), "done");
  // A link the pointer passes covers it for a while only.
  frame.OnStatusTextChange("http://host/link");
  EXPECT_EQ(bar.status.back(), "http://host/link");
  frame.OnStatusTextChange("");
  EXPECT_EQ(bar.status.back(), "done");

  // The next page that completes ends it; nothing brings it back.
  EXPECT_TRUE(frame.NavigateTo("http://host/next", true));
  EXPECT_EQ(bar.status.back(), "");
  frame.OnStatusTextChange("");
  frame.StopNavigation();
  EXPECT_EQ(bar.status.back(), "");

  // Shown while nothing loads, the next completion ends it; another text of
  // the window ends it at once.
  frame.ShowOutcome("failed");
  frame.OnStatusTextChange("");
  EXPECT_EQ(bar.status.back(), "failed");
  EXPECT_TRUE(frame.NavigateTo("http://host/other", true));
  EXPECT_EQ(bar.status.back(), "");
  frame.ShowOutcome("failed again");
  frame.DropOutcome();
  frame.OnStatusTextChange("");
  EXPECT_EQ(bar.status.back(), "");
  // A stop of the page it stayed for: the next completion ends it.
  frame.NavigateTo("http://host/site", false);
  frame.ShowOutcome("done");
  frame.StopNavigation();
  EXPECT_EQ(bar.status.back(), "done");
  EXPECT_TRUE(frame.NavigateTo("http://host/after", true));
  EXPECT_EQ(bar.status.back(), "");
}

TEST_F(FrameTest, AnswersAfterTheFrameHasGoneFindNobody) {
  FakePump aside;
  aside.holdAside = true;
  {
    BrowserFrame gone{engine, aside};
    gone.SetURLStatusQuery([](std::string_view, std::string&, std::string&) { return false; });
    EXPECT_EQ(gone.OnNavigateError("http://host/x", -1), NavigateErrorChoice::Cancel);
  }
  aside.FinishAside();
  aside.ProcessMessages();  // must not reach the frame
  EXPECT_TRUE(aside.posted.empty());
}

TEST_F(FrameTest, ClosingWindowAndBrowserKeepTheControlAndEndEverything) {
  bar.AttachAll();
  bool cancel = false;
  frame.OnWindowClosing(cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(engine.navigated.back(), "about:blank");
  frame.CloseBrowser();
  EXPECT_TRUE(frame.StopRequest() && engine.hiddenReleased);
  EXPECT_EQ(bar.stopClicks, 1);
}

}  // namespace
}  // namespace morvane
