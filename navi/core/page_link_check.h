#pragma once
// The toolbar's link check: the page link list with each link's status,
// checked off the window's thread, progress told to the view, the finished
// list shown as a page over the one it was built from (never over a page
// the user has moved to since: that list waits to be asked for) and written
// as CSV on request.
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include <optional>

#include "browser/core/browser_frame.h"
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
  // On the main loop: the check has ended on another page than its own, so
  // its list is kept until ShowResult() is asked for.
  virtual void OfferLinkList() = 0;
};

class PageLinkCheck {
 public:
  using ShowPage = std::function<void(std::string_view page)>;
  // The page the browser shows now; nullopt without a browser.
  using WhichPage = std::function<std::optional<BrowserFrame::ShownPage>()>;

  // show puts a page (CP932 HTML) into the browser; without which, the list
  // is shown whatever the browser shows.
  PageLinkCheck(LinkCheckView& view, ShowPage show, WhichPage which = {}, LinkCheckLimits limits = {});
  ~PageLinkCheck();

  // Starts checking list; a check still running is dropped first.
  void Start(PageLinkList list);
  // On the main loop, after a wake: takes the results in, tells the view, and
  // once the check has ended shows the list or, when the browser has moved
  // on, offers it.
  void Take();
  void Stop();
  // Shows the last ended check's list, whatever page is shown now.
  void ShowResult();
  bool Running() const { return session_ && !session_->Finished(); }
  // The list as the last ended check left it; empty before.
  const PageLinkList& Result() const { return result_; }
  bool HasResult() const { return !result_.statuses.empty(); }
  // While a check runs: the most it may still take (its budget's rest).
  std::optional<std::chrono::seconds> TimeLeft() const;
  // The last check ended because its time budget ran out.
  bool RanOutOfTime() const { return outOfTime_; }
  // Writes the last ended check's list to path as CSV, replacing the file
  // whole; false when there is none or the write failed.
  bool SaveCsv(const std::string& path) const;

 private:
  LinkCheckView& view_;
  ShowPage show_;
  WhichPage which_;
  LinkCheckLimits limits_;
  std::optional<BrowserFrame::ShownPage> builtFrom_;
  bool ended_ = false;
  bool outOfTime_ = false;
  PageLinkList result_;
  std::unique_ptr<LinkCheckSession> session_;
};

}  // namespace morvane
