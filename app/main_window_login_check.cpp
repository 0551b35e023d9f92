// The login check of a category's sites or of the selected site: each site
// logs in as on a double-click, but in a hidden browser that shares nothing
// with the user's, and the report takes the browser tab's place once all are
// done (or stopped).
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "browser/core/site_login.h"
#include "browser/gtk/browser_frame_widget.h"
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
  if (loginCheck_->Progress()) return;
  // Each host other than the service's that a master login would go to is
  // asked about once, before the check: not in the middle of it, site by site.
  for (const SiteRecord& site : sites) {
    SiteLoginRequest request = LoginRequestFor(site, catalogue_.MasterID(), catalogue_.MasterPass(), ServiceURL());
    DecideMasterLogin(request);
  }
  const std::optional<std::string> report =
      loginCheck_->Run(std::move(sites), catalogue_.MasterID(), catalogue_.MasterPass(), ServiceURL());
  if (!report) return;
  frBrowserBase1().ShowHTML(*report);
  PageControl1.set_current_page(PageControl1.page_num(tsBrowser));
}

}  // namespace morvane
