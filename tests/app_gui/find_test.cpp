// The filter box and the sortable columns: the list shows fewer sites or
// another order, and every action on the selected row still reaches the site
// that row shows.
#include <gdk/gdkkeysyms.h>
#include "support/window_picture.h"

#include <cstdlib>

#include "catalogue/site_record.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

// A key pressed while widget's window has the focus, delivered as GTK would.
void PressKey(Gtk::Widget& widget, guint keyval, GdkModifierType state) {
  GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
  event->key.window = GDK_WINDOW(g_object_ref(widget.get_window()->gobj()));
  event->key.keyval = keyval;
  event->key.state = state;
  event->key.time = GDK_CURRENT_TIME;
  gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
  gtk_widget_event(widget.gobj(), event);
  gdk_event_free(event);
}

class FindTest : public WindowTest {
 protected:
  void SetUp() override {
    OpenForms();
    AddSite("alpha", "http://a/");
    AddSite("beta", "http://b/");
    AddSite("Alphabet", "http://c/");
    SelectCategory("すべてのサイト");
  }
  std::vector<std::string> Urls() {
    std::vector<std::string> urls;
    for (const std::string& line : W().Catalogue().SiteList().Lines()) urls.push_back(std::string(SiteURLOfLine(line)));
    return urls;
  }
  // The site dialog opened on the selected row: its name, then renamed.
  std::string EditSelected(std::string_view newName) {
    std::string shown;
    forms_.steps.push_back([&, newName](Gtk::Dialog&) {
      shown = SiteDialog().edSiteName.get_text().raw();
      SiteDialog().edSiteName.set_text(Glib::ustring(std::string(newName)));
      SiteDialog().BitBtn1Click();
    });
    W().tbRenewsSiteClick();
    return shown;
  }
};

TEST_F(FindTest, FilteredListEditsAndDeletesTheSiteItShows) {
  EXPECT_EQ(W().edFilter.get_placeholder_text(), "サイトを検索");
  W().edFilter.set_text("ＡＬＰ");  // full-width, upper case
  EXPECT_EQ(Column(1), (std::vector<std::string>{"alpha", "Alphabet"}));
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(W().StatusText(), "2 / 3");

  W().lvSiteList.SelectRow(1);
  EXPECT_EQ(EditSelected("Alphabet soup"), "Alphabet");
  EXPECT_EQ(SiteFromLine(W().Catalogue().SiteList().Get(2)).SiteName, "Alphabet soup");
  EXPECT_EQ(SiteFromLine(W().Catalogue().SiteList().Get(1)).SiteName, "beta");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"alpha", "Alphabet soup"}));  // still filtered

  W().lvSiteList.SelectRow(0);
  dialogs.yesNoAnswers.push_back(true);
  W().tbDeleteSiteClick();
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://b/", "http://c/"}));
  EXPECT_EQ(dialogs.questions.back().find("[alpha]") != std::string::npos, true);
}

TEST_F(FindTest, SortedListEditsAndDeletesTheSiteItShows) {
  W().lvSiteList.ClickHeader(1);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"alpha", "Alphabet", "beta"}));
  W().lvSiteList.ClickHeader(1);  // again: the other way
  EXPECT_EQ(Column(1), (std::vector<std::string>{"beta", "Alphabet", "alpha"}));
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3"}));

  W().lvSiteList.SelectRow(1);
  EXPECT_EQ(EditSelected("Alphabet2"), "Alphabet");
  EXPECT_EQ(SiteFromLine(W().Catalogue().SiteList().Get(2)).SiteName, "Alphabet2");
  W().lvSiteList.SelectRow(0);
  dialogs.yesNoAnswers.push_back(true);
  W().tbDeleteSiteClick();
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://a/", "http://c/"}));
  // The site list itself never took the shown order.
  W().lvSiteList.ClickHeader(0);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"alpha", "Alphabet2"}));
}

TEST_F(FindTest, KeysFocusAndClearTheBoxKeepingTheSelectedSite) {
  W().edFilter.set_text("alph");
  W().lvSiteList.SelectRow(1);  // Alphabet
  W().lvSiteList.GrabFocus();
  PressKey(W(), GDK_KEY_f, GDK_CONTROL_MASK);
  ASSERT_TRUE(PumpUntil([this] { return W().edFilter.has_focus(); }));
  PressKey(W().edFilter, GDK_KEY_Escape, GdkModifierType(0));
  ASSERT_TRUE(PumpUntil([this] { return W().edFilter.get_text().empty(); }));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"alpha", "beta", "Alphabet"}));
  EXPECT_EQ(W().lvSiteList.SelectedRow(), 2);
  EXPECT_EQ(W().StatusText(), "3 / 3");
  // The count follows the list to another entry.
  W().Catalogue().Tree().AddCategory(J("空"));
  W().ShowEntry(J("空"));
  EXPECT_EQ(W().StatusText(), "0 / 0");
}

TEST_F(FindTest, HalfWidthKanaFindsFullWidthAsItIsTyped) {
  AddSite("デイリーニュース", "http://news.example/");
  AddSite("ﾆｭｰｽ速報", "http://fast.example/");
  AddSite("にゅーす", "http://hiragana.example/");
  SelectCategory("すべてのサイト");
  // One character at a time, as an input method commits them into the box.
  int position = 0;
  for (const char* typed : {"ﾆ", "ｭ", "ｰ", "ｽ"}) {
    W().edFilter.insert_text(typed, -1, position);
    Pump();
  }
  EXPECT_EQ(W().edFilter.get_text(), "ﾆｭｰｽ");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"デイリーニュース", "ﾆｭｰｽ速報"}));
  EXPECT_EQ(W().StatusText(), "2 / 6");
  if (const char* folder = std::getenv("MORVANE_SHOTS")) {
    PumpFor(500);  // painted first
    SaveWindowPicture(GTK_WIDGET(W().gobj()), (std::string(folder) + "/filter_kana.png").c_str());
  }
  // Full-width typed finds the half-width name too; sounded marks count.
  W().edFilter.set_text("ニュース速");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"ﾆｭｰｽ速報"}));
  W().edFilter.set_text("ﾃﾞｲﾘｰ");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"デイリーニュース"}));
}

// Not a check: with MORVANE_LIST_SCREENSHOT=<file.png> set, leaves a picture
// of the filtered, sorted list for the README.
TEST_F(FindTest, Screenshot) {
  const char* file = g_getenv("MORVANE_LIST_SCREENSHOT");
  if (!file) GTEST_SKIP() << "MORVANE_LIST_SCREENSHOT not set";
  AddCategory("旅行");
  for (const char* name : {"旅の記録 2024", "旅の記録 9", "旅の記録 10", "Travel notes", "旅館ガイド"})
    AddSite(name, std::string("http://") + std::to_string(std::hash<std::string>()(name) % 1000) + ".example.jp/",
            "旅行");
  SelectCategory("すべてのサイト");
  W().edFilter.set_text("旅");
  W().lvSiteList.ClickHeader(1);
  W().lvSiteList.ClickHeader(1);
  W().lvSiteList.SelectRow(1);
  W().move(0, 0);
  PumpFor(1500);
  EXPECT_TRUE(SaveWindowPicture(GTK_WIDGET(W().gobj()), file));
}

}  // namespace
}  // namespace morvane::testing
