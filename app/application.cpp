#include "app/application.h"

#include <gtkmm.h>

#include "util/cp932.h"

namespace morvane {

int RunApplication(int argc, char** argv) {
  auto app = Gtk::Application::create("org.morvane.Morvane", Gio::APPLICATION_NON_UNIQUE);
  Gtk::Window window;
  window.set_title(Cp932ToUtf8(SystemText("Vexa アクセス解析セット - Morvane 8号")));
  window.set_default_size(1000, 700);
  return app->run(window, argc, argv);
}

}  // namespace morvane
