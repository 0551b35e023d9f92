#pragma once
// The one point every write of the data file passes first, whoever writes
// (the autosave, the close, a look that merged a change from outside, an
// import or a restore), so that what the write replaces is never lost. In
// this order: the bytes of a data file loaded with a damaged tree text are
// kept; the first save of a day keeps its daily copy; a data file changed
// from outside is merged into memory (or set aside); and before an import or
// restore replaces the catalogue, the catalogue as it then stands is kept.
// The daily copy and the kept original come first because the merge may
// itself write the data file.
#include <chrono>
#include <functional>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/outside_change.h"

namespace morvane {

enum class DataFileWrite {
  Autosave,
  Close,
  Rescue,  // the catalogue goes to a file of its own; the data file is left alone
  Import,
  Restore,
  Merge,  // a look at the data file after its folder changed, or a conflict copy taken in
};

// How the outside look before a write may go.
enum class OutsideLook {
  Merge,            // take a change in (the window may be redrawn)
  OnlyIfUnchanged,  // a dialog is open: write only over the file known, else wait
};

struct DataFileWriteCheck {
  // False: the data file must not be written now (and an import or restore
  // must not replace the catalogue).
  bool mayWrite = true;
  OutsideChangeReport outside;
  // Backups made on the way (paths); empty when none was made.
  std::string damagedOriginalKept;
  std::string dailyCopyKept;
  std::string catalogueKept;
  // Why mayWrite is false, besides outside.writeRefused.
  bool damagedOriginalNotKept = false;
  bool catalogueNotKept = false;
  bool notUnchanged = false;  // OnlyIfUnchanged, and the file had changed
};

class DataFileWrites {
 public:
  explicit DataFileWrites(SiteCatalogue& catalogue) : catalogue_(catalogue) {}

  // After the data file was loaded (or found missing) at start.
  void Loaded(SiteDataLoadStatus status) { outside_.Loaded(catalogue_, status); }

  // Before every write of the data file; see the order above.
  DataFileWriteCheck BeforeDataFileWrite(DataFileWrite kind, std::chrono::system_clock::time_point now,
                                         OutsideLook look = OutsideLook::Merge);
  // The folder told of a change: a file that is no longer the one known is
  // taken in (written over only after the first two steps).
  DataFileWriteCheck LookOutside(std::chrono::system_clock::time_point now);
  // A sync tool's conflict copy taken in, as OutsideChangeGuard::TakeInCopy.
  DataFileWriteCheck TakeInCopy(const std::string& copyPath, std::chrono::system_clock::time_point now);

  bool LooksUnchanged() const { return outside_.LooksUnchanged(catalogue_.DataFilePath()); }
  // After a write of the data file on the catalogue's thread.
  void Written() { outside_.SavedFrom(catalogue_); }
  // The same for a write on another thread; runs there.
  std::function<void()> WrittenElsewhere();

  const OutsideChangeGuard& Outside() const { return outside_; }

 private:
  // The damaged original and the daily copy; false when nothing may write.
  bool KeepWhatAWriteReplaces(std::chrono::system_clock::time_point now, DataFileWriteCheck& check);

  SiteCatalogue& catalogue_;
  OutsideChangeGuard outside_;
  // The local day whose daily copy is known to exist ("yyyymmdd").
  std::string dailyCopyDay_;
};

}  // namespace morvane
