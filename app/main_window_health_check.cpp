// The site health check of a category's sites or of the selected site: the
// sites are asked off the main loop, the progress window counts them, and
// the report takes the browser tab once all are done (or stopped).
#include "app/login_check_progress.h"
#include "app/main_window.h"
#include "browser/gtk/browser_frame_widget.h"
#include "catalogue/site_record.h"
#include "health/catalogue_sites.h"
#include "health/health_check_run.h"
#include "util/cp932.h"
#include "util/user_dialogs.h"

namespace morvane {

void TForm1::miCheckCategoryHealthClick() {
  const TreeEntry* entry = catalogue_.Tree().Selected();
  if (!entry) return;
  // Every site of the entry, whatever the filter box hides.
  CheckHealth(HealthSitesOfEntry(catalogue_.SiteList(), entry->name));
}

void TForm1::miCheckHealthClick() {
  std::optional<SiteRecord> site = SelectedSite();
  if (!site) return;
  CheckHealth({{Cp932ToUtf8(site->SiteName), Cp932ToUtf8(site->SiteURL), Cp932ToUtf8(site->AccessURL)}});
}

void TForm1::CheckHealth(std::vector<HealthSite> sites) {
  if (sites.empty()) {
    Dialogs().ShowMessage("確認するサイトがありません");
    return;
  }
  // One check at a time; the progress window takes the input meanwhile.
  if (healthRun_ || LoginCheckShown()) return;
  HealthCheckSetup setup;
  setup.sites = std::move(sites);
  setup.catalogue = CatalogueSiteKeys(catalogue_.SiteList());
  if (!ReadOnly()) setup.historyPath = catalogue_.DataFolder() + std::string(kHealthHistoryFileName);
  setup.serviceURL = Cp932ToUtf8(ServiceURL());
  const std::size_t total = setup.sites.size();
  healthRun_ = std::make_unique<HealthCheckRun>(std::move(setup), [this] { healthArrived_.emit(); });
  healthProgress_ = std::make_unique<LoginCheckProgress>(*this, [this] {
    if (healthRun_) healthRun_->Stop();
  });
  healthProgress_->ShowTexts("サイトの状態の確認", "サイトの状態を確認しています: ");
  healthProgress_->ShowDone(0, total);
}

void TForm1::HealthArrived() {
  if (!healthRun_ || !healthRun_->Take()) return;
  if (healthProgress_) healthProgress_->ShowDone(healthRun_->Checked(), healthRun_->Total());
  if (!healthRun_->Finished()) return;
  HealthReport report = healthRun_->Report();
  healthRun_.reset();
  healthProgress_.reset();
  frBrowserBase1().ShowHTML(AsciiOnlyHTML(HealthReportHTML(report)));
  PageControl1.set_current_page(PageControl1.page_num(tsBrowser));
  frHealthReport.Show(std::move(report));
}

}  // namespace morvane
