#pragma once
// Saving the catalogue soon after every change without holding up the thread
// it lives on: the data file's bytes are copied there in short slices and
// written on a thread of their own, through the same save as at close.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/catalogue.h"

namespace morvane {

class CatalogueAutosave {
 public:
  // wake runs on the writing thread when a write has ended; it should only
  // get the catalogue's thread to call Collect.
  explicit CatalogueAutosave(std::function<void()> wake);
  ~CatalogueAutosave();  // waits for a write under way
  CatalogueAutosave(const CatalogueAutosave&) = delete;
  CatalogueAutosave& operator=(const CatalogueAutosave&) = delete;

  // Runs on the writing thread right after each write that succeeded, so
  // that what was written is known before anyone else can change the file.
  void SetAfterWrite(std::function<void()> afterWrite) { afterWrite_ = std::move(afterWrite); }

  // Every change to the catalogue: sites, categories, the master login.
  void Changed();
  // Something is unsaved and a save may start or go on now. A failed save is
  // not tried again until the next change (or the save at close).
  bool Due() const;
  bool Writing() const { return writing_; }

  // One slice on the catalogue's thread: starts or goes on copying, and
  // hands a whole copy to the writing thread. True when another slice is
  // wanted at once.
  bool Step(const SiteCatalogue& catalogue, std::chrono::steady_clock::duration budget);

  struct Outcome {
    bool ended = false;          // a write had ended and is now accounted for
    bool saved = false;          // it wrote the data file
    bool reportFailure = false;  // it failed, and is the first failure since the last success
    // It wrote the file without these sites (see SiteLineStorable); given
    // once, until the sites left out are others.
    std::vector<std::string> reportLeftOut;
  };
  // On the catalogue's thread, after wake.
  Outcome Collect();

  // Before the save at close: waits for a write under way and drops any copy
  // in progress, so that the close's own save is the last to reach the file.
  void Settle();
  // The catalogue was saved by other means (at close): nothing is unsaved.
  void MarkSaved();

 private:
  std::function<void()> wake_;
  std::function<void()> afterWrite_;
  std::uint64_t generation_ = 0;  // counts changes
  std::uint64_t savedGeneration_ = 0;
  std::optional<std::uint64_t> failedGeneration_;
  std::optional<SiteDataSnapshot> copying_;
  std::uint64_t copyingGeneration_ = 0;
  bool writing_ = false;
  std::uint64_t writingGeneration_ = 0;
  bool failing_ = false;
  std::thread writer_;
  std::atomic<bool> writeEnded_{false};
  bool writeSaved_ = false;  // set by the writer before writeEnded_
  std::vector<std::string> writingLeftOut_;
  std::vector<std::string> toldLeftOut_;
};

}  // namespace morvane
