#pragma once
// The main window's status line. The browser frame's texts come and go; an
// empty one uncovers the window's own last message, which stays until the
// window has another. A login's outcome is the frame's to keep
// (BrowserFrame::ShowOutcome).
#include <gtkmm/statusbar.h>

#include <string>
#include <string_view>

#include "browser/core/status_bar.h"

namespace morvane {

class BrowserFrame;

class StatusLine : public StatusBar {
 public:
  StatusLine(Gtk::Statusbar& bar, BrowserFrame& frame);

  // The frame's texts (CP932).
  void SetStatusText(std::string_view cp932) override;
  // The window's own message, over whatever the frame shows now.
  void ShowWindowText(std::string_view cp932);
  // A count of the list as the window's message: kept in view (CountInView)
  // until the window shows another message.
  void ShowCount(std::string_view cp932);
  bool CountInView() const { return countInView_; }
  void ShowLoginOutcome(std::string_view cp932);
  // What the line shows now (CP932).
  std::string Text() const;

 private:
  Gtk::Statusbar& bar_;
  BrowserFrame& frame_;
  guint frameContext_;
  guint windowContext_;
  bool countInView_ = false;
};

}  // namespace morvane
