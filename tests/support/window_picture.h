// Saves what a test window shows as a PNG: the README's pictures come from here.
#pragma once

#include <gtk/gtk.h>

namespace morvane::testing {

inline bool SaveWindowPicture(GtkWidget* window, const char* file) {
  GdkWindow* shown = gtk_widget_get_window(window);
  GdkPixbuf* picture =
      gdk_pixbuf_get_from_window(shown, 0, 0, gdk_window_get_width(shown), gdk_window_get_height(shown));
  if (!picture) return false;
  const bool saved = gdk_pixbuf_save(picture, file, "png", nullptr, nullptr);
  g_object_unref(picture);
  return saved;
}

}  // namespace morvane::testing
