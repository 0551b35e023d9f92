#include "browser/gtk/hidden_browser.h"

#include <gtk/gtk.h>

namespace morvane {

// No profile folder: the engine keeps cookies and caches in memory only, in a
// profile no other view shares.
HiddenBrowser::HiddenBrowser(MessagePump& pump) : engine_(std::string()), pump_(pump), frame_(engine_, pump_) {
  gtk_container_add(GTK_CONTAINER(window_.gobj()), engine_.Widget());
  window_.set_default_size(1024, 768);
  window_.show_all();
}

HiddenBrowser::~HiddenBrowser() {
  frame_.CloseBrowser();
  gtk_container_remove(GTK_CONTAINER(window_.gobj()), engine_.Widget());
}

}  // namespace morvane
