#include "browser/core/login_check.h"

#include <algorithm>
#include <cstdio>

#include "navi/core/html_routines.h"
#include "util/cp932.h"

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
  SiteLogin login(browser.Frame(), browser.Pump());
  row.result = login.Run(request);
  // A closing window ends every wait at once: the rest would only fail.
  if (browser.Pump().Terminating()) stopRequested_ = true;
  row.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  return row;
}

PrivateBrowser& LoginCheck::FreshBrowser(std::size_t index) {
  std::unique_ptr<PrivateBrowser>& browser = browsers_[index % browsers_.size()];
  if (browser && !browser->Forgotten()) browser.reset();  // the old profile goes before the new one comes
  if (!browser) browser = newBrowser_();
  return *browser;
}

void LoginCheck::Run(const Progress& progress) {
  for (std::size_t index = 0; index < sites_.size() && !stopRequested_; ++index) {
    PrivateBrowser& browser = FreshBrowser(index);
    // The second browser starts while the first site logs in.
    if (index == 0 && sites_.size() > 1) FreshBrowser(1).BeginForgetting();
    rows_.push_back(Check(sites_[index], browser));
    browser.BeginForgetting();
    if (progress) progress(rows_.size(), sites_.size());
  }
  for (std::unique_ptr<PrivateBrowser>& browser : browsers_) browser.reset();
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
