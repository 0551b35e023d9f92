#pragma once
// A browser the user never sees, for checks that must not touch the user's
// own session: a web view with a profile of its own that lives in memory and
// goes with it, on a window drawn off the screen (so pages run as they would
// in a shown view). Its waits share the window's message pump, so they end
// when the window closes.
#include <gtkmm/offscreenwindow.h>
#include <sigc++/connection.h>

#include <memory>

#include "browser/core/login_check.h"
#include "browser/gtk/webkit_engine.h"

namespace morvane {

class HiddenBrowser final : public PrivateBrowser {
 public:
  explicit HiddenBrowser(MessagePump& pump);
  ~HiddenBrowser() override;

  BrowserFrame& Frame() override { return frame_; }
  MessagePump& Pump() override { return pump_; }
  void Start() override;
  bool Started() override;

 private:
  enum class Starting { NotAsked, Loading, Done, Failed };
  bool StartStep();

  Gtk::OffscreenWindow window_;
  WebKitEngine engine_;
  MessagePump& pump_;
  BrowserFrame frame_;
  Starting started_ = Starting::NotAsked;
  long long deadline_ = 0;
  sigc::connection tick_;
};

}  // namespace morvane
