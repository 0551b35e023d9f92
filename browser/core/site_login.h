#pragma once
// Opening a site's analysis page and logging into the service's management
// page for the user, over the browser frame's public operations. The window
// only picks the site and shows the status text this gives back.
#include <optional>
#include <string>
#include <string_view>

#include "browser/core/browser_frame.h"
#include "browser/core/web_origin.h"
#include "catalogue/site_record.h"

namespace morvane {

// All texts CP932.
struct SiteLoginRequest {
  std::string accessURL;  // the site's page at the service
  std::string loginID;    // after the fall-back on the master login
  std::string password;
  std::string serviceURL;  // pages on its host count as the service's own too
  // After a login the site's page is opened once more, as a logged-in user
  // sees it; a check nobody looks at goes without.
  bool reopenAfterLogin = true;
  // The ID or the password is the master login's.
  bool usesMasterLogin = false;
  // The user would not have the master login sent to the page's host: the
  // page is opened, nothing is filled.
  bool masterLoginDeclined = false;
};

// The site's own ID and password, each falling back on the master login by itself.
SiteLoginRequest LoginRequestFor(const SiteRecord& site, std::string_view masterID, std::string_view masterPass,
                                 std::string_view serviceURL);

enum class LoginOutcome {
  Succeeded,
  Failed,
  Superseded,  // a newer attempt started during a wait and took the browser over
};

enum class LoginFailure {
  None,
  PageNotReached,  // load failed (detail: its status or failure number), or another site's page is shown
  LoadFailed,      // the server answers, but the browser could not show its page
  TimedOut,        // the page did not come within the wait's limit
  NoLoginForm,
  NoLoginID,
  Refused,       // the form is still there after submitting
  NotConfirmed,  // neither the ID nor the form on the page after submitting
  NoAnswer,      // the page did not answer a call: nothing is known of it
  Stopped,
  Skipped,
  MasterLoginDeclined,  // detail: the host the master login was not sent to
  SiteTimeLimit,        // a check gave the site up after its limit (detail: the seconds)
  PageProcessEnded,     // the browser's process for the page ended on the way
};

struct LoginResult {
  LoginOutcome outcome = LoginOutcome::Failed;
  LoginFailure failure = LoginFailure::None;
  std::string detail;  // the status code or failure behind PageNotReached
};

// The reason of a failure as the user reads it; empty for no failure.
std::string LoginFailureText(const LoginResult& result);

// The status line's text: success, or failure with its reason in brackets;
// empty for a superseded attempt, which leaves the newer one's text alone.
std::string LoginStatusText(const LoginResult& result);

class SiteLogin {
 public:
  // Login fields and the submit caption of the service's form.
  static constexpr std::string_view kIDField = "catname_d";
  static constexpr std::string_view kPasswordField = "pw_d";
  // A form built by a script after the page completed is looked for this
  // many 10 ms passes (5 s).
  static constexpr int kLateFormPasses = 500;

  explicit SiteLogin(BrowserFrame& frame) : frame_(frame) {}

  // Navigates to the site's page, waits, and logs in when the page asks for
  // it; then shows the analysis page once more, without waiting.
  LoginResult Run(const SiteLoginRequest& request);

 private:
  class Attempt;

  BrowserFrame& frame_;
  int attempts_ = 0;
};

}  // namespace morvane
