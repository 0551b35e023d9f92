#include "app/category_tree_view.h"

#include <gtkmm/cellrendererpixbuf.h>
#include <gtkmm/cellrenderertext.h>

#include <functional>
#include <set>

#include "app/image_list.h"
#include "util/cp932.h"

namespace morvane {

CategoryTreeView::CategoryTreeView(CategoryTree& tree) : tree_(tree) {
  store_ = Gtk::TreeStore::create(columns_);
  view_.set_model(store_);
  view_.set_headers_visible(false);
  view_.set_enable_search(false);
  view_.set_level_indentation(0);
  BuildColumn();
  view_.get_selection()->set_mode(Gtk::SELECTION_BROWSE);
  view_.get_selection()->signal_changed().connect([this] {
    view_.queue_draw();
    if (following_) return;
    Gtk::TreeModel::iterator it = view_.get_selection()->get_selected();
    tree_.Select(it ? EntryAt(store_->get_path(it)) : nullptr);
    entrySelected_.emit();
  });
  ConnectDragAndDrop();
  miCheckCategoryLogin.set_label("ログインを確認する");
  PopupMenu2.append(miCheckCategoryLogin);
  miCheckCategoryHealth.set_label("サイトの状態を確認する");
  PopupMenu2.append(miCheckCategoryHealth);
  PopupMenu2.attach_to_widget(view_);
  PopupMenu2.show_all();
  view_.signal_button_press_event().connect([this](GdkEventButton* e) { return PopUpOnRightClick(e, PopupMenu2); },
                                            false);
}

void CategoryTreeView::BuildColumn() {
  auto* column = Gtk::manage(new Gtk::TreeViewColumn());
  auto* icon = Gtk::manage(new Gtk::CellRendererPixbuf());
  auto* text = Gtk::manage(new Gtk::CellRendererText());
  column->pack_start(*icon, false);
  column->pack_start(*text, true);
  column->add_attribute(text->property_text(), columns_.name);
  // A selected entry shows its selected image.
  column->set_cell_data_func(*icon, [this, icon](Gtk::CellRenderer*, const Gtk::TreeModel::iterator& it) {
    const bool selected = view_.get_selection()->is_selected(it);
    icon->property_pixbuf() = TreeImage((*it)[selected ? columns_.selectedImage : columns_.image]);
  });
  view_.append_column(*column);
}

void CategoryTreeView::Rebuild(bool expandAll) {
  following_ = true;
  std::set<Glib::ustring> folded;
  if (!expandAll) {
    store_->foreach_path([&](const Gtk::TreeModel::Path& path) {
      const auto it = store_->get_iter(path);
      if (!it->children().empty() && !view_.row_expanded(path)) folded.insert((*it)[columns_.name]);
      return false;
    });
  }
  store_->clear();
  const std::function<void(const TreeEntry&, const Gtk::TreeModel::Row*)> add = [&](const TreeEntry& e,
                                                                                     const Gtk::TreeModel::Row* parent) {
    Gtk::TreeModel::Row row = parent ? *store_->append(parent->children()) : *store_->append();
    row[columns_.name] = Cp932ToUtf8(e.name);
    row[columns_.image] = e.image;
    row[columns_.selectedImage] = e.selectedImage;
    for (const auto& child : e.children) add(*child, &row);
  };
  for (const auto& root : tree_.Roots()) add(*root, nullptr);
  view_.expand_all();
  if (!folded.empty()) {
    store_->foreach_path([&](const Gtk::TreeModel::Path& path) {
      if (folded.count((*store_->get_iter(path))[columns_.name])) view_.collapse_row(path);
      return false;
    });
  }
  SelectEntry(tree_.Selected());
  following_ = false;
}

void CategoryTreeView::SelectEntry(const TreeEntry* entry) {
  const bool wasFollowing = following_;
  following_ = true;
  tree_.Select(const_cast<TreeEntry*>(entry));
  if (entry) {
    const Gtk::TreeModel::Path path = PathOf(entry);
    view_.expand_to_path(path);
    view_.set_cursor(path);
  } else {
    view_.get_selection()->unselect_all();
  }
  following_ = wasFollowing;
}

void CategoryTreeView::Click(const TreeEntry* entry) {
  if (entry) view_.get_selection()->select(PathOf(entry));
}

Gtk::TreeModel::Path CategoryTreeView::PathOf(const TreeEntry* entry) const {
  Gtk::TreeModel::Path path;
  if (entry)
    for (int i : tree_.PathOf(entry)) path.push_back(i);
  return path;
}

TreeEntry* CategoryTreeView::EntryAt(const Gtk::TreeModel::Path& path) const {
  if (path.empty()) return nullptr;
  return tree_.EntryAt(std::vector<int>(path.begin(), path.end()));
}

Gtk::TreeModel::Path CategoryTreeView::SelectedPath() const {
  const auto rows = const_cast<NamedTreeView&>(view_).get_selection()->get_selected_rows();
  return rows.empty() ? Gtk::TreeModel::Path() : rows.front();
}

std::vector<std::string> CategoryTreeView::Names() const {
  std::vector<std::string> names;
  store_->foreach_iter([&](const Gtk::TreeModel::iterator& it) {
    names.push_back(Glib::ustring((*it)[columns_.name]).raw());
    return false;
  });
  return names;
}

bool CategoryTreeView::DropAccepted(DragSource source, const Gtk::TreeModel::Path& target) const {
  return CategoryDropAccepted(tree_, source, tree_.Selected(), EntryAt(target));
}

bool CategoryTreeView::MoveSelectedOnto(const Gtk::TreeModel::Path& target) {
  if (!DropAccepted(DragSource::CategoryTree, target)) return false;
  if (!tree_.MoveCategory(tree_.Selected(), EntryAt(target))) return false;
  Rebuild(false);
  view_.grab_focus();
  return true;
}

DragSource CategoryTreeView::SourceOf(const Glib::RefPtr<Gdk::DragContext>& context) const {
  if (StartedDrag(context)) return DragSource::CategoryTree;
  if (siteList_ && siteList_->StartedDrag(context)) return DragSource::SiteList;
  return DragSource::Other;
}

void CategoryTreeView::ConnectDragAndDrop() {
  view_.enable_model_drag_source(RowDragTargets(), Gdk::BUTTON1_MASK, Gdk::ACTION_MOVE);
  view_.enable_model_drag_dest(RowDragTargets(), Gdk::ACTION_MOVE);

  // Handled here before the control's own handlers, which would reorder the store.
  view_.signal_drag_motion().connect(
      [this](const Glib::RefPtr<Gdk::DragContext>& context, int x, int y, guint time) {
        Gtk::TreeModel::Path path;
        Gtk::TreeViewDropPosition position;
        if (view_.get_dest_row_at_pos(x, y, path, position) && DropAccepted(SourceOf(context), path)) {
          view_.set_drag_dest_row(path, Gtk::TREE_VIEW_DROP_INTO_OR_AFTER);
          context->drag_status(Gdk::ACTION_MOVE, time);
        } else {
          view_.unset_drag_dest_row();
          context->drag_refuse(time);
        }
        return true;
      },
      false);
  view_.signal_drag_drop().connect(
      [this](const Glib::RefPtr<Gdk::DragContext>& context, int x, int y, guint time) {
        Gtk::TreeModel::Path path;
        Gtk::TreeViewDropPosition position;
        const DragSource source = SourceOf(context);
        const bool onRow = view_.get_dest_row_at_pos(x, y, path, position);
        view_.unset_drag_dest_row();
        // The drop is finished before the tree is rebuilt under the pointer.
        context->drag_finish(onRow, false, time);
        if (onRow) dropped_.emit(source, path);
        return true;
      },
      false);
}

}  // namespace morvane
