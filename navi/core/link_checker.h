#pragma once
// Checks the status of many links at once on a thread of its own, a few at a
// time and fewer per host, so neither the window nor any one server waits on
// the whole list. Each link is one status query (one redirect chain, the
// query's time limit).
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "navi/core/link_status.h"
#include "navi/core/url_status.h"

namespace morvane {

struct LinkCheckLimits {
  std::size_t atOnce = 8;
  std::size_t perHost = 2;
  std::chrono::milliseconds timeout = kURLStatusTimeout;
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

 private:
  void Run();

  std::vector<std::string> urls_;
  ResultHandler onResult_;
  DoneHandler onDone_;
  LinkCheckLimits limits_;
  std::atomic<bool> cancelled_{false};
  void* multi_ = nullptr;  // CURLM*, kept out of this header
  std::thread worker_;
};

}  // namespace morvane
