#include "app/autosave_runner.h"

#include <glibmm/main.h>

namespace morvane {
namespace {

// A burst of changes (an import, a drag) is saved once, well within a second.
constexpr unsigned kDelayMs = 250;
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

void AutosaveRunner::Changed() {
  autosave_.Changed();
  Schedule();
}

void AutosaveRunner::Schedule() {
  if (scheduled_ || !autosave_.Due()) return;
  scheduled_ = true;
  timer_ = Glib::signal_timeout().connect(
      [this] {
        // Below input and drawing: slices run only when the loop is idle.
        idle_ = Glib::signal_idle().connect(sigc::mem_fun(*this, &AutosaveRunner::Slice), Glib::PRIORITY_LOW);
        return false;
      },
      kDelayMs);
}

bool AutosaveRunner::Slice() {
  const bool more = autosave_.Step(catalogue_, kSliceBudget);
  if (!more) scheduled_ = false;
  return more;
}

void AutosaveRunner::WriteEnded() {
  const CatalogueAutosave::Outcome outcome = autosave_.Collect();
  if (outcome.reportFailure && onFailure_) onFailure_();
  Schedule();
}

void AutosaveRunner::BeforeCloseSave() {
  timer_.disconnect();
  idle_.disconnect();
  scheduled_ = false;
  autosave_.Settle();
}

void AutosaveRunner::AfterCloseSave(bool saved) {
  if (saved) autosave_.MarkSaved();
}

}  // namespace morvane
