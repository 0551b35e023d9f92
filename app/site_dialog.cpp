#include "app/site_dialog.h"

#include <gtk/gtk.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/image.h>

#include "app/accessible_names.h"
#include "app/modal_runner.h"
#include "catalogue/site_defaults.h"
#include "util/cp932.h"
#include "util/text_routines.h"
#include "util/user_dialogs.h"

namespace morvane {
namespace {

void Place(Gtk::Grid& grid, Gtk::Label& label, const char* caption, Gtk::Widget& field, int row, int column,
           int width) {
  label.set_text(caption);
  label.set_xalign(0.0f);
  LabelFor(label, field);
  grid.attach(label, column, row);
  grid.attach(field, column + 1, row, width);
}

}  // namespace

TForm2::TForm2() {
  set_title("サイト登録フォーム");
  set_type_hint(Gdk::WINDOW_TYPE_HINT_UTILITY);
  set_resizable(false);
  set_modal(true);
  set_default_size(470, -1);

  grid_.set_row_spacing(4);
  grid_.set_column_spacing(6);
  grid_.set_border_width(8);
  // Three field columns: wide boxes span them, the pairs share a row.
  Place(grid_, lbSiteName_, "サイト名", edSiteName, 0, 0, 4);
  Place(grid_, lbSiteURL_, "サイトURL", edSiteURL, 1, 0, 4);
  Place(grid_, lbCategory_, "カテゴリ", cbCategory, 2, 0, 1);
  Place(grid_, lbRegistDate_, "登録日", edRegistDate, 2, 2, 1);
  grid_.attach(SpeedButton1, 4, 2);
  Place(grid_, lbAccessURL_, "Vexa解析URL", edAccessURL, 3, 0, 4);
  Place(grid_, lbLoginID_, "ログインID", edLoginID, 4, 0, 1);
  Place(grid_, lbLoginPass_, "パスワード", edLoginPass, 4, 2, 2);
  // Narrow natural widths keep the dialog near its designed size; the long
  // boxes take whatever room the row has.
  for (Gtk::Entry* e : {&edSiteName, &edSiteURL, &edAccessURL, &edLoginID, &edLoginPass}) {
    e->set_width_chars(8);
    e->set_hexpand(true);
    e->set_activates_default(true);
  }
  cbCategory.set_hexpand(true);
  // The box would measure every category for its width at each size request
  // of the dialog (seconds with thousands of them); it takes the width the
  // row gives it instead.
  if (auto* shown = GTK_CELL_VIEW(gtk_bin_get_child(GTK_BIN(cbCategory.gobj()))))
    gtk_cell_view_set_fit_model(shown, FALSE);
  // A long category name ends in "…" rather than widening the dialog.
  for (Gtk::CellRenderer* cell : cbCategory.get_cells()) {
    if (auto* text = dynamic_cast<Gtk::CellRendererText*>(cell)) {
      text->property_ellipsize() = Pango::ELLIPSIZE_END;
      text->property_max_width_chars() = 14;
    }
  }
  edLoginPass.set_visibility(false);
  edLoginPass.set_invisible_char('*');

  // Shown, not typed into: no tab stop, the tooltip background.
  edRegistDate.set_editable(false);
  edRegistDate.set_can_focus(false);
  edRegistDate.set_width_chars(17);
  auto css = Gtk::CssProvider::create();
  css->load_from_data("entry { background: #ffffe1; color: #000000; }");
  edRegistDate.get_style_context()->add_provider(css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

  SpeedButton1.set_image_from_icon_name("go-down-symbolic", Gtk::ICON_SIZE_MENU);
  SpeedButton1.set_tooltip_text("ブラウザURLをVexa解析URLに転送");
  SetAccessibleName(SpeedButton1, SpeedButton1.get_tooltip_text());  // not the arrow's "Down"
  SpeedButton1.set_can_focus(false);
  SpeedButton1.set_relief(Gtk::RELIEF_NONE);
  SpeedButton1.signal_clicked().connect(sigc::mem_fun(*this, &TForm2::SpeedButton1Click));

  edSiteURL.add_events(Gdk::BUTTON_PRESS_MASK);
  edSiteURL.signal_button_press_event().connect(
      [this](GdkEventButton* event) {
        if (event->type == GDK_2BUTTON_PRESS && event->button == 1) edSiteURLDblClick();
        return false;
      },
      false);

  get_content_area()->pack_start(grid_, Gtk::PACK_EXPAND_WIDGET);
  BitBtn1.set_label("OK");
  BitBtn2.set_label("Cancel");
  BitBtn1.set_can_default(true);
  // OK is no action widget: a dialog's action widget answers (and ends the
  // run) before its own click handler could refuse. It answers after the
  // input passed its checks.
  get_action_area()->pack_end(BitBtn1, Gtk::PACK_SHRINK);
  add_action_widget(BitBtn2, Gtk::RESPONSE_CANCEL);
  BitBtn1.grab_default();
  BitBtn1.signal_clicked().connect(sigc::mem_fun(*this, &TForm2::BitBtn1Click));
  get_content_area()->show_all();
  get_action_area()->show_all();
}

void TForm2::FollowCategories(const CategoryTree& tree, const CatalogueEvents& events) {
  SetCategoryItems(tree.CategoryListText());
  treeChanged_ = events.treeChanged.Subscribe([this, &tree](TreeChange) { SetCategoryItems(tree.CategoryListText()); });
}

void TForm2::SetCategoryItems(std::string_view categoryListText) {
  LineList lines;
  lines.SetText(categoryListText);
  categoryItems_ = lines.Lines();
  choicesStale_ = true;
  if (get_visible()) FillCategoryChoices();
}

void TForm2::FillCategoryChoices() {
  if (!choicesStale_) return;
  choicesStale_ = false;
  // Filled before the box sees it: the box's menu looks for its place among
  // all its items on every row added to a model it shows, which made
  // thousands of categories take minutes.
  auto choices = Gtk::ListStore::create(choiceColumns_);
  for (const std::string& name : categoryItems_) (*choices->append())[choiceColumns_.text] = Cp932ToUtf8(name);
  cbCategory.set_model(choices);
}

void TForm2::SetText(Gtk::Entry& e, std::string_view cp932) {
  Filled& filled = filled_[&e];
  filled.cp932 = cp932;
  filled.utf8 = Cp932ToUtf8(cp932);
  e.set_text(filled.utf8);
}

// CP932 has characters with two byte forms (the NEC and IBM rows); a trip
// through UTF-8 picks one. A box left as it was filled gives back the bytes
// it was filled with, so a site keeps its category and texts byte for byte.
std::string TForm2::Text(const Gtk::Entry& e, bool address) const {
  const std::string shown = e.get_text().raw();
  const auto it = filled_.find(&e);
  if (it != filled_.end() && it->second.utf8 == shown) return it->second.cp932;
  return address ? Utf8URLToCp932(shown) : Utf8ToCp932(shown);
}

std::string TForm2::BrowserURL() const { return browser_.locationURL ? browser_.locationURL() : std::string(); }

void TForm2::ResetForNewSite() {
  FillCategoryChoices();
  SetText(edSiteName, DefaultSiteName(browser_.htmlSource ? browser_.htmlSource() : std::string()));
  SetText(edSiteURL, "");
  SetText(edRegistDate, RegistDateNow());
  SetText(edAccessURL, BrowserURL());
  SetText(edLoginID, "");
  SetText(edLoginPass, "");
  cbCategory.set_active(-1);
}

void TForm2::FillFrom(const SiteRecord& rec) {
  FillCategoryChoices();
  SetText(edSiteName, rec.SiteName);
  SetText(edSiteURL, rec.SiteURL);
  SetText(edRegistDate, rec.RegistDate);
  SetText(edAccessURL, rec.AccessURL);
  SetText(edLoginID, rec.LoginID);
  SetText(edLoginPass, rec.LoginPass);
  // The first item equal to the category ignoring letter case, as a list box
  // searches; an item of the very same bytes first, as two byte forms of
  // one character look alike.
  const Glib::ustring wanted = Glib::ustring(Cp932ToUtf8(rec.Category)).casefold();
  int found = -1;
  for (std::size_t k = 0; found < 0 && k < categoryItems_.size(); ++k)
    if (!rec.Category.empty() && categoryItems_[k] == rec.Category) found = static_cast<int>(k);
  auto model = cbCategory.get_model();
  int i = 0;
  for (auto it = model->children().begin(); found < 0 && it != model->children().end(); ++it, ++i) {
    Glib::ustring item;
    it->get_value(0, item);
    if (item.casefold() == wanted) found = i;
  }
  cbCategory.set_active(found);
}

bool TForm2::ShowModal() {
  FillCategoryChoices();
  return RunModal(*this) == Gtk::RESPONSE_OK;
}

void TForm2::BitBtn1Click() {
  // Line breaks and tabs would break the site line; a pasted value loses them.
  SiteRec.SiteName = CleanSiteField(Text(edSiteName, false));
  SiteRec.SiteURL = CleanSiteField(Text(edSiteURL, true));
  SiteRec.AccessURL = CleanSiteField(Text(edAccessURL, true));
  SiteRec.LoginID = CleanSiteField(Text(edLoginID, false));
  SiteRec.LoginPass = CleanSiteField(Text(edLoginPass, false));
  // The category as the tree's own list holds it.
  const int chosen = cbCategory.get_active_row_number();
  SiteRec.Category = chosen >= 0 && static_cast<std::size_t>(chosen) < categoryItems_.size()
                         ? categoryItems_[static_cast<std::size_t>(chosen)]
                         : std::string();
  // Shown, not typed, but it comes from the site's own line.
  SiteRec.RegistDate = FlattenField(Text(edRegistDate, false));
  const std::string message = CheckSiteInput(SiteRec);
  if (!ShowErrorUnless(Cp932ToUtf8(message), message.empty())) return;
  response(Gtk::RESPONSE_OK);
}

void TForm2::edSiteURLDblClick() { SetText(edSiteURL, BrowserURL()); }

void TForm2::SpeedButton1Click() { SetText(edAccessURL, BrowserURL()); }

}  // namespace morvane
