// Which field is filled and which element clicked, how long a page script
// may take, and the bytes a shown text becomes.
#include <gtest/gtest.h>

#include "browser/core/browser_frame.h"
#include "browser/core/page_bytes.h"
#include "browser/core/wait_limits.h"
#include "fake_browser.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using testing::Arg;

class PageTest : public ::testing::Test, protected testing::FakeFrame {
 protected:
  testing::FakePage shown;
  std::vector<std::string> set;
  std::vector<int> clicked;
  bool refuseSet = false;

  void SetUp() override {
    engine.page = [this](PageScript s, const std::vector<PageArgument>& a) -> std::optional<PageValue> {
      switch (s) {
        case PageScript::SetField:
          set.push_back(*Arg(a, "name")->Text() + "=" + *Arg(a, "value")->Text() + " in " +
                        *Arg(a, "formName")->Text() + " after " + std::to_string(int(*Arg(a, "passOver")->Number())));
          return !refuseSet;
        case PageScript::ClickElement: clicked.push_back(static_cast<int>(*Arg(a, "index")->Number())); return true;
        case PageScript::Forms:
        case PageScript::FindElements: return shown.Read(s);
        default: return std::nullopt;  // its source and selection never come
      }
    };
  }
};

TEST(PageBytes, EveryLineEndsInCrLfWhateverItsBreak) {
  EXPECT_EQ(PageBytesFromText("a\nb"), "a\r\nb\r\n");
  EXPECT_EQ(PageBytesFromText("a\r\nb\rc\n"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(PageBytesFromText("\n\r\n"), "\r\n\r\n");
  EXPECT_EQ(PageBytesFromText("x\r"), "x\r\n");
  EXPECT_EQ(PageBytesFromText(""), "");
}

// Which field takes the value is the page script's choice (the browser tests
// fill real forms); the frame hands it the whole request at once.
TEST_F(PageTest, FillingHandsThePageTheWholeRequestOnlyWithADocument) {
  EXPECT_TRUE(frame.SetFieldValue("f", "v", "c", 2));
  EXPECT_EQ(set, (std::vector<std::string>{"f=v in c after 2"}));
  refuseSet = true;
  EXPECT_FALSE(frame.SetFieldValue("f", "v", "", 0));
  EXPECT_FALSE(frame.SetFieldValue("", "v", "", 0));
  engine.hasDocument = false;
  EXPECT_FALSE(frame.SetFieldValue("f", "v", "", 0));
  EXPECT_EQ(set.size(), 2u);
}

TEST_F(PageTest, ClickingMatchesContainedOrExactValuesAndWaitsOnlyForTheFirst) {
  const std::string login = SystemText("管理画面ログイン");
  shown.captions = {login + "!", login, "other"};
  EXPECT_TRUE(frame.ClickElement("submit", login, false, false));
  EXPECT_EQ(clicked, (std::vector<int>{0, 1}));
  EXPECT_FALSE(frame.BusyState());

  clicked.clear();
  EXPECT_TRUE(frame.ClickElement("submit", login, true, false));
  EXPECT_FALSE(frame.ClickElement("submit", "", false, false));
  EXPECT_FALSE(frame.ClickElement("SUBMIT", login, false, false));
  EXPECT_EQ(clicked, std::vector<int>{1});

  clicked.clear();
  engine.busy = true;  // a busy control gets a pause before the click
  pump.steps.push_back([] {});
  pump.steps.push_back([&] { frame.StopNavigation(); });
  EXPECT_FALSE(frame.ClickElement("submit", login, false, true));
  EXPECT_EQ(clicked, std::vector<int>{0});  // the stop during the wait ended it as failed
  EXPECT_TRUE(frame.StopRequest());
}

TEST_F(PageTest, AHungScriptIsGivenUpAfterItsTimeOutOrANewStopOrSkip) {
  using wait_limits::kScriptPasses;
  EXPECT_EQ(frame.GetHTMLSource(), "");
  EXPECT_EQ(engine.cancelledCalls, 1);
  EXPECT_LE(pump.slept, kScriptPasses * wait_limits::kPassMilliseconds);

  pump.processed = 0;
  pump.steps.push_back([&] { frame.StopNavigation(); });
  EXPECT_EQ(frame.GetHTMLSource(), "");
  EXPECT_LT(pump.processed, kScriptPasses);
  // The stop request is still set: only a new skip ends this one early.
  pump.processed = 0;
  pump.steps.push_back([] {});
  pump.steps.push_back([&] { frame.RequestSkip(); });
  EXPECT_THROW(frame.GetSelectedText(), PageAccessError);
  EXPECT_TRUE(pump.steps.empty());
  EXPECT_LT(pump.processed, kScriptPasses);
  EXPECT_EQ(engine.cancelledCalls, 3);
  engine.hasDocument = false;
  EXPECT_THROW(frame.GetSelectedText(), PageAccessError);
}

TEST_F(PageTest, ShowHtmlWaitsForTheControlWithinBoundsThenFeedsTheBytes) {
  engine.busy = true;
  pump.steps.push_back([&] { engine.busy = false; });
  frame.ShowHTML("a\nb");
  EXPECT_EQ(engine.loaded, std::vector<std::string>{"a\r\nb\r\n"});
  EXPECT_TRUE(engine.navigated.empty());
  EXPECT_FALSE(frame.BusyState());

  engine.hasDocument = false;
  engine.readyComplete = false;
  frame.ShowHTML("never shown");  // a control that never gets a document does not hold the window
  EXPECT_EQ(engine.loaded.size(), 1u);
  EXPECT_FALSE(frame.BusyState());
}

}  // namespace
}  // namespace morvane
