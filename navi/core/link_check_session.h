#pragma once
// One check of a page link list as the window runs it: the checker works on
// its own thread, what it finds waits here until the main loop takes it, and
// the list with its statuses is built from what has been taken.
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "navi/core/link_checker.h"
#include "navi/core/link_list.h"

namespace morvane {

class LinkCheckSession {
 public:
  // wake is called on the checker's thread when results wait and nobody has
  // been told yet: it should have the main loop call Take().
  LinkCheckSession(PageLinkList list, std::function<void()> wake, LinkCheckLimits limits = {});
  // Stops the check; results still waiting are dropped.
  ~LinkCheckSession();
  LinkCheckSession(const LinkCheckSession&) = delete;
  LinkCheckSession& operator=(const LinkCheckSession&) = delete;

  // On the main loop: takes in what has arrived; true when anything had.
  bool Take();
  // Ends the check at once: links under way are dropped and stay "not
  // checked". Finished() comes soon after.
  void Stop();

  std::size_t Checked() const { return checked_; }
  std::size_t Total() const { return list_.entries.size(); }
  bool Finished() const { return finished_; }
  bool Stopped() const { return stopped_; }
  // When the check's time budget runs out, and whether it ended so.
  std::chrono::steady_clock::time_point Deadline() const { return checker_->Deadline(); }
  bool RanOutOfTime() const { return checker_->RanOutOfTime(); }
  // The list with every status taken so far (the rest "未確認"),
  // failing links first.
  PageLinkList Result() const;

 private:
  void Arrived(std::size_t index, LinkStatus status);
  void Ended(bool cancelled);
  void WakeOnce(std::unique_lock<std::mutex>& lock);

  PageLinkList list_;
  std::vector<LinkStatus> statuses_;
  std::size_t checked_ = 0;
  bool finished_ = false;
  bool stopped_ = false;
  std::function<void()> wake_;

  std::mutex mutex_;  // guards what the checker's thread hands over
  std::vector<std::pair<std::size_t, LinkStatus>> inbox_;
  bool ended_ = false, endedCancelled_ = false, woken_ = false;

  std::unique_ptr<LinkChecker> checker_;  // last: it goes first
};

}  // namespace morvane
