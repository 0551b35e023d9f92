#include "app/category_tree_view.h"

#include <gtkmm/cellrendererpixbuf.h>
#include <gtkmm/cellrenderertext.h>

#include <algorithm>
#include <functional>
#include <set>

#include "app/image_list.h"
#include "util/cp932.h"

namespace morvane {

CategoryTreeView::CategoryTreeView(CategoryTree& tree, const CatalogueEvents* events) : tree_(tree) {
  if (events)
    treeChanged_ = events->treeChanged.Subscribe([this](TreeChange change) { Rebuild(change == TreeChange::Loaded); });
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
  column_ = column;
}

namespace {
// Above this many entries the view stops measuring each row.
constexpr std::size_t kManyEntries = 500;
// Names measured for the column's width: the longest in bytes.
constexpr std::size_t kNamesMeasured = 32;
}  // namespace

void CategoryTreeView::FitManyEntries(const std::vector<const TreeEntry*>& entries) {
  if (entries.size() <= kManyEntries) {
    if (view_.get_fixed_height_mode()) {
      view_.set_fixed_height_mode(false);
      column_->set_sizing(Gtk::TREE_VIEW_COLUMN_GROW_ONLY);  // as a column starts
    }
    return;
  }
  std::vector<const TreeEntry*> longest(entries);
  const std::size_t measured = std::min(kNamesMeasured, longest.size());
  std::partial_sort(longest.begin(), longest.begin() + static_cast<long>(measured), longest.end(),
                    [](const TreeEntry* a, const TreeEntry* b) { return a->name.size() > b->name.size(); });
  int width = 0;
  for (std::size_t i = 0; i < measured; ++i) {
    int depth = 0;
    for (const TreeEntry* p = longest[i]->parent; p; p = p->parent) ++depth;
    int textWidth = 0, textHeight = 0;
    view_.create_pango_layout(Cp932ToUtf8(longest[i]->name))->get_pixel_size(textWidth, textHeight);
    // The expanders' indent, the icon and the cells' padding around the text.
    width = std::max(width, textWidth + 20 * (depth + 1) + 16 + 16);
  }
  column_->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
  column_->set_fixed_width(width);
  view_.set_fixed_height_mode(true);
}

void CategoryTreeView::Rebuild(bool expandAll) {
  following_ = true;
  std::set<Glib::ustring> folded;
  if (!expandAll) {
    // Walked by row, and a row's path (a walk over the siblings before it)
    // worked out only for one with children.
    store_->foreach_iter([&](const Gtk::TreeModel::iterator& it) {
      if (!it->children().empty() && !view_.row_expanded(store_->get_path(it))) folded.insert((*it)[columns_.name]);
      return false;
    });
  }
  // Filled away from the view, which would otherwise measure each row as it
  // comes (seconds with thousands of categories).
  view_.unset_model();
  store_->clear();
  std::vector<const TreeEntry*> entries;
  // Each row in one call, put in front of its siblings, the last one first:
  // the store walks over the siblings before a row to append it and to work
  // out its path for every change it reports, so a row added at the end
  // cost a walk over thousands.
  GtkTreeStore* store = store_->gobj();
  const std::function<void(const TreeEntry&, GtkTreeIter*)> add = [&](const TreeEntry& e, GtkTreeIter* parent) {
    GtkTreeIter row;
    const std::string name = Cp932ToUtf8(e.name);
    gtk_tree_store_insert_with_values(store, &row, parent, 0, columns_.name.index(), name.c_str(),
                                      columns_.image.index(), e.image, columns_.selectedImage.index(), e.selectedImage,
                                      -1);
    entries.push_back(&e);
    for (auto child = e.children.rbegin(); child != e.children.rend(); ++child) add(**child, &row);
  };
  for (auto root = tree_.Roots().rbegin(); root != tree_.Roots().rend(); ++root) add(**root, nullptr);
  FitManyEntries(entries);
  view_.set_model(store_);
  view_.expand_all();
  if (!folded.empty()) {
    store_->foreach_iter([&](const Gtk::TreeModel::iterator& it) {
      if (!it->children().empty() && folded.count((*it)[columns_.name])) view_.collapse_row(store_->get_path(it));
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
