// Text that fits in the font in use: the site list's columns, the site
// dialog with a long category name, the box that shows a password.
#include <glibmm/main.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/messagedialog.h>

#include <cstdlib>

#include "app/gtk_dialogs.h"
#include "support/window_picture.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

constexpr const char* kColumns =
    "No:40 サイト名:150 URL:150 カテゴリ:100 登録日付:120 解析URL:120 LoginID:80 LoginPass:80";

// Saves a picture of the window into the folder MORVANE_SHOTS names, if any.
void ShotFor(Gtk::Widget& window, const char* name) {
  if (const char* folder = std::getenv("MORVANE_SHOTS"))
    SaveWindowPicture(GTK_WIDGET(window.gobj()), (std::string(folder) + "/" + name).c_str());
}

TEST_F(WindowTest, ColumnsFitAUsualRowInTheFontInUse) {
  OpenForms();
  AddSite("アクセス解析のサイト名", "http://www.example.com/");
  auto* view = dynamic_cast<Gtk::TreeView*>(W().lvSiteList.get_child());
  ASSERT_NE(view, nullptr);
  const int designed[] = {40, 150, 150, 100, 120, 120, 80, 80};
  int separator = 0;
  view->get_style_property("horizontal-separator", separator);
  int dateWidth[2] = {};
  for (int size : {0, 1}) {
    SCOPED_TRACE(size ? "a large font" : "the desktop's font");
    if (size) {
      auto css = Gtk::CssProvider::create();
      css->load_from_data("treeview { font-size: 20px; }");
      view->get_style_context()->add_provider(css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
      PumpFor(100);
      W().lvSiteList.SetupColumns(kColumns);
    }
    int index = 0;
    for (Gtk::TreeViewColumn* column : view->get_columns()) {
      column->cell_set_cell_data(view->get_model(), view->get_model()->children().begin(), false, false);
      int x = 0, y = 0, needed = 0, height = 0;
      gtk_tree_view_column_cell_get_size(column->gobj(), nullptr, &x, &y, &needed, &height);
      // The date, the number and the password mark are never cut.
      if (index == 0 || index == 4 || index == 7) {
        EXPECT_GE(column->get_fixed_width() - separator, needed) << index;
      }
      EXPECT_GE(column->get_fixed_width(), designed[index]) << index;
      ++index;
    }
    dateWidth[size] = view->get_column(4)->get_fixed_width();
  }
  EXPECT_GT(dateWidth[1], dateWidth[0]);
}

TEST_F(WindowTest, ALongCategoryNameDoesNotWidenTheSiteDialog) {
  OpenForms();
  int plain = 0, withLong = 0, minimum = 0;
  SiteDialog().SetCategoryItems(J("旅\r\n本"));
  SiteDialog().FillCategoryChoices();
  SiteDialog().get_preferred_width(minimum, plain);
  SiteDialog().SetCategoryItems(J("旅\r\n") + std::string(60, 'W') + J("とても長いカテゴリの名前"));
  SiteDialog().FillCategoryChoices();
  SiteDialog().cbCategory.set_active(1);
  SiteDialog().get_preferred_width(minimum, withLong);
  EXPECT_LE(withLong, plain + 120);
  EXPECT_LT(withLong, 560);
  SiteDialog().show();
  PumpUntil([this] { return SiteDialog().get_mapped(); });
  PumpFor(200);
  ShotFor(SiteDialog(), "site_dialog_long_category.png");
  SiteDialog().hide();
}

// A message box draws its heading bold through the label's attributes.
bool HasBoldAttribute(Gtk::Label& label) {
  PangoAttrList* list = gtk_label_get_attributes(label.gobj());
  if (!list) return false;
  PangoAttrIterator* it = pango_attr_list_get_iterator(list);
  const PangoAttribute* weight = pango_attr_iterator_get(it, PANGO_ATTR_WEIGHT);
  const bool bold = weight && reinterpret_cast<const PangoAttrInt*>(weight)->value >= PANGO_WEIGHT_BOLD;
  pango_attr_iterator_destroy(it);
  return bold;
}

TEST(GtkUserDialogsTest, AShownPasswordIsPlainTextInABoxOfReadableWidth) {
  GtkUserDialogs boxes;
  bool bold = true;
  int width = 0;
  Glib::signal_timeout().connect_once(
      [&] {
        for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
          auto* box = dynamic_cast<Gtk::MessageDialog*>(w);
          if (!box || !box->get_visible()) continue;
          PumpFor(200);
          width = box->get_allocated_width();
          // The message's label: the only one in the box, holding the text.
          std::function<void(Gtk::Widget&)> find = [&](Gtk::Widget& widget) {
            if (auto* label = dynamic_cast<Gtk::Label*>(&widget); label && label->get_text() == "s3cr&t<1>")
              bold = HasBoldAttribute(*label);
            if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
              for (Gtk::Widget* child : container->get_children()) find(*child);
          };
          find(*box);
          ShotFor(*box, "password_box.png");
          box->response(Gtk::RESPONSE_OK);
        }
      },
      200);
  boxes.ShowMessage("s3cr&t<1>");
  EXPECT_FALSE(bold);
  EXPECT_GE(width, 300);
}

}  // namespace
}  // namespace morvane::testing
