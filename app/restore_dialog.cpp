#include "app/restore_dialog.h"

#include <gtkmm/box.h>

#include <cstdio>

#include "app/accessible_names.h"

namespace morvane {

RestoreDialog::Columns::Columns() {
  add(time);
  add(kind);
  add(sites);
  add(categories);
  add(size);
  add(loadable);
}

std::string ShownFileSize(std::uintmax_t bytes) {
  char text[32];
  if (bytes < 1024) return std::to_string(bytes) + " B";
  const double kb = static_cast<double>(bytes) / 1024.0;
  if (kb < 1024) {
    std::snprintf(text, sizeof text, "%.1f KB", kb);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", kb / 1024.0);
  }
  return text;
}

RestoreDialog::RestoreDialog(Gtk::Window* parent, const std::vector<RestoreChoice>& choices)
    : Gtk::Dialog("バックアップから戻す", true),
      lbPrompt("戻すバックアップを選んでください（新しい順）", Gtk::ALIGN_START, Gtk::ALIGN_CENTER) {
  if (parent) set_transient_for(*parent);
  set_position(parent ? Gtk::WIN_POS_CENTER_ON_PARENT : Gtk::WIN_POS_CENTER);
  set_default_size(620, 360);
  store_ = Gtk::ListStore::create(columns_);
  for (const RestoreChoice& c : choices) {
    Gtk::TreeModel::Row row = *store_->append();
    row[columns_.time] = c.time;
    row[columns_.kind] = c.kind;
    row[columns_.sites] = c.loadable ? std::to_string(c.sites) + " 件" : "読み込めません（ファイル形式が異なります）";
    row[columns_.categories] = c.loadable ? std::to_string(c.categories) + " 件" : "";
    row[columns_.size] = ShownFileSize(c.size);
    row[columns_.loadable] = c.loadable;
  }
  lvBackups.set_model(store_);
  const std::pair<const char*, Gtk::TreeModelColumn<Glib::ustring>*> shown[] = {{"日時", &columns_.time},
                                                                                {"種類", &columns_.kind},
                                                                                {"サイト数", &columns_.sites},
                                                                                {"カテゴリ数", &columns_.categories},
                                                                                {"サイズ", &columns_.size}};
  for (const auto& [title, column] : shown) {
    auto* cell = Gtk::manage(new Gtk::CellRendererText());
    auto* view = Gtk::manage(new Gtk::TreeViewColumn(title, *cell));
    view->add_attribute(cell->property_text(), *column);
    // A backup that does not load is greyed out.
    view->add_attribute(cell->property_sensitive(), columns_.loadable);
    lvBackups.append_column(*view);
  }
  lvBackups.get_selection()->set_select_function(
      [this](const Glib::RefPtr<Gtk::TreeModel>&, const Gtk::TreeModel::Path& path, bool selected) {
        return selected || bool((*store_->get_iter(path))[columns_.loadable]);
      });
  lvBackups.get_selection()->signal_changed().connect(sigc::mem_fun(*this, &RestoreDialog::SelectionChanged));
  lvBackups.signal_row_activated().connect([this](const Gtk::TreeModel::Path&, Gtk::TreeViewColumn*) {
    if (Chosen()) response(Gtk::RESPONSE_OK);
  });
  LabelFor(lbPrompt, lvBackups);

  scroll_.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  scroll_.set_shadow_type(Gtk::SHADOW_IN);
  scroll_.add(lvBackups);
  Gtk::Box* area = get_content_area();
  area->set_spacing(6);
  area->set_border_width(10);
  area->pack_start(lbPrompt, Gtk::PACK_SHRINK);
  area->pack_start(scroll_, Gtk::PACK_EXPAND_WIDGET);
  btRestore = add_button("戻す", Gtk::RESPONSE_OK);
  btCancel = add_button("キャンセル", Gtk::RESPONSE_CANCEL);
  set_default_response(Gtk::RESPONSE_CANCEL);
  // The newest backup that loads is chosen when the box opens.
  for (const auto& row : store_->children())
    if (row[columns_.loadable]) {
      lvBackups.get_selection()->select(row);
      break;
    }
  SelectionChanged();
  show_all_children();
}

std::optional<std::size_t> RestoreDialog::Chosen() const {
  const Gtk::TreeModel::iterator it = const_cast<Gtk::TreeView&>(lvBackups).get_selection()->get_selected();
  if (!it || !bool((*it)[columns_.loadable])) return std::nullopt;
  return static_cast<std::size_t>(store_->get_path(it)[0]);
}

void RestoreDialog::SelectionChanged() {
  if (btRestore) btRestore->set_sensitive(Chosen().has_value());
}

}  // namespace morvane
