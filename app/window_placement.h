#pragma once
// A GTK window as the settings store sees it: a name and a rectangle. The
// normal (not maximised) rectangle is followed as the window moves, since
// GTK has no call that reports it for a maximised window.
#include <gtkmm/window.h>

#include <string>
#include <vector>

#include "util/settings_file.h"

namespace morvane {

// A first start's size: roomy enough for the list and the page together,
// within 90% of the screen's work area, never below the designed size.
struct WindowSize {
  int width;
  int height;
};
WindowSize FirstStartSize(WindowSize designed, WindowSize roomy, WindowSize workArea);
// The work area of the window's monitor (or the first one).
WindowSize WorkAreaOf(Gtk::Window& window);

class WindowPlacement final : public PlacedForm {
 public:
  WindowPlacement(Gtk::Window& window, std::string formName);

  std::string FormName() const override { return name_; }
  FormBounds NormalBounds() const override;
  FormBounds CurrentBounds() const override;
  void SetBounds(const FormBounds& b) override;
  std::vector<FormBounds> WorkAreas() const override;

 private:
  void Follow();

  Gtk::Window& window_;
  std::string name_;
  FormBounds normal_;
  bool known_ = false;
};

}  // namespace morvane
