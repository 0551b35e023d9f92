#pragma once
// Checks the status of many links at once on a thread of its own, a few at a
// time and fewer per host, so neither the window nor any one server waits on
// the whole list. Each link is one status query (one redirect chain, the
// query's time limit).
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "navi/core/link_status.h"
#include "web/url_status.h"

namespace morvane {

class TransferPool;

struct LinkCheckLimits {
  std::size_t atOnce = 8;
  std::size_t perHost = 2;
  std::chrono::milliseconds timeout = kURLStatusTimeout;
  // A host whose queries ran out of time this many times in a row is given
  // up: its links still waiting are "応答なし" without being asked.
  std::size_t timeoutsBeforeGivingUp = 3;
  // The whole check: links not asked by then stay "未確認".
  std::chrono::milliseconds budget = std::chrono::minutes(10);
};

class LinkChecker {
 public:
  // Both are called on the checker's own thread: hand what they get to the
  // main loop, and never destroy the checker from inside them. onResult comes
  // once per link (links that are not queried come first, as not checked);
  // onDone comes last, once, also after Cancel().
  using ResultHandler = std::function<void(std::size_t index, LinkStatus status)>;
  using DoneHandler = std::function<void(bool cancelled)>;

  LinkChecker(std::vector<std::string> urls, ResultHandler onResult, DoneHandler onDone, LinkCheckLimits limits = {});
  // Cancels and waits for the thread, which ends within moments: transfers
  // under way are dropped, not finished.
  ~LinkChecker();
  LinkChecker(const LinkChecker&) = delete;
  LinkChecker& operator=(const LinkChecker&) = delete;

  void Cancel();
  // When the check's budget runs out, for the time left to show.
  std::chrono::steady_clock::time_point Deadline() const { return deadline_; }
  // Whether the check ended because its budget ran out.
  bool RanOutOfTime() const { return outOfTime_; }

 private:
  void Run();

  std::vector<std::string> urls_;
  ResultHandler onResult_;
  DoneHandler onDone_;
  LinkCheckLimits limits_;
  std::chrono::steady_clock::time_point deadline_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> outOfTime_{false};
  std::unique_ptr<TransferPool> pool_;
  std::thread worker_;
};

}  // namespace morvane
