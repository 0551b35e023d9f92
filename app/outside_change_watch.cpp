#include "app/outside_change_watch.h"

#include <glibmm/main.h>

#include <chrono>

#include "catalogue/conflict_copies.h"
#include "util/safe_file_writer.h"
#include "util/user_dialogs.h"

namespace morvane {
namespace {

// A sync tool writes a file in several steps: one look after they settle.
constexpr unsigned kSettleMs = 300;
constexpr unsigned kRetryMs = 500;
constexpr auto kRefusedFor = std::chrono::seconds(30);

}  // namespace

OutsideChangeWatch::OutsideChangeWatch(SiteCatalogue& catalogue, Hooks hooks)
    : catalogue_(catalogue), hooks_(std::move(hooks)), writes_(catalogue) {}

OutsideChangeWatch::~OutsideChangeWatch() {
  soon_.disconnect();
  if (monitor_) monitor_->cancel();
}

void OutsideChangeWatch::Loaded(SiteDataLoadStatus status) {
  writes_.Loaded(status);
  try {
    monitor_ = Gio::File::create_for_path(catalogue_.DataFolder())->monitor_directory(Gio::FILE_MONITOR_WATCH_MOVES);
    monitor_->signal_changed().connect(sigc::mem_fun(*this, &OutsideChangeWatch::FolderChanged));
  } catch (const Glib::Error&) {
    // No monitor (a folder on some network shares): every write still looks.
    monitor_.reset();
  }
  copiesPending_ = true;
  LookSoon();
}

DataFileWriteCheck OutsideChangeWatch::BeforeWrite(DataFileWrite kind, bool attended) {
  const DataFileWriteCheck check = writes_.BeforeDataFileWrite(kind, std::chrono::system_clock::now());
  Tell(check, attended);
  refusedFile_.reset();
  if (check.outside.writeRefused) {
    refusedFile_ = StatFile(catalogue_.DataFilePath());
    refusedAt_ = std::chrono::steady_clock::now();
  }
  return check;
}

bool OutsideChangeWatch::BeforeAutosave(OutsideLook look) {
  if (look == OutsideLook::OnlyIfUnchanged) {
    const DataFileWriteCheck check =
        writes_.BeforeDataFileWrite(DataFileWrite::Autosave, std::chrono::system_clock::now(), look);
    Tell(check);
    return check.mayWrite;
  }
  if (refusedFile_ && std::chrono::steady_clock::now() - refusedAt_ < kRefusedFor) {
    const std::optional<FileIdentity> now = StatFile(catalogue_.DataFilePath());
    if (now && now->SameStat(*refusedFile_)) return false;
  }
  return BeforeWrite(DataFileWrite::Autosave, true).mayWrite;
}

void OutsideChangeWatch::Written() { writes_.Written(); }

std::function<void()> OutsideChangeWatch::WrittenElsewhere() { return writes_.WrittenElsewhere(); }

void OutsideChangeWatch::FolderChanged(const Glib::RefPtr<Gio::File>& file, const Glib::RefPtr<Gio::File>& other,
                                       Gio::FileMonitorEvent event) {
  if (event == Gio::FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED) return;
  const std::string dataName = NamePart(catalogue_.DataFilePath());
  bool concerned = false;
  for (const Glib::RefPtr<Gio::File>& f : {file, other}) {
    if (!f) continue;
    const std::string name = f->get_basename();
    if (name == dataName) lookPending_ = concerned = true;
    if (IsConflictCopyName(dataName, name) && event != Gio::FILE_MONITOR_EVENT_DELETED &&
        event != Gio::FILE_MONITOR_EVENT_MOVED_OUT)
      copiesPending_ = concerned = true;
  }
  if (concerned) LookSoon();
}

void OutsideChangeWatch::LookSoon() {
  soon_.disconnect();
  soon_ = Glib::signal_timeout().connect(
      [this] {
        Look();
        return false;
      },
      kSettleMs);
}

void OutsideChangeWatch::Look() {
  if (offering_) return;
  if (hooks_.mayLookNow && !hooks_.mayLookNow()) {
    // Again a little later: a dialog closes, a write ends.
    soon_ = Glib::signal_timeout().connect(
        [this] {
          Look();
          return false;
        },
        kRetryMs);
    return;
  }
  if (lookPending_) {
    lookPending_ = false;
    Tell(writes_.LookOutside(std::chrono::system_clock::now()));
  }
  if (copiesPending_) {
    copiesPending_ = false;
    OfferConflictCopies();
  }
}

void OutsideChangeWatch::OfferConflictCopies() {
  const std::string dataName = NamePart(catalogue_.DataFilePath());
  for (const std::string& copy : FindConflictCopies(catalogue_.DataFolder(), dataName)) {
    if (!offered_.insert(copy).second) continue;
    offering_ = true;
    const bool take = Dialogs().AskYesNo("別のPCの変更が見つかりました。取り込みますか？");
    offering_ = false;
    if (!take) continue;
    const DataFileWriteCheck check = writes_.TakeInCopy(copy, std::chrono::system_clock::now());
    if (check.outside.kind == OutsideChangeKind::Unreadable)
      Dialogs().ShowError("別のPCの変更を読み込めませんでした。ファイル形式が異なります");
    else Tell(check);
  }
}

void OutsideChangeWatch::Tell(const DataFileWriteCheck& check, bool attended) {
  const OutsideChangeReport& report = check.outside;
  if (check.damagedOriginalNotKept && attended && !damagedTold_)
    Dialogs().ShowError("読み込んだデータファイルの控えを残せないため、保存を見合わせました");
  damagedTold_ = check.damagedOriginalNotKept;
  if (report.writeRefused) {
    if (!refusalTold_ && attended)
      Dialogs().ShowError("データファイルが別の場所で変更されましたが、その控えを残せないため保存を見合わせました");
    refusalTold_ = true;
  } else if (report.kind != OutsideChangeKind::None) {
    refusalTold_ = false;
  }
  if (report.kind == OutsideChangeKind::Unreadable && !report.writeRefused && attended)
    Dialogs().ShowError("データファイルが別の場所で読めない形に変えられました。そのファイルは " +
                        NamePart(report.backupName) + " として残し、このプログラムのデータを保存しました");
  if (report.kind != OutsideChangeKind::None && hooks_.merged) hooks_.merged(report);
}

}  // namespace morvane
