#pragma once
// The login check of many sites: each site runs the same login sequence as a
// double-click, one after another, in a private browser that shares nothing
// with the user's browser and has forgotten everything of the sites before
// (no cookie of theirs is left), and the outcomes become a report page. The sites
// are copies: nothing of the catalogue is changed.
#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/core/browser_frame.h"
#include "browser/core/message_pump.h"
#include "browser/core/site_login.h"
#include "catalogue/site_record.h"

namespace morvane {

// A browser the user does not see, with a fresh profile of its own that
// goes with it.
class PrivateBrowser {
 public:
  virtual ~PrivateBrowser() = default;
  virtual TfrBrowserBase& Frame() = 0;
  virtual MessagePump& Pump() = 0;
  // Starts leaving the page and forgetting every cookie and stored item, so
  // the next site starts as in a fresh profile; returns at once. On a new
  // browser it starts the engine.
  virtual void BeginForgetting() = 0;
  // Waits, processing events, until what BeginForgetting started has ended;
  // false when the browser could not be made to forget.
  virtual bool Forgotten() = 0;
};
using PrivateBrowserFactory = std::function<std::unique_ptr<PrivateBrowser>()>;

enum class LoginIDSource { Site, Master, None };

// One row of the report. Texts CP932; the password is never kept.
struct LoginCheckRow {
  std::string siteName;
  std::string accessURL;
  LoginResult result;
  std::chrono::milliseconds took{0};
  std::string loginID;
  LoginIDSource idSource = LoginIDSource::None;
};

class LoginCheck {
 public:
  using Progress = std::function<void(std::size_t done, std::size_t total)>;

  LoginCheck(std::vector<SiteRecord> sites, std::string masterID, std::string masterPass, std::string serviceURL,
             PrivateBrowserFactory browsers);

  // Checks the sites in order, calling progress after each; returns when all
  // are done, or after the site under way once Stop() was asked for or the
  // application began to end. Events are processed all along, as in every
  // wait of the browser.
  void Run(const Progress& progress);
  // Ends the run after the current site, whose login goes on to its end.
  void Stop() { stopRequested_ = true; }
  // Decides, before each site logs in, whether its master login may go to
  // its host (MasterLoginHosts); without one every host may have it.
  void SetMasterLoginDecision(std::function<void(SiteLoginRequest&)> decide) {
    decideMasterLogin_ = std::move(decide);
  }

  std::size_t Total() const { return sites_.size(); }
  const std::vector<LoginCheckRow>& Rows() const { return rows_; }
  bool Stopped() const { return stopRequested_ && rows_.size() < sites_.size(); }
  // The report as a page (CP932 HTML), every text from the catalogue escaped.
  std::string ReportPage() const;

 private:
  LoginCheckRow Check(const SiteRecord& site, PrivateBrowser& browser);
  // The browser for the site at index: of two browsers taking turns, the one
  // that has forgotten its last site while the other logged in (starting a
  // browser costs far more than a login); a new one if it could not forget.
  PrivateBrowser& FreshBrowser(std::size_t index);

  std::vector<SiteRecord> sites_;
  std::string masterID_, masterPass_, serviceURL_;
  PrivateBrowserFactory newBrowser_;
  std::array<std::unique_ptr<PrivateBrowser>, 2> browsers_;
  std::vector<LoginCheckRow> rows_;
  bool stopRequested_ = false;
  std::function<void(SiteLoginRequest&)> decideMasterLogin_;
};

}  // namespace morvane
