#pragma once
// The browser tab's content: the web view filling the widget, and the frame
// that runs it. Cookies and caches live in the profile folder (the data
// folder's browser/), so a login survives a restart and tests never touch the
// user's own profile.
#include <gtkmm/box.h>

#include <string>

#include "browser/core/browser_frame.h"
#include "browser/gtk/desktop_browser.h"
#include "browser/gtk/glib_message_pump.h"
#include "browser/gtk/webkit_engine.h"

namespace morvane {

class BrowserFrameWidget : public Gtk::Box {
 public:
  explicit BrowserFrameWidget(const std::string& profileFolder, std::string homeURL = "about:blank");
  ~BrowserFrameWidget() override;

  BrowserFrame& Frame() { return frame_; }
  GlibMessagePump& Pump() { return pump_; }
  WebKitEngine& Engine() { return engine_; }

 private:
  WebKitEngine engine_;
  GlibMessagePump pump_;
  DesktopBrowser desktop_;
  BrowserFrame frame_;
};

}  // namespace morvane
