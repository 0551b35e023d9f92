// Going back to an earlier catalogue: the backups in the data folder listed
// in a box, and the replacement that an import or a restore makes, always
// after the catalogue as it stood was kept as a backup.
#include <atomic>

#include "app/main_window.h"
#include "app/modal_runner.h"
#include "app/outside_change_watch.h"
#include "app/restore_dialog.h"
#include "app/work_progress.h"
#include "catalogue/data_file_backups.h"
#include "util/cp932.h"
#include "util/user_dialogs.h"

namespace morvane {
namespace {

// Backups smaller than this in all are read at once: a progress box would only flash.
constexpr std::uintmax_t kReadInBackgroundBytes = 1 << 20;

std::string Counts(long long sites, long long categories) {
  return "サイト " + std::to_string(sites) + " 件、カテゴリ " + std::to_string(categories) + " 件";
}

std::string KindName(BackupKind kind) {
  switch (kind) {
    case BackupKind::Daily: return "毎日の控え";
    case BackupKind::Rescue: return "終了時に保存できなかった分";
    case BackupKind::Kept: break;
  }
  return "控え";
}

}  // namespace

std::string TForm1::ReplacementCounts(const SiteDataRead& read) const {
  const long long categoriesAfter = read.tree ? read.CategoryCount() : CountCategories(catalogue_.Tree());
  return "現在: " + Counts(catalogue_.SiteList().Count(), CountCategories(catalogue_.Tree())) +
         "\r\n置き換え後: " + Counts(read.SiteCount(), categoriesAfter);
}

bool TForm1::KeepCatalogueFirst(DataFileWrite kind) {
  // Read-only, nothing of ours is written to the data folder, and the
  // catalogue in the window is never saved over anything.
  if (ReadOnly()) return true;
  // No write of ours may land between the copy kept and the change.
  autosave_->StopWriting();
  DataFileWriteCheck check;
  if (outsideWatch_) {
    selectedBeforeLook_ = SelectedSiteURL();
    check = outsideWatch_->BeforeWrite(kind);
  } else {
    check.catalogueNotKept = !catalogue_.KeepCatalogueCopy(std::chrono::system_clock::now(), &check.catalogueKept);
    check.mayWrite = !check.catalogueNotKept;
  }
  if (check.mayWrite) return true;
  Dialogs().ShowError(check.catalogueNotKept
                          ? "現在のカタログをバックアップとして残せないため、取り込みを見合わせました"
                          : "データファイルを保存できない状態のため、取り込みを見合わせました");
  CatalogueChanged();  // whatever was waiting to be saved still is
  return false;
}

bool TForm1::ReplaceCatalogue(DataFileWrite kind, SiteDataRead&& read) {
  if (!KeepCatalogueFirst(kind)) return false;
  AfterLoad(catalogue_.ApplySiteData(std::move(read)));
  return true;
}

void TForm1::tbRestoreBackupClick() {
  const std::vector<BackupFile> files = ListBackups(catalogue_.DataFilePath());
  if (files.empty()) {
    Dialogs().ShowMessage("データフォルダにバックアップがありません");
    return;
  }
  // Every backup is read for its counts; many large ones off this thread.
  std::vector<BackupSummary> summaries(files.size());
  std::atomic<std::size_t> done{0};
  std::atomic<bool> stop{false};
  std::uintmax_t total = 0;
  for (const BackupFile& f : files) total += f.size;
  const auto readAll = [&, identity = catalogue_.IdentityText()] {
    for (std::size_t i = 0; i < files.size() && !stop; ++i, ++done)
      summaries[i] = SummariseBackup(files[i].path, identity);
  };
  if (total <= kReadInBackgroundBytes) {
    readAll();
  } else if (!RunWithProgress(*this, "バックアップから戻す", "バックアップを読んでいます…",
                              {readAll, [&] { return static_cast<double>(done) / static_cast<double>(files.size()); },
                               [&] { stop = true; }})) {
    return;
  }

  std::vector<RestoreChoice> choices;
  for (std::size_t i = 0; i < files.size(); ++i)
    choices.push_back({files[i].ShownTime(), KindName(files[i].kind), summaries[i].sites, summaries[i].categories,
                       files[i].size, summaries[i].loadable});
  std::optional<std::size_t> chosen;
  {
    RestoreDialog box(this, choices);
    if (RunModal(box) != Gtk::RESPONSE_OK) return;
    chosen = box.Chosen();
  }
  if (!chosen) return;

  SiteDataRead read = catalogue_.ReadSiteData(files[*chosen].path);
  if (read.status != SiteDataLoadStatus::Loaded) {
    // Gone or changed since it was listed.
    Dialogs().ShowError("読み込みに失敗しました。ファイル形式が異なります");
    return;
  }
  const std::string when = files[*chosen].ShownTime();
  if (AskDeclined(when +
                  " のバックアップに戻します。現在のカタログはバックアップとして残します。よろしいですか？\r\n\r\n" +
                  ReplacementCounts(read)))
    return;
  if (ReplaceCatalogue(DataFileWrite::Restore, std::move(read)))
    status_->ShowWindowText(Utf8ToCp932(when + " のバックアップに戻しました"));
}

}  // namespace morvane
