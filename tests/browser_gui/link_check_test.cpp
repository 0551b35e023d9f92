// The link check strip over a real browser: results come back through the
// main loop into the shown page, stop ends the check, and the CSV button
// writes what the page shows.
#include <fstream>
#include <sstream>
#include "support/window_picture.h"

#include "browser_gui_support.h"
#include "navi/gtk/link_check_bar.h"
#include "support/fake_dialogs.h"
#include "util/cp932.h"

namespace morvane::testing {
namespace {

class LinkCheckTest : public BrowserTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    bar_ = std::make_unique<LinkCheckBar>([this](std::string_view page) { frame().ShowHTML(page); },
                                          [this] { return std::optional(frame().CurrentPage()); });
    gtk_box_pack_start(GTK_BOX(widget_->gobj()), GTK_WIDGET(bar_->gobj()), FALSE, FALSE, 0);
  }
  void TearDown() override {
    bar_.reset();
    BrowserTest::TearDown();
  }
  bool Ended() { return !bar_->Check().Running() && bar_->btLinkCheckCsv.get_sensitive(); }
  PageLinkList ListOf(const std::string& hrefs) { return BuildPageLinkList(hrefs, service->URL("/"), {}, {}); }

  std::unique_ptr<LinkCheckBar> bar_;
};

TEST_F(LinkCheckTest, ShowsStatusesFailingFirstAndSavesTheCsv) {
  bar_->Start(
      ListOf("<a href=/modified>ok</a><a href=/status/404>missing</a><a href=/loop>loop</a>"
             "<a href=mailto:a@b>mail</a>"));
  EXPECT_TRUE(bar_->get_visible());
  EXPECT_FALSE(bar_->btLinkCheckCsv.get_sensitive());
  ASSERT_TRUE(PumpUntil([&] { return Ended(); }, 30000));
  EXPECT_EQ(bar_->pbLinkCheck.get_text(), "4 / 4 確認しました");
  ASSERT_TRUE(PumpUntil([&] { return SourceHas("[200]"); }));
  const std::string source = frame().GetHTMLSource();
  EXPECT_LT(source.find("[404]"), source.find("[200]"));
  EXPECT_LT(source.find(Utf8ToCp932("[転送が多すぎます]")), source.find("[200]"));
  EXPECT_NE(source.find("mail</a>"), std::string::npos);
  EXPECT_NE(source.find(Utf8ToCp932("\t未確認")), std::string::npos);

  FakeDialogs dialogs;
  const std::string path = dataDir_ + "/links.csv";
  dialogs.fileAnswers.push_back(path);
  bar_->btLinkCheckCsv.clicked();
  EXPECT_TRUE(dialogs.errors.empty());
  std::ifstream in(path, std::ios::binary);
  std::ostringstream csv;
  csv << in.rdbuf();
  EXPECT_TRUE(csv.str().starts_with("\xEF\xBB\xBF"));
  EXPECT_NE(csv.str().find(service->URL("/status/404") + ",missing,404\r\n"), std::string::npos);

  dialogs.fileAnswers.push_back(dataDir_ + "/no/such/folder/links.csv");
  bar_->btLinkCheckCsv.clicked();
  EXPECT_EQ(dialogs.errors.size(), 1u);
}

TEST_F(LinkCheckTest, StopButtonEndsACheckOfSilentHostsAndTheWindowKeepsRunning) {
  std::string page;
  for (int i = 0; i < 2000; ++i) page += "<a href=\"/slow?s=30&n=" + std::to_string(i) + "\">s</a>";
  page += "<a href=\"/missing\">broken</a>";  // sorts first
  bar_->Start(ListOf(page));
  ASSERT_TRUE(PumpUntil([&] { return std::string(bar_->pbLinkCheck.get_text()).starts_with("1 / 2001"); }, 20000));
  // The main loop goes on while the checker waits on the network.
  Later tick(200, [] {});
  EXPECT_TRUE(PumpUntil([&] { return tick.Fired(); }, 5000));
  EXPECT_TRUE(bar_->Check().Running());
  // While it runs the strip says the most it may still take.
  EXPECT_NE(std::string(bar_->pbLinkCheck.get_text()).find("（残り最大 "), std::string::npos);
  bar_->btLinkCheckStop.clicked();
  ASSERT_TRUE(PumpUntil([&] { return Ended(); }, 10000));
  EXPECT_EQ(bar_->pbLinkCheck.get_text(), "1 / 2001 中止しました");
  ASSERT_TRUE(PumpUntil([&] { return SourceHas("[404]"); }, 20000));
  EXPECT_TRUE(SourceHas(Utf8ToCp932("\ts\t未確認")));

  // Closing the strip during a check ends the check too.
  bar_->Start(ListOf(page));
  ASSERT_TRUE(PumpUntil([&] { return bar_->Check().Running(); }));
  bar_->btLinkCheckClose.clicked();
  EXPECT_FALSE(bar_->get_visible());
  EXPECT_TRUE(PumpUntil([&] { return !bar_->Check().Running(); }, 10000));
}

// Not a check: with MORVANE_LINK_CHECK_SCREENSHOT=<file.png> set, leaves a
// picture of a checked link list for the README.
TEST_F(LinkCheckTest, Screenshot) {
  const char* file = g_getenv("MORVANE_LINK_CHECK_SCREENSHOT");
  if (!file) GTEST_SKIP() << "MORVANE_LINK_CHECK_SCREENSHOT not set";
  gtk_window_move(GTK_WINDOW(window_), 0, 0);
  const std::string secure = service->SecureURL("/modified");
  bar_->Start(ListOf(J("<a href=/pages/sjis.html>会社案内</a><a href=/status/404>旧お知らせ</a>"
                       "<a href=/modified>トップページ</a><a href=/loop>ループするページ</a>"
                       "<a href=/status/503>メンテナンス中</a><a href=/moved>移転しました</a>"
                       "<a href=mailto:info@example.jp>お問い合わせ</a><a href=") +
                     secure + J(">証明書の古いサイト</a><a href=/slow?s=0.3>遅いページ</a>")));
  ASSERT_TRUE(PumpUntil([&] { return Ended(); }, 30000));
  ASSERT_TRUE(PumpUntil([&] { return SourceHas("[200]"); }));
  PumpUntil([] { return false; }, 1500);  // let it paint
  EXPECT_TRUE(SaveWindowPicture(window_, file));
}

}  // namespace
}  // namespace morvane::testing
