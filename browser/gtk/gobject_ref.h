#pragma once
// Owning handles for GLib objects the binding holds, and signal handlers that
// are disconnected when their owner goes; strings and errors in util/glib_ptr.h.
#include <glib-object.h>

#include <memory>
#include <utility>

#include "util/glib_ptr.h"

namespace morvane {

struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};
template <class T>
using GObjectRef = std::unique_ptr<T, GObjectUnref>;

// Owns a reference of its own; a floating reference is sunk.
template <class T>
GObjectRef<T> RefSink(T* object) {
  return GObjectRef<T>(static_cast<T*>(g_object_ref_sink(object)));
}

class SignalConnection {
 public:
  SignalConnection() = default;
  SignalConnection(gpointer instance, const char* signal, GCallback handler, gpointer data)
      : instance_(instance), id_(g_signal_connect(instance, signal, handler, data)) {}
  SignalConnection(SignalConnection&& other) noexcept
      : instance_(std::exchange(other.instance_, nullptr)), id_(std::exchange(other.id_, 0)) {}
  SignalConnection& operator=(SignalConnection&& other) noexcept {
    if (this != &other) {
      Disconnect();
      instance_ = std::exchange(other.instance_, nullptr);
      id_ = std::exchange(other.id_, 0);
    }
    return *this;
  }
  SignalConnection(const SignalConnection&) = delete;
  SignalConnection& operator=(const SignalConnection&) = delete;
  ~SignalConnection() { Disconnect(); }

  void Disconnect() {
    if (instance_ && id_ && g_signal_handler_is_connected(instance_, id_)) g_signal_handler_disconnect(instance_, id_);
    instance_ = nullptr;
    id_ = 0;
  }

 private:
  gpointer instance_ = nullptr;
  gulong id_ = 0;
};

}  // namespace morvane
