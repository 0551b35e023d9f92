// CSV and bookmark files in and out of the window: the catalogue changes only
// after the user agrees, and what goes out comes back.
#include "catalogue/site_record.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

class ExchangeTest : public WindowTest {
 protected:
  void SetUp() override { OpenForms(); }
  std::vector<std::string> Urls() {
    std::vector<std::string> urls;
    for (const std::string& line : W().Catalogue().SiteList().Lines()) urls.push_back(std::string(SiteURLOfLine(line)));
    return urls;
  }
};

TEST_F(ExchangeTest, CatalogueToCsvAndBackAfterConfirming) {
  AddCategory("旅行");
  AddSite("旅, \"夏\"", "http://travel/", "旅行");
  AddSite("料理", "http://food/");
  const std::string csv = folder / "sites.csv";
  dialogs.fileAnswers.push_back(csv);
  dialogs.optionAnswers.push_back(false);
  W().tbExportCSVClick();
  EXPECT_EQ(dialogs.optionCaptions, (std::vector<std::string>{"パスワードも書き出す"}));
  EXPECT_EQ(ModeOf(csv), 0600u);
  EXPECT_TRUE(ReadBytes(csv).starts_with("\xEF\xBB\xBF"));
  const std::vector<std::string> before = W().Catalogue().SiteList().Lines();

  // Declined: nothing changes.
  W().Catalogue().SiteList().Clear();
  W().ShowEntry(AllSitesEntryName());
  dialogs.fileAnswers.push_back(csv);
  W().tbImportCSVClick();
  EXPECT_TRUE(W().Catalogue().SiteList().Lines().empty());
  EXPECT_NE(dialogs.questions.back().find("2 件のサイトを読み込みます"), std::string::npos);

  dialogs.fileAnswers.push_back(csv);
  dialogs.yesNoAnswers.push_back(true);
  W().tbImportCSVClick();
  EXPECT_EQ(W().Catalogue().SiteList().Lines(), before);
  EXPECT_EQ(dialogs.messages.back(), "2 件を追加、0 件を更新しました");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"旅, \"夏\""}));  // 旅行 stays selected
  SelectCategory("すべてのサイト");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"旅, \"夏\"", "料理"}));
}

TEST_F(ExchangeTest, BadCsvRowsAreNamedAndTheRestImported) {
  const std::string csv = folder / "bad.csv";
  WriteBytes(csv, "a,http://a/,,,,\r\nb,http://b/\r\n\"c,http://c/,,,,\r\n");
  dialogs.fileAnswers.push_back(csv);
  dialogs.yesNoAnswers.push_back(true);
  W().tbImportCSVClick();
  EXPECT_NE(dialogs.questions.back().find("2 行目: 列の数が正しくありません"), std::string::npos);
  EXPECT_NE(dialogs.questions.back().find("3 行目"), std::string::npos);
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://a/"}));
}

TEST_F(ExchangeTest, BookmarksOfAFolderGoIntoTheChosenCategory) {
  AddCategory("ニュース");
  AddSite("既存", "https://news.example.jp/");
  dialogs.fileAnswers.push_back(std::string(MORVANE_FIXTURES) + "/bookmarks.html");
  dialogs.chooseAnswers.push_back(1);  // "Bookmarks Toolbar" and what is under it
  dialogs.chooseAnswers.push_back(1);  // "ニュース"
  dialogs.yesNoAnswers.push_back(true);
  W().tbImportBookmarksClick();
  ASSERT_EQ(dialogs.chooseItems.size(), 2u);
  EXPECT_EQ(dialogs.chooseItems[0], (std::vector<std::string>{"（すべて）", "Bookmarks Toolbar", "　仕事", "Other"}));
  EXPECT_EQ(dialogs.chooseItems[1], (std::vector<std::string>{"未分類", "ニュース"}));
  EXPECT_EQ(Urls(), (std::vector<std::string>{"https://news.example.jp/", "http://shop.example.com/?a=1&b=2",
                                              "https://work.example.jp/"}));
  EXPECT_EQ(SiteFromLine(W().Catalogue().SiteList().Get(2)).Category, J("ニュース"));
  EXPECT_EQ(dialogs.messages.back(),
            "2 件を追加しました。Vexa解析URL は未設定です\r\nURLが重複した 1 件は飛ばしました");

  // Cancelled at the folder: nothing more.
  dialogs.fileAnswers.push_back(std::string(MORVANE_FIXTURES) + "/bookmarks.html");
  W().tbImportBookmarksClick();
  EXPECT_EQ(W().Catalogue().SiteList().Count(), 3);
}

// The export leaves the passwords out by default; reading it back into the
// catalogue it came from must not wipe them, and the question says what
// will happen.
TEST_F(ExchangeTest, AnExportWithoutPasswordsReadBackKeepsThePasswords) {
  AddCategory("旅行");
  AddSite("旅", "http://travel/", "旅行");
  AddSite("料理", "http://food/");
  for (long long i = 0; i < 2; ++i) {
    SiteRecord site = SiteFromLine(W().Catalogue().SiteList().Get(i));
    site.LoginID = "id" + std::to_string(i);
    site.LoginPass = "secret" + std::to_string(i);
    W().Catalogue().SiteList().Put(i, FormatSiteLine(site));
  }
  const std::vector<std::string> before = W().Catalogue().SiteList().Lines();
  const std::string csv = folder / "sites.csv";
  dialogs.fileAnswers.push_back(csv);
  dialogs.optionAnswers.push_back(false);
  W().tbExportCSVClick();

  dialogs.fileAnswers.push_back(csv);
  dialogs.yesNoAnswers.push_back(true);
  W().tbImportCSVClick();
  EXPECT_NE(dialogs.questions.back().find("0 件を追加、2 件を更新します。"), std::string::npos);
  EXPECT_NE(dialogs.questions.back().find("ファイルにない列（パスワード）は、更新するサイトでは今のままです。"),
            std::string::npos);
  EXPECT_EQ(dialogs.messages.back(), "0 件を追加、2 件を更新しました");
  EXPECT_EQ(W().Catalogue().SiteList().Lines(), before);
  // The sites it wrote over were kept first.
  std::vector<std::string> kept;
  for (const std::string& name : folder.Names())
    if (name.ends_with("_VexaSiteData.bak")) kept.push_back(folder / name);
  ASSERT_EQ(kept.size(), 1u);
  SiteCatalogue backup(folder.Path());
  ASSERT_TRUE(backup.LoadSiteData(kept[0]).Loaded());
  EXPECT_EQ(backup.SiteList().Lines(), before);
}

// A large file is read off the GUI thread behind a progress box; 中止 in it
// leaves the catalogue as it was, and without it every row comes in.
TEST_F(ExchangeTest, ALargeImportShowsProgressAndCanBeStopped) {
  AddSite("既存", "http://old/");
  std::string text = "サイト名,サイトURL\r\n";
  for (int i = 0; text.size() < (3u << 20); ++i)
    text += "site " + std::to_string(i) + ",http://big.example/" + std::string(100, 'p') + std::to_string(i) + "\r\n";
  const long long rows = std::count(text.begin(), text.end(), '\n') - 1;
  const std::string csv = folder / "big.csv";
  WriteBytes(csv, text);

  std::vector<std::string> boxes;
  forms_.steps.push_back([&boxes](Gtk::Dialog& box) {
    boxes.push_back(box.get_title());
    dynamic_cast<Gtk::Button*>(box.get_widget_for_response(Gtk::RESPONSE_CANCEL))->clicked();  // 中止
  });
  dialogs.fileAnswers.push_back(csv);
  dialogs.yesNoAnswers.push_back(true);
  W().tbImportCSVClick();
  EXPECT_EQ(boxes, (std::vector<std::string>{"CSVファイルから読み込む"}));
  EXPECT_TRUE(dialogs.questions.empty());
  EXPECT_EQ(W().Catalogue().SiteList().Count(), 1);

  // Left to run, a box closes by itself when its work is done: the reading,
  // then the merge. 中止 on the merge's box changes nothing either.
  const auto leftToRun = [&boxes](Gtk::Dialog& box) {
    boxes.push_back(box.get_title());
    bool closed = false;
    auto seen = box.signal_response().connect([&closed](int) { closed = true; });
    PumpUntil([&closed] { return closed; }, 60000);
    seen.disconnect();
  };
  forms_.steps.push_back(leftToRun);
  forms_.steps.push_back([&boxes](Gtk::Dialog& box) {
    boxes.push_back(box.get_title());
    dynamic_cast<Gtk::Button*>(box.get_widget_for_response(Gtk::RESPONSE_CANCEL))->clicked();
  });
  dialogs.fileAnswers.push_back(csv);
  dialogs.yesNoAnswers.push_back(true);
  W().tbImportCSVClick();
  EXPECT_EQ(boxes.size(), 3u);
  EXPECT_EQ(W().Catalogue().SiteList().Count(), 1);
  ASSERT_TRUE(dialogs.messages.empty());
  dialogs.questions.clear();

  forms_.steps.push_back(leftToRun);
  forms_.steps.push_back(leftToRun);
  dialogs.fileAnswers.push_back(csv);
  W().tbImportCSVClick();
  EXPECT_EQ(boxes.size(), 5u);
  ASSERT_EQ(dialogs.questions.size(), 1u);
  EXPECT_NE(dialogs.questions.back().find(std::to_string(rows) + " 件を追加、0 件を更新します。"), std::string::npos);
  EXPECT_EQ(W().Catalogue().SiteList().Count(), rows + 1);
  EXPECT_EQ(dialogs.messages.back(), std::to_string(rows) + " 件を追加、0 件を更新しました");
}

// Neither reading of the file is clean: the user is shown names both ways.
TEST_F(ExchangeTest, AFileOfUnclearEncodingIsAskedAbout) {
  const std::string csv = folder / "stray.csv";
  WriteBytes(csv, "旅の記録\x81,http://a/,,,,\r\n料理,http://b/,,,,\r\n");
  dialogs.fileAnswers.push_back(csv);
  W().tbImportCSVClick();  // the choice cancelled: nothing
  ASSERT_EQ(dialogs.chooseItems.size(), 1u);
  EXPECT_EQ(dialogs.chooseItems[0].at(0), "UTF-8: 旅の記録\uFFFD、料理");
  EXPECT_TRUE(dialogs.chooseItems[0].at(1).starts_with("Shift_JIS: "));
  EXPECT_TRUE(dialogs.questions.empty());

  dialogs.fileAnswers.push_back(csv);
  dialogs.chooseAnswers.push_back(0);
  dialogs.yesNoAnswers.push_back(true);
  W().tbImportCSVClick();
  EXPECT_EQ(Column(1), (std::vector<std::string>{"旅の記録?", "料理"}));
}

}  // namespace
}  // namespace morvane::testing
