#include "browser/gtk/glib_message_pump.h"

#include <glib.h>

namespace morvane {
namespace {
// A source that is always ready (an idle handler re-adding itself) must not
// keep one pass going for ever.
constexpr int kMaxDispatches = 1000;
}  // namespace

void GlibMessagePump::ProcessMessages() {
  GMainContext* context = g_main_context_default();
  for (int i = 0; i < kMaxDispatches && g_main_context_pending(context); ++i)
    g_main_context_iteration(context, FALSE);
}

void GlibMessagePump::Sleep(int milliseconds) {
  if (milliseconds > 0) g_usleep(static_cast<gulong>(milliseconds) * 1000);
}

}  // namespace morvane
