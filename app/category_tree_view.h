#pragma once
// The category tree control: mirrors the catalogue's tree, keeps which
// entries the user folded across rebuilds, and takes drops of categories and
// sites by the drop rules. The catalogue's selection follows the control's.
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/treestore.h>

#include <string>
#include <vector>

#include "app/scrolled_tree_view.h"
#include "catalogue/catalogue_events.h"
#include "catalogue/category_tree.h"
#include "catalogue/drop_rules.h"

namespace morvane {

class CategoryTreeView : public ScrolledTreeView {
 public:
  // With events, the control shows the tree again each time it changes.
  explicit CategoryTreeView(CategoryTree& tree, const CatalogueEvents* events = nullptr);

  // Drags that start in siteList carry sites.
  void AcceptSitesFrom(const ScrolledTreeView& siteList) { siteList_ = &siteList; }

  // Shows the catalogue's tree again, keeping folded entries folded (all
  // open with expandAll), and selects the catalogue's selected entry.
  void Rebuild(bool expandAll);
  // The control follows the catalogue's selection; nobody is told.
  void SelectEntry(const TreeEntry* entry);
  // As a click on the entry's row: the catalogue follows and the window is told.
  void Click(const TreeEntry* entry);

  Gtk::TreeModel::Path PathOf(const TreeEntry* entry) const;
  TreeEntry* EntryAt(const Gtk::TreeModel::Path& path) const;
  // The control's selected row; empty without one.
  Gtk::TreeModel::Path SelectedPath() const;
  // Row texts in pre-order, as the control shows them (UTF-8).
  std::vector<std::string> Names() const;

  bool DropAccepted(DragSource source, const Gtk::TreeModel::Path& target) const;

  // The context menu; it acts on the entry under the pointer.
  Gtk::Menu PopupMenu2;
  Gtk::MenuItem miCheckCategoryLogin, miCheckCategoryHealth;

  // The user picked another entry.
  sigc::signal<void()>& signal_entry_selected() { return entrySelected_; }
  // An accepted drop ended on the target row.
  sigc::signal<void(DragSource, const Gtk::TreeModel::Path&)>& signal_dropped() { return dropped_; }

 private:
  struct Columns : Gtk::TreeModelColumnRecord {
    Columns() {
      add(name);
      add(image);
      add(selectedImage);
    }
    Gtk::TreeModelColumn<Glib::ustring> name;
    Gtk::TreeModelColumn<int> image;
    Gtk::TreeModelColumn<int> selectedImage;
  };

  void BuildColumn();
  void ConnectDragAndDrop();
  DragSource SourceOf(const Glib::RefPtr<Gdk::DragContext>& context) const;

  CategoryTree& tree_;
  const ScrolledTreeView* siteList_ = nullptr;
  Columns columns_;
  Gtk::TreeViewColumn* column_ = nullptr;
  // With thousands of entries every row is given the first one's height
  // instead of being measured, and the column a width from the longest names.
  void FitManyEntries(const std::vector<const TreeEntry*>& entries);
  Glib::RefPtr<Gtk::TreeStore> store_;
  // Set while the control is made to follow the catalogue, so that its
  // selection changes are not taken for the user's.
  bool following_ = false;
  AnnouncementConnection treeChanged_;
  sigc::signal<void()> entrySelected_;
  sigc::signal<void(DragSource, const Gtk::TreeModel::Path&)> dropped_;
};

}  // namespace morvane
