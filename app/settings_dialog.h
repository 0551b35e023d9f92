#pragma once
// The settings dialog: the master login used for sites without their own,
// and the analysis service's address.
#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/dialog.h>
#include <gtkmm/entry.h>
#include <gtkmm/frame.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>

#include <string>
#include <string_view>

namespace morvane {

class TForm3 : public Gtk::Dialog {
 public:
  TForm3();

  // True when closed with OK; closing by the frame is a cancel.
  bool ShowModal();
  void Button1Click();
  // The boxes show these (CP932): the catalogue's master login, and the
  // service's address as the settings file holds it.
  void ShowMasterLogin(std::string_view id, std::string_view pass);
  void ShowServiceURL(std::string_view address);
  // The boxes' texts in CP932 as the master login takes them: spaces kept as
  // typed, but a pasted tab or line break could split the stored login.
  std::string TypedLoginID() const;
  std::string TypedLoginPW() const;
  // The address box's text, trimmed, as the settings file takes it.
  std::string TypedServiceURL() const;

  Gtk::Frame GroupBox1;
  Gtk::Entry edLoginID;
  Gtk::Entry edLoginPW;
  Gtk::Frame GroupBox2;
  Gtk::Entry edServiceURL;
  Gtk::Button Button1;
  Gtk::Button BitBtn1;

 private:
  Gtk::Grid grid_, serviceGrid_;
  Gtk::Label lbLoginID_, lbLoginPW_, lbServiceURL_;
  Gtk::Box row_;
};

}  // namespace morvane
