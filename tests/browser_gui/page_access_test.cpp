// Reading and filling real pages: the service's login, forms, hostile pages,
// Shift_JIS text.
#include "browser/core/web_origin.h"
#include "browser_gui_support.h"

namespace morvane::testing {
namespace {

// Percent-encoding as the page's script (encodeURIComponent) and as the
// service write submitted values.
std::string PageEncoded(std::string_view cp932) { return PercentEncoded(Cp932ToUtf8(cp932), "!'()*"); }
std::string ServiceEncoded(std::string_view cp932) { return PercentEncoded(Cp932ToUtf8(cp932)); }

bool LogHas(BrowserFrame& f, std::string_view line) {
  return f.GetHTMLSource().find(std::string(line) + "\n") != std::string::npos;
}

TEST_F(BrowserTest, LogsIntoTheServiceAndStaysLoggedInAfterARestart) {
  const std::string site = service->URL("/site/a");
  ASSERT_TRUE(Navigate(site));
  EXPECT_FALSE(SourceHas("user-1"));
  EXPECT_TRUE(frame().SetFieldValue("catname_d", "user-1", "", 0));
  EXPECT_TRUE(frame().SetFieldValue("pw_d", "secret", "", 0));
  EXPECT_TRUE(frame().ClickElement("submit", J("管理画面ログイン"), false, true));
  EXPECT_TRUE(SourceHas(J("ログイン中: user-1")));
  EXPECT_EQ(frame().GetLocationURL(), site);
  EXPECT_TRUE(frame().BackFlag());

  Close();
  Open();
  ASSERT_TRUE(Navigate(service->URL("/admin2/")));
  EXPECT_TRUE(SourceHas(J("ログイン中: user-1")));
}

TEST_F(BrowserTest, WrongPasswordLeavesTheLoginFormAndMissingFieldsSetNothing) {
  ASSERT_TRUE(Navigate(service->URL("/admin2/")));
  EXPECT_FALSE(frame().SetFieldValue("no_such_field", "x", "", 0));
  EXPECT_TRUE(frame().SetFieldValue("catname_d", "user-2", "", 0));
  EXPECT_TRUE(frame().SetFieldValue("pw_d", "wrong", "", 0));
  EXPECT_FALSE(frame().ClickElement("SUBMIT", J("管理画面ログイン"), false, true));
  EXPECT_FALSE(frame().ClickElement("submit", J("管理画面ログイン") + "!", false, true));
  EXPECT_TRUE(frame().ClickElement("submit", J("管理画面ログイン"), true, true));
  EXPECT_TRUE(SourceHas(J("ログインできませんでした")));
  EXPECT_FALSE(SourceHas("user-2"));
}

TEST_F(BrowserTest, ValuesReachTheRightFieldsUnchangedWithInputAndChangeEvents) {
  ASSERT_TRUE(Navigate(service->URL("/pages/two_forms.html")));
  const std::string tricky = "a\"b'c\\d</script><script>alert(1)</script>${x}`" + J("日本語");
  EXPECT_TRUE(frame().SetFieldValue("q", tricky, "", 0));
  EXPECT_TRUE(LogHas(frame(), "input first.q#0=" + PageEncoded(tricky)));
  EXPECT_TRUE(LogHas(frame(), "change first.q#0=" + PageEncoded(tricky)));
  // A text area keeps line breaks (as LF, the way the page reads them).
  EXPECT_TRUE(frame().SetFieldValue("catname_d", "one\r\ntwo\\n", "second", 0));
  EXPECT_TRUE(LogHas(frame(), "input second.catname_d#0=" + PageEncoded("one\ntwo\\n")));

  // The pass counts forms that hold the field, not fields.
  EXPECT_TRUE(frame().SetFieldValue("catname_d", "zero", "", 0));
  EXPECT_TRUE(LogHas(frame(), "input first.catname_d#1=zero"));
  EXPECT_TRUE(frame().SetFieldValue("catname_d", "one", "", 1));
  EXPECT_TRUE(LogHas(frame(), "input second.catname_d#0=one"));
  EXPECT_FALSE(frame().SetFieldValue("catname_d", "two", "", 2));
  // A file field cannot take the value; the next field of the name does.
  EXPECT_TRUE(frame().SetFieldValue("pw_d", "named", "second", 0));
  EXPECT_TRUE(LogHas(frame(), "input second.pw_d#2=named"));
  EXPECT_FALSE(frame().SetFieldValue("pw_d", "x", "first", 0));
}

TEST_F(BrowserTest, HostilePageCannotMisleadFillingOrClicking) {
  ASSERT_TRUE(Navigate(service->URL("/pages/hostile.html")));
  EXPECT_EQ(frame().GetPageTitle(), "hostile");
  EXPECT_TRUE(frame().SetFieldValue("catname_d", "id'\"\\", "", 0));
  EXPECT_TRUE(frame().SetFieldValue("pw_d", "pw</script>", "login", 0));
  EXPECT_TRUE(frame().ClickElement("submit", J("管理画面ログイン"), true, true));
  EXPECT_EQ(frame().GetPageTitle(), "echo");
  EXPECT_TRUE(SourceHas("catname_d=" + ServiceEncoded("id'\"\\")));
  EXPECT_TRUE(SourceHas("pw_d=" + ServiceEncoded("pw</script>")));
  for (const char* decoy : {"elements", "name", "length", "item"})  // nothing filled beside the two fields
    EXPECT_TRUE(SourceHas(std::string(decoy) + "=</p>")) << decoy;
}

TEST_F(BrowserTest, AFillGoesOnlyIntoADocumentOfTheOriginsAskedForEvenWhileTheirPageLoads) {
  using Fill = BrowserFrame::FillResult;
  const std::string trap = service->OtherHostURL("/trap");
  const std::vector<std::string> asked{OriginOf(service->URL("/"))};
  ASSERT_TRUE(Navigate(trap));
  EXPECT_EQ(frame().FillField("catname_d", "id", "", 0, asked), Fill::OtherPage);
  // The service's page is on its way; the trap is still the document shown.
  frame().NavigateTo(service->URL("/site/w?wait=2"), false);
  PumpUntil([] { return false; }, 400);
  EXPECT_EQ(frame().GetLocationURL(), trap);
  EXPECT_EQ(frame().FillField("pw_d", "pw", "", 0, asked), Fill::OtherPage);
  EXPECT_TRUE(SourceHas("data-got=\"\""));
  EXPECT_TRUE(frame().WaitForComplete(2000));
  EXPECT_EQ(frame().GetLocationURL(), service->URL("/site/w?wait=2"));
  EXPECT_EQ(frame().FillField("catname_d", "id", "", 0, asked), Fill::Filled);
  EXPECT_EQ(frame().FillField("no_such_field", "x", "", 0, asked), Fill::NoField);
  EXPECT_EQ(frame().FillField("catname_d", "id", "", 0, {""}), Fill::OtherPage);
}

TEST_F(BrowserTest, ShiftJisPagesAndShownTextComeBackAsCp932) {
  ASSERT_TRUE(Navigate(service->URL("/pages/sjis.html")));
  EXPECT_EQ(frame().GetPageTitle(), J("日本語のページ"));
  EXPECT_TRUE(SourceHas(J("こんにちは、世界。表示の確認です。")));
  EXPECT_EQ(frame().GetSelectedText(), "");
  webkit_web_view_execute_editing_command(view(), WEBKIT_EDITING_COMMAND_SELECT_ALL);
  EXPECT_TRUE(PumpUntil([&] { return frame().GetSelectedText().find(J("アクセス解析セット")) != std::string::npos; }));

  frame().ShowHTML(J("<title>表示</title>\n<p>クリップボードの内容</p>"));
  EXPECT_TRUE(PumpUntil([&] { return SourceHas(J("<p>クリップボードの内容</p>")); }));
  EXPECT_EQ(frame().GetPageTitle(), J("表示"));
  EXPECT_FALSE(frame().BusyState());
}

TEST_F(BrowserTest, PagesOfTensOfMegabytesCanBeShownAndRead) {
  std::string text = "<title>big</title>\n";
  const std::string line = J("<p>大きなページの一行です。0123456789 abcdefghijklmnopqrstuvwxyz</p>") + "\n";
  while (text.size() < 20u << 20) text += line;
  frame().ShowHTML(text);
  // The shown page's own title, then the end of its load: a blank page that
  // was still finishing from before must not pass for it.
  EXPECT_TRUE(PumpUntil(
      [&] { return g_strcmp0(webkit_web_view_get_title(view()), "big") == 0 && !webkit_web_view_is_loading(view()); },
      120000));
  const std::string source = frame().GetHTMLSource();
  EXPECT_GT(source.size(), 20u << 20) << source.substr(0, 200);
  EXPECT_NE(source.find(line.substr(0, line.size() - 1)), std::string::npos);
}

TEST_F(BrowserTest, ScriptDialogsAreAnsweredSilently) {
  ASSERT_TRUE(Navigate(service->URL("/pages/dialogs.html")));
  EXPECT_TRUE(SourceHas("confirm=false prompt=null"));
}

TEST_F(BrowserTest, NoDocumentYetGivesEmptySourceAndSelectionError) {
  Close();
  Open(false);
  EXPECT_EQ(frame().GetHTMLSource(), "");
  EXPECT_THROW(frame().GetSelectedText(), PageAccessError);
  EXPECT_FALSE(frame().ClickElement("a", "x", false, false));
}

}  // namespace
}  // namespace morvane::testing
