#include "app/autosave_runner.h"

#include <glibmm/main.h>

namespace morvane {
namespace {

// A burst of changes (an import, a drag) is saved once, well within a second.
constexpr unsigned kDelayMs = 250;
// A save held back before it started is tried again after this.
constexpr unsigned kHeldBackDelayMs = 1000;
// One slice of copying between two passes of the main loop.
constexpr auto kSliceBudget = std::chrono::milliseconds(8);

}  // namespace

AutosaveRunner::AutosaveRunner(const SiteCatalogue& catalogue, std::function<void()> onFailure)
    : catalogue_(catalogue), onFailure_(std::move(onFailure)), autosave_([this] { ended_.emit(); }) {
  ended_.connect(sigc::mem_fun(*this, &AutosaveRunner::WriteEnded));
}

AutosaveRunner::~AutosaveRunner() {
  timer_.disconnect();
  idle_.disconnect();
  autosave_.Settle();
}

void AutosaveRunner::FollowChanges() {
  const CatalogueEvents& events = catalogue_.Events();
  sitesChanged_ = events.sitesChanged.Subscribe([this](const SitesChange&) { Changed(); });
  treeChanged_ = events.treeChanged.Subscribe([this](TreeChange) { Changed(); });
  masterLoginChanged_ = events.masterLoginChanged.Subscribe([this] { Changed(); });
}

void AutosaveRunner::Changed() {
  autosave_.Changed();
  Schedule(kDelayMs);
}

void AutosaveRunner::Schedule(unsigned delayMs) {
  if (scheduled_ || !autosave_.Due()) return;
  scheduled_ = true;
  timer_ = Glib::signal_timeout().connect(
      [this] {
        if (beforeWrite_ && !beforeWrite_()) {
          scheduled_ = false;
          Schedule(kHeldBackDelayMs);
          return false;
        }
        if (!autosave_.Due()) {  // saved by what ran before
          scheduled_ = false;
          return false;
        }
        // Below input and drawing: slices run only when the loop is idle.
        idle_ = Glib::signal_idle().connect(sigc::mem_fun(*this, &AutosaveRunner::Slice), Glib::PRIORITY_LOW);
        return false;
      },
      delayMs);
}

bool AutosaveRunner::Slice() {
  const bool more = autosave_.Step(catalogue_, kSliceBudget);
  if (!more) scheduled_ = false;
  return more;
}

void AutosaveRunner::WriteEnded() {
  const CatalogueAutosave::Outcome outcome = autosave_.Collect();
  if (outcome.reportFailure && onFailure_) onFailure_();
  if (!outcome.reportLeftOut.empty() && onLeftOut_) onLeftOut_(outcome.reportLeftOut);
  Schedule(kDelayMs);
}

void AutosaveRunner::StopWriting() {
  timer_.disconnect();
  idle_.disconnect();
  scheduled_ = false;
  autosave_.Settle();
}

void AutosaveRunner::AfterOwnSave(bool saved) {
  if (saved) autosave_.MarkSaved();
}

}  // namespace morvane
