#pragma once
// The waits' view of the GLib main loop on the GUI thread.
#include "browser/core/message_pump.h"

namespace morvane {

class GlibMessagePump final : public MessagePump {
 public:
  void ProcessMessages() override;
  void AwaitMessages(int milliseconds) override;
  long long NowMilliseconds() const override;
  bool Terminating() const override { return terminating_; }
  void RunAside(std::function<void()> work) override;
  void Post(std::function<void()> task) override;
  // The window sets this when it starts to close, so running waits end.
  void SetTerminating(bool terminating) { terminating_ = terminating; }
  // Time spent blocked in AwaitMessages so far, for benchmarks that ask where
  // a wait went.
  long long AwaitedMilliseconds() const { return awaited_; }

 private:
  bool terminating_ = false;
  long long awaited_ = 0;
};

}  // namespace morvane
