#include "health/health_check_run.h"

namespace morvane {

HealthCheckRun::HealthCheckRun(HealthCheckSetup setup, std::function<void()> wake)
    : setup_(std::move(setup)), wake_(std::move(wake)) {
  total_ = setup_.sites.size();
  results_.resize(total_);
  arrived_.assign(total_, false);
  startedAt_ = setup_.clock();
  checker_ = std::make_unique<SiteHealthChecker>(
      setup_.sites, setup_.serviceURL,
      [this](std::size_t index, SiteHealth health) { Arrived(index, std::move(health)); },
      [this](bool cancelled) { Ended(cancelled); }, setup_.limits);
}

HealthCheckRun::~HealthCheckRun() { checker_.reset(); }

void HealthCheckRun::WakeOnce(std::unique_lock<std::mutex>& lock) {
  if (woken_) return;
  woken_ = true;
  lock.unlock();
  if (wake_) wake_();
}

void HealthCheckRun::Arrived(std::size_t index, SiteHealth health) {
  std::unique_lock lock(mutex_);
  results_[index] = std::move(health);
  if (!arrived_[index]) {
    arrived_[index] = true;
    ++arrivedCount_;
  }
  WakeOnce(lock);
}

void HealthCheckRun::Ended(bool cancelled) {
  // On the checker's thread: nothing else touches the results now.
  HealthReport report;
  report.checkedAt = startedAt_;
  report.total = total_;
  report.stopped = cancelled;
  std::unique_ptr<HealthHistory> history;
  if (!setup_.historyPath.empty()) {
    history = std::make_unique<HealthHistory>(setup_.historyPath);
    if (history->Ok()) {
      std::vector<HealthSite> done;
      std::vector<SiteHealth> results;
      {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < total_; ++i)
          if (arrived_[i]) {
            done.push_back(setup_.sites[i]);
            results.push_back(results_[i]);
          }
      }
      if (!history->Record(done, results, startedAt_) || !history->DropGone(setup_.catalogue, setup_.clock()))
        report.historyError = "履歴を記録できませんでした: " + history->Error();
    } else {
      report.historyError = history->Error();
    }
  }
  {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < total_; ++i) {
      if (!arrived_[i]) continue;
      HealthReportRow row{setup_.sites[i], results_[i], {}};
      if (history && history->Ok()) row.history = history->Last(row.site, 30);
      // A check that was not stored (no history, or not checked) still shows.
      if (row.history.empty() || row.history.back().checkedAt != startedAt_) {
        if (row.health.failure != HealthFailure::NotChecked)
          row.history.push_back(HealthRecord{startedAt_, row.health.Up(), row.health.status,
                                             HealthResultText(row.health), row.health.total.count(), std::nullopt});
      }
      report.rows.push_back(std::move(row));
    }
  }
  report.Sort();
  std::unique_lock lock(mutex_);
  builtReport_ = std::move(report);
  endedFlag_ = true;
  ended_.notify_all();
  WakeOnce(lock);
}

bool HealthCheckRun::Take() {
  std::lock_guard lock(mutex_);
  woken_ = false;
  const bool news = checked_ != arrivedCount_ || (endedFlag_ && !finished_);
  checked_ = arrivedCount_;
  if (endedFlag_ && !finished_) {
    report_ = std::move(builtReport_);
    finished_ = true;
  }
  return news;
}

void HealthCheckRun::Stop() {
  if (checker_) checker_->Cancel();
}

void HealthCheckRun::Wait() {
  {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return endedFlag_; });
  }
  Take();
}

}  // namespace morvane
