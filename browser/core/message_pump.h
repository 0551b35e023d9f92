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
  // Waits until events arrive, at most this long; events that arrive are
  // handled. A wait so ends as soon as what it waits for can have happened.
  virtual void AwaitMessages(int milliseconds) = 0;
  // A steady clock for the waits' limits.
  virtual long long NowMilliseconds() const = 0;
  // Handles events until done() holds, at most this long, and says whether
  // it held; the window stays responsive meanwhile.
  bool AwaitUntil(const std::function<bool()>& done, int milliseconds) {
    const long long end = NowMilliseconds() + milliseconds;
    for (long long now = NowMilliseconds(); now < end && !Terminating(); now = NowMilliseconds()) {
      ProcessMessages();
      if (done()) return true;
      AwaitMessages(static_cast<int>(end - now));
    }
    return done();
  }
  // Handles events for this long: a pause that leaves the window responsive.
  void Pause(int milliseconds) {
    AwaitUntil([] { return false; }, milliseconds);
  }
  // The application is shutting down: every wait ends at once.
  virtual bool Terminating() const = 0;
  // Runs work on a thread of its own; work never touches the window.
  virtual void RunAside(std::function<void()> work) = 0;
  // Safe from any thread: task runs on the GUI thread at a later pass.
  virtual void Post(std::function<void()> task) = 0;
};

}  // namespace morvane
