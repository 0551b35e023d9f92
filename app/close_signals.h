#pragma once
// TERM, HUP and INT (a logout, a kill, Ctrl+C) close the window the way its
// close button does, but without a question: nobody may be there to answer.
// The handler runs on the main loop, never in signal context.
#include <glib.h>

#include <array>
#include <functional>
#include <string>

namespace morvane {

class TForm1;

class CloseOnSignals {
 public:
  // quit ends the main loop once the window has saved what it could.
  CloseOnSignals(TForm1& window, std::function<void()> quit);
  ~CloseOnSignals();
  CloseOnSignals(const CloseOnSignals&) = delete;
  CloseOnSignals& operator=(const CloseOnSignals&) = delete;

  bool Fired() const { return fired_; }
  // Where the catalogue went ("" when it could not be saved anywhere).
  const std::string& WrittenPath() const { return written_; }

 private:
  static gboolean OnSignal(gpointer self);

  TForm1& window_;
  std::function<void()> quit_;
  std::array<guint, 3> sources_{};
  bool fired_ = false;
  std::string written_;
};

}  // namespace morvane
