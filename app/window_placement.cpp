#include "app/window_placement.h"

#include <gdkmm/display.h>
#include <gdkmm/monitor.h>

#include <algorithm>

namespace morvane {

WindowSize FirstStartSize(WindowSize designed, WindowSize roomy, WindowSize workArea) {
  const auto fit = [](int wanted, int area, int least) { return std::max(least, std::min(wanted, area * 9 / 10)); };
  return {fit(roomy.width, workArea.width, designed.width), fit(roomy.height, workArea.height, designed.height)};
}

WindowSize WorkAreaOf(Gtk::Window& window) {
  Glib::RefPtr<Gdk::Display> display = window.get_display();
  Glib::RefPtr<Gdk::Monitor> monitor = display->get_primary_monitor();
  if (!monitor) monitor = display->get_monitor(0);
  if (!monitor) return {0, 0};
  Gdk::Rectangle area;
  monitor->get_workarea(area);
  return {area.get_width(), area.get_height()};
}

WindowPlacement::WindowPlacement(Gtk::Window& window, std::string formName)
    : window_(window), name_(std::move(formName)) {
  window_.signal_configure_event().connect(
      [this](GdkEventConfigure*) {
        Follow();
        return false;
      },
      false);
}

void WindowPlacement::Follow() {
  auto gdk = window_.get_window();
  const bool normal =
      !gdk ||
      !(gdk->get_state() & (Gdk::WINDOW_STATE_MAXIMIZED | Gdk::WINDOW_STATE_FULLSCREEN | Gdk::WINDOW_STATE_ICONIFIED));
  if (!normal) return;
  normal_ = CurrentBounds();
  known_ = true;
}

FormBounds WindowPlacement::NormalBounds() const { return known_ ? normal_ : CurrentBounds(); }

FormBounds WindowPlacement::CurrentBounds() const {
  FormBounds b;
  window_.get_position(b.left, b.top);
  window_.get_size(b.width, b.height);
  return b;
}

void WindowPlacement::SetBounds(const FormBounds& b) {
  window_.move(b.left, b.top);
  if (b.width > 0 && b.height > 0) window_.resize(b.width, b.height);
  normal_ = b;
  known_ = true;
}

std::vector<FormBounds> WindowPlacement::WorkAreas() const {
  std::vector<FormBounds> areas;
  Glib::RefPtr<Gdk::Display> display = window_.get_display();
  if (!display) return areas;
  Glib::RefPtr<Gdk::Monitor> primary = display->get_primary_monitor();
  const auto add = [&areas](const Glib::RefPtr<Gdk::Monitor>& monitor) {
    Gdk::Rectangle r;
    monitor->get_workarea(r);
    areas.push_back({r.get_x(), r.get_y(), r.get_width(), r.get_height()});
  };
  if (primary) add(primary);
  for (int i = 0; i < display->get_n_monitors(); ++i) {
    Glib::RefPtr<Gdk::Monitor> monitor = display->get_monitor(i);
    if (monitor && monitor != primary) add(monitor);
  }
  return areas;
}

}  // namespace morvane
