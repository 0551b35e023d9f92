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

gboolean SetFlag(gpointer flag) {
  *static_cast<bool*>(flag) = true;
  return G_SOURCE_REMOVE;
}

}  // namespace

void GlibMessagePump::ProcessMessages() {
  GMainContext* context = g_main_context_default();
  for (int i = 0; i < kMaxDispatches && g_main_context_pending(context); ++i) g_main_context_iteration(context, FALSE);
}

void GlibMessagePump::AwaitMessages(int milliseconds) {
  GMainContext* context = g_main_context_default();
  if (milliseconds <= 0 || g_main_context_pending(context)) return;
  // The timer only bounds the wait: whatever source fires first ends it.
  bool timedOut = false;
  const guint timer = g_timeout_add(static_cast<guint>(milliseconds), SetFlag, &timedOut);
  const long long start = NowMilliseconds();
  g_main_context_iteration(context, TRUE);
  awaited_ += NowMilliseconds() - start;
  if (!timedOut) g_source_remove(timer);
}

long long GlibMessagePump::NowMilliseconds() const { return g_get_monotonic_time() / 1000; }

void GlibMessagePump::RunAside(std::function<void()> work) { std::thread(std::move(work)).detach(); }

void GlibMessagePump::Post(std::function<void()> task) {
  // An idle source is deferred even when added on the GUI thread itself.
  g_idle_add_full(G_PRIORITY_DEFAULT, RunPosted, std::make_unique<Task>(std::move(task)).release(), DeletePosted);
}

}  // namespace morvane
