#include "navi/core/page_link_check.h"

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

void PageLinkCheck::Stop() {
  if (session_) session_->Stop();
}

bool PageLinkCheck::SaveCsv(const std::string& path) const {
  return HasResult() && WriteFileReplacing(path, result_.Csv(), kSharedFileMode);
}

}  // namespace morvane
