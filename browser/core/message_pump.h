#pragma once
// What a wait needs from the application while it loops on the GUI thread.

namespace morvane {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Handles the events that are pending now; never blocks.
  virtual void ProcessMessages() = 0;
  virtual void Sleep(int milliseconds) = 0;
  // The application is shutting down: every wait ends at once.
  virtual bool Terminating() const = 0;
};

}  // namespace morvane
