// Browser tests: a real WebKitGTK view on the display xvfb-run provides,
// against the stand-in service on 127.0.0.1.
#include <gtest/gtest.h>
#include <gtkmm/application.h>

#include "browser_gui_support.h"

namespace morvane::testing {
FakeService* service = nullptr;
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  auto app = Gtk::Application::create(argc, argv, "org.morvane.BrowserTests", Gio::APPLICATION_NON_UNIQUE);
  morvane::testing::FakeService service;
  morvane::testing::service = &service;
  const int result = RUN_ALL_TESTS();
  morvane::testing::service = nullptr;
  return result;
}
