#include "catalogue/data_file_writes.h"

#include "catalogue/data_file_backups.h"
#include "util/container_file.h"
#include "util/safe_file_writer.h"

namespace morvane {

bool DataFileWrites::KeepWhatAWriteReplaces(std::chrono::system_clock::time_point now, DataFileWriteCheck& check) {
  if (!catalogue_.KeepDamagedOriginal(now, &check.damagedOriginalKept)) {
    check.damagedOriginalNotKept = true;
    check.mayWrite = false;
    return false;
  }
  // The folder is listed once a day, not before every autosave.
  const std::string day = NamePart(TimeStampedName("x", now)).substr(0, 8);
  if (dailyCopyDay_ != day) {
    const DailyCopy daily = KeepDailyCopy(catalogue_.DataFilePath(), now, kDailyBackupsKept, &check.dailyCopyKept);
    // A copy that failed is tried again at the next write; the write itself
    // goes on, since holding every change back would lose more than the copy.
    if (daily == DailyCopy::Made || daily == DailyCopy::AlreadyToday) dailyCopyDay_ = day;
  }
  return true;
}

DataFileWriteCheck DataFileWrites::BeforeDataFileWrite(DataFileWrite kind, std::chrono::system_clock::time_point now,
                                                       OutsideLook look) {
  DataFileWriteCheck check;
  if (kind == DataFileWrite::Rescue) {
    // The data file is not written; only what must never be lost is kept.
    catalogue_.KeepDamagedOriginal(now, &check.damagedOriginalKept);
    return check;
  }
  if (!KeepWhatAWriteReplaces(now, check)) return check;
  if (look == OutsideLook::OnlyIfUnchanged) {
    check.notUnchanged = !LooksUnchanged();
    check.mayWrite = !check.notUnchanged;
    if (!check.mayWrite) return check;
  } else {
    check.outside = outside_.TakeIn(catalogue_, now);
    if (check.outside.writeRefused) {
      check.mayWrite = false;
      return check;
    }
  }
  if (kind == DataFileWrite::Import || kind == DataFileWrite::Restore) {
    if (!catalogue_.KeepCatalogueCopy(now, &check.catalogueKept)) {
      check.catalogueNotKept = true;
      check.mayWrite = false;
    }
  }
  return check;
}

DataFileWriteCheck DataFileWrites::LookOutside(std::chrono::system_clock::time_point now) {
  if (LooksUnchanged()) return {};
  return BeforeDataFileWrite(DataFileWrite::Merge, now);
}

DataFileWriteCheck DataFileWrites::TakeInCopy(const std::string& copyPath, std::chrono::system_clock::time_point now) {
  DataFileWriteCheck check;
  if (!KeepWhatAWriteReplaces(now, check)) return check;
  check.outside = outside_.TakeInCopy(catalogue_, copyPath, now);
  check.mayWrite = !check.outside.writeRefused;
  return check;
}

std::function<void()> DataFileWrites::WrittenElsewhere() {
  return [this, path = catalogue_.DataFilePath(), identity = catalogue_.IdentityText()] {
    outside_.Saved(path, identity);
  };
}

}  // namespace morvane
