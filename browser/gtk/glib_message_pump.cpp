#include "browser/gtk/glib_message_pump.h"

#include <glib.h>

#include <memory>
#include <thread>

namespace morvane {
namespace {
// A source that is always ready (an idle handler re-adding itself) must not
// keep one pass going for ever.
constexpr int kMaxDispatches = 1000;

using Task = std::function<void()>;

gboolean RunPosted(gpointer task) {
  (*static_cast<Task*>(task))();
  return G_SOURCE_REMOVE;
}

void DeletePosted(gpointer task) { std::unique_ptr<Task>(static_cast<Task*>(task)); }

}  // namespace

void GlibMessagePump::ProcessMessages() {
  GMainContext* context = g_main_context_default();
  for (int i = 0; i < kMaxDispatches && g_main_context_pending(context); ++i)
    g_main_context_iteration(context, FALSE);
}

void GlibMessagePump::Sleep(int milliseconds) {
  if (milliseconds <= 0) return;
  g_usleep(static_cast<gulong>(milliseconds) * 1000);
  slept_ += milliseconds;
}

void GlibMessagePump::RunAside(std::function<void()> work) { std::thread(std::move(work)).detach(); }

void GlibMessagePump::Post(std::function<void()> task) {
  // An idle source is deferred even when added on the GUI thread itself.
  g_idle_add_full(G_PRIORITY_DEFAULT, RunPosted, std::make_unique<Task>(std::move(task)).release(), DeletePosted);
}

}  // namespace morvane
