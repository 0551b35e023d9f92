#pragma once
// The accessible objects under a widget, as a screen reader walks them.
#include <atk/atk.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>

namespace morvane::testing {

// Visits each accessible object under the widget in order, the widget's own
// first; a visit that gives false keeps that object's children out.
inline void WalkAccessibles(GtkWidget* widget, const std::function<bool(AtkObject*)>& visit) {
  std::function<void(AtkObject*)> walk = [&](AtkObject* object) {
    if (!visit(object)) return;
    for (int i = 0; i < atk_object_get_n_accessible_children(object); ++i) {
      AtkObject* child = atk_object_ref_accessible_child(object, i);
      walk(child);
      g_object_unref(child);
    }
  };
  walk(gtk_widget_get_accessible(widget));
}

// The name a screen reader reads for the object; empty without one.
inline std::string AccessibleName(AtkObject* object) {
  const char* name = atk_object_get_name(object);
  return name ? name : "";
}

}  // namespace morvane::testing
