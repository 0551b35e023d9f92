#include "browser/core/login_check.h"

#include <algorithm>
#include <cstdio>
#include <deque>

#include "util/cp932.h"
#include "web/html_routines.h"

namespace morvane {
namespace {

void AppendCell(std::string& out, std::string_view text) {
  out += "<td>";
  AppendHTMLEscaped(out, text, true);
  out += "</td>";
}

std::string IDText(const LoginCheckRow& row) {
  switch (row.idSource) {
    case LoginIDSource::Site: return row.loginID + SystemText(" (サイトのID)");
    case LoginIDSource::Master: return row.loginID + SystemText(" (マスターID)");
    case LoginIDSource::None: break;
  }
  return SystemText("なし");
}

std::string OutcomeText(const LoginResult& result) {
  return SystemText(result.outcome == LoginOutcome::Succeeded ? "成功" : "失敗");
}

std::string Seconds(std::chrono::milliseconds took) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(took.count()) / 1000.0);
  return text + SystemText(" 秒");
}

}  // namespace

LoginCheck::LoginCheck(std::vector<SiteRecord> sites, std::string masterID, std::string masterPass,
                       std::string serviceURL, PrivateBrowserFactory browsers)
    : sites_(std::move(sites)),
      masterID_(std::move(masterID)),
      masterPass_(std::move(masterPass)),
      serviceURL_(std::move(serviceURL)),
      newBrowser_(std::move(browsers)) {}

LoginCheckRow LoginCheck::Check(const SiteRecord& site, PrivateBrowser& browser) {
  LoginCheckRow row;
  row.siteName = site.SiteName;
  row.accessURL = site.AccessURL;
  SiteLoginRequest request = LoginRequestFor(site, masterID_, masterPass_, serviceURL_);
  request.reopenAfterLogin = false;
  if (decideMasterLogin_) decideMasterLogin_(request);
  row.loginID = request.loginID;
  row.idSource = !site.LoginID.empty() ? LoginIDSource::Site
                 : !masterID_.empty()  ? LoginIDSource::Master
                                       : LoginIDSource::None;
  const auto start = std::chrono::steady_clock::now();
  BrowserFrame& frame = browser.Frame();
  // Each wait of a login has a limit of its own; a page that keeps them all
  // busy would still hold the check for minutes.
  frame.LimitWaits(browser.Pump().NowMilliseconds() + kSiteLimitMilliseconds);
  SiteLogin login(frame);
  row.result = login.Run(request);
  // Whatever the login made of its waits ending at once, this is why they did.
  if (stopRequested_) row.result = {LoginOutcome::Failed, LoginFailure::Stopped, {}};
  else if (frame.WaitsLimitReached() && row.result.outcome != LoginOutcome::Succeeded)
    row.result = {LoginOutcome::Failed, LoginFailure::SiteTimeLimit, std::to_string(kSiteLimitMilliseconds / 1000)};
  frame.LiftWaitsLimit();
  // A closing window ends every wait at once: the rest would only fail.
  if (browser.Pump().Terminating()) stopRequested_ = true;
  row.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  return row;
}

std::unique_ptr<PrivateBrowser> LoginCheck::StartedBrowser(std::unique_ptr<PrivateBrowser> prepared) {
  if (prepared && prepared->Started()) return prepared;
  prepared.reset();  // the failed one goes before the new one comes
  return newBrowser_();
}

void LoginCheck::Stop() {
  stopRequested_ = true;
  if (underWay_) underWay_->Frame().EndWaitsNow();
}

void LoginCheck::Run(const Progress& progress) {
  // Starting an engine takes longer than a login: the next sites' browsers
  // start while one logs in.
  constexpr std::size_t kStartedAhead = 2;
  std::deque<std::unique_ptr<PrivateBrowser>> ahead;
  std::size_t browsers = 0;
  for (std::size_t index = 0; index < sites_.size() && !stopRequested_; ++index) {
    std::unique_ptr<PrivateBrowser> browser;
    if (ahead.empty()) {
      // The first one starts with its site's page, unless it was started ahead.
      browser = newBrowser_();
      ++browsers;
    } else {
      browser = StartedBrowser(std::move(ahead.front()));
      ahead.pop_front();
      if (stopRequested_) break;
    }
    for (; browsers < sites_.size() && ahead.size() < kStartedAhead; ++browsers) {
      ahead.push_back(newBrowser_());
      ahead.back()->Start();
    }
    underWay_ = browser.get();
    rows_.push_back(Check(sites_[index], *browser));
    underWay_ = nullptr;
    // Its session goes with it, with whatever its pages still had under way.
    browser.reset();
    if (progress) progress(rows_.size(), sites_.size());
  }
  stopped_ = stopRequested_;
}

std::string LoginCheck::ReportPage() const {
  const std::string title = SystemText("ログイン確認");
  // Outcome, time and ID never break inside, so the table stays readable when narrow.
  std::string page = "<html><head><meta charset=\"Shift_JIS\"><title>" + title +
                     "</title><style>table{border-collapse:collapse}th,td{border:1px solid #999;padding:4px 8px}"
                     "td:nth-child(3),td:nth-child(5),td:nth-child(6){white-space:nowrap}</style></head><body><h1>" +
                     title + "</h1><p>";
  const auto failed = std::count_if(rows_.begin(), rows_.end(), [](const LoginCheckRow& row) {
    return row.result.outcome != LoginOutcome::Succeeded;
  });
  page += std::to_string(rows_.size()) + " / " + std::to_string(sites_.size()) + SystemText(" サイトを確認しました");
  if (failed) page += SystemText("（失敗 ") + std::to_string(failed) + SystemText("）");
  if (Stopped()) page += SystemText("（中止しました）");
  page += "</p><table><tr>";
  for (std::string_view head : {"サイト名", "解析URL", "結果", "理由", "時間", "ID"})
    page += "<th>" + SystemText(head) + "</th>";
  page += "</tr>";
  for (const LoginCheckRow& row : rows_) {
    page += "<tr>";
    AppendCell(page, row.siteName);
    AppendCell(page, row.accessURL);
    AppendCell(page, OutcomeText(row.result));
    AppendCell(page, LoginFailureText(row.result));
    AppendCell(page, Seconds(row.took));
    AppendCell(page, IDText(row));
    page += "</tr>";
  }
  page += "</table></body></html>";
  return page;
}

}  // namespace morvane
