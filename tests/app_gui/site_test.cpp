// Adding, editing and deleting sites through the site dialog.
#include "catalogue/site_record.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

class SiteTest : public WindowTest {
 protected:
  void SetUp() override {
    OpenForms();
    SiteDialog().SetBrowser({[this] { return location; }, [this] { return html; }});
  }
  SiteRecord Site(int index) { return SiteFromLine(W().Catalogue().SiteList().Get(index)); }
  std::string location = "about:blank";
  std::string html;
};

TEST_F(SiteTest, NewSiteDefaultsComeFromTheBrowserPage) {
  html = J("利用パーツ一覧(TOP) アクセス解析 [日本の旅]");
  location = "http://vexa.example/site/42";
  forms_.steps.push_back([](Gtk::Dialog& d) { d.response(Gtk::RESPONSE_CANCEL); });
  W().tbAddSiteClick();
  ASSERT_EQ(forms_.shown, 1);
  EXPECT_EQ(SiteDialog().edSiteName.get_text(), "日本の旅");
  EXPECT_EQ(SiteDialog().edSiteURL.get_text(), "");
  EXPECT_EQ(SiteDialog().edAccessURL.get_text(), "http://vexa.example/site/42");
  EXPECT_EQ(SiteDialog().edRegistDate.get_text().size(), 19u);  // yyyy/mm/dd hh:mm:ss
  EXPECT_EQ(SiteDialog().cbCategory.get_active_row_number(), -1);
  EXPECT_EQ(W().Catalogue().SiteList().Count(), 0);  // cancelled: nothing stored

  // No page: an empty name and the blank page's address.
  html.clear();
  location = "about:blank";
  SiteDialog().edLoginID.set_text("left over");
  W().tbAddSiteClick();
  EXPECT_EQ(SiteDialog().edSiteName.get_text(), "");
  EXPECT_EQ(SiteDialog().edAccessURL.get_text(), "about:blank");
  EXPECT_EQ(SiteDialog().edLoginID.get_text(), "");

  // The two browser buttons of the dialog.
  location = "http://now.example/";
  SiteDialog().edSiteURLDblClick();
  SiteDialog().SpeedButton1Click();
  EXPECT_EQ(SiteDialog().edSiteURL.get_text(), "http://now.example/");
  EXPECT_EQ(SiteDialog().edAccessURL.get_text(), "http://now.example/");
}

TEST_F(SiteTest, OkChecksTheInputAndKeepsTheDialogOpenOnAMissingField) {
  forms_.steps.push_back([this](Gtk::Dialog&) {
    SiteDialog().edSiteName.set_text("名前");
    SiteDialog().edSiteURL.set_text("http://x/");
    SiteDialog().edAccessURL.set_text("  ");
    SiteDialog().BitBtn1Click();  // refused: the dialog stays
    SiteDialog().edSiteName.set_text("");
    SiteDialog().BitBtn1Click();  // still refused, for the last empty field
    SiteDialog().edSiteName.set_text("名前");
    SiteDialog().edAccessURL.set_text("http://a/");
    SiteDialog().BitBtn1Click();
  });
  W().tbAddSiteClick();
  EXPECT_EQ(dialogs.errors,
            (std::vector<std::string>{"アクセス解析URLが入力されていません", "アクセス解析URLが入力されていません"}));
  ASSERT_EQ(W().Catalogue().SiteList().Count(), 1);
  EXPECT_EQ(Site(0).SiteName, J("名前"));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"名前"}));
}

TEST_F(SiteTest, PastedTabsAndLineBreaksNeverBreakTheSiteLine) {
  forms_.steps.push_back([this](Gtk::Dialog&) {
    SiteDialog().edSiteName.set_text(" Tab\there\r\nand there　");
    SiteDialog().edSiteURL.set_text("http://x/\n");
    SiteDialog().edAccessURL.set_text("http://a/한🙂/");  // kept as the same address
    SiteDialog().edLoginID.set_text("id\t");
    SiteDialog().edLoginPass.set_text("p\tw");
    SiteDialog().BitBtn1Click();
  });
  W().tbAddSiteClick();
  ASSERT_EQ(W().Catalogue().SiteList().Count(), 1);
  const std::string line = W().Catalogue().SiteList().Get(0);
  EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 6);
  EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(Site(0).SiteName, "Tab hereand there");
  EXPECT_EQ(Site(0).SiteURL, "http://x/");
  EXPECT_EQ(Site(0).AccessURL, "http://a/%ED%95%9C%F0%9F%99%82/");
  EXPECT_EQ(Site(0).LoginID, "id");
  EXPECT_EQ(Site(0).LoginPass, "p w");
}

TEST_F(SiteTest, EditingFillsTheDialogAndAChangedCategoryStaysInPlace) {
  AddCategory("A");
  AddCategory("b");
  AddSite("one", "http://1/", "A");
  AddSite("two", "http://2/", "A");
  SelectCategory("すべてのサイト");
  SiteRecord r = Site(0);
  r.LoginID = "me";
  r.LoginPass = "pw";
  r.Category = "a";  // found ignoring letter case, as the box searches
  StoreSite(W().Catalogue().SiteList(), r);
  W().ShowEntry(AllSitesEntryName());

  W().lvSiteList.SelectRow(0);
  const std::string registered = Cp932ToUtf8(Site(0).RegistDate);
  forms_.steps.push_back([this](Gtk::Dialog&) {
    EXPECT_EQ(SiteDialog().edSiteName.get_text(), "one");
    EXPECT_EQ(SiteDialog().edLoginID.get_text(), "me");
    EXPECT_EQ(SiteDialog().edLoginPass.get_text(), "pw");
    EXPECT_EQ(SiteDialog().cbCategory.get_active_text(), "A");
    ChooseCategory("b");
    SiteDialog().BitBtn1Click();
  });
  W().tbRenewsSiteClick();
  EXPECT_EQ(Column(1), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(Column(3), (std::vector<std::string>{"b", "A"}));
  EXPECT_EQ(Cp932ToUtf8(Site(0).RegistDate), registered);  // never renewed by editing
  EXPECT_EQ(Site(0).LoginPass, "pw");

  // A changed URL adds a new site and keeps the old one.
  W().lvSiteList.SelectRow(1);
  forms_.steps.push_back([this](Gtk::Dialog&) {
    SiteDialog().edSiteURL.set_text("http://2-new/");
    SiteDialog().BitBtn1Click();
  });
  W().tbRenewsSiteClick();
  EXPECT_EQ(Column(2), (std::vector<std::string>{"http://1/", "http://2/", "http://2-new/"}));

  // Cancel stores nothing.
  W().lvSiteList.SelectRow(0);
  forms_.steps.push_back([this](Gtk::Dialog& d) {
    SiteDialog().edSiteName.set_text("changed");
    d.response(Gtk::RESPONSE_CANCEL);
  });
  W().tbRenewsSiteClick();
  EXPECT_EQ(Site(0).SiteName, "one");
}

TEST_F(SiteTest, DeletingAsksWithTheSiteNameAndEmptiesTheCategory) {
  AddCategory("A");
  AddSite("唯一", "http://only/", "A");
  AddSite("other", "http://other/");
  SelectCategory("A");
  W().lvSiteList.SelectRow(0);
  dialogs.yesNoAnswers.push_back(false);
  W().tbDeleteSiteClick();
  EXPECT_EQ(dialogs.questions.back(), "選択したサイトを削除しますか？\r\n\r\n[唯一]");
  EXPECT_EQ(W().Catalogue().SiteList().Count(), 2);
  dialogs.yesNoAnswers.push_back(true);
  W().tbDeleteSiteClick();
  EXPECT_EQ(W().lvSiteList.Model().RowCount(), 0);
  EXPECT_EQ(W().Catalogue().SiteList().Count(), 1);
  EXPECT_EQ(Site(0).SiteName, "other");

  // Nothing selected: edit, delete and show say so and open nothing.
  SelectCategory("すべてのサイト");
  W().lvSiteList.SelectRow(-1);
  W().tbRenewsSiteClick();
  W().tbDeleteSiteClick();
  W().miDisplaySiteClick();
  EXPECT_EQ(dialogs.errors, std::vector<std::string>(3, "サイトが選択されていません"));
  EXPECT_EQ(forms_.shown, 2);  // only the adds
  EXPECT_EQ(dialogs.questions.size(), 2u);
}

}  // namespace
}  // namespace morvane::testing
