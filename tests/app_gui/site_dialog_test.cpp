// The site dialog as a user meets it: the real modal run and the real OK
// button clicked with the pointer.
#include <glibmm/main.h>

#include <cstdlib>
#include <memory>

#include "catalogue/site_record.h"
#include "real_input.h"
#include "support/window_picture.h"

namespace morvane::testing {
namespace {

class RunningSiteDialogTest : public WindowTest {
 protected:
  void SetUp() override {
    OpenForms();
    InstallModalScript({});  // the dialog's own run loop, not the script
  }
  // Runs actions inside the running dialog, then cancels it if nothing answered it.
  // It looks for the dialog until its own run shows it: the defaults read from
  // the browser's page before that pump events too, and a single early shot
  // could be spent there and leave the dialog running for ever.
  void WhileShown(const std::function<void()>& actions) {
    auto looks = std::make_shared<int>(0);
    Glib::signal_timeout().connect(
        [this, actions, looks] {
          if (!SiteDialog().get_mapped()) return ++*looks < 600;
          bool answered = false;
          auto watch = SiteDialog().signal_response().connect([&answered](int) { answered = true; });
          PumpFor(100);
          actions();
          watch.disconnect();
          if (!answered) SiteDialog().response(Gtk::RESPONSE_CANCEL);
          return false;
        },
        50);
  }
  void Fill(const char* name, const char* url, const char* access) {
    SiteDialog().edSiteName.set_text(name);
    SiteDialog().edSiteURL.set_text(url);
    SiteDialog().edAccessURL.set_text(access);
  }
  // The dialog is still there with what was typed.
  void ExpectStillOpenWith(const char* name, const char* url, const char* access, const std::string& error) {
    EXPECT_TRUE(SiteDialog().get_visible());
    EXPECT_EQ(SiteDialog().edSiteName.get_text(), name);
    EXPECT_EQ(SiteDialog().edSiteURL.get_text(), url);
    EXPECT_EQ(SiteDialog().edAccessURL.get_text(), access);
    ASSERT_FALSE(dialogs.errors.empty());
    EXPECT_EQ(dialogs.errors.back(), error);
  }
};

TEST_F(RunningSiteDialogTest, RefusedOkKeepsTheDialogAndItsInput) {
  WhileShown([this] {
    struct Refusal {
      const char *name, *url, *access, *error;
    };
    const Refusal refusals[] = {
        {"", "http://s/", "http://a/", "サイト名が入力されていません"},
        {"名前", "", "http://a/", "サイトURLが入力されていません"},
        {"名前", "http://s/", "", "アクセス解析URLが入力されていません"},
    };
    for (const Refusal& r : refusals) {
      SCOPED_TRACE(std::string("OK button: ") + r.error);
      Fill(r.name, r.url, r.access);
      dialogs.errors.clear();
      ClickWithPointer(SiteDialog().BitBtn1);
      ExpectStillOpenWith(r.name, r.url, r.access, r.error);
    }
    // For a look by eye: MORVANE_SHOTS names a folder for a picture of the refused form.
    if (const char* folder = std::getenv("MORVANE_SHOTS"))
      SaveWindowPicture(GTK_WIDGET(SiteDialog().gobj()), (std::string(folder) + "/site_dialog_refused_ok.png").c_str());
    // Enter in a box is the same OK: refused, the input stays; accepted, it is stored.
    ClickWithPointer(SiteDialog().edSiteURL);
    dialogs.errors.clear();
    PressKey(SiteDialog().edSiteURL, XK_Return);
    PumpUntil([this] { return !dialogs.errors.empty(); });
    ExpectStillOpenWith("名前", "http://s/", "", "アクセス解析URLが入力されていません");
    SiteDialog().edAccessURL.set_text("http://a/");
    PressKey(SiteDialog().edSiteURL, XK_Return);
    PumpUntil([this] { return !SiteDialog().get_visible(); });
  });
  W().tbAddSiteClick();
  EXPECT_FALSE(SiteDialog().get_visible());
  ASSERT_EQ(W().Catalogue().SiteList().Count(), 1);
  const SiteRecord stored = SiteFromLine(W().Catalogue().SiteList().Get(0));
  EXPECT_EQ(stored.SiteName, J("名前"));
  EXPECT_EQ(stored.AccessURL, "http://a/");
}

// 髙 and 纊 as the NEC-selected rows write them (EE E0, ED 40); a trip
// through UTF-8 gives the IBM rows' FB FC and FA 5C, which look the same.
class ExtensionRowTest : public RunningSiteDialogTest {
 protected:
  void SetUp() override {
    SiteCatalogue written(folder.Path());
    ASSERT_EQ(written.Tree().AddCategory(kCategory), AddCategoryResult::Added);
    written.SiteList().Add(FormatSiteLine(
        {kName, "http://taka.example/", kCategory, "2026/12/09 10:00:00", "http://vexa.example/taka", "id", "pw"}));
    ASSERT_TRUE(written.SaveSiteData());
    RunningSiteDialogTest::SetUp();
    W().ftSiteCategory.Click(W().Catalogue().Tree().FindByName(kCategory));
    Pump();
    W().lvSiteList.SelectRow(0);
  }
  // The site dialog opened with the real toolbar button, actions run in it.
  void EditWithPointer(const std::function<void()>& actions) {
    WhileShown(actions);
    ClickWithPointer(W().tbRenewsSite);
    PumpUntil([this] { return !SiteDialog().get_visible(); });
  }
  SiteRecord Stored() { return SiteFromLine(W().Catalogue().SiteList().Get(0)); }

  const std::string kCategory = "\xEE\xE0" + J("橋");
  const std::string kName = "\xED\x40" + J("の店");
};

TEST_F(ExtensionRowTest, AnUnchangedOkKeepsTheCatalogueBytes) {
  EditWithPointer([this] {
    EXPECT_EQ(SiteDialog().cbCategory.get_active_text(), "髙橋");
    ClickWithPointer(SiteDialog().BitBtn1);
  });
  EXPECT_EQ(Stored().Category, kCategory);
  EXPECT_EQ(Stored().SiteName, kName);
  EXPECT_EQ(W().Catalogue().SiteList().Count(), 1);

  // The category chosen afresh from the box is the tree's own; a typed name
  // takes the converter's form of the same characters.
  EditWithPointer([this] {
    SiteDialog().cbCategory.set_active(-1);
    ChooseCategory("髙橋");
    SiteDialog().edSiteName.set_text("纊の店 2");
    ClickWithPointer(SiteDialog().BitBtn1);
  });
  EXPECT_EQ(Stored().Category, kCategory);
  EXPECT_EQ(Stored().SiteName, J("纊の店 2"));
  EXPECT_EQ(W().Catalogue().Tree().FindByName(J("髙橋")), nullptr);  // no look-alike category appeared
  // Still shown under its category.
  EXPECT_EQ(Column(1), (std::vector<std::string>{"纊の店 2"}));
}

}  // namespace
}  // namespace morvane::testing
