#include "browser/core/site_login.h"

#include "util/cp932.h"
#include "util/text_routines.h"
#include "web/html_routines.h"

namespace morvane {
namespace {

using WaitEnd = BrowserFrame::WaitEnd;
using CallEnd = BrowserFrame::CallEnd;
using FillResult = BrowserFrame::FillResult;
constexpr std::string_view kSubmitCaption = "管理画面ログイン";

LoginResult Failed(LoginFailure failure, std::string detail = {}) {
  return {LoginOutcome::Failed, failure, std::move(detail)};
}

}  // namespace

SiteLoginRequest LoginRequestFor(const SiteRecord& site, std::string_view masterID, std::string_view masterPass,
                                 std::string_view serviceURL) {
  SiteLoginRequest request{site.AccessURL, site.LoginID.empty() ? std::string(masterID) : site.LoginID,
                           site.LoginPass.empty() ? std::string(masterPass) : site.LoginPass, std::string(serviceURL)};
  request.usesMasterLogin =
      (site.LoginID.empty() && !masterID.empty()) || (site.LoginPass.empty() && !masterPass.empty());
  return request;
}

std::string LoginFailureText(const LoginResult& result) {
  switch (result.failure) {
    case LoginFailure::PageNotReached:
      if (result.detail.empty()) return SystemText("ページを開けません: 別のページが表示されています");
      // An HTTP status reads as it is; the engine's failure numbers mean nothing to the user.
      if (result.detail.size() == 3) return SystemText("ページを開けません: ") + result.detail;
      if (result.detail == std::to_string(kRestrictedPortFailure))
        return SystemText("ページを開けません: 使用できないポートです");
      return SystemText("ページを開けません: 接続できません");
    case LoginFailure::LoadFailed: return SystemText("ページを開けません: 読み込みに失敗しました");
    case LoginFailure::TimedOut: return SystemText("ページを開けません: 時間切れです");
    case LoginFailure::NoLoginForm: return SystemText("ログインフォームがありません");
    case LoginFailure::NoLoginID: return SystemText("ログインIDがありません");
    case LoginFailure::Refused: return SystemText("ログインが拒否されました");
    case LoginFailure::NotConfirmed: return SystemText("ログインを確認できません");
    case LoginFailure::NoAnswer: return SystemText("ページが応答しません");
    case LoginFailure::Stopped: return SystemText("中止しました");
    case LoginFailure::Skipped: return SystemText("待機をスキップしました");
    case LoginFailure::MasterLoginDeclined:
      return SystemText("マスターIDとパスワードを ") + result.detail + SystemText(" には送信しません");
    case LoginFailure::SiteTimeLimit:
      return SystemText("時間切れです: ") + result.detail + SystemText(" 秒で打ち切りました");
    case LoginFailure::PageProcessEnded: return SystemText("ブラウザの表示プロセスが終了しました");
    case LoginFailure::None: break;
  }
  return {};
}

std::string LoginStatusText(const LoginResult& result) {
  switch (result.outcome) {
    case LoginOutcome::Succeeded: return SystemText("管理画面ログイン完了しました");
    case LoginOutcome::Failed:
      return SystemText("管理画面ログイン失敗しました") + " [" + LoginFailureText(result) + "]";
    case LoginOutcome::Superseded: break;
  }
  return {};
}

// One run of the sequence. Every wait in it processes messages, so another
// attempt may start and finish inside; this one then gives way. A page call
// that was not answered is no answer: nothing is concluded from it.
class SiteLogin::Attempt {
 public:
  Attempt(SiteLogin& owner, const SiteLoginRequest& request)
      : owner_(owner),
        frame_(owner.frame_),
        request_(request),
        number_(++owner.attempts_),
        origins_{OriginOf(request.accessURL), OriginOf(request.serviceURL)},
        processEnds_(owner.frame_.PageProcessEnds()) {}

  // Whatever step a failure came from, a page whose process ended on the
  // way failed for that.
  LoginResult Run() {
    const LoginResult result = Steps();
    if (result.outcome == LoginOutcome::Failed && ProcessEnded()) return Failed(LoginFailure::PageProcessEnded);
    return result;
  }

 private:
  LoginResult Steps() {
    frame_.NavigateTo(request_.accessURL, true);
    // A stop or skip during this wait only ends it: the checks below look at
    // whatever page is shown now, and the page itself refuses a fill when it
    // is not the one asked for. A wait that ran out of time fills nothing.
    if (Superseded()) return Gone();
    if (ProcessEnded()) return Failed(LoginFailure::PageProcessEnded);
    if (request_.loginID.empty()) return Failed(LoginFailure::NoLoginID);
    if (request_.masterLoginDeclined) return Failed(LoginFailure::MasterLoginDeclined, HostOf(request_.accessURL));
    if (std::optional<LoginResult> notLoaded = LoadFailure()) return *notLoaded;
    if (frame_.LastWaitEnd() == WaitEnd::TimedOut) return Failed(LoginFailure::TimedOut);
    if (std::optional<LoginResult> wrongPage = WrongPage()) return *wrongPage;

    // A page that holds the login form is not logged in, whatever it shows,
    // so where the form is it is filled at once; only a page without it is
    // looked at for the login, and then for a form a script builds later.
    FillResult filled = Fill();
    if (Superseded()) return Gone();
    if (filled == FillResult::NoField) {
      const std::optional<bool> loggedIn = LoggedIn();
      if (Superseded()) return Gone();
      if (!loggedIn) return Unanswered();
      if (*loggedIn) return Succeeded();
      if (std::optional<LoginResult> noForm = WaitForLoginForm()) return *noForm;
      if (std::optional<LoginResult> wrongPage = WrongPage()) return *wrongPage;
      filled = Fill();
      if (Superseded()) return Gone();
      if (filled == FillResult::NoField) return Failed(LoginFailure::NoLoginForm);
    }
    if (filled == FillResult::OtherPage) return Failed(LoginFailure::PageNotReached);
    if (filled == FillResult::NoAnswer) return Unanswered();

    // The page may have moved on while the fields were filled.
    if (std::optional<LoginResult> wrongPage = WrongPage()) return *wrongPage;
    const bool submitted = frame_.ClickElement("submit", SystemText(kSubmitCaption), false, true);
    if (Superseded()) return Gone();
    if (ProcessEnded()) return Failed(LoginFailure::PageProcessEnded);
    if (std::optional<LoginResult> notLoaded = LoadFailure()) return *notLoaded;
    if (!frame_.PageAnswered()) return Unanswered();
    switch (frame_.LastWaitEnd()) {
      case WaitEnd::Stopped: return Failed(LoginFailure::Stopped);
      case WaitEnd::Skipped: return Failed(LoginFailure::Skipped);
      case WaitEnd::TimedOut: return Failed(LoginFailure::TimedOut);
      default: break;
    }
    if (!submitted) return Failed(LoginFailure::NoLoginForm);

    const std::optional<bool> confirmed = LoggedIn();
    if (Superseded()) return Gone();
    if (!confirmed) return Unanswered();
    if (*confirmed) {
      if (request_.reopenAfterLogin) frame_.NavigateTo(request_.accessURL, false);
      return Succeeded();
    }
    const bool formAgain = frame_.HasField(kIDField);
    if (Superseded()) return Gone();
    if (!frame_.PageAnswered()) return Unanswered();
    return Failed(formAgain ? LoginFailure::Refused : LoginFailure::NotConfirmed);
  }

  bool Superseded() const { return owner_.attempts_ != number_; }
  bool ProcessEnded() const { return frame_.PageProcessEnds() != processEnds_; }
  static LoginResult Gone() { return {LoginOutcome::Superseded, LoginFailure::None, {}}; }
  static LoginResult Succeeded() { return {LoginOutcome::Succeeded, LoginFailure::None, {}}; }

  // Why the last page call went unanswered.
  LoginResult Unanswered() const {
    switch (frame_.LastCallEnd()) {
      case CallEnd::Stopped: return Failed(LoginFailure::Stopped);
      case CallEnd::Skipped: return Failed(LoginFailure::Skipped);
      default: return Failed(LoginFailure::NoAnswer);
    }
  }

  std::optional<LoginResult> LoadFailure() const {
    if (frame_.LoadError().empty()) return std::nullopt;
    if (frame_.QueriedStatus() == "200") return Failed(LoginFailure::LoadFailed, frame_.LoadError());
    return Failed(LoginFailure::PageNotReached, frame_.LoadError());
  }

  // The ID on the page is not enough: a page that still asks for it is the
  // login page itself, which may well show a short ID somewhere.
  // A page shows an ID holding "&", "<" or ">" in its escaped form.
  // nullopt when the page did not answer.
  std::optional<bool> LoggedIn() {
    const std::string source = frame_.GetHTMLSource();
    if (!frame_.PageAnswered()) return std::nullopt;
    std::string escapedID;
    AppendHTMLEscaped(escapedID, request_.loginID, false);
    if (CharPos(request_.loginID, source) == 0 && CharPos(escapedID, source) == 0) return false;
    // A field's name stands in the markup: where the name is not, neither is the field.
    if (source.find(kIDField) == std::string::npos) return true;
    const bool field = frame_.HasField(kIDField);
    if (!frame_.PageAnswered()) return std::nullopt;
    return !field;
  }

  // A cheap first look at the address of the document shown; the fill
  // itself is what the page checks.
  std::optional<LoginResult> WrongPage() {
    if (std::optional<LoginResult> notLoaded = LoadFailure()) return notLoaded;
    const std::string shown = frame_.GetLocationURL();
    if (SameOrigin(shown, request_.accessURL) || SameOrigin(shown, request_.serviceURL)) return std::nullopt;
    return Failed(LoginFailure::PageNotReached);
  }

  // A newer attempt may take the browser over while the ID goes in: the
  // password then stays out of its page.
  FillResult Fill() {
    const FillResult id = frame_.FillField(kIDField, request_.loginID, "", 0, origins_);
    if (id != FillResult::Filled || Superseded()) return id;
    const FillResult password = frame_.FillField(kPasswordField, request_.password, "", 0, origins_);
    // The ID went in: a form without the password field is no login form.
    return password;
  }

  // Present, absent, or nullopt when the page did not answer.
  std::optional<bool> FormPresent() {
    const bool present = frame_.HasField(kIDField) && frame_.HasField(kPasswordField) &&
                         frame_.HasElement("submit", SystemText(kSubmitCaption), false);
    if (!frame_.PageAnswered()) return std::nullopt;
    return present;
  }

  // A script may build the form after the page completed: look for it a
  // while, as long as nobody stops or skips.
  std::optional<LoginResult> WaitForLoginForm() {
    std::optional<bool> present;
    const WaitEnd end = frame_.LookWhile(
        [&] {
          present = FormPresent();
          return present == false && !Superseded();
        },
        kLateFormPasses);
    if (Superseded()) return Gone();
    if (end == WaitEnd::Stopped) return Failed(LoginFailure::Stopped);
    // A skip, the end of the time or of the application gives up the look:
    // the page has no form, as far as anyone waited.
    if (end != WaitEnd::Done) return Failed(LoginFailure::NoLoginForm);
    if (present == true) return std::nullopt;
    // The last look went unanswered.
    switch (frame_.LastCallEnd()) {
      case CallEnd::Stopped: return Failed(LoginFailure::Stopped);
      case CallEnd::Failed:
      case CallEnd::PageProcessEnded: return Failed(LoginFailure::NoAnswer);
      default: return Failed(LoginFailure::NoLoginForm);
    }
  }

  SiteLogin& owner_;
  BrowserFrame& frame_;
  const SiteLoginRequest& request_;
  const int number_;
  const std::vector<std::string> origins_;
  const unsigned long processEnds_;
};

LoginResult SiteLogin::Run(const SiteLoginRequest& request) {
  // The request is copied: the caller's may be rebuilt by a nested attempt.
  const SiteLoginRequest own = request;
  return Attempt(*this, own).Run();
}

}  // namespace morvane
