#pragma once
// Stands in for the window's main loop in a background check: wakes come from
// the check's threads, and each wake lets the test's thread take once more.
#include <condition_variable>
#include <mutex>

namespace morvane::testing {

class WakeLoop {
 public:
  void Wake() {
    std::lock_guard lock(mutex_);
    ++wakes_;
    woken_.notify_all();
  }
  // While running() holds: waits for a wake, then take().
  template <typename Running, typename Take>
  void TakeWhile(Running running, Take take) {
    while (running()) {
      std::unique_lock lock(mutex_);
      woken_.wait(lock, [&] { return wakes_ > taken_; });
      taken_ = wakes_;
      lock.unlock();
      take();
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable woken_;
  int wakes_ = 0, taken_ = 0;
};

}  // namespace morvane::testing
