#pragma once
// Runs the catalogue's autosave on the main loop: a change is saved within a
// second, copied in slices when the loop is idle and written on a thread of
// its own, so that input is never held up for long; a failed save is told
// once until a save succeeds again.
#include <glibmm/dispatcher.h>
#include <sigc++/connection.h>

#include <functional>

#include "catalogue/autosave.h"

namespace morvane {

class AutosaveRunner {
 public:
  // onFailure: told of the first failure of a streak.
  AutosaveRunner(const SiteCatalogue& catalogue, std::function<void()> onFailure);
  ~AutosaveRunner();

  // Runs on this thread before each save starts; false leaves the data file
  // as it is for now, and the save is tried again a little later.
  void SetBeforeWrite(std::function<bool()> beforeWrite) { beforeWrite_ = std::move(beforeWrite); }
  // Told of the sites a save left out, once until they are others.
  void SetOnLeftOut(std::function<void(const std::vector<std::string>&)> onLeftOut) {
    onLeftOut_ = std::move(onLeftOut);
  }
  // Runs on the writing thread after each write that succeeded.
  void SetAfterWrite(std::function<void()> afterWrite) { autosave_.SetAfterWrite(std::move(afterWrite)); }
  bool Writing() const { return autosave_.Writing(); }
  // The catalogue as it stands was saved by other means.
  void MarkSaved() { autosave_.MarkSaved(); }

  // From now on each change the catalogue announces is saved.
  void FollowChanges();
  // A change the catalogue did not announce, before the main loop runs again.
  void Changed();
  // Before the save at close, and before an import or restore replaces the
  // catalogue: waits for a write under way and drops what is scheduled, so
  // that no write of ours lands after what comes next. The next change
  // schedules again.
  void StopWriting();
  // After a save by other means: true when it wrote the catalogue as it stands.
  void AfterOwnSave(bool saved);
  // Nothing unsaved is waiting and nothing is being written.
  bool Settled() const { return !autosave_.Due() && !autosave_.Writing(); }

 private:
  void Schedule(unsigned delayMs);
  bool Slice();
  void WriteEnded();

  const SiteCatalogue& catalogue_;
  std::function<void()> onFailure_;
  std::function<void(const std::vector<std::string>&)> onLeftOut_;
  std::function<bool()> beforeWrite_;
  Glib::Dispatcher ended_;
  sigc::connection timer_, idle_;
  AnnouncementConnection sitesChanged_, treeChanged_, masterLoginChanged_;
  bool scheduled_ = false;      // a timer or slices are on their way
  CatalogueAutosave autosave_;  // last: its writer is joined before the dispatcher goes
};

}  // namespace morvane
