#pragma once
// Long work (reading a large import) on a worker thread, while a small modal
// box over the window shows how far it is and offers 中止. The main loop
// keeps running meanwhile: the window redraws and nothing waits on the work
// but the box. The box goes through RunModal, so a test can press 中止.
#include <gtkmm/window.h>

#include <functional>
#include <string_view>

namespace morvane {

struct BackgroundWork {
  std::function<void()> run;         // on the worker thread; must return soon after stop
  std::function<double()> fraction;  // read on the GUI thread: 0..1, or below 0 when unknown
  std::function<void()> stop;        // on the GUI thread, when the user stops
};

// True when the work ran to its end; false when the user stopped it (the
// work has returned by then either way).
bool RunWithProgress(Gtk::Window& parent, std::string_view caption, std::string_view text, const BackgroundWork& work);

}  // namespace morvane
