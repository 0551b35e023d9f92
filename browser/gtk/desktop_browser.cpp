#include "browser/gtk/desktop_browser.h"

#include <gio/gio.h>

#include <string>

#include "browser/gtk/gobject_ref.h"
#include "util/cp932.h"

namespace morvane {

bool DesktopBrowser::Open(std::string_view url) {
  GError* error = nullptr;
  const bool opened = g_app_info_launch_default_for_uri(Cp932ToUtf8(url).c_str(), nullptr, &error);
  GErrorPtr owned(error);
  return opened;
}

}  // namespace morvane
