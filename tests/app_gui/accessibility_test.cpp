// The windows as a screen reader finds them: boxes named by their captions,
// the views by what they show, the list's rows as they are after a change.
#include <atk/atk.h>
#include <glibmm/main.h>
#include <gtkmm/dialog.h>
#include <gtkmm/icontheme.h>
#include <gtkmm/toolbutton.h>

#include "app/gtk_dialogs.h"
#include "navi/gtk/browser_navi.h"
#include "support/accessibles.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

// The names of the accessible objects of one role under a widget, sorted.
std::vector<std::string> NamesOfRole(Gtk::Widget& top, AtkRole role) {
  std::vector<std::string> names;
  WalkAccessibles(GTK_WIDGET(top.gobj()), [&](AtkObject* object) {
    if (atk_object_get_role(object) == role) names.push_back(AccessibleName(object));
    return !ATK_IS_TABLE(object);  // a view's cells are its rows, not controls
  });
  std::sort(names.begin(), names.end());
  return names;
}

using Names = std::vector<std::string>;

TEST_F(WindowTest, EveryBoxIsReadOutUnderItsCaption) {
  OpenForms();
  EXPECT_EQ(NamesOfRole(SiteDialog(), ATK_ROLE_TEXT),
            (Names{"Vexa解析URL", "サイトURL", "サイト名", "ログインID", "登録日"}));
  EXPECT_EQ(NamesOfRole(SiteDialog(), ATK_ROLE_PASSWORD_TEXT), Names{"パスワード"});
  EXPECT_EQ(NamesOfRole(SiteDialog(), ATK_ROLE_COMBO_BOX), Names{"カテゴリ"});
  const Names buttons = NamesOfRole(SiteDialog(), ATK_ROLE_PUSH_BUTTON);
  EXPECT_NE(std::find(buttons.begin(), buttons.end(), "ブラウザURLをVexa解析URLに転送"), buttons.end());
  EXPECT_EQ(std::find(buttons.begin(), buttons.end(), "Down"), buttons.end());

  EXPECT_EQ(NamesOfRole(SettingsDialog(), ATK_ROLE_TEXT), (Names{"サービスURL", "ログインID"}));
  EXPECT_EQ(NamesOfRole(SettingsDialog(), ATK_ROLE_PASSWORD_TEXT), Names{"パスワード"});

  Names views = NamesOfRole(W(), ATK_ROLE_TREE_TABLE);
  for (const std::string& name : NamesOfRole(W(), ATK_ROLE_TABLE)) views.push_back(name);
  EXPECT_NE(std::find(views.begin(), views.end(), "カテゴリ"), views.end());
  EXPECT_NE(std::find(views.begin(), views.end(), "サイト一覧"), views.end());
  const Names boxes = NamesOfRole(W(), ATK_ROLE_TEXT);
  EXPECT_NE(std::find(boxes.begin(), boxes.end(), "サイトを検索"), boxes.end());
}

TEST_F(WindowTest, TheBrowserToolbarsControlsAreToldApart) {
  OpenForms();
  TfrBrowserNavi& navi = *W().frBrowserNavi1;
  Names all;
  for (AtkRole role : {ATK_ROLE_PUSH_BUTTON, ATK_ROLE_TOGGLE_BUTTON, ATK_ROLE_TEXT, ATK_ROLE_COMBO_BOX})
    for (const std::string& name : NamesOfRole(navi, role)) all.push_back(name);
  for (const char* name : {"読み込み待ちをスキップ", "URL", "ブラウズモード", "URLに飛ぶ（その他の移動とチェック）",
                           "リンクタグとリンク集", "中止"})
    EXPECT_NE(std::find(all.begin(), all.end(), name), all.end()) << name;
  for (const std::string& name : all) {
    EXPECT_FALSE(name.empty());
    EXPECT_NE(name, "Menu");
  }
  // The toolbar's stop and the link check's stop say what each stops.
  EXPECT_EQ(std::count(all.begin(), all.end(), "中止"), 1);
  EXPECT_NE(std::find(all.begin(), all.end(), "リンクの確認を中止"), all.end());
}

// Every toolbar button shows a picture the installed themes (or the program)
// have, and no two buttons show the same one.
TEST_F(WindowTest, EveryToolbarPictureExistsAndIsItsOwn) {
  OpenForms();
  std::vector<std::string> icons;
  for (Gtk::Toolbar* bar : {&W().ToolBar1, static_cast<Gtk::Toolbar*>(&W().frBrowserNavi1->tbToolBar)})
    for (Gtk::Widget* item : bar->get_children())
      if (auto* button = dynamic_cast<Gtk::ToolButton*>(item)) icons.push_back(button->get_icon_name());
  ASSERT_GE(icons.size(), 20u);
  for (const std::string& icon : icons) EXPECT_TRUE(Gtk::IconTheme::get_default()->has_icon(icon)) << icon;
  std::sort(icons.begin(), icons.end());
  EXPECT_EQ(std::adjacent_find(icons.begin(), icons.end()), icons.end());
}

// The one-line input and the choice boxes name their box by the prompt.
TEST(GtkUserDialogsTest, InputBoxesAreNamedByTheirPrompt) {
  GtkUserDialogs boxes;
  Names seen;
  const auto readThenCancel = [&seen](AtkRole role) {
    Glib::signal_timeout().connect_once(
        [&seen, role] {
          for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
            auto* box = dynamic_cast<Gtk::Dialog*>(w);
            if (!box || !box->get_visible()) continue;
            for (const std::string& name : NamesOfRole(*box, role)) seen.push_back(name);
            box->response(Gtk::RESPONSE_CANCEL);
          }
        },
        200);
  };
  readThenCancel(ATK_ROLE_TEXT);
  EXPECT_FALSE(boxes.InputText("新規カテゴリ作成", "カテゴリ名を入力してください", ""));
  readThenCancel(ATK_ROLE_COMBO_BOX);
  EXPECT_FALSE(boxes.ChooseItem("移動", "移動先", {"A", "B"}));
  EXPECT_EQ(seen, (Names{"カテゴリ名を入力してください", "移動先"}));
}

// A screen reader keeps what it was told about each row: after a site is
// deleted every row must read as the screen shows it.
TEST_F(WindowTest, ListRowsReadRightAfterADeletion) {
  OpenForms();
  for (const char* name : {"s0", "s1", "s2", "s3"}) AddSite(name, std::string("http://") + name + "/");
  AtkObject* table = nullptr;
  WalkAccessibles(GTK_WIDGET(W().gobj()), [&](AtkObject* object) {
    if (!table && ATK_IS_TABLE(object) && AccessibleName(object) == "サイト一覧") table = object;
    return !table;
  });
  ASSERT_NE(table, nullptr);
  PumpFor(100);
  const auto rows = [table] {
    Names read;
    for (int row = 0; row < atk_table_get_n_rows(ATK_TABLE(table)); ++row) {
      std::string line;
      for (int column : {0, 1, 2}) {
        AtkObject* cell = atk_table_ref_at(ATK_TABLE(table), row, column);
        const char* text = cell ? atk_object_get_name(cell) : nullptr;
        line += std::string(text ? text : "?") + (column < 2 ? " " : "");
        if (cell) g_object_unref(cell);
      }
      read.push_back(line);
    }
    return read;
  };
  ASSERT_EQ(rows(), (Names{"1 s0 http://s0/", "2 s1 http://s1/", "3 s2 http://s2/", "4 s3 http://s3/"}));

  W().lvSiteList.SelectRow(1);
  dialogs.yesNoAnswers.push_back(true);
  W().tbDeleteSiteClick();
  PumpFor(100);
  EXPECT_EQ(rows(), (Names{"1 s0 http://s0/", "2 s2 http://s2/", "3 s3 http://s3/"}));
}

}  // namespace
}  // namespace morvane::testing
