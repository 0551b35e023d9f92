#include "app/image_list.h"

#include <gtkmm/icontheme.h>

#include <map>

namespace morvane {

const char* TreeImageIconName(int index) {
  switch (index) {
    case -1: return nullptr;
    case 0: return "folder-open-symbolic";        // a selected category
    case 5: return "folder-symbolic";             // a category
    case 6:                                       // all sites
    case 7: return "network-workgroup-symbolic";  // all sites, selected
    default: return "folder-symbolic";
  }
}

Glib::RefPtr<Gdk::Pixbuf> TreeImage(int index) {
  static std::map<int, Glib::RefPtr<Gdk::Pixbuf>> cache;
  auto [it, added] = cache.try_emplace(index);
  if (!added) return it->second;
  const char* wanted = TreeImageIconName(index);
  if (!wanted) return it->second;
  auto theme = Gtk::IconTheme::get_default();
  for (const char* name : {wanted, "image-missing"}) {
    try {
      it->second = theme->load_icon(name, 16, Gtk::ICON_LOOKUP_FORCE_SIZE);
      if (it->second) break;
    } catch (const Glib::Error&) {
      // try the next name
    }
  }
  return it->second;
}

}  // namespace morvane
