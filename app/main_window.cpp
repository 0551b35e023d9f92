#include "app/main_window.h"

#include <glibmm/main.h>

#include <algorithm>

#include "app/download_consent.h"
#include "app/login_check_progress.h"
#include "app/outside_change_watch.h"
#include "app/settings_dialog.h"
#include "app/site_dialog.h"
#include "browser/core/login_check.h"
#include "browser/core/master_login_hosts.h"
#include "browser/core/site_login.h"
#include "browser/gtk/browser_frame_widget.h"
#include "browser/gtk/webkit_engine.h"
#include "catalogue/site_data_file.h"
#include "catalogue/site_record.h"
#include "navi/gtk/browser_images.h"
#include "navi/gtk/browser_navi.h"
#include "util/cp932.h"
#include "util/text_routines.h"
#include "util/user_dialogs.h"

namespace morvane {
namespace {

constexpr WindowSize kDesignedSize{725, 540};
constexpr WindowSize kRoomySize{1100, 760};
constexpr int kDesignedTreeWidth = 161;
constexpr int kDesignedListHeight = 150;
constexpr int kFirstListSharePercent = 40;
// The panes never close: a splitter stops where a pane would be smaller.
constexpr int kSmallestPane = 48;
constexpr std::string_view kSiteListColumns =
    "No:40 サイト名:150 URL:150 カテゴリ:100 登録日付:120 解析URL:120 LoginID:80 LoginPass:80";

// Sites named in a box; the rest are counted.
constexpr std::size_t kLeftOutListed = 10;

}  // namespace

std::string LeftOutSitesText(const std::vector<std::string>& names) {
  std::string text =
      "保存できない文字（改行・NUL など）を含むため、次のサイトは保存されませんでした。"
      "サイトを修正するか削除してください。";
  for (std::size_t i = 0; i < names.size() && i < kLeftOutListed; ++i) text += "\n" + Cp932ToUtf8(names[i]);
  if (names.size() > kLeftOutListed) text += "\nほか " + std::to_string(names.size() - kLeftOutListed) + " 件";
  return text;
}

TForm1::TForm1(MainWindowOptions options)
    : options_(std::move(options)),
      settings_(options_.paths.settingsFile, options_.paths.readOnly, *this),
      catalogue_(options_.paths.folder),
      Layout(Gtk::ORIENTATION_VERTICAL),
      Splitter2(Gtk::ORIENTATION_HORIZONTAL),
      ftSiteCategory(catalogue_.Tree(), &catalogue_.Events()),
      Panel1(Gtk::ORIENTATION_VERTICAL),
      ListPane(Gtk::ORIENTATION_VERTICAL),
      lvSiteList(&catalogue_.ShownList(), &catalogue_.Events()),
      tsBrowser(Gtk::ORIENTATION_VERTICAL) {
  autosave_ =
      std::make_unique<AutosaveRunner>(catalogue_, [] { Dialogs().ShowError("サイトデータ保存に失敗しました"); });
  autosave_->SetOnLeftOut([](const std::vector<std::string>& names) { Dialogs().ShowError(LeftOutSitesText(names)); });
  // After the list's own refresh: the count is of the rows now shown.
  shownChanged_ = catalogue_.Events().shownChanged.Subscribe([this] {
    if (status_ && status_->CountInView()) ShowShownCount();
  });
  set_title(Cp932ToUtf8(ProgramTitle()) + (ReadOnly() ? "（読み取り専用）" : ""));
  // The designed size is the least; a first start gets room for the list
  // and the page side by side, and a saved size replaces both.
  set_size_request(kDesignedSize.width, kDesignedSize.height);
  const WindowSize first = FirstStartSize(kDesignedSize, kRoomySize, WorkAreaOf(*this));
  set_default_size(first.width, first.height);
  BuildLayout();
  // The designed list height shows four rows: at the roomier first size the
  // list takes a share of the height that reads as a list (a saved height
  // still replaces it).
  Panel1.set_position(std::max(kDesignedListHeight, first.height * kFirstListSharePercent / 100));
  frBrowserBase1Widget = std::make_unique<BrowserFrameWidget>(options_.paths.browserProfile);
  tsBrowser.pack_start(frHealthReport, Gtk::PACK_SHRINK);
  tsBrowser.pack_start(*frBrowserBase1Widget, Gtk::PACK_EXPAND_WIDGET);
  healthArrived_.connect(sigc::mem_fun(*this, &TForm1::HealthArrived));
  frBrowserBase1Widget->show();
  frBrowserBase1().InitBrowser();
  status_ = std::make_unique<StatusLine>(StatusBar1, frBrowserBase1());
  frBrowserBase1().SetStatusBar(status_.get());
  frBrowserBase1().SetDownloadChooser(ChooseDownloadTarget);
  frBrowserBase1Widget->Engine().SetSignInAsker([](const SignInRequest& request) -> std::optional<SignInAnswer> {
    const std::optional<UserDialogs::SignIn> given = Dialogs().AskSignIn(request.server, request.realm, request.retry);
    if (!given) return std::nullopt;
    return SignInAnswer{given->user, given->password};
  });
  frBrowserNavi1 = std::make_unique<TfrBrowserNavi>();
  frBrowserNavi1->AttachBrowser(*frBrowserBase1Widget);
  siteLogin_ = std::make_unique<SiteLogin>(frBrowserBase1());
  masterLoginHosts_ = std::make_unique<MasterLoginHosts>(settings_.File());
  loginCheck_ = std::make_unique<LoginCheckRunner>(*this, frBrowserBase1Widget->Pump(), *masterLoginHosts_);
}

TForm1::~TForm1() {
  loginCheck_.reset();
  frBrowserBase1().SetStatusBar(nullptr);
  frBrowserBase1().CloseBrowser();
}

BrowserFrame& TForm1::frBrowserBase1() { return frBrowserBase1Widget->Frame(); }

void TForm1::BuildLayout() {
  BuildToolBar();
  ConnectViews();
  ConnectFilter();

  PageControl1.append_page(tsBrowser, "ブラウザ");
  PageControl1.set_show_border(false);
  ftSiteCategory.SetAccessibleName("カテゴリ");
  lvSiteList.SetAccessibleName("サイト一覧");
  ListPane.pack_start(edFilter, Gtk::PACK_SHRINK);
  ListPane.pack_start(lvSiteList, Gtk::PACK_EXPAND_WIDGET);
  ListPane.set_size_request(-1, kSmallestPane);
  PageControl1.set_size_request(-1, kSmallestPane);
  ftSiteCategory.set_size_request(kSmallestPane, -1);
  Panel1.set_size_request(kSmallestPane, -1);
  Panel1.pack1(ListPane, /*resize=*/false, /*shrink=*/false);
  Panel1.pack2(PageControl1, /*resize=*/true, /*shrink=*/false);
  Splitter2.pack1(ftSiteCategory, /*resize=*/false, /*shrink=*/false);
  Splitter2.pack2(Panel1, /*resize=*/true, /*shrink=*/false);
  Splitter2.set_position(kDesignedTreeWidth);
  StatusBar1.set_margin_top(0);
  StatusBar1.set_margin_bottom(0);

  Layout.pack_start(ToolBar1, Gtk::PACK_SHRINK);
  Layout.pack_start(Splitter2, Gtk::PACK_EXPAND_WIDGET);
  Layout.pack_start(StatusBar1, Gtk::PACK_SHRINK);
  add(Layout);
  Layout.show_all();
}

void TForm1::BuildToolBar() {
  struct Button {
    Gtk::ToolButton& button;
    const char* hint;
    const char* icon;
    void (TForm1::*click)();
  };
  // Left to right, as the toolbar shows them; nullptr stands for a separator.
  const Button buttons[] = {
      {tbAddCategory, "新規カテゴリ作成", "folder-new-symbolic", &TForm1::tbAddCategoryClick},
      {tbDeleteCategory, "選択したカテゴリの削除", "user-trash-symbolic", &TForm1::tbDeleteCategoryClick},
      {tbAddSite, "新規サイト追加", "list-add-symbolic", &TForm1::tbAddSiteClick},
      {tbRenewsSite, "サイトの修正", "document-edit-symbolic", &TForm1::tbRenewsSiteClick},
      {tbDeleteSite, "選択したサイトの削除", "list-remove-symbolic", &TForm1::tbDeleteSiteClick},
      {tbGoToVexaAccess, "Vexaアクセス解析を表示", "web-browser-symbolic", &TForm1::tbGoToVexaAccessClick},
      {tbSetIDPW, "マスターID/PWの設定", "dialog-password-symbolic", &TForm1::tbSetIDPWClick},
      {tbImport, "サイトリストのインポート", "document-open-symbolic", &TForm1::tbImportClick},
      {tbExport, "サイトリストのエクスポート", "document-save-as-symbolic", &TForm1::tbExportClick},
      {tbRestoreBackup, "バックアップから戻す…", "document-revert-symbolic", &TForm1::tbRestoreBackupClick},
      {tbExportCSV, "CSVファイルに書き出す", "x-office-spreadsheet-symbolic", &TForm1::tbExportCSVClick},
      {tbImportCSV, "CSVファイルから読み込む", "morvane-csv-import-symbolic", &TForm1::tbImportCSVClick},
      {tbImportBookmarks, "ブックマークのインポート", "user-bookmarks-symbolic", &TForm1::tbImportBookmarksClick},
      {tbAbout, "このツールについて", "help-about-symbolic", &TForm1::tbAboutClick},
  };
  Gtk::SeparatorToolItem* separatorsBefore[] = {
      nullptr,         nullptr, &ToolSeparator1, nullptr, nullptr, &ToolSeparator2, &ToolSeparator3,
      &ToolSeparator4, nullptr, nullptr,         nullptr, nullptr, nullptr,         &ToolSeparator5};
  AddProgramIcons();
  ToolBar1.set_toolbar_style(Gtk::TOOLBAR_ICONS);
  ToolBar1.set_icon_size(Gtk::ICON_SIZE_SMALL_TOOLBAR);
  int i = 0;
  for (const Button& b : buttons) {
    if (Gtk::SeparatorToolItem* separator = separatorsBefore[i++]) ToolBar1.append(*separator);
    b.button.set_icon_name(b.icon);
    b.button.set_tooltip_text(b.hint);
    b.button.set_label(b.hint);
    if (b.click) b.button.signal_clicked().connect(sigc::mem_fun(*this, b.click));
    ToolBar1.append(b.button);
  }
}

void TForm1::ConnectViews() {
  ftSiteCategory.AcceptSitesFrom(lvSiteList);
  ftSiteCategory.signal_entry_selected().connect(sigc::mem_fun(*this, &TForm1::ftSiteCategoryClick));
  ftSiteCategory.signal_dropped().connect(sigc::mem_fun(*this, &TForm1::ftSiteCategoryDragDrop));
  lvSiteList.signal_row_double_clicked().connect(sigc::mem_fun(*this, &TForm1::lvSiteListDblClick));
  lvSiteList.miDisplaySite.signal_activate().connect(sigc::mem_fun(*this, &TForm1::miDisplaySiteClick));
  lvSiteList.miRenewsSite.signal_activate().connect(sigc::mem_fun(*this, &TForm1::tbRenewsSiteClick));
  lvSiteList.miDeleteSite.signal_activate().connect(sigc::mem_fun(*this, &TForm1::tbDeleteSiteClick));
  // The check waits for pages: not inside the menu's own activation.
  lvSiteList.miCheckLogin.signal_activate().connect(
      [this] { Glib::signal_idle().connect_once(sigc::mem_fun(*this, &TForm1::miCheckLoginClick)); });
  ftSiteCategory.miCheckCategoryLogin.signal_activate().connect(
      [this] { Glib::signal_idle().connect_once(sigc::mem_fun(*this, &TForm1::miCheckCategoryLoginClick)); });
  lvSiteList.miCheckHealth.signal_activate().connect(
      [this] { Glib::signal_idle().connect_once(sigc::mem_fun(*this, &TForm1::miCheckHealthClick)); });
  ftSiteCategory.miCheckCategoryHealth.signal_activate().connect(
      [this] { Glib::signal_idle().connect_once(sigc::mem_fun(*this, &TForm1::miCheckCategoryHealthClick)); });
  // A context menu that offers the login check starts a private browser as it opens.
  lvSiteList.PopupMenu1.signal_map().connect([this] { loginCheck_->Warm(); });
  ftSiteCategory.PopupMenu2.signal_map().connect([this] { loginCheck_->Warm(); });
}

void TForm1::SetupMainWindow(TForm2& siteDialog, TForm3& settingsDialog) {
  Form2_ = &siteDialog;
  Form3_ = &settingsDialog;
  Form2_->set_transient_for(*this);
  Form2_->SetBrowser(
      {[this] { return frBrowserBase1().GetLocationURL(); }, [this] { return frBrowserBase1().GetHTMLSource(); }});
  Form3_->set_transient_for(*this);
  settings_.Load(Splitter2, Panel1, kSmallestPane, siteDialog);

  lvSiteList.SetupColumns(kSiteListColumns);
  catalogue_.ChooseDataFileName(settings_.DataFileName());
  // Read-only, the data file is read as an import file is: a foreign one
  // stays where it is.
  const SiteDataLoadResult loaded =
      ReadOnly() ? catalogue_.LoadSiteData(catalogue_.DataFilePath()) : catalogue_.LoadSiteData();
  AfterLoad(loaded);
  if (!ReadOnly()) WatchOutsideChanges(loaded.status);
  if (!loaded.Loaded()) ftSiteCategory.Rebuild(true);  // a loaded tree is shown already
  ftSiteCategory.SelectEntry(catalogue_.Tree().FirstRoot());
  ftSiteCategoryClick();
  Form2_->FollowCategories(catalogue_.Tree(), catalogue_.Events());
  // The catalogue as loaded is the data file's: only what changes after is saved.
  if (!ReadOnly()) autosave_->FollowChanges();
}

void TForm1::AfterLoad(const SiteDataLoadResult& result) {
  if (result.status == SiteDataLoadStatus::Foreign)
    Dialogs().ShowError("読み込みに失敗しました。ファイル形式が異なります");
  if (!result.Loaded()) return;
  if (result.treeTextBad) Dialogs().ShowError(kTreeLoadErrorText);
  if (result.masterLoginLoaded) ShowMasterLogin();
}

void TForm1::ShowEntry(std::string_view entryName) { catalogue_.ShowEntry(entryName); }

void TForm1::CatalogueChanged() {
  if (!ReadOnly()) autosave_->Changed();
}

void TForm1::ShowShownCount() {
  status_->ShowCount(std::to_string(catalogue_.ShownList().Count()) + " / " +
                     std::to_string(catalogue_.ShownEntryTotal()));
}

void TForm1::ShowMasterLogin() {
  if (Form3_) Form3_->ShowMasterLogin(catalogue_.MasterID(), catalogue_.MasterPass());
}

bool TForm1::FormCloseQuery() {
  if (ReadOnly()) {
    frBrowserBase1Widget->Pump().SetTerminating(true);
    return true;
  }
  settings_.SaveForClose(catalogue_.DataFileName());
  autosave_->StopWriting();
  const bool saved = SaveForClose(true);
  autosave_->AfterOwnSave(saved);
  // Sites the save had to leave out are lost with the window: asked as a
  // failed save is.
  const std::vector<std::string>& leftOut = catalogue_.LeftOutOfLastSave();
  bool close = true;
  if (!saved) close = !AskDeclined("サイトデータ保存に失敗しました。このまま終了しますか？");
  else if (!leftOut.empty()) close = !AskDeclined(LeftOutSitesText(leftOut) + "\n\nこのまま終了しますか？");
  // Waits of the browser still on the stack end with the window.
  if (close) frBrowserBase1Widget->Pump().SetTerminating(true);
  return close;
}

}  // namespace morvane
