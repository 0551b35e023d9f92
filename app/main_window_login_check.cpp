// The login check of a category's sites or of the selected site: each site
// logs in as on a double-click, but in a hidden browser that shares nothing
// with the user's, and the report takes the browser tab's place once all are
// done (or stopped).
#include <glibmm/main.h>

#include <memory>
#include <vector>

#include "app/login_check_progress.h"
#include "app/main_window.h"
#include "browser/core/login_check.h"
#include "browser/core/master_login_hosts.h"
#include "browser/gtk/browser_frame_widget.h"
#include "browser/gtk/hidden_browser.h"
#include "catalogue/shown_sites.h"
#include "catalogue/site_filter.h"
#include "catalogue/site_record.h"
#include "util/user_dialogs.h"

namespace morvane {

void TForm1::miCheckCategoryLoginClick() {
  const TreeEntry* entry = catalogue_.Tree().Selected();
  if (!entry) return;
  // Every site of the entry, whatever the filter box hides, read straight
  // from its line.
  ShownSites rows(catalogue_.SiteList());
  BuildShownList(rows, entry->name, SiteFilter());
  std::vector<SiteRecord> sites;
  for (long long row = 0; row < rows.Count(); ++row) sites.push_back(SiteFromLine(rows.Get(row)));
  CheckLogins(std::move(sites));
}

void TForm1::miCheckLoginClick() {
  if (std::optional<SiteRecord> site = SelectedSite()) CheckLogins({std::move(*site)});
}

void TForm1::CheckLogins(std::vector<SiteRecord> sites) {
  if (sites.empty()) {
    Dialogs().ShowMessage("確認するサイトがありません");
    return;
  }
  // One check at a time; the progress window takes the input meanwhile.
  if (loginCheckProgress_) return;
  // Each host other than the service's that a master login would go to is
  // asked about once, before the check: not in the middle of it, site by site.
  for (const SiteRecord& site : sites) {
    SiteLoginRequest request = LoginRequestFor(site, catalogue_.MasterID(), catalogue_.MasterPass(), ServiceURL());
    DecideMasterLogin(request);
  }
  GlibMessagePump& pump = frBrowserBase1Widget->Pump();
  warmExpiry_.disconnect();
  LoginCheck check(std::move(sites), catalogue_.MasterID(), catalogue_.MasterPass(), ServiceURL(),
                   [this, &pump]() -> std::unique_ptr<PrivateBrowser> {
                     // The warm browser has done nothing but start; it is taken once it has.
                     if (warmBrowser_ && warmBrowser_->Started()) return std::move(warmBrowser_);
                     warmBrowser_.reset();
                     return std::make_unique<HiddenBrowser>(pump);
                   });
  check.SetMasterLoginDecision([this](SiteLoginRequest& request) { masterLoginHosts_->Decide(request, nullptr); });
  loginCheckProgress_ = std::make_unique<LoginCheckProgress>(*this, [&check] { check.Stop(); });
  loginCheckProgress_->ShowDone(0, check.Total());
  check.Run([this](std::size_t done, std::size_t total) { loginCheckProgress_->ShowDone(done, total); });
  loginCheckProgress_.reset();
  if (pump.Terminating()) return;
  frBrowserBase1().ShowHTML(check.ReportPage());
  PageControl1.set_current_page(PageControl1.page_num(tsBrowser));
}

void TForm1::WarmLoginCheck() {
  // Starting a browser's engine takes longer than a login; the user takes
  // about as long to pick the entry, and memory is held only for a while.
  constexpr unsigned kKeepSeconds = 30;
  if (loginCheckProgress_) return;
  if (!warmBrowser_) {
    warmBrowser_ = std::make_unique<HiddenBrowser>(frBrowserBase1Widget->Pump());
    warmBrowser_->Start();
  }
  warmExpiry_.disconnect();
  warmExpiry_ = Glib::signal_timeout().connect_seconds(
      [this] {
        warmBrowser_.reset();
        return false;
      },
      kKeepSeconds);
}

}  // namespace morvane
