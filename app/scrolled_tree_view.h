#pragma once
// A tree view in its scrolled window: what the category tree and the site
// list have in common.
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/treeview.h>

namespace morvane {

class ScrolledTreeView : public Gtk::ScrolledWindow {
 public:
  ScrolledTreeView();

  // Where a pointer would press the row: the centre of its first cell on the
  // screen. False when the row is not laid out.
  bool RowCentreOnScreen(const Gtk::TreeModel::Path& path, int& x, int& y);
  // True when the drag started in this view.
  bool StartedDrag(const Glib::RefPtr<Gdk::DragContext>& context) const;
  void GrabFocus() { view_.grab_focus(); }
  // What a screen reader calls the view.
  void SetAccessibleName(const Glib::ustring& name);

 protected:
  // Rows move between the views only within this program.
  static std::vector<Gtk::TargetEntry> RowDragTargets();

  Gtk::TreeView view_;
};

}  // namespace morvane
