#pragma once
// Keeps the data file from being written over when another program or PC
// changed it: looks before every write and whenever the data folder's file
// monitor tells of a change, takes the change in three ways, and offers the
// conflict copies a sync tool leaves beside the data file.
#include <giomm/file.h>
#include <giomm/filemonitor.h>
#include <sigc++/connection.h>

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "catalogue/outside_change.h"

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
  // Before the data file is written; false when it must not be written now.
  // Unattended (a close by the system) nothing is told in a box.
  bool BeforeWrite(bool attended = true);
  // BeforeWrite for the autosave, which tries again every second: a write
  // refused for a file that has not changed since is refused again without
  // reading the file, for half a minute.
  bool BeforeAutosave();
  // Nothing changed the data file since it was last loaded or saved.
  bool LooksUnchanged() const { return guard_.LooksUnchanged(catalogue_.DataFilePath()); }
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
  void Tell(const OutsideChangeReport& report, bool attended = true);

  SiteCatalogue& catalogue_;
  Hooks hooks_;
  OutsideChangeGuard guard_;
  Glib::RefPtr<Gio::FileMonitor> monitor_;
  sigc::connection soon_;
  bool lookPending_ = false;
  bool copiesPending_ = false;
  bool refusalTold_ = false;
  bool offering_ = false;
  std::optional<FileIdentity> refusedFile_;
  std::chrono::steady_clock::time_point refusedAt_;
  // Conflict copies already offered in this run, taken in or not.
  std::set<std::string> offered_;
};

}  // namespace morvane
