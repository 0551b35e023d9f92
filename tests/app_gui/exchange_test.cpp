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

}  // namespace
}  // namespace morvane::testing
