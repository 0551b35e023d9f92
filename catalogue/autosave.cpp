#include "catalogue/autosave.h"

#include <new>

namespace morvane {

CatalogueAutosave::CatalogueAutosave(std::function<void()> wake) : wake_(std::move(wake)) {}

CatalogueAutosave::~CatalogueAutosave() { Settle(); }

void CatalogueAutosave::Changed() {
  ++generation_;
  // A copy begun before the change could mix old and new lines.
  copying_.reset();
}

bool CatalogueAutosave::Due() const {
  return !writing_ && generation_ != savedGeneration_ && failedGeneration_ != generation_;
}

bool CatalogueAutosave::Step(const SiteCatalogue& catalogue, std::chrono::steady_clock::duration budget) {
  if (!Due()) return false;
  try {
    if (!copying_) {
      copying_.emplace(catalogue.Snapshot());
      copyingGeneration_ = generation_;
    }
    if (!copying_->Copy(budget)) return true;
  } catch (const std::bad_alloc&) {
    copying_.reset();
    writeSaved_ = false;
    writing_ = true;  // accounted for by Collect as a failed write
    writingGeneration_ = generation_;
    writeEnded_.store(true, std::memory_order_release);
    wake_();
    return false;
  }
  writing_ = true;
  writingGeneration_ = copyingGeneration_;
  writingLeftOut_ = copying_->LeftOut();
  writeEnded_.store(false, std::memory_order_relaxed);
  writer_ = std::thread([this, snapshot = std::move(*copying_)]() mutable {
    writeSaved_ = std::move(snapshot).Write();
    if (writeSaved_ && afterWrite_) afterWrite_();
    writeEnded_.store(true, std::memory_order_release);
    wake_();
  });
  copying_.reset();
  return false;
}

CatalogueAutosave::Outcome CatalogueAutosave::Collect() {
  Outcome outcome;
  if (!writing_ || !writeEnded_.load(std::memory_order_acquire)) return outcome;
  if (writer_.joinable()) writer_.join();
  writing_ = false;
  outcome.ended = true;
  outcome.saved = writeSaved_;
  if (writeSaved_) {
    savedGeneration_ = writingGeneration_;
    failing_ = false;
    if (writingLeftOut_ != toldLeftOut_ && !writingLeftOut_.empty()) outcome.reportLeftOut = writingLeftOut_;
    toldLeftOut_ = std::move(writingLeftOut_);
  } else {
    failedGeneration_ = writingGeneration_;
    outcome.reportFailure = !failing_;
    failing_ = true;
  }
  return outcome;
}

void CatalogueAutosave::Settle() {
  copying_.reset();
  if (writer_.joinable()) writer_.join();
  writing_ = false;
}

void CatalogueAutosave::MarkSaved() {
  savedGeneration_ = generation_;
  failing_ = false;
}

}  // namespace morvane
