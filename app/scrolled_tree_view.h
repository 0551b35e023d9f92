#pragma once
// A tree view in its scrolled window: what the category tree and the site
// list have in common.
#include <atkmm/object.h>
#include <gtkmm/menu.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/treeview.h>

namespace morvane {

// A tree view that is given its accessible name when a screen reader first
// asks for its accessible object. While such an object exists, GTK tells it
// of every cell of every row the view takes on: with a million sites that
// costs about a second each time the list is shown anew, which nobody gains
// from while no screen reader reads the window.
class NamedTreeView : public Gtk::TreeView {
 public:
  NamedTreeView();
  void SetAccessibleName(const Glib::ustring& name);

 protected:
  Glib::RefPtr<Atk::Object> get_accessible_vfunc() override;

 private:
  Glib::ustring name_;
  bool accessibleMade_ = false;
};

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
  // A right click selects the row under the pointer and opens menu there,
  // so the menu acts on that row. False for any other press.
  bool PopUpOnRightClick(GdkEventButton* event, Gtk::Menu& menu);

  // Rows move between the views only within this program.
  static std::vector<Gtk::TargetEntry> RowDragTargets();

  NamedTreeView view_;
};

}  // namespace morvane
