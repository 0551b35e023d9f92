// The handlers behind the main window's toolbar, tree, list and menu.
#include <chrono>

#include "app/main_window.h"
#include "app/outside_change_watch.h"
#include "app/settings_dialog.h"
#include "app/site_dialog.h"
#include "browser/core/master_login_hosts.h"
#include "browser/core/service_address.h"
#include "browser/core/site_login.h"
#include "browser/gtk/browser_frame_widget.h"
#include "catalogue/site_data_file.h"
#include "catalogue/site_record.h"
#include "util/container_file.h"
#include "util/cp932.h"
#include "util/safe_file_writer.h"
#include "util/text_routines.h"
#include "util/user_dialogs.h"

namespace morvane {
namespace {

const FileFilter kImportFilters[] = {
    {"データファイル(*.dat)", "*.dat"},
    {"テキストファイル(*.txt)", "*.txt"},
    {"すべてのファイル(*.*)", "*"},
};
// The export box offers the first two only.
constexpr std::size_t kExportFilterCount = 2;

}  // namespace

// ---- Category tree ----

// Nothing selected: nothing to show, and no message.
void TForm1::ftSiteCategoryClick() { catalogue_.ShowSelectedEntry(); }

void TForm1::tbAddCategoryClick() {
  const std::optional<std::string> typed = Dialogs().InputText("カテゴリの追加", "カテゴリ名を入力してください", "");
  if (!typed) return;
  switch (catalogue_.AddCategory(Utf8ToCp932(*typed))) {
    case AddCategoryResult::Empty: Dialogs().ShowError("カテゴリ名が入力されていません"); return;
    case AddCategoryResult::Duplicate: Dialogs().ShowError("既に同じ名前のカテゴリが設定されています"); return;
    case AddCategoryResult::Added: break;
  }
  ftSiteCategory.GrabFocus();
}

void TForm1::tbDeleteCategoryClick() {
  CategoryTree& tree = catalogue_.Tree();
  TreeEntry* selected = tree.Selected();
  switch (tree.CheckDeletable(selected)) {
    case DeleteCategoryResult::NothingSelected: Dialogs().ShowError("カテゴリが選択されていません"); return;
    case DeleteCategoryResult::SystemEntry: Dialogs().ShowError("システムカテゴリは削除できません"); return;
    case DeleteCategoryResult::Deleted: break;
  }
  if (AskDeclined("選択したカテゴリを削除しますか？\r\n\r\n [" + Cp932ToUtf8(selected->name) + "]")) return;
  catalogue_.DeleteCategory(selected);
}

bool TForm1::ftSiteCategoryDragOver(DragSource source, const Gtk::TreeModel::Path& target) {
  return ftSiteCategory.DropAccepted(source, target);
}

void TForm1::ftSiteCategoryDragDrop(DragSource source, const Gtk::TreeModel::Path& target) {
  if (!ftSiteCategoryDragOver(source, target)) return;
  // A moved category keeps its sites: the list needs no refresh.
  if (source == DragSource::CategoryTree) {
    if (catalogue_.MoveCategory(catalogue_.Tree().Selected(), ftSiteCategory.EntryAt(target)))
      ftSiteCategory.GrabFocus();
    return;
  }
  catalogue_.DropSite(lvSiteList.SelectedRow(), ftSiteCategory.EntryAt(target));
}

// ---- Sites ----

std::optional<SiteRecord> TForm1::SelectedSite() {
  const std::string* line = catalogue_.ShownList().Find(lvSiteList.SelectedRow());
  if (!line) {
    Dialogs().ShowError("サイトが選択されていません");
    return std::nullopt;
  }
  return SiteFromLine(*line);
}

void TForm1::StoreFromSiteDialog() {
  if (!Form2_->ShowModal()) return;
  catalogue_.StoreSite(Form2_->SiteRec);
}

void TForm1::tbAddSiteClick() {
  Form2_->ResetForNewSite();
  StoreFromSiteDialog();
}

void TForm1::tbRenewsSiteClick() {
  const std::optional<SiteRecord> site = SelectedSite();
  if (!site) return;
  Form2_->FillFrom(*site);
  StoreFromSiteDialog();
}

void TForm1::tbDeleteSiteClick() {
  const std::optional<SiteRecord> site = SelectedSite();
  if (!site) return;
  if (AskDeclined("選択したサイトを削除しますか？\r\n\r\n[" + Cp932ToUtf8(site->SiteName) + "]")) return;
  catalogue_.DeleteSite(site->SiteURL);
}

void TForm1::miDisplaySiteClick() {
  const std::optional<SiteRecord> site = SelectedSite();
  if (site) frBrowserBase1().NavigateTo(site->SiteURL, false);
}

void TForm1::lvSiteListDblClick() {
  // Without a selected row nothing happens, not even a message.
  const std::string* line = catalogue_.ShownList().Find(lvSiteList.SelectedRow());
  if (!line) return;
  const SiteRecord site = SiteFromLine(*line);
  SiteLoginRequest request = LoginRequestFor(site, catalogue_.MasterID(), catalogue_.MasterPass(), ServiceURL());
  DecideMasterLogin(request);
  const LoginResult result = siteLogin_->Run(request);
  const std::string text = LoginStatusText(result);
  if (!text.empty()) status_->ShowLoginOutcome(text);
}

void TForm1::DecideMasterLogin(SiteLoginRequest& request) {
  const bool answered = masterLoginHosts_->Decide(
      request, [](std::string_view host) { return Dialogs().AskYesNo(MasterLoginHosts::Question(host)); });
  if (answered) settings_.Save();
}

std::string TForm1::ServiceURL() const { return ServiceURLInForce(options_.serviceUrl, settings_.ServiceURL()); }

void TForm1::tbGoToVexaAccessClick() {
  frBrowserBase1().NavigateTo(ManagementPageURL(ServiceURL()), true);
  PageControl1.set_current_page(PageControl1.page_num(tsBrowser));
}

// ---- Master login, import, export, about ----

void TForm1::tbSetIDPWClick() {
  ShowMasterLogin();
  Form3_->ShowServiceURL(settings_.ServiceURL());
  if (!Form3_->ShowModal()) return;
  catalogue_.SetMasterLogin(Form3_->TypedLoginID(), Form3_->TypedLoginPW());
  settings_.SetServiceURL(Form3_->TypedServiceURL());
  settings_.Save();
}

void TForm1::tbImportClick() {
  const std::optional<std::string> file =
      Dialogs().OpenFile("サイトリストのインポート", kImportFilters, std::size(kImportFilters));
  if (!file) return;
  SaveDialog1FileName_ = *file;
  SiteDataRead read = catalogue_.ReadSiteData(*file);
  if (read.status == SiteDataLoadStatus::Foreign)
    Dialogs().ShowError("読み込みに失敗しました。ファイル形式が異なります");
  // Replacing is destructive: asked first, with what goes and what comes.
  if (read.status == SiteDataLoadStatus::Loaded &&
      !AskDeclined("現在のカタログを置き換えます。よろしいですか？\r\n\r\n" + ReplacementCounts(read)))
    ReplaceCatalogue(DataFileWrite::Import, std::move(read));
}

void TForm1::tbExportClick() {
  const std::optional<std::string> file = Dialogs().SaveFileNamed("サイトリストのエクスポート", kImportFilters,
                                                                  kExportFilterCount, "dat", SaveDialog1FileName_);
  if (!file) return;
  SaveDialog1FileName_ = *file;
  // Said, since the user would otherwise take the export for done.
  if (!catalogue_.SaveSiteData(*file)) Dialogs().ShowError("エクスポートに失敗しました");
  else if (const auto& leftOut = catalogue_.LeftOutOfLastSave(); !leftOut.empty())
    Dialogs().ShowError(LeftOutSitesText(leftOut));
}

void TForm1::tbAboutClick() {
  Dialogs().ShowMessage(Cp932ToUtf8(ProgramTitle()) + "\n\nデータフォルダ: " + options_.paths.folder);
}

// ---- Closing ----

std::string TForm1::CloseUnattended() {
  frBrowserBase1Widget->Pump().SetTerminating(true);
  if (ReadOnly()) return {};
  settings_.SaveForClose(catalogue_.DataFileName());
  autosave_->StopWriting();
  if (SaveForClose(false)) return catalogue_.DataFilePath();
  if (outsideWatch_) outsideWatch_->BeforeWrite(DataFileWrite::Rescue, false);
  const std::string path = catalogue_.DataFilePath();
  const std::string rescue = TimeStampedName(path, std::chrono::system_clock::now());
  return catalogue_.SaveSiteData(rescue) ? rescue : std::string();
}

}  // namespace morvane
