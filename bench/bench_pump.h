// The benchmarks' own turns of the GLib main loop, outside any frame wait.
#pragma once

#include <glib.h>

namespace morvane {

inline void Pump() {
  while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
}

template <typename Done>
bool PumpUntil(Done done, int timeoutMs = 20000) {
  const gint64 end = g_get_monotonic_time() + timeoutMs * 1000LL;
  while (!done() && g_get_monotonic_time() < end) {
    Pump();
    g_usleep(500);
  }
  return done();
}

}  // namespace morvane
