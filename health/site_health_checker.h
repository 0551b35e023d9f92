#pragma once
// Checks many sites at once on a thread of its own: up to 16 side by side,
// at most 2 per server, each with its own limit, and the whole check within
// a budget, so neither the window nor any one server waits on the list.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "health/site_health.h"

namespace morvane {

class TransferPool;

struct HealthCheckLimits {
  std::size_t atOnce = 16;
  std::size_t perHost = 2;
  std::chrono::milliseconds perSite{10000};
  // The whole check: sites not done by then are "not checked".
  std::chrono::milliseconds budget{10 * 60 * 1000};
  std::string caFile;  // empty: the system's certificates
};

class SiteHealthChecker {
 public:
  // Both are called on the checker's own thread. onResult comes once per
  // site; onDone comes last, once, also after Cancel() (the sites not done
  // then get no result).
  using ResultHandler = std::function<void(std::size_t index, SiteHealth health)>;
  using DoneHandler = std::function<void(bool cancelled)>;

  // serviceURL: the analysis service's address, whose host is a tag host
  // for every site.
  SiteHealthChecker(std::vector<HealthSite> sites, std::string serviceURL, ResultHandler onResult, DoneHandler onDone,
                    HealthCheckLimits limits = {});
  // Cancels and waits for the thread, which ends within moments.
  ~SiteHealthChecker();
  SiteHealthChecker(const SiteHealthChecker&) = delete;
  SiteHealthChecker& operator=(const SiteHealthChecker&) = delete;

  void Cancel();

 private:
  void Run();

  std::vector<HealthSite> sites_;
  std::string serviceURL_;
  ResultHandler onResult_;
  DoneHandler onDone_;
  HealthCheckLimits limits_;
  std::atomic<bool> cancelled_{false};
  std::unique_ptr<TransferPool> pool_;
  std::thread worker_;
};

}  // namespace morvane
