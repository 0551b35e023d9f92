#pragma once
// The small window over the main one while the logins of many sites are
// checked: how many sites are done, and the button that stops the check
// with the site under way. It takes the input while it is shown, so the
// catalogue cannot change under the check.
#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/progressbar.h>
#include <gtkmm/window.h>

#include <cstddef>
#include <functional>
#include <string>

namespace morvane {

class LoginCheckProgress : public Gtk::Window {
 public:
  // onStop runs when the stop button is pressed or the window is closed.
  LoginCheckProgress(Gtk::Window& parent, std::function<void()> onStop);

  void ShowDone(std::size_t done, std::size_t total);
  // The captions of another check that shows its progress the same way.
  void ShowTexts(const std::string& title, std::string counting);

  Gtk::Box Layout;
  Gtk::Label lbCount;
  Gtk::ProgressBar pbDone;
  Gtk::Button btStop;

 private:
  void StopPressed();

  std::function<void()> onStop_;
  std::string counting_ = "ログインを確認しています: ";
};

}  // namespace morvane
