// Runs an action on the event loop after a delay, from inside whatever wait
// is running then: how the tests press stop or double-click mid-wait.
#pragma once

#include <glib.h>

#include <functional>
#include <utility>

namespace morvane::testing {

class Later {
 public:
  Later(int delayMs, std::function<void()> action) : action_(std::move(action)) {
    id_ = g_timeout_add(static_cast<guint>(delayMs), &Later::Fire, this);
  }
  ~Later() {
    if (id_) g_source_remove(id_);
  }
  Later(const Later&) = delete;
  Later& operator=(const Later&) = delete;
  bool Fired() const { return id_ == 0; }

 private:
  static gboolean Fire(gpointer self) {
    auto* later = static_cast<Later*>(self);
    later->id_ = 0;
    later->action_();
    return G_SOURCE_REMOVE;
  }
  std::function<void()> action_;
  guint id_ = 0;
};

}  // namespace morvane::testing
