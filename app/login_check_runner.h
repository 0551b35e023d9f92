#pragma once
// The login check of many sites as the window runs it: the progress window
// over the main one while it runs, and a private browser started ahead of
// it when a menu that offers the check opens, so that the check finds its
// engine running.
#include <gtkmm/window.h>
#include <sigc++/connection.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/site_record.h"

namespace morvane {

class GlibMessagePump;
class LoginCheckProgress;
class MasterLoginHosts;
class PrivateBrowser;

class LoginCheckRunner {
 public:
  // hosts decides, site by site, whether the master login may go to a host;
  // a host nobody decided on is declined.
  LoginCheckRunner(Gtk::Window& parent, GlibMessagePump& pump, MasterLoginHosts& hosts);
  ~LoginCheckRunner();

  // Checks the sites with this master login and returns the report page once
  // all are done or the user stopped; nullopt when the program began to end
  // meanwhile. Events are processed all along. One check at a time.
  std::optional<std::string> Run(std::vector<SiteRecord> sites, const std::string& masterID,
                                 const std::string& masterPass, const std::string& serviceURL);
  // The progress window of the check under way; null without one.
  LoginCheckProgress* Progress() const { return progress_.get(); }
  // A menu that offers the check opened: a private browser starts now, and
  // goes after a while unless a check takes it.
  void Warm();

 private:
  std::unique_ptr<PrivateBrowser> TakeBrowser();

  Gtk::Window& parent_;
  GlibMessagePump& pump_;
  MasterLoginHosts& hosts_;
  std::unique_ptr<LoginCheckProgress> progress_;
  std::unique_ptr<PrivateBrowser> warm_;
  sigc::connection warmExpiry_;
};

}  // namespace morvane
