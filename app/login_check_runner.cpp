#include "app/login_check_runner.h"

#include <glibmm/main.h>

#include "app/login_check_progress.h"
#include "browser/core/login_check.h"
#include "browser/core/master_login_hosts.h"
#include "browser/gtk/glib_message_pump.h"
#include "browser/gtk/hidden_browser.h"

namespace morvane {

LoginCheckRunner::LoginCheckRunner(Gtk::Window& parent, GlibMessagePump& pump, MasterLoginHosts& hosts)
    : parent_(parent), pump_(pump), hosts_(hosts) {}

LoginCheckRunner::~LoginCheckRunner() {
  warmExpiry_.disconnect();
  warm_.reset();
}

std::unique_ptr<PrivateBrowser> LoginCheckRunner::TakeBrowser() {
  // The warm browser has done nothing but start; it is taken once it has.
  if (warm_ && warm_->Started()) return std::move(warm_);
  warm_.reset();
  return std::make_unique<HiddenBrowser>(pump_);
}

std::optional<std::string> LoginCheckRunner::Run(std::vector<SiteRecord> sites, const std::string& masterID,
                                                 const std::string& masterPass, const std::string& serviceURL) {
  if (progress_) return std::nullopt;
  warmExpiry_.disconnect();
  LoginCheck check(std::move(sites), masterID, masterPass, serviceURL, [this] { return TakeBrowser(); });
  check.SetMasterLoginDecision([this](SiteLoginRequest& request) { hosts_.Decide(request, nullptr); });
  progress_ = std::make_unique<LoginCheckProgress>(parent_, [&check] { check.Stop(); });
  progress_->ShowDone(0, check.Total());
  check.Run([this](std::size_t done, std::size_t total) { progress_->ShowDone(done, total); });
  progress_.reset();
  if (pump_.Terminating()) return std::nullopt;
  return check.ReportPage();
}

void LoginCheckRunner::Warm() {
  // Starting a browser's engine takes longer than a login; the user takes
  // about as long to pick the entry, and memory is held only for a while.
  constexpr unsigned kKeepSeconds = 30;
  if (progress_) return;
  if (!warm_) {
    warm_ = std::make_unique<HiddenBrowser>(pump_);
    warm_->Start();
  }
  warmExpiry_.disconnect();
  warmExpiry_ = Glib::signal_timeout().connect_seconds(
      [this] {
        warm_.reset();
        return false;
      },
      kKeepSeconds);
}

}  // namespace morvane
