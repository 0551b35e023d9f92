#pragma once
// The strip under the navigation toolbar while links are checked: progress,
// a stop button and, once the check has ended, the CSV button, and the button
// that shows a list the browser has moved away from meanwhile. Results cross
// from the checker's thread to the main loop through a dispatcher; the
// window never waits for the network.
#include <glibmm/dispatcher.h>
#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/progressbar.h>
#include <sigc++/connection.h>

#include "navi/core/page_link_check.h"

namespace morvane {

class LinkCheckBar : public Gtk::Box, private LinkCheckView {
 public:
  // show puts the finished list (CP932 HTML) into the browser; which tells
  // the page it shows.
  LinkCheckBar(PageLinkCheck::ShowPage show, PageLinkCheck::WhichPage which);
  ~LinkCheckBar() override;

  // Shows the strip and checks list; an earlier check is dropped.
  void Start(PageLinkList list);
  PageLinkCheck& Check() { return check_; }

  Gtk::ProgressBar pbLinkCheck;
  Gtk::Button btLinkCheckStop;
  Gtk::Button btLinkCheckCsv;
  Gtk::Button btLinkCheckShow;
  Gtk::Button btLinkCheckClose;

 private:
  void btLinkCheckCsvClick();
  void WakeMainLoop() override { arrived_.emit(); }
  void ShowLinkCheckProgress(std::size_t done, std::size_t total, bool running) override;
  void ShowProgressText();
  void btLinkCheckCloseClick();

  std::size_t done_ = 0, total_ = 0;
  bool running_ = false;
  sigc::connection clock_;  // the time left, each second while a check runs
  void OfferLinkList() override { btLinkCheckShow.show(); }

  Glib::Dispatcher arrived_;
  PageLinkCheck check_;  // after the dispatcher: its thread is gone before the dispatcher is
};

}  // namespace morvane
