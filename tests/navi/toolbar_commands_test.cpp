// The navigation toolbar's commands over a scripted browser control, with
// the clipboard, the modifier keys and the dialogs answered by the test.
#include "navi/core/toolbar_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>

#include "browser/fake_browser.h"
#include "navi/core/link_tag.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using ::testing::ElementsAre;
using testing::FakeEngine;
using ::testing::HasSubstr;
using ::testing::Not;

// The toolbar's widgets, boxes, clipboard and keys: what was shown is
// recorded, inputs are answered from a queue (cancelled when it is empty).
struct FakeView : ToolbarView, Clipboard, Keyboard {
  void ShowError(std::string_view message) override { errors.emplace_back(message); }
  std::optional<std::string> InputText(std::string_view caption, std::string_view, std::string_view initial) override {
    inputCaptions.emplace_back(caption);
    inputInitials.emplace_back(initial);
    if (inputAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
  }
  std::string URLBoxText() const override { return urlBox; }
  void SetURLBoxText(std::string_view text) override { urlBox = text; }
  void SetHistoryButtons(bool back, bool forward) override { backEnabled = back, forwardEnabled = forward; }
  void SetSkipEnabled(bool enabled) override { skipEnabled = enabled; }
  std::string BrowseModeText() const override { return browseMode; }
  void StartLinkCheck(PageLinkList list) override { checks.push_back(std::move(list)); }
  std::string GetText() override { return clipboard; }
  void SetText(std::string_view text) override { clipboard = text, ++copies; }
  bool ShiftDown() const override { return shift; }
  bool CtrlDown() const override { return ctrl; }

  std::string urlBox, browseMode, clipboard;
  std::vector<std::string> errors, inputCaptions, inputInitials;
  std::deque<std::optional<std::string>> inputAnswers;
  std::vector<PageLinkList> checks;
  bool backEnabled = false, forwardEnabled = false, skipEnabled = false, shift = false, ctrl = false;
  int copies = 0;
};

// Page scripts answer from a page held by the test: its source and selection.
class ToolbarTest : public ::testing::Test, protected testing::FakeFrame {
 protected:
  void SetUp() override {
    LoadsIn(1);  // the control completes each navigation on the next pass
    engine.page = [this](PageScript script, const std::vector<PageArgument>&) -> std::optional<PageValue> {
      if (script == PageScript::Source) return PageValue(source);
      if (script == PageScript::Selection) return PageValue(selection);
      return std::nullopt;
    };
    commands.AttachBrowser(frame);
    engine.navigated.clear();
  }
  void ShowPage(std::string url, std::string html) {
    engine.location = std::move(url);
    source = std::move(html);
  }

  FakeView view;
  ToolbarCommands commands{view, view, view};
  std::string source, selection;
};

TEST_F(ToolbarTest, AttachingTakesTheFrameOverAndDetachingGivesItBack) {
  EXPECT_EQ(frame.Toolbar(), &commands);
  EXPECT_EQ(commands.LinkTemplate(), kDefaultLinkTemplate);
  EXPECT_EQ(engine.location, "about:blank");
  EXPECT_TRUE(frame.PageComplete());

  frame.OnCommandStateChange(BrowserCommand::Back, true);
  EXPECT_TRUE(view.backEnabled && !view.forwardEnabled);
  frame.OnCommandStateChange(BrowserCommand::Forward, true);
  frame.OnCommandStateChange(BrowserCommand::Back, false);
  EXPECT_TRUE(!view.backEnabled && view.forwardEnabled);

  // A hook installed before the toolbar still runs, after the box was read.
  FakeEngine engine2;
  BrowserFrame second{engine2, pump};
  engine2.onNavigate = [&](std::string_view) { pump.steps.push_back([&] { second.OnDocumentComplete(true); }); };
  std::vector<BrowseMode> seenModes;
  second.SetNewWindowHook([&](BrowserFrame& f) { seenModes.push_back(f.GetBrowseMode()); });
  FakeView secondView;
  {
    ToolbarCommands toolbar{secondView, secondView, secondView};
    toolbar.AttachBrowser(second);
    secondView.browseMode = SystemText("無視");
    EXPECT_EQ(second.OnNewWindow({"http://host/new", 1}), NewWindowChoice::Cancel);
    secondView.browseMode = SystemText("同窓モード");
    EXPECT_EQ(second.OnNewWindow({"http://host/new", 2}), NewWindowChoice::HiddenBrowser);
    EXPECT_THAT(seenModes, ElementsAre(BrowseMode::Ignore, BrowseMode::SameWindow));
  }
  EXPECT_EQ(second.Toolbar(), nullptr);
  second.OnCommandStateChange(BrowserCommand::Back, true);
  second.OnNewWindow({"http://host/new", 3});
  EXPECT_EQ(seenModes.size(), 3u);
}

TEST_F(ToolbarTest, TypedAndClipboardURLsAreTrimmedOnlyForTheNavigation) {
  engine.onNavigate = [](std::string_view) {};  // the loads never complete
  view.urlBox = " " + SystemText("　") + " ";
  commands.GoToTypedURL();
  view.urlBox = SystemText("　") + "http://host/a ";
  commands.GoToTypedURL();
  EXPECT_EQ(view.urlBox, SystemText("　") + "http://host/a ");

  view.clipboard = "  http://host/b\t";
  commands.GoToClipboardURL();
  EXPECT_EQ(view.urlBox, "  http://host/b\t");
  EXPECT_THAT(engine.navigated, ElementsAre("about:blank", "http://host/a", "http://host/b\t"));
  view.clipboard.clear();
  commands.GoToClipboardURL();
  EXPECT_EQ(engine.navigated.back(), "about:blank");
  EXPECT_EQ(view.urlBox, "");
}

TEST_F(ToolbarTest, SelectedURLNeedsASelection) {
  selection = "  http://host/sel  ";
  commands.GoToSelectedURL();
  selection = "　";
  commands.GoToSelectedURL();
  EXPECT_THAT(engine.navigated, ElementsAre("http://host/sel"));
  EXPECT_THAT(view.errors, ElementsAre("選択部分がありません"));
  EXPECT_EQ(view.urlBox, "http://host/sel");  // from the completed page, not from the command

  engine.hasDocument = false;
  EXPECT_THROW(commands.GoToSelectedURL(), PageAccessError);
  EXPECT_THROW(commands.CopySelection(), PageAccessError);
  EXPECT_EQ(view.copies, 0);
}

TEST_F(ToolbarTest, SkipFollowsTheBusyStateAndStopClearsIt) {
  EXPECT_FALSE(view.skipEnabled);
  ShowPage("http://host/", "");
  engine.onNavigate = [this](std::string_view url) { engine.busy = true, engine.location = url; };
  view.urlBox = "http://host/slow";
  commands.GoToTypedURL();
  EXPECT_TRUE(view.skipEnabled);

  // Skipping from inside a wait ends it, stopping the control.
  pump.steps.push_back([this] { commands.Skip(); });
  EXPECT_TRUE(frame.WaitForComplete(100));
  EXPECT_FALSE(view.skipEnabled || frame.BusyState());

  commands.GoToTypedURL();
  const int stopsBefore = engine.stops;
  commands.Stop();
  EXPECT_EQ(engine.stops, stopsBefore + 1);
  EXPECT_TRUE(frame.StopRequest() && !frame.BusyState() && !frame.SkipRequest());
}

TEST_F(ToolbarTest, ClipboardCopiesTakeThePageAsItIs) {
  ShowPage("http://host/p?a=1&b=2", "<title>T</title><p>x</p>");
  selection = "  sel ";
  commands.CopyHTMLSource();
  EXPECT_EQ(view.clipboard, source);
  commands.CopySelection();
  EXPECT_EQ(view.clipboard, "  sel ");
  commands.CopyURL();
  EXPECT_EQ(view.clipboard, "http://host/p?a=1&b=2");

  view.clipboard = "<p>日本語</p>";
  commands.ShowClipboardAsPage();
  EXPECT_THAT(engine.loaded.back(), HasSubstr(SystemText("日本語")));
  // An empty clipboard is an empty page, not the old page left shown.
  view.clipboard.clear();
  commands.ShowClipboardAsPage();
  EXPECT_EQ(engine.loaded.back(), "\r\n");
}

TEST_F(ToolbarTest, LinkTagsUseTheTemplateAndTheTypedText) {
  ShowPage("http://host/dir/", "<title>  Top  </title>");
  commands.CopyLinkTag();
  EXPECT_EQ(view.clipboard, "<a href=\"http://host/dir/\" taget=\"_blank\">Top</a>");

  selection = " Chosen ";
  view.inputAnswers = {std::nullopt, std::string("  typed  ")};
  commands.CopyLinkTagWithTypedText();
  EXPECT_EQ(view.copies, 1);
  commands.CopyLinkTagWithTypedText();
  EXPECT_EQ(view.clipboard, "<a href=\"http://host/dir/\" taget=\"_blank\">typed</a>");
  EXPECT_THAT(view.inputInitials, ElementsAre("Chosen", "Chosen"));
  EXPECT_EQ(view.inputCaptions[0], "リンクテキストの入力");

  // Cancel and an empty entry keep the template; anything else replaces it untrimmed.
  view.inputAnswers = {std::nullopt, std::string(), std::string(" {$TEXT}|{$TEXT} ")};
  for (int i = 0; i < 3; ++i) commands.EditLinkTemplate();
  EXPECT_EQ(view.inputInitials.back(), kDefaultLinkTemplate);
  commands.CopyLinkTag();
  EXPECT_EQ(view.clipboard, " Chosen|Chosen ");

  engine.hasDocument = false;
  const int copies = view.copies;
  EXPECT_THROW(commands.CopyLinkTag(), PageAccessError);
  EXPECT_THROW(commands.CopyLinkTagWithTypedText(), PageAccessError);
  EXPECT_EQ(view.copies, copies);
}

TEST_F(ToolbarTest, PageLinkListAsksForKeywordsOnlyWithShiftOrCtrl) {
  ShowPage("http://host/dir/page.html",
           "<a href=../x.html>News</a><a href=a.html>Alpha</a><a href=http://other/n>News two</a>");
  view.shift = true;
  view.inputAnswers = {std::string("News")};
  commands.MakePageLinkList(true);
  EXPECT_THAT(view.clipboard, HasSubstr("http://host/x.html\tNews"));
  EXPECT_THAT(view.clipboard, HasSubstr("http://other/n\tNews two"));
  EXPECT_THAT(view.clipboard, Not(HasSubstr("Alpha")));

  // Without Shift every link; with it again the old keyword is offered, and
  // Cancel keeps it.
  view.shift = false;
  commands.MakePageLinkList(true);
  EXPECT_THAT(view.clipboard, HasSubstr("Alpha"));
  view.shift = view.ctrl = true;
  view.inputAnswers = {std::nullopt, std::string("other")};
  commands.MakePageLinkList(false);
  EXPECT_THAT(view.inputInitials, ElementsAre("", "News", ""));
  EXPECT_THAT(view.inputCaptions, ElementsAre("検索抽出語を設定(アンカーテキスト)",
                                              "検索抽出語を設定(アンカーテキスト)", "検索抽出語を設定(URL)"));
  ASSERT_EQ(engine.loaded.size(), 1u);
  EXPECT_THAT(engine.loaded[0], HasSubstr("http://other/n\tNews two"));
  EXPECT_THAT(engine.loaded[0], Not(HasSubstr("x.html")));

  // The link check takes the same list, keywords included, and leaves the
  // page and the clipboard to the check.
  view.shift = false;
  const int copies = view.copies;
  commands.CheckPageLinks();
  ASSERT_EQ(view.checks.size(), 1u);
  EXPECT_THAT(view.checks[0].entries, ElementsAre("http://other/n\tNews two"));
  EXPECT_EQ(engine.loaded.size(), 1u);
  EXPECT_EQ(view.copies, copies);

  // A page whose source could not be read is not a page without links: the
  // check does not start on an empty list, the user is told.
  engine.page = [](PageScript, const std::vector<PageArgument>&) { return std::optional<PageValue>(); };
  EXPECT_THROW(commands.CheckPageLinks(), PageAccessError);
  EXPECT_THROW(commands.MakePageLinkList(true), PageAccessError);
  EXPECT_EQ(view.checks.size(), 1u);
}

TEST_F(ToolbarTest, IndexChecksOpenTheSearchForTheShownPage) {
  for (int tag = 0; tag <= 6; ++tag) {
    ShowPage("http://host/", "");
    commands.OpenIndexCheck(tag);
  }
  EXPECT_THAT(
      engine.navigated,
      ElementsAre(
          HasSubstr("yahoo.co.jp/search?search.x=1&fr=top_ga1_sa&tid=top_ga1_sa&ei=UTF-8&aq=&oq=&p=site%3Ahost/"),
          "http://www.google.co.jp/search?hl=ja&ie=UTF-8&q=site%3Ahost/",
          "http://www.bing.com/search?filt=all&q=site%3Ahost/", HasSubstr("&p=link%3Ahttp://host/"),
          "http://www.google.co.jp/search?hl=ja&ie=UTF-8&q=link%3Ahttp://host/",
          "http://www.bing.com/search?filt=all&q=link%3Ahttp://host/"));
}

// Texts CP932 lacks, each as an address keeps it (the escapes of its UTF-8
// bytes) and as HTML shown keeps it (character references).
struct OutsideCp932 {
  const char *text, *escaped, *referenced;
};
constexpr OutsideCp932 kOutsideCp932[] = {
    {"Crème", "Cr%C3%A8me", "Cr&#xE8;me"}, {"€5", "%E2%82%AC5", "&#x20AC;5"},
    {"🙂", "%F0%9F%99%82", "&#x1F642;"}, {"한국어", "%ED%95%9C%EA%B5%AD%EC%96%B4", "&#xD55C;&#xAD6D;&#xC5B4;"},
    {"e\u0301", "e%CC%81", "e&#x301;"},    {"日本🙂", "日本%F0%9F%99%82", "日本&#x1F642;"},
};

TEST_F(ToolbarTest, TextsOutsideCp932StayWholeInEveryCommand) {
  for (const OutsideCp932& c : kOutsideCp932) {
    SCOPED_TRACE(c.text);
    const std::string text = c.text, escaped = c.escaped, referenced = c.referenced;
    ShowPage("http://host/" + std::string(Utf8URLToCp932(text)) + "/",
             "<title>nc " + text + "</title><a href=\"" + text + "/t.html\">" + text + " \"q\"</a>");
    // The link list: the address escaped, the text as the page has it when
    // copied, as references when shown as a CP932 page.
    const std::string pageURL = "http://host/" + escaped + "/";
    const std::string entry = pageURL + escaped + "/t.html\t" + text + " \"q\"";
    commands.MakePageLinkList(true);
    EXPECT_THAT(view.clipboard, HasSubstr(entry));
    commands.MakePageLinkList(false);
    EXPECT_THAT(engine.loaded.back(), HasSubstr(Utf8ToCp932(referenced + " \"q\"</a><br>")));
    EXPECT_THAT(engine.loaded.back(), HasSubstr(Utf8ToCp932("<a href=\"" + pageURL + escaped + "/t.html\">")));

    // Copies give the Unicode the page had.
    selection = " " + text + " ";
    commands.CopySelection();
    EXPECT_EQ(view.clipboard, selection);
    commands.CopyHTMLSource();
    EXPECT_EQ(view.clipboard, source);
    commands.CopyURL();
    EXPECT_EQ(view.clipboard, pageURL);

    // A link tag goes into pages of any encoding: references.
    selection.clear();
    commands.CopyLinkTag();
    EXPECT_EQ(view.clipboard, "<a href=\"" + pageURL + "\" taget=\"_blank\">nc " + referenced + "</a>");

    // The search gets the address's escapes once, not "%25..." for them.
    commands.OpenIndexCheck(1);
    EXPECT_EQ(engine.navigated.back(),
              "http://www.google.co.jp/search?hl=ja&ie=UTF-8&q=site%3Ahost/" +
                  (escaped.starts_with("日") ? "%E6%97%A5%E6%9C%AC" + escaped.substr(6) : escaped) + "/");

    // A selected address goes as the engine would write it; the clipboard
    // shown as a page shows the characters.
    selection = "http://host/" + text;
    commands.GoToSelectedURL();
    EXPECT_EQ(engine.navigated.back(), Utf8ToCp932("http://host/" + escaped));
    view.clipboard = "<p>" + text + "</p>";
    commands.ShowClipboardAsPage();
    EXPECT_EQ(engine.loaded.back(), Utf8ToCp932("<p>" + referenced + "</p>\r\n"));
  }
}

}  // namespace
}  // namespace morvane
