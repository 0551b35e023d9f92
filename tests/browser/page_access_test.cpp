#include <gtest/gtest.h>

#include "browser/core/browser_frame.h"
#include "browser/core/page_bytes.h"
#include "fake_browser.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using testing::FakeElement;
using testing::FakeEngine;
using testing::FakeField;
using testing::FakeForm;
using testing::FakePump;

class PageTest : public ::testing::Test {
 protected:
  FakeEngine engine;
  FakePump pump;
  TfrBrowserBase frame{engine, pump};

  std::string FieldValue(std::size_t form, std::size_t field) { return engine.forms.at(form).fields.at(field).value; }
};

TEST(PageBytes, EveryLineEndsInCrLfWhateverItsBreak) {
  EXPECT_EQ(PageBytesFromText("a\nb"), "a\r\nb\r\n");
  EXPECT_EQ(PageBytesFromText("a\r\nb\rc\n"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(PageBytesFromText("\n\r\n"), "\r\n\r\n");
  EXPECT_EQ(PageBytesFromText(""), "");
  EXPECT_EQ(PageBytesFromText("x\r"), "x\r\n");
}

TEST_F(PageTest, SourceIsEmptyWithoutADocumentOrOnFailure) {
  engine.source = "<head></head><body>x</body>";
  EXPECT_EQ(frame.GetHTMLSource(), "<head></head><body>x</body>");
  engine.source.reset();
  EXPECT_EQ(frame.GetHTMLSource(), "");
  engine.hasDocument = false;
  engine.source = "stale";
  EXPECT_EQ(frame.GetHTMLSource(), "");
}

TEST_F(PageTest, TitleComesFromTheSource) {
  engine.source = "<HEAD><Title lang=ja> " + SystemText("題名") + " </TITLE></HEAD>";
  EXPECT_EQ(frame.GetPageTitle(), SystemText("題名"));
}

TEST_F(PageTest, SelectionErrorsReachTheCaller) {
  engine.selection = "picked";
  EXPECT_EQ(frame.GetSelectedText(), "picked");
  engine.selection.reset();
  EXPECT_THROW(frame.GetSelectedText(), PageAccessError);
  engine.hasDocument = false;
  engine.selection = "picked";
  EXPECT_THROW(frame.GetSelectedText(), PageAccessError);
}

TEST_F(PageTest, AHungPageScriptIsGivenUpAfterItsTimeOut) {
  engine.pageHangs = true;
  EXPECT_EQ(frame.GetHTMLSource(), "");
  EXPECT_EQ(engine.cancelledCalls, 1);
  EXPECT_EQ(pump.slept, TfrBrowserBase::kScriptPasses * 10);
}

TEST_F(PageTest, NewStopOrSkipRequestGivesUpAScriptWaitButAnOldOneDoesNot) {
  engine.pageHangs = true;
  pump.steps.push_back([&] { frame.StopNavigation(); });
  EXPECT_EQ(frame.GetHTMLSource(), "");
  EXPECT_EQ(pump.processed, 1);

  // A stop request left over from before does not end the wait; a new skip does.
  pump.processed = 0;
  pump.steps.push_back([&] { frame.RequestSkip(); });
  EXPECT_THROW(frame.GetSelectedText(), PageAccessError);
  EXPECT_EQ(pump.processed, 1);
  EXPECT_EQ(engine.cancelledCalls, 2);
}

TEST_F(PageTest, ShowHtmlFeedsCrLfLinesWithoutNavigating) {
  frame.ShowHTML("a\nb");
  ASSERT_EQ(engine.loaded.size(), 1u);
  EXPECT_EQ(engine.loaded[0], "a\r\nb\r\n");
  EXPECT_TRUE(engine.navigated.empty());
  EXPECT_FALSE(frame.BusyState());
}

TEST_F(PageTest, ShowHtmlWaitsForTheControlAndGivesUpOnStop) {
  engine.busy = true;
  pump.steps.push_back([] {});
  pump.steps.push_back([&] { engine.busy = false; });
  frame.ShowHTML("x");
  EXPECT_EQ(pump.processed, 2);
  EXPECT_EQ(engine.loaded.size(), 1u);

  // Without a document it waits for the ready state; a stop ends that and
  // nothing is shown.
  engine.hasDocument = false;
  engine.readyComplete = false;
  pump.steps.push_back([&] { frame.StopNavigation(); });
  frame.ShowHTML("y");
  EXPECT_EQ(engine.loaded.size(), 1u);
  EXPECT_FALSE(frame.BusyState());

  // A control that never settles does not hold the window for ever.
  pump.processed = 0;
  frame.ShowHTML("z");
  EXPECT_EQ(pump.processed, 6000);
}

TEST_F(PageTest, FieldIsFoundInTheFirstFormThatHoldsIt) {
  engine.forms = {FakeForm{"search", {FakeField{"q"}}}, FakeForm{"login", {FakeField{"catname_d"}, FakeField{"pw_d"}}}};
  EXPECT_TRUE(frame.SetFieldValue("catname_d", "id\"'\\</script>\r\n", "", 0));
  EXPECT_EQ(FieldValue(1, 0), "id\"'\\</script>\r\n");
  EXPECT_FALSE(frame.SetFieldValue("missing", "v", "", 0));
  EXPECT_FALSE(frame.SetFieldValue("", "v", "", 0));
  EXPECT_FALSE(frame.SetFieldValue("Catname_d", "v", "", 0));  // names are case-sensitive
}

TEST_F(PageTest, PassOverCountsFormsNotFields) {
  engine.forms = {FakeForm{"a", {FakeField{"f"}, FakeField{"f"}}}, FakeForm{"b", {FakeField{"f"}}}};
  EXPECT_TRUE(frame.SetFieldValue("f", "first", "", 0));
  EXPECT_EQ(FieldValue(0, 0), "first");
  EXPECT_TRUE(frame.SetFieldValue("f", "second", "", 1));
  EXPECT_EQ(FieldValue(0, 1), "");
  EXPECT_EQ(FieldValue(1, 0), "second");
  EXPECT_FALSE(frame.SetFieldValue("f", "none", "", 2));
}

TEST_F(PageTest, FormNameRestrictsTheSearchAndUnreadableNamesArePassedBy) {
  engine.forms = {FakeForm{std::nullopt, {FakeField{"f"}}}, FakeForm{"b", {FakeField{std::nullopt}, FakeField{"f"}}}};
  EXPECT_TRUE(frame.SetFieldValue("f", "v", "b", 0));
  EXPECT_EQ(FieldValue(0, 0), "");
  EXPECT_EQ(FieldValue(1, 1), "v");
  EXPECT_FALSE(frame.SetFieldValue("f", "v", "c", 0));
}

TEST_F(PageTest, FieldThatRefusesItsValueLetsTheNextOneTakeIt) {
  engine.forms = {FakeForm{"a", {FakeField{"f", false}, FakeField{"f"}}}};
  EXPECT_TRUE(frame.SetFieldValue("f", "v", "", 0));
  EXPECT_EQ(FieldValue(0, 1), "v");
}

TEST_F(PageTest, NoFormsOrNoDocumentSetsNothing) {
  EXPECT_FALSE(frame.SetFieldValue("f", "v", "", 0));
  engine.forms = {FakeForm{"a", {FakeField{"f"}}}};
  engine.hasDocument = false;
  engine.pageCalls = 0;
  EXPECT_FALSE(frame.SetFieldValue("f", "v", "", 0));
  EXPECT_EQ(engine.pageCalls, 0);
}

class ClickTest : public PageTest {
 protected:
  void SetUp() override {
    const std::string login = SystemText("管理画面ログイン");
    engine.elements = {
        FakeElement{"A", {{"href", "http://host/x.html"}}},
        FakeElement{"INPUT", {{"type", "SUBMIT"}, {"value", login + SystemText("する")}}},
        FakeElement{"BUTTON", {{"type", "submit"}, {"value", login}}},
        FakeElement{"INPUT", {{"type", "image"}, {"src", "http://host/go.png"}}},
        FakeElement{"DIV", {{"value", login}}},
    };
  }
};

TEST_F(ClickTest, ContainsOrExactMatchOnTheKindsValue) {
  const std::string login = SystemText("管理画面ログイン");
  EXPECT_TRUE(frame.ClickElement("submit", login, false, false));
  EXPECT_EQ(engine.clicked, (std::vector<int>{1, 2}));  // without waiting every match is clicked

  engine.clicked.clear();
  EXPECT_TRUE(frame.ClickElement("submit", login, true, false));
  EXPECT_EQ(engine.clicked, std::vector<int>{2});

  engine.clicked.clear();
  EXPECT_TRUE(frame.ClickElement("a", "x.html", false, false));
  EXPECT_TRUE(frame.ClickElement("image", "go.png", false, false));
  EXPECT_EQ(engine.clicked, (std::vector<int>{0, 3}));
}

TEST_F(ClickTest, UnknownOrUpperCaseKindsAndMissingDocumentClickNothing) {
  EXPECT_FALSE(frame.ClickElement("SUBMIT", SystemText("管理画面ログイン"), false, false));
  EXPECT_FALSE(frame.ClickElement("div", SystemText("管理画面ログイン"), false, false));
  EXPECT_FALSE(frame.ClickElement("submit", "nothing like it", false, false));
  EXPECT_FALSE(frame.ClickElement("submit", "", false, false));
  engine.hasDocument = false;
  EXPECT_FALSE(frame.ClickElement("a", "x", false, false));
  EXPECT_TRUE(engine.clicked.empty());
}

TEST_F(ClickTest, WithWaitingOnlyTheFirstIsClickedAndTheWaitDecides) {
  engine.onClick = [&](int) {
    EXPECT_FALSE(frame.PageComplete());
    pump.steps.push_back([&] { frame.wbBrowserDocumentComplete(true); });
  };
  EXPECT_TRUE(frame.ClickElement("submit", SystemText("管理画面ログイン"), false, true));
  EXPECT_EQ(engine.clicked, std::vector<int>{1});

  engine.onClick = [&](int) { pump.steps.push_back([&] { frame.StopNavigation(); }); };
  EXPECT_FALSE(frame.ClickElement("submit", SystemText("管理画面ログイン"), false, true));
}

TEST_F(ClickTest, BusyControlGetsAPauseBeforeTheClick) {
  engine.busy = true;
  frame.ClickElement("a", "x", false, false);
  EXPECT_EQ(pump.slept, 1000);
  EXPECT_FALSE(frame.BusyState());
}

}  // namespace
}  // namespace morvane
