#include "app/scrolled_tree_view.h"

#include <gtk/gtk.h>

#include <utility>

#include "app/accessible_names.h"

namespace morvane {

NamedTreeView::NamedTreeView() : Glib::ObjectBase("MorvaneNamedTreeView"), Gtk::TreeView() {}

void NamedTreeView::SetAccessibleName(const Glib::ustring& name) {
  name_ = name;
  if (accessibleMade_) morvane::SetAccessibleName(*this, name_);
}

Glib::RefPtr<Atk::Object> NamedTreeView::get_accessible_vfunc() {
  Glib::RefPtr<Atk::Object> accessible = Gtk::TreeView::get_accessible_vfunc();
  if (accessible && !std::exchange(accessibleMade_, true) && !name_.empty()) accessible->set_name(name_);
  return accessible;
}

ScrolledTreeView::ScrolledTreeView() {
  set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  set_shadow_type(Gtk::SHADOW_IN);
  add(view_);
}

void ScrolledTreeView::SetAccessibleName(const Glib::ustring& name) { view_.SetAccessibleName(name); }

bool ScrolledTreeView::RowCentreOnScreen(const Gtk::TreeModel::Path& path, int& x, int& y) {
  Gtk::TreeViewColumn* column = view_.get_column(0);
  Glib::RefPtr<Gdk::Window> bin = view_.get_bin_window();
  if (!column || !bin) return false;
  Gdk::Rectangle cell;
  view_.get_cell_area(path, *column, cell);
  if (cell.get_height() <= 0) return false;
  bin->get_origin(x, y);
  x += cell.get_x() + cell.get_width() / 2;
  y += cell.get_y() + cell.get_height() / 2;
  return true;
}

bool ScrolledTreeView::StartedDrag(const Glib::RefPtr<Gdk::DragContext>& context) const {
  return gtk_drag_get_source_widget(context->gobj()) == GTK_WIDGET(view_.gobj());
}

bool ScrolledTreeView::PopUpOnRightClick(GdkEventButton* event, Gtk::Menu& menu) {
  if (event->type != GDK_BUTTON_PRESS || event->button != 3) return false;
  Gtk::TreeModel::Path path;
  if (view_.get_path_at_pos(static_cast<int>(event->x), static_cast<int>(event->y), path)) view_.set_cursor(path);
  menu.popup_at_pointer(reinterpret_cast<GdkEvent*>(event));
  return true;
}

std::vector<Gtk::TargetEntry> ScrolledTreeView::RowDragTargets() {
  return {Gtk::TargetEntry("application/x-morvane-row", Gtk::TARGET_SAME_APP)};
}

}  // namespace morvane
