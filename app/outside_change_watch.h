#pragma once
// The window's side of the one point before every write of the data file
// (DataFileWrites): runs it before each write and whenever the data folder's
// file monitor tells of a change, tells what it did in boxes, and offers the
// conflict copies a sync tool leaves beside the data file.
#include <giomm/file.h>
#include <giomm/filemonitor.h>
#include <sigc++/connection.h>

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "catalogue/data_file_writes.h"

namespace morvane {

class OutsideChangeWatch {
 public:
  struct Hooks {
    // False while a look must wait: a dialog of ours is open, or a write of
    // ours is under way (its own notice would look like someone else's).
    std::function<bool()> mayLookNow;
    // Memory now holds a merge: the window shows it and tells what came in.
    std::function<void(const OutsideChangeReport&)> merged;
  };
  OutsideChangeWatch(SiteCatalogue& catalogue, Hooks hooks);
  ~OutsideChangeWatch();

  // After the data file was loaded at start: remembers it, starts watching
  // its folder and soon offers any conflict copies found there.
  void Loaded(SiteDataLoadStatus status);
  // Before the data file is written (or, for an import or restore, before
  // the catalogue is replaced); mayWrite false when it must not be now.
  // Unattended (a close by the system) nothing is told in a box.
  DataFileWriteCheck BeforeWrite(DataFileWrite kind, bool attended = true);
  // BeforeWrite for the autosave, which tries again every second: a write
  // refused for a file that has not changed since is refused again without
  // reading the file, for half a minute. With a dialog open nothing is
  // merged: only a file that is still the one known is written over.
  bool BeforeAutosave(OutsideLook look);
  // After a write of the data file on this thread.
  void Written();
  // The same for a write on another thread; runs there.
  std::function<void()> WrittenElsewhere();

 private:
  void FolderChanged(const Glib::RefPtr<Gio::File>& file, const Glib::RefPtr<Gio::File>& other,
                     Gio::FileMonitorEvent event);
  void LookSoon();
  void Look();
  void OfferConflictCopies();
  void Tell(const DataFileWriteCheck& check, bool attended = true);

  SiteCatalogue& catalogue_;
  Hooks hooks_;
  DataFileWrites writes_;
  Glib::RefPtr<Gio::FileMonitor> monitor_;
  sigc::connection soon_;
  bool lookPending_ = false;
  bool copiesPending_ = false;
  bool refusalTold_ = false;
  bool damagedTold_ = false;
  bool offering_ = false;
  std::optional<FileIdentity> refusedFile_;
  std::chrono::steady_clock::time_point refusedAt_;
  // Conflict copies already offered in this run, taken in or not.
  std::set<std::string> offered_;
};

}  // namespace morvane
