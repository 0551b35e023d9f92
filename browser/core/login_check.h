#pragma once
// The login check of many sites: each site runs the same login sequence as a
// double-click, one after another, each in a private browser of its own that
// shares nothing with the user's browser nor with the sites before it (what
// a page still sends after it is left can only reach its own session, which
// goes with its browser), and the outcomes become a report page. The sites
// are copies: nothing of the catalogue is changed.
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

// A browser the user does not see, with a fresh profile in memory that goes
// with it.
class PrivateBrowser {
 public:
  virtual ~PrivateBrowser() = default;
  virtual BrowserFrame& Frame() = 0;
  virtual MessagePump& Pump() = 0;
  // Starts the engine and returns at once: a start takes longer than a
  // login, so it is done while another site logs in.
  virtual void Start() = 0;
  // Waits, processing events, until what Start began has ended; false when
  // the engine did not come up.
  virtual bool Started() = 0;
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
  // However its page behaves, a site is given up after this long.
  static constexpr int kSiteLimitMilliseconds = 30000;

  LoginCheck(std::vector<SiteRecord> sites, std::string masterID, std::string masterPass, std::string serviceURL,
             PrivateBrowserFactory browsers);

  // Checks the sites in order, calling progress after each; returns when all
  // are done, or once Stop() was asked for or the application began to end.
  // Events are processed all along, as in every wait of the browser.
  void Run(const Progress& progress);
  // Ends the run at once: the site under way ends as stopped.
  void Stop();
  // Decides, before each site logs in, whether its master login may go to
  // its host (MasterLoginHosts); without one every host may have it.
  void SetMasterLoginDecision(std::function<void(SiteLoginRequest&)> decide) { decideMasterLogin_ = std::move(decide); }

  std::size_t Total() const { return sites_.size(); }
  const std::vector<LoginCheckRow>& Rows() const { return rows_; }
  // The run was stopped before every site had ended by itself.
  bool Stopped() const { return stopped_; }
  // The report as a page (CP932 HTML), every text from the catalogue escaped.
  std::string ReportPage() const;

 private:
  LoginCheckRow Check(const SiteRecord& site, PrivateBrowser& browser);
  // The browser started for the next site, or a new one if it did not come up.
  std::unique_ptr<PrivateBrowser> StartedBrowser(std::unique_ptr<PrivateBrowser> prepared);

  std::vector<SiteRecord> sites_;
  std::string masterID_, masterPass_, serviceURL_;
  PrivateBrowserFactory newBrowser_;
  PrivateBrowser* underWay_ = nullptr;  // the browser of the site being checked
  std::vector<LoginCheckRow> rows_;
  bool stopRequested_ = false;
  bool stopped_ = false;
  std::function<void(SiteLoginRequest&)> decideMasterLogin_;
};

}  // namespace morvane
