#pragma once
// One site check from the click (or the timer) to the report: the sites are
// asked on the checker's thread, the results go into the history there, and
// the report with each site's history is built there too, so the window's
// loop only takes counts and the finished report.
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "health/health_history.h"
#include "health/health_report.h"
#include "health/site_health_checker.h"

namespace morvane {

struct HealthCheckSetup {
  std::vector<HealthSite> sites;         // the sites to check
  std::vector<HealthSiteKey> catalogue;  // every site of the catalogue, for the history's keep rule
  std::string historyPath;               // empty: no history kept
  std::string serviceURL;
  HealthCheckLimits limits;
  HealthClock clock = SystemClockMs;
};

class HealthCheckRun {
 public:
  // wake is called on the checker's thread when there is news and nobody
  // has been told yet: it should have the main loop call Take().
  HealthCheckRun(HealthCheckSetup setup, std::function<void()> wake = {});
  // Stops the check and waits for its thread.
  ~HealthCheckRun();
  HealthCheckRun(const HealthCheckRun&) = delete;
  HealthCheckRun& operator=(const HealthCheckRun&) = delete;

  // On the main loop: takes the news in; true when anything had arrived.
  bool Take();
  // Ends the check soon: sites under way are dropped; what is done is kept
  // and reported.
  void Stop();
  // Blocks until the report is there (the command-line program's way).
  void Wait();

  std::size_t Checked() const { return checked_; }
  std::size_t Total() const { return total_; }
  bool Finished() const { return finished_; }
  // After Finished().
  const HealthReport& Report() const { return report_; }

 private:
  void Arrived(std::size_t index, SiteHealth health);
  void Ended(bool cancelled);
  void WakeOnce(std::unique_lock<std::mutex>& lock);

  HealthCheckSetup setup_;
  std::int64_t startedAt_ = 0;
  std::size_t total_ = 0, checked_ = 0;
  bool finished_ = false;
  HealthReport report_;
  std::function<void()> wake_;

  std::mutex mutex_;  // guards what the checker's thread hands over
  std::condition_variable ended_;
  std::vector<SiteHealth> results_;
  std::vector<bool> arrived_;
  std::size_t arrivedCount_ = 0;
  bool endedFlag_ = false, woken_ = false;
  HealthReport builtReport_;

  std::unique_ptr<SiteHealthChecker> checker_;  // last: it goes first
};

}  // namespace morvane
