#include "app/long_list_chooser.h"

#include <gtkmm/box.h>
#include <gtkmm/dialog.h>
#include <gtkmm/label.h>
#include <gtkmm/liststore.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/searchentry.h>
#include <gtkmm/treeview.h>

#include <glib.h>

#include "app/accessible_names.h"

namespace morvane {
namespace {

constexpr std::string_view kIndent = "\u3000";

enum Column { kShown, kSearched, kColumns };

std::string_view WithoutIndent(std::string_view item) {
  while (item.starts_with(kIndent)) item.remove_prefix(kIndent.size());
  return item;
}

// Case-folded once per row when the store is filled, not on every key.
std::string Folded(std::string_view text) {
  gchar* folded = g_utf8_casefold(text.data(), static_cast<gssize>(text.size()));
  std::string out(folded ? folded : "");
  g_free(folded);
  return out;
}

// GTK asks "not equal?": false stops the search at the row.
gboolean RowLacksKey(GtkTreeModel* model, gint column, const gchar* key, GtkTreeIter* iter, gpointer) {
  gchar* text = nullptr;
  gtk_tree_model_get(model, iter, column, &text, -1);
  const std::string wanted = Folded(key ? key : "");
  const bool holds = text && std::string_view(text).find(wanted) != std::string_view::npos;
  g_free(text);
  return !holds;
}

}  // namespace

std::optional<std::size_t> ChooseFromLongListBox(Gtk::Window* parent, std::string_view caption, std::string_view prompt,
                                                 const std::vector<std::string>& items) {
  if (items.empty()) return std::nullopt;
  // Filled through the C calls before the view sees it: one call a row and
  // no signal to a view, which keeps a hundred thousand rows quick.
  GtkListStore* store = gtk_list_store_new(kColumns, G_TYPE_STRING, G_TYPE_STRING);
  for (const std::string& item : items) {
    const std::string searched = Folded(WithoutIndent(item));
    gtk_list_store_insert_with_values(store, nullptr, -1, kShown, item.c_str(), kSearched, searched.c_str(), -1);
  }
  Glib::RefPtr<Gtk::ListStore> model = Glib::wrap(store);

  Gtk::Dialog box(Glib::ustring(std::string(caption)), true);
  if (parent) box.set_transient_for(*parent);
  box.set_position(parent ? Gtk::WIN_POS_CENTER_ON_PARENT : Gtk::WIN_POS_CENTER);
  box.set_default_size(420, 480);
  Gtk::Label label(Glib::ustring(std::string(prompt)), Gtk::ALIGN_START, Gtk::ALIGN_CENTER);
  Gtk::SearchEntry search;
  search.set_placeholder_text("フォルダ名で探す");
  Gtk::TreeView list;
  list.set_headers_visible(false);
  auto* cell = Gtk::manage(new Gtk::CellRendererText());
  auto* column = Gtk::manage(new Gtk::TreeViewColumn("", *cell));
  column->add_attribute(*cell, "text", kShown);
  column->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
  list.append_column(*column);
  // Rows of one height are never measured one by one.
  list.set_fixed_height_mode(true);
  list.set_model(model);
  list.set_search_column(kSearched);
  list.set_search_entry(search);
  gtk_tree_view_set_search_equal_func(list.gobj(), RowLacksKey, nullptr, nullptr);
  LabelFor(label, list);
  list.get_selection()->select(model->children().begin());
  // A double click or Enter on a row chooses it.
  list.signal_row_activated().connect(
      [&box](const Gtk::TreeModel::Path&, Gtk::TreeViewColumn*) { box.response(Gtk::RESPONSE_OK); });
  search.signal_activate().connect([&box] { box.response(Gtk::RESPONSE_OK); });

  Gtk::ScrolledWindow scroll;
  scroll.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  scroll.set_shadow_type(Gtk::SHADOW_IN);
  scroll.add(list);
  Gtk::Box* area = box.get_content_area();
  area->set_spacing(6);
  area->set_border_width(10);
  area->pack_start(label, Gtk::PACK_SHRINK);
  area->pack_start(search, Gtk::PACK_SHRINK);
  area->pack_start(scroll, Gtk::PACK_EXPAND_WIDGET);
  box.add_button("OK", Gtk::RESPONSE_OK);
  box.add_button("キャンセル", Gtk::RESPONSE_CANCEL);
  box.set_default_response(Gtk::RESPONSE_OK);
  box.show_all();
  list.grab_focus();
  if (box.run() != Gtk::RESPONSE_OK) return std::nullopt;
  const Gtk::TreeModel::iterator chosen = list.get_selection()->get_selected();
  if (!chosen) return std::nullopt;
  return static_cast<std::size_t>(model->get_path(chosen)[0]);
}

}  // namespace morvane
