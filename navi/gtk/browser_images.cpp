#include "navi/gtk/browser_images.h"

namespace morvane {

const char* BrowserImageIconName(int index) {
  static constexpr const char* kNames[kBrowserImageCount] = {
      "go-previous-symbolic",        // 0 back
      "go-next-symbolic",            // 1 forward
      "process-stop-symbolic",       // 2 stop
      "go-home-symbolic",            // 3 home
      "go-jump-symbolic",            // 4 go to the URL
      "view-refresh-symbolic",       // 5 reload
      "text-x-generic-symbolic",     // 6 HTML source
      "edit-copy-symbolic",          // 7 copy the URL
      "media-skip-forward-symbolic", // 8 skip the wait
      "web-browser-symbolic",        // 9
      "insert-link-symbolic",        // 10 link tag
      "view-list-symbolic",          // 11
      "edit-select-all-symbolic",    // 12 copy the selection
  };
  return index >= 0 && index < kBrowserImageCount ? kNames[index] : nullptr;
}

}  // namespace morvane
