#include <gtest/gtest.h>

#include "browser/core/browser_frame.h"
#include "browser/core/status_text.h"
#include "fake_browser.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using testing::FakeEngine;
using testing::FakePump;
using testing::FakeStatusBar;
using testing::FakeToolbar;

class StatusTest : public ::testing::Test {
 protected:
  FakeEngine engine;
  FakePump pump;
  TfrBrowserBase frame{engine, pump};
  FakeToolbar toolbar{frame};
  FakeStatusBar status;

  void SetUp() override {
    frame.SetToolbar(&toolbar);
    frame.SetStatusBar(&status);
  }
};

TEST(StatusText, ScriptLinksAreShownAsScriptsByTheirPath) {
  const std::string shown = SystemText("スクリプト実行：[") + "tools/backup]";
  EXPECT_EQ(StatusDisplayText("morvane://tools/backup[daily].morvane"), shown);
  EXPECT_EQ(StatusDisplayText("morvane://tools/backup.morvane/"), SystemText("スクリプト実行：[") + "tools/backup.morvane/]");
  EXPECT_EQ(StatusDisplayText("x://tools/backup[a].MORVANE"), "x://tools/backup[a].MORVANE");
  EXPECT_EQ(StatusDisplayText("http://host/a.morvane.html"), "http://host/a.morvane.html");
  // The extension has to be the last thing after the last ".", ":" or "\".
  EXPECT_FALSE(IsScriptLink("http://host/x.morvane:8080"));
  EXPECT_FALSE(IsScriptLink("c:\\dir.morvane\\file"));
  EXPECT_FALSE(IsScriptLink("x.morvane//"));
  EXPECT_TRUE(IsScriptLink(".morvane"));
  EXPECT_EQ(StatusDisplayText(""), "");
}

TEST(StatusText, PrefixMarksSkipThenBusy) {
  EXPECT_EQ(StatusPrefix(false, false), "");
  EXPECT_EQ(StatusPrefix(false, true), "[+]");
  EXPECT_EQ(StatusPrefix(true, false), "[*]");
  EXPECT_EQ(StatusPrefix(true, true), "[*+]");
}

TEST_F(StatusTest, StatusLineCarriesTheFlagsWhileLoading) {
  frame.NavigateTo("http://host/", false);
  frame.wbBrowserStatusTextChange("http://host/link");
  EXPECT_EQ(status.texts.back(), "[+]http://host/link");
  frame.RequestSkip();
  frame.wbBrowserStatusTextChange("x");
  EXPECT_EQ(status.texts.back(), "[*+]x");
  frame.wbBrowserDocumentComplete(true);
  EXPECT_EQ(status.texts.back(), "");
}

TEST_F(StatusTest, FailingOrMissingStatusBarNeverRaises) {
  status.fails = true;
  EXPECT_NO_THROW(frame.wbBrowserStatusTextChange("x"));
  EXPECT_NO_THROW(frame.wbBrowserDocumentComplete(true));
  EXPECT_NO_THROW(frame.StopNavigation());
  frame.SetStatusBar(nullptr);
  EXPECT_NO_THROW(frame.wbBrowserStatusTextChange("x"));
}

TEST_F(StatusTest, CommandStateSetsHistoryFlagsAndAlwaysCallsTheHook) {
  int hookCalls = 0;
  frame.SetCommandStateHook([&](TfrBrowserBase&) { ++hookCalls; });
  frame.wbBrowserCommandStateChange(2, true);
  EXPECT_TRUE(frame.BackFlag());
  EXPECT_FALSE(frame.ForwardFlag());
  frame.wbBrowserCommandStateChange(1, true);
  EXPECT_TRUE(frame.ForwardFlag());
  frame.wbBrowserCommandStateChange(-1, false);
  EXPECT_TRUE(frame.BackFlag());
  EXPECT_TRUE(frame.ForwardFlag());
  EXPECT_EQ(hookCalls, 3);
}

TEST_F(StatusTest, NotFoundEndsTheWaitAsCompletedAndKeepsTheErrorPage) {
  frame.NavigateTo("http://host/missing", false);
  pump.steps.push_back([&] {
    bool cancel = false;
    frame.wbBrowserNavigateError("http://host/missing", 404, cancel);
    EXPECT_FALSE(cancel);
  });
  EXPECT_TRUE(frame.WaitForComplete(100));
  EXPECT_TRUE(frame.PageComplete());
  EXPECT_EQ(engine.stops, 0);
  EXPECT_EQ(toolbar.stopClicks, 0);
}

TEST_F(StatusTest, OtherStatusesCancelStopAndEndTheWaitAsFinished) {
  for (long long code : {500, 401, 403}) {
    engine.stops = 0;
    toolbar.stopClicks = 0;
    frame.NavigateTo("http://host/broken", false);
    bool cancel = false;
    pump.steps.push_back([&] { frame.wbBrowserNavigateError("http://host/broken", code, cancel); });
    EXPECT_TRUE(frame.WaitForComplete(100)) << code;
    EXPECT_TRUE(cancel);
    EXPECT_GE(engine.stops, 1);
    EXPECT_EQ(toolbar.stopClicks, 1);  // the wait ended through the skip request
    EXPECT_FALSE(frame.PageComplete());
  }
  bool cancel = false;
  frame.wbBrowserNavigateError("http://host/", 200, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_FALSE(frame.SkipRequest());
}

TEST_F(StatusTest, FailureNumbersAreSettledByAskingTheServer) {
  std::vector<std::string> asked;
  std::string answer;
  frame.SetURLStatusQuery([&](std::string_view url, std::string& code, std::string&) {
    asked.emplace_back(url);
    code = answer;
    return answer == "200";
  });
  bool cancel = false;
  frame.wbBrowserNavigateError("http://nowhere.invalid/", -2146697211, cancel);
  EXPECT_EQ(asked, std::vector<std::string>{"http://nowhere.invalid/"});
  EXPECT_TRUE(cancel);  // no answer at all
  EXPECT_TRUE(frame.SkipRequest());

  frame.NavigateTo("http://host/", false);
  for (const char* settled : {"404", "200"}) {
    answer = settled;
    cancel = false;
    frame.wbBrowserNavigateError("http://host/", -12345, cancel);
    EXPECT_FALSE(cancel) << settled;
    EXPECT_FALSE(frame.SkipRequest());
  }
  answer = "503";
  frame.wbBrowserNavigateError("http://host/", 12345, cancel);
  EXPECT_TRUE(cancel);
  // A three-digit status is taken as it is, without asking.
  asked.clear();
  frame.wbBrowserNavigateError("http://host/", 302, cancel);
  EXPECT_TRUE(asked.empty());
}

TEST_F(StatusTest, ClosingTheWindowKeepsTheControlOnABlankPage) {
  bool cancel = false;
  frame.wbBrowserWindowClosing(cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(engine.navigated.back(), "about:blank");
}

}  // namespace
}  // namespace morvane
