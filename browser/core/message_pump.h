#pragma once
// What a wait needs from the application while it loops on the GUI thread,
// and the way back onto that thread for work done elsewhere.
#include <functional>

namespace morvane {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Handles the events that are pending now; never blocks.
  virtual void ProcessMessages() = 0;
  virtual void Sleep(int milliseconds) = 0;
  // The application is shutting down: every wait ends at once.
  virtual bool Terminating() const = 0;
  // Runs work on a thread of its own; work never touches the window.
  virtual void RunAside(std::function<void()> work) = 0;
  // Safe from any thread: task runs on the GUI thread at a later pass.
  virtual void Post(std::function<void()> task) = 0;
};

}  // namespace morvane
