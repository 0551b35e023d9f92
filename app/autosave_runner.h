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

  // After every change to the catalogue, before the main loop runs again.
  void Changed();
  // Around the save at close: no write of ours may land after it.
  void BeforeCloseSave();
  void AfterCloseSave(bool saved);
  // Nothing unsaved is waiting and nothing is being written.
  bool Settled() const { return !autosave_.Due() && !autosave_.Writing(); }

 private:
  void Schedule();
  bool Slice();
  void WriteEnded();

  const SiteCatalogue& catalogue_;
  std::function<void()> onFailure_;
  Glib::Dispatcher ended_;
  sigc::connection timer_, idle_;
  bool scheduled_ = false;  // a timer or slices are on their way
  CatalogueAutosave autosave_;  // last: its writer is joined before the dispatcher goes
};

}  // namespace morvane
