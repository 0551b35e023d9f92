// How long the main loop was held up while a window benchmark ran.
#pragma once

#include <glib.h>
#include <glibmm/main.h>

#include <algorithm>

namespace morvane {

// The longest gap between two turns of the main loop while it lives.
class StallMeter {
 public:
  StallMeter() {
    last_ = g_get_monotonic_time();
    tick_ = Glib::signal_timeout().connect(
        [this] {
          const gint64 now = g_get_monotonic_time();
          longest_ = std::max(longest_, now - last_);
          last_ = now;
          return true;
        },
        1, Glib::PRIORITY_HIGH);
  }
  ~StallMeter() { tick_.disconnect(); }
  double LongestMs() const { return static_cast<double>(longest_) / 1000.0; }

 private:
  sigc::connection tick_;
  gint64 last_ = 0, longest_ = 0;
};

}  // namespace morvane
