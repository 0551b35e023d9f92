#include "browser/core/site_login.h"

#include <glib.h>

#include "browser/core/wait_limits.h"
#include "navi/core/html_routines.h"
#include "util/cp932.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

using wait_limits::kPassMilliseconds;
constexpr std::string_view kSubmitCaption = "管理画面ログイン";

struct Origin {
  std::string scheme, host;
  int port = -1;
};

bool ParseOrigin(std::string_view url, Origin& origin) {
  GUri* uri = g_uri_parse(std::string(url).c_str(), G_URI_FLAGS_ENCODED, nullptr);
  if (!uri) return false;
  const char* host = g_uri_get_host(uri);
  if (host && *host) {
    gchar* scheme = g_ascii_strdown(g_uri_get_scheme(uri), -1);
    gchar* lowerHost = g_ascii_strdown(host, -1);
    origin.scheme = scheme;
    origin.host = lowerHost;
    g_free(scheme);
    g_free(lowerHost);
    origin.port = g_uri_get_port(uri);
    if (origin.port < 0) origin.port = origin.scheme == "https" ? 443 : origin.scheme == "http" ? 80 : -1;
  }
  g_uri_unref(uri);
  return !origin.host.empty();
}

LoginResult Failed(LoginFailure failure, std::string detail = {}) {
  return {LoginOutcome::Failed, failure, std::move(detail)};
}

}  // namespace

SiteLoginRequest LoginRequestFor(const SiteRecord& site, std::string_view masterID, std::string_view masterPass,
                                 std::string_view serviceURL) {
  return {site.AccessURL, site.LoginID.empty() ? std::string(masterID) : site.LoginID,
          site.LoginPass.empty() ? std::string(masterPass) : site.LoginPass, std::string(serviceURL)};
}

std::string LoginFailureText(const LoginResult& result) {
  switch (result.failure) {
    case LoginFailure::PageNotReached:
      if (result.detail.empty()) return SystemText("ページを開けません: 別のページが表示されています");
      // An HTTP status reads as it is; the engine's failure numbers mean nothing to the user.
      if (result.detail.size() == 3) return SystemText("ページを開けません: ") + result.detail;
      return SystemText("ページを開けません: 接続できません");
    case LoginFailure::NoLoginForm: return SystemText("ログインフォームがありません");
    case LoginFailure::NoLoginID: return SystemText("ログインIDがありません");
    case LoginFailure::Refused: return SystemText("ログインが拒否されました");
    case LoginFailure::NotConfirmed: return SystemText("ログインを確認できません");
    case LoginFailure::Stopped: return SystemText("中止しました");
    case LoginFailure::None: break;
  }
  return {};
}

std::string LoginStatusText(const LoginResult& result) {
  switch (result.outcome) {
    case LoginOutcome::Succeeded: return SystemText("管理画面ログイン完了しました");
    case LoginOutcome::Failed: return SystemText("管理画面ログイン失敗しました") + " [" + LoginFailureText(result) + "]";
    case LoginOutcome::Superseded: break;
  }
  return {};
}

bool SameOrigin(std::string_view a, std::string_view b) {
  Origin first, second;
  if (!ParseOrigin(a, first) || !ParseOrigin(b, second)) return false;
  return first.scheme == second.scheme && first.host == second.host && first.port == second.port;
}

// One run of the sequence. Every wait in it processes messages, so another
// attempt may start and finish inside; this one then gives way.
class SiteLogin::Attempt {
 public:
  Attempt(SiteLogin& owner, const SiteLoginRequest& request)
      : owner_(owner), frame_(owner.frame_), request_(request), number_(++owner.attempts_) {}

  LoginResult Run() {
    frame_.NavigateTo(request_.accessURL, true);
    // A stop or skip during this wait only ends it: the checks below look at
    // whatever page is shown now.
    if (Superseded()) return Gone();
    if (request_.loginID.empty()) return Failed(LoginFailure::NoLoginID);
    if (std::optional<LoginResult> wrongPage = WrongPage()) return *wrongPage;

    // A page that holds the login form is not logged in, whatever it shows,
    // so where the form is it is filled at once; only a page without it is
    // looked at for the login, and then for a form a script builds later.
    if (!Fill()) {
      if (Superseded()) return Gone();
      const bool loggedIn = LoggedIn();
      if (Superseded()) return Gone();
      if (loggedIn) return Succeeded();
      if (std::optional<LoginResult> noForm = WaitForLoginForm()) return *noForm;
      if (std::optional<LoginResult> wrongPage = WrongPage()) return *wrongPage;
      if (!Fill()) return Superseded() ? Gone() : Failed(LoginFailure::NoLoginForm);
    }
    if (Superseded()) return Gone();
    // The page may have moved on while the fields were filled.
    if (std::optional<LoginResult> wrongPage = WrongPage()) return *wrongPage;
    const bool submitted = frame_.ClickElement("submit", SystemText(kSubmitCaption), false, true);
    if (Superseded()) return Gone();
    if (!frame_.LoadError().empty()) return Failed(LoginFailure::PageNotReached, frame_.LoadError());
    if (!submitted) return Failed(frame_.StopRequest() ? LoginFailure::Stopped : LoginFailure::NoLoginForm);

    const bool confirmed = LoggedIn();
    if (Superseded()) return Gone();
    if (confirmed) {
      if (request_.reopenAfterLogin) frame_.NavigateTo(request_.accessURL, false);
      return Succeeded();
    }
    return Failed(frame_.HasField(kIDField) ? LoginFailure::Refused : LoginFailure::NotConfirmed);
  }

 private:
  bool Superseded() const { return owner_.attempts_ != number_; }
  static LoginResult Gone() { return {LoginOutcome::Superseded, LoginFailure::None, {}}; }
  static LoginResult Succeeded() { return {LoginOutcome::Succeeded, LoginFailure::None, {}}; }

  // The ID on the page is not enough: a page that still asks for it is the
  // login page itself, which may well show a short ID somewhere.
  // A page shows an ID holding "&", "<" or ">" in its escaped form.
  bool LoggedIn() {
    const std::string source = frame_.GetHTMLSource();
    std::string escapedID;
    AppendHTMLEscaped(escapedID, request_.loginID, false);
    if (CharPos(request_.loginID, source) == 0 && CharPos(escapedID, source) == 0) return false;
    // A field's name stands in the markup: where the name is not, neither is the field.
    return source.find(kIDField) == std::string::npos || !frame_.HasField(kIDField);
  }

  // The ID and password go only into the page that was asked for.
  std::optional<LoginResult> WrongPage() {
    if (!frame_.LoadError().empty()) return Failed(LoginFailure::PageNotReached, frame_.LoadError());
    const std::string shown = frame_.GetLocationURL();
    if (SameOrigin(shown, request_.accessURL) || SameOrigin(shown, request_.serviceURL)) return std::nullopt;
    return Failed(LoginFailure::PageNotReached);
  }

  // A newer attempt may take the browser over while the ID goes in: the
  // password then stays out of its page.
  bool Fill() {
    return frame_.SetFieldValue(kIDField, request_.loginID, "", 0) && !Superseded() &&
           frame_.SetFieldValue(kPasswordField, request_.password, "", 0);
  }

  bool FormPresent() {
    return frame_.HasField(kIDField) && frame_.HasField(kPasswordField) &&
           frame_.HasElement("submit", SystemText(kSubmitCaption), false);
  }

  // A script may build the form after the page completed: look for it a
  // while, as long as nobody stops or skips. Each look runs page scripts
  // that wait themselves, so the limit is kept by the clock.
  std::optional<LoginResult> WaitForLoginForm() {
    const bool stopBefore = frame_.StopRequest();
    const bool skipBefore = frame_.SkipRequest();
    MessagePump& pump = owner_.pump_;
    const long long end = pump.NowMilliseconds() + static_cast<long long>(kLateFormPasses) * kPassMilliseconds;
    for (;;) {
      const bool present = FormPresent();
      if (Superseded()) return Gone();
      if (present) return std::nullopt;
      if (frame_.StopRequest() && !stopBefore) return Failed(LoginFailure::Stopped);
      if (pump.NowMilliseconds() >= end || (frame_.SkipRequest() && !skipBefore) || pump.Terminating())
        return Failed(LoginFailure::NoLoginForm);
      pump.Pause(kPassMilliseconds);
    }
  }

  SiteLogin& owner_;
  TfrBrowserBase& frame_;
  const SiteLoginRequest& request_;
  const int number_;
};

LoginResult SiteLogin::Run(const SiteLoginRequest& request) {
  // The request is copied: the caller's may be rebuilt by a nested attempt.
  const SiteLoginRequest own = request;
  return Attempt(*this, own).Run();
}

}  // namespace morvane
