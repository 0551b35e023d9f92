#include "navi/core/page_link_check.h"

#include <algorithm>

#include "util/cp932.h"
#include "util/safe_file_writer.h"

namespace morvane {

PageLinkCheck::PageLinkCheck(LinkCheckView& view, ShowPage show, WhichPage which, LinkCheckLimits limits)
    : view_(view), show_(std::move(show)), which_(std::move(which)), limits_(limits) {}

PageLinkCheck::~PageLinkCheck() = default;

void PageLinkCheck::Start(PageLinkList list) {
  session_.reset();
  result_ = {};
  ended_ = false;
  outOfTime_ = false;
  // The list was built from the page shown now.
  builtFrom_ = which_ ? which_() : std::nullopt;
  session_ = std::make_unique<LinkCheckSession>(
      std::move(list), [this] { view_.WakeMainLoop(); }, limits_);
  view_.ShowLinkCheckProgress(0, session_->Total(), true);
  // A list without links ends at once; the wake brings that in.
}

void PageLinkCheck::Take() {
  if (!session_ || !session_->Take()) return;
  const bool running = !session_->Finished();
  view_.ShowLinkCheckProgress(session_->Checked(), session_->Total(), running);
  if (running) return;
  result_ = session_->Result();
  outOfTime_ = session_->RanOutOfTime();
  session_.reset();
  ended_ = true;
  // Seconds have passed: the user may be filling in a form elsewhere by now.
  if (which_ && (!builtFrom_ || which_() != builtFrom_)) {
    view_.OfferLinkList();
    return;
  }
  ShowResult();
}

void PageLinkCheck::ShowResult() {
  if (!ended_) return;
  // Showing waits for the browser while processing messages; nothing of this
  // check may be touched after it.
  show_(Utf8HtmlToCp932(result_.Page()));
}

std::optional<std::chrono::seconds> PageLinkCheck::TimeLeft() const {
  if (!Running()) return std::nullopt;
  const auto left = session_->Deadline() - std::chrono::steady_clock::now();
  return std::max(std::chrono::seconds(0), std::chrono::duration_cast<std::chrono::seconds>(left));
}

void PageLinkCheck::Stop() {
  if (session_) session_->Stop();
}

bool PageLinkCheck::SaveCsv(const std::string& path) const {
  return HasResult() && WriteFileReplacing(path, result_.Csv(), kSharedFileMode);
}

}  // namespace morvane
