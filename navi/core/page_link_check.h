#pragma once
// The toolbar's link check: the page link list with each link's status,
// checked off the window's thread, progress told to the view, the finished
// list shown as a page and written as CSV on request.
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include "navi/core/link_check_session.h"

namespace morvane {

class LinkCheckView {
 public:
  virtual ~LinkCheckView() = default;
  // From any thread: have the main loop call PageLinkCheck::Take() soon.
  virtual void WakeMainLoop() = 0;
  // On the main loop: links done of total; running false once the check has
  // ended (finished or stopped).
  virtual void ShowLinkCheckProgress(std::size_t done, std::size_t total, bool running) = 0;
};

class PageLinkCheck {
 public:
  using ShowPage = std::function<void(std::string_view page)>;

  // show puts a page (CP932 HTML) into the browser.
  PageLinkCheck(LinkCheckView& view, ShowPage show, LinkCheckLimits limits = {});
  ~PageLinkCheck();

  // Starts checking list; a check still running is dropped first.
  void Start(PageLinkList list);
  // On the main loop, after a wake: takes the results in, tells the view, and
  // shows the list once the check has ended.
  void Take();
  void Stop();
  bool Running() const { return session_ && !session_->Finished(); }
  // The list as the last ended check left it; empty before.
  const PageLinkList& Result() const { return result_; }
  bool HasResult() const { return !result_.statuses.empty(); }
  // Writes the last ended check's list to path as CSV, replacing the file
  // whole; false when there is none or the write failed.
  bool SaveCsv(const std::string& path) const;

 private:
  LinkCheckView& view_;
  ShowPage show_;
  LinkCheckLimits limits_;
  PageLinkList result_;
  std::unique_ptr<LinkCheckSession> session_;
};

}  // namespace morvane
