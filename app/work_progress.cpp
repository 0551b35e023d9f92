#include "app/work_progress.h"

#include <gtkmm/box.h>
#include <gtkmm/dialog.h>
#include <gtkmm/label.h>
#include <gtkmm/progressbar.h>

#include <glibmm/main.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "app/modal_runner.h"

namespace morvane {

constexpr unsigned kRedrawMilliseconds = 50;

bool RunWithProgress(Gtk::Window& parent, std::string_view caption, std::string_view text, const BackgroundWork& work) {
  std::atomic<bool> done{false};
  std::jthread worker([&] {
    work.run();
    done.store(true);
  });

  Gtk::Dialog box(Glib::ustring(std::string(caption)), parent, true);
  box.set_resizable(false);
  box.set_default_size(320, -1);
  Gtk::Label label(Glib::ustring(std::string(text)), Gtk::ALIGN_START, Gtk::ALIGN_CENTER);
  Gtk::ProgressBar bar;
  Gtk::Box* area = box.get_content_area();
  area->set_spacing(8);
  area->set_border_width(12);
  area->pack_start(label, Gtk::PACK_SHRINK);
  area->pack_start(bar, Gtk::PACK_SHRINK);
  box.add_button("中止", Gtk::RESPONSE_CANCEL);
  sigc::connection tick = Glib::signal_timeout().connect(
      [&] {
        if (done.load()) {
          box.response(Gtk::RESPONSE_OK);
          return false;
        }
        const double f = work.fraction ? work.fraction() : -1;
        if (f < 0) bar.pulse();
        else bar.set_fraction(std::clamp(f, 0.0, 1.0));
        return true;
      },
      kRedrawMilliseconds);
  box.show_all();
  const int answer = RunModal(box);
  tick.disconnect();
  const bool finished = answer == Gtk::RESPONSE_OK;
  if (!finished && work.stop) work.stop();
  worker.join();
  return finished;
}

}  // namespace morvane
