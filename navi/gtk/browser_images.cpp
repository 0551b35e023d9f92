#include "navi/gtk/browser_images.h"

#include <gio/gio.h>
#include <gtkmm/icontheme.h>

extern "C" void morvane_icons_register_resource(void);

namespace morvane {

void AddProgramIcons() {
  static const bool added = [] {
    morvane_icons_register_resource();
    Gtk::IconTheme::get_default()->add_resource_path("/org/morvane/Morvane/icons");
    return true;
  }();
  (void)added;
}

const char* BrowserImageIconName(int index) {
  static constexpr const char* kNames[kBrowserImageCount] = {
      "go-previous-symbolic",             // 0 back
      "go-next-symbolic",                 // 1 forward
      "process-stop-symbolic",            // 2 stop
      "go-home-symbolic",                 // 3 home
      "go-jump-symbolic",                 // 4 go to the URL
      "view-refresh-symbolic",            // 5 reload
      "morvane-html-source-symbolic",     // 6 HTML source
      "morvane-copy-url-symbolic",        // 7 copy the URL
      "media-skip-forward-symbolic",      // 8 skip the wait
      "web-browser-symbolic",             // 9
      "morvane-link-tag-symbolic",        // 10 link tag
      "view-list-symbolic",               // 11
      "morvane-copy-selection-symbolic",  // 12 copy the selection
  };
  return index >= 0 && index < kBrowserImageCount ? kNames[index] : nullptr;
}

}  // namespace morvane
