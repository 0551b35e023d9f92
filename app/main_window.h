#pragma once
// The main window: the category tree, the virtual site list, the toolbar,
// the browser tab and the status bar, and the handlers behind them.
#include <glibmm/dispatcher.h>
#include <gtkmm/box.h>
#include <gtkmm/notebook.h>
#include <gtkmm/paned.h>
#include <gtkmm/searchentry.h>
#include <gtkmm/separatortoolitem.h>
#include <gtkmm/statusbar.h>
#include <gtkmm/toolbar.h>
#include <gtkmm/toolbutton.h>
#include <gtkmm/window.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/autosave_runner.h"
#include "app/category_tree_view.h"
#include "app/health_report_bar.h"
#include "app/login_check_runner.h"
#include "app/site_list_view.h"
#include "app/status_line.h"
#include "app/window_settings.h"
#include "catalogue/catalogue.h"
#include "catalogue/data_file_writes.h"
#include "catalogue/drop_rules.h"
#include "catalogue/site_record.h"
#include "health/health_check_run.h"
#include "util/data_paths.h"

namespace morvane {

class BrowserFrameWidget;
class TfrBrowserNavi;
class TForm2;
class TForm3;
class SiteLogin;
class MasterLoginHosts;
struct SiteLoginRequest;
class BrowserFrame;
class LoginCheckProgress;
class PrivateBrowser;
class OutsideChangeWatch;
struct OutsideChangeReport;

// The box's text naming the sites a save left out (CP932 names).
std::string LeftOutSitesText(const std::vector<std::string>& names);

struct MainWindowOptions {
  DataPaths paths;         // data folder and settings file
  std::string serviceUrl;  // --service-url: the analysis service's address for this run
};

class TForm1 : public Gtk::Window {
  // First, so that the views below never outlive what they show.
  MainWindowOptions options_;
  WindowSettings settings_;
  SiteCatalogue catalogue_;

 public:
  explicit TForm1(MainWindowOptions options);  // FormCreate
  ~TForm1() override;                          // FormDestroy

  // After the site and settings dialogs exist: settings, positions, the
  // list's columns, the site data file, the tree's first entry.
  void SetupMainWindow(TForm2& siteDialog, TForm3& settingsDialog);

  // Category tree.
  void ftSiteCategoryClick();
  void tbAddCategoryClick();
  void tbDeleteCategoryClick();
  bool ftSiteCategoryDragOver(DragSource source, const Gtk::TreeModel::Path& target);
  void ftSiteCategoryDragDrop(DragSource source, const Gtk::TreeModel::Path& target);

  // Sites.
  void tbAddSiteClick();
  void tbRenewsSiteClick();
  void tbDeleteSiteClick();
  void miDisplaySiteClick();
  void lvSiteListDblClick();
  // The login check: of every site in the selected category, or of the
  // selected site; the report is shown in the browser tab.
  void miCheckCategoryLoginClick();
  void miCheckLoginClick();
  // The progress window of a login check under way; null without one.
  LoginCheckProgress* LoginCheckShown() const { return loginCheck_ ? loginCheck_->Progress() : nullptr; }
  // The site health check of the same sites; its report too goes to the
  // browser tab, with the strip that saves it over the browser.
  void miCheckCategoryHealthClick();
  void miCheckHealthClick();
  LoginCheckProgress* HealthCheckShown() const { return healthProgress_.get(); }
  void tbGoToVexaAccessClick();
  // The analysis service's address for this run: --service-url, else the
  // settings file's, else the program's own.
  std::string ServiceURL() const;

  // Filter box and column headers: they change only what the list shows.
  void edFilterChange();
  void lvSiteListColumnClick(int column);

  // Master login, files, about.
  void tbSetIDPWClick();
  void tbImportClick();
  void tbExportClick();
  // Lists the data file's backups and goes back to the one chosen, the
  // catalogue as it stands kept as a backup first.
  void tbRestoreBackupClick();
  void tbExportCSVClick();
  void tbImportCSVClick();
  void tbImportBookmarksClick();
  void tbAboutClick();

  // A close asked by the user: settings, then the catalogue; true when the
  // window may close.
  bool FormCloseQuery();
  // A close asked by the system (logout, kill): nobody may be there to
  // answer, so a catalogue that cannot be saved goes to a time-stamped file
  // beside the data file. Gives the path written ("" when nothing could be).
  std::string CloseUnattended();

  void ShowEntry(std::string_view entryName);
  // The catalogue's edits announce themselves and are saved within a second;
  // a change made past them (straight to its site list) is saved so too
  // once this is called, before the main loop runs again.
  void CatalogueChanged();
  const AutosaveRunner& Autosave() const { return *autosave_; }
  // The status line: the browser frame's texts and the window's own.
  StatusLine& WindowStatus() { return *status_; }
  // "shown / total" of the list; once shown, kept true as the list changes.
  void ShowShownCount();

  // No lock on the data folder: nothing is written there this run.
  bool ReadOnly() const { return options_.paths.readOnly; }
  SiteCatalogue& Catalogue() { return catalogue_; }
  SettingsFile& IniFile() { return settings_.File(); }
  const std::string& ProposedExportName() const { return SaveDialog1FileName_; }
  std::string StatusText() const { return status_->Text(); }

  Gtk::Box Layout;
  Gtk::Toolbar ToolBar1;
  Gtk::ToolButton tbAddCategory, tbDeleteCategory, tbAddSite, tbRenewsSite, tbDeleteSite, tbGoToVexaAccess, tbSetIDPW,
      tbImport, tbExport, tbRestoreBackup, tbExportCSV, tbImportCSV, tbImportBookmarks, tbAbout;
  Gtk::SeparatorToolItem ToolSeparator1, ToolSeparator2, ToolSeparator3, ToolSeparator4, ToolSeparator5;
  Gtk::Paned Splitter2;  // the category tree | Panel1
  CategoryTreeView ftSiteCategory;
  Gtk::Paned Panel1;  // the site list over the pages; its handle is the list's splitter
  Gtk::Box ListPane;  // the filter box over the site list
  Gtk::SearchEntry edFilter;
  SiteListView lvSiteList;
  Gtk::Notebook PageControl1;
  Gtk::Box tsBrowser;
  HealthReportBar frHealthReport;
  // The browser on the "ブラウザ" tab; destroyed before the tab it sits on.
  std::unique_ptr<BrowserFrameWidget> frBrowserBase1Widget;
  BrowserFrame& frBrowserBase1();
  // The navigation toolbar above it; goes before the browser it drives.
  std::unique_ptr<TfrBrowserNavi> frBrowserNavi1;
  Gtk::Statusbar StatusBar1;

 private:
  void BuildLayout();
  void BuildToolBar();
  void ConnectViews();
  void ConnectFilter();
  // Shows the selected entry again, the same site staying selected when it
  // is still shown.
  void ReshowKeepingSelection();
  std::string SelectedSiteURL() const;
  // Shows the selected entry again with the site of that URL selected.
  void ReshowSelecting(const std::string& url);
  // A change to the data file from outside was taken in (or set aside).
  void AfterOutsideChange(const OutsideChangeReport& report);
  // A dialog of ours is open: a merge waits until it closes.
  bool DialogOpen() const;
  void WatchOutsideChanges(SiteDataLoadStatus loaded);
  // The data file is written at close: after taking in what changed outside
  // (told in boxes only when attended).
  bool SaveForClose(bool attended);
  // The settings dialog's fields take the catalogue's master login.
  void ShowMasterLogin();
  void AfterLoad(const SiteDataLoadResult& result);
  // An import or restore: the one point before a write keeps the catalogue
  // first; then what was read replaces it. False when it could not be kept.
  bool ReplaceCatalogue(DataFileWrite kind, SiteDataRead&& read);
  // The first half of it, also before a CSV import overwrites sites: false
  // (and told) when the catalogue could not be kept.
  bool KeepCatalogueFirst(DataFileWrite kind);
  // "サイト N 件、カテゴリ M 件" of the catalogue and of what would replace it.
  std::string ReplacementCounts(const SiteDataRead& read) const;
  std::optional<SiteRecord> SelectedSite();
  std::unique_ptr<SiteLogin> siteLogin_;
  std::unique_ptr<MasterLoginHosts> masterLoginHosts_;
  // Whether the request's master login may go to its site's host: asks the
  // user the first time a host other than the service's would get it.
  void DecideMasterLogin(SiteLoginRequest& request);
  void CheckLogins(std::vector<SiteRecord> sites);
  std::unique_ptr<LoginCheckRunner> loginCheck_;
  void CheckHealth(std::vector<HealthSite> sites);
  // On the main loop whenever the health check's thread has news.
  void HealthArrived();
  Glib::Dispatcher healthArrived_;
  std::unique_ptr<LoginCheckProgress> healthProgress_;
  std::unique_ptr<HealthCheckRun> healthRun_;  // after the dispatcher: its thread is gone first
  // Shows the site dialog; on OK stores its site and shows the list again.
  void StoreFromSiteDialog();

  // Before the autosave: its writing thread tells the watch of each write,
  // and is joined when the autosave goes.
  std::unique_ptr<OutsideChangeWatch> outsideWatch_;
  std::unique_ptr<AutosaveRunner> autosave_;
  // The site selected before a look that may merge, selected again after.
  std::string selectedBeforeLook_;
  std::unique_ptr<StatusLine> status_;
  AnnouncementConnection shownChanged_;
  TForm2* Form2_ = nullptr;
  TForm3* Form3_ = nullptr;
  std::string SaveDialog1FileName_;
};

}  // namespace morvane
