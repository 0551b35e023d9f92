#pragma once
// The waits' view of the GLib main loop on the GUI thread.
#include "browser/core/message_pump.h"

namespace morvane {

class GlibMessagePump final : public MessagePump {
 public:
  void ProcessMessages() override;
  void Sleep(int milliseconds) override;
  bool Terminating() const override { return terminating_; }
  // The window sets this when it starts to close, so running waits end.
  void SetTerminating(bool terminating) { terminating_ = terminating; }

 private:
  bool terminating_ = false;
};

}  // namespace morvane
