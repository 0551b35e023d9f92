#include "app/accessible_names.h"

#include <gtk/gtk.h>

namespace morvane {

void SetAccessibleName(Gtk::Widget& control, const Glib::ustring& name) {
  if (AtkObject* accessible = gtk_widget_get_accessible(control.gobj())) atk_object_set_name(accessible, name.c_str());
}

void LabelFor(Gtk::Label& caption, Gtk::Widget& box) {
  // The relation alone is not read as the box's name by every reader.
  caption.set_mnemonic_widget(box);
  SetAccessibleName(box, caption.get_text());
}

}  // namespace morvane
