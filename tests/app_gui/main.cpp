// Window tests: real widgets on the display xvfb-run provides.
#include <gtest/gtest.h>
#include <gtkmm/application.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Initialises GTK and gtkmm; the tests pump events themselves.
  auto app = Gtk::Application::create(argc, argv, "org.morvane.WindowTests", Gio::APPLICATION_NON_UNIQUE);
  return RUN_ALL_TESTS();
}
