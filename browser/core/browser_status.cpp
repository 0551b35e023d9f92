// The frame's reporting events: status line, command state,
// navigation errors, the page's request to close its window and the end of
// the page's process.
#include <exception>
#include <new>
#include <system_error>

#include "browser/core/browser_frame.h"
#include "browser/core/page_gone.h"
#include "browser/core/status_text.h"
#include "util/cp932.h"

namespace morvane {
namespace {

// Failures beyond this many unanswered queries are settled without asking,
// so a page that fails over and over cannot pile up threads.
constexpr int kMaxStatusQueries = 4;

}  // namespace

std::string BrowserFrame::StatusPrefix() const { return morvane::StatusPrefix(skipRequest_, busy_); }

void BrowserFrame::WriteStatusLine(std::string_view text) {
  if (!statusBar_) return;
  try {
    statusBar_->SetStatusText(text.empty() ? std::string_view(outcome_) : text);
  } catch (const std::exception&) {
    // The status line is a courtesy: whatever the bar fails with, it never
    // fails an event.
  }
}

void BrowserFrame::ClearStatusLine() { WriteStatusLine(""); }

void BrowserFrame::OnStatusTextChange(std::string_view text) {
  if (!statusBar_) return;
  WriteStatusLine(StatusPrefix() + StatusDisplayText(text));
}

void BrowserFrame::OnCommandStateChange(BrowserCommand command, bool enable) {
  if (command == BrowserCommand::Forward) forward_ = enable;
  if (command == BrowserCommand::Back) back_ = enable;
  if (commandStateHook_) commandStateHook_(*this);
}

NavigateErrorChoice BrowserFrame::OnNavigateError(std::string_view url, long long status) {
  loadError_ = std::to_string(status);
  if (status == 404) {
    EndAsComplete();
    return NavigateErrorChoice::Proceed;
  }
  if (status == 200) return NavigateErrorChoice::Proceed;
  if (loadError_.size() == 3) {
    GiveUpNavigation();
    return NavigateErrorChoice::Cancel;
  }
  // A failure number, not a status: the server is asked directly, and the
  // navigation stays busy until it answers.
  AskStatus(std::string(url));
  return NavigateErrorChoice::Cancel;
}

void BrowserFrame::AskStatus(std::string url) {
  if (!queryURLStatus_ || statusQueriesInFlight_ >= kMaxStatusQueries) {
    GiveUpNavigation();
    return;
  }
  auto ask = [answers = statusAnswers_, query = queryURLStatus_, url = std::move(url), navigation = navigation_] {
    std::string status, lastModified;
    try {
      query(url, status, lastModified);
    } catch (const std::exception&) {
      // No answer; nothing may leave the thread, or the program would end.
      status.clear();
    }
    std::lock_guard hold(answers->lock);
    if (!answers->pump) return;
    answers->pump->Post([answers, status = std::move(status), navigation] {
      BrowserFrame* frame = answers->frame;
      if (!frame) return;
      --frame->statusQueriesInFlight_;
      if (navigation == frame->navigation_) frame->SettleFailure(status);
    });
  };
  try {
    pump_.RunAside(std::move(ask));
  } catch (const std::system_error&) {
    GiveUpNavigation();  // no thread to ask on
    return;
  } catch (const std::bad_alloc&) {
    GiveUpNavigation();  // nor memory for one
    return;
  }
  ++statusQueriesInFlight_;
}

void BrowserFrame::SettleFailure(std::string_view status) {
  // The page still did not load, whatever the server says now: a 200 says
  // only that the server is there, so the engine's failure stays the reason.
  queriedStatus_ = std::string(status);
  if (!status.empty() && status != "200") loadError_ = std::string(status);
  if (status == "404" || status == "200") EndAsComplete();  // the server is there after all
  else GiveUpNavigation();
}

void BrowserFrame::EndAsComplete() {
  SetBusy(false);
  pageComplete_ = true;
  skipRequest_ = false;
}

void BrowserFrame::GiveUpNavigation() {
  outcomeSurvives_ = 0;  // the page the outcome stayed for will not come
  engine_.Stop();
  skipRequest_ = true;
  SetBusy(false);
}

void BrowserFrame::OnWindowClosing(bool& cancel) {
  cancel = true;
  engine_.Navigate("about:blank");
}

void BrowserFrame::OnPageProcessEnded(std::string_view url) {
  // Nothing that was waited for will come: every wait ends at once (they
  // watch the count), answers about the lost load are dropped, and the
  // browser is idle for the next navigation.
  ++pageProcessEnds_;
  ++navigation_;
  SetBusy(false);
  pageComplete_ = false;
  skipRequest_ = false;
  // Without a notice the last picture of the page would stay, looking alive.
  engine_.ShowNotice(PageGoneNotice(url));
  ShowOutcome(SystemText("ブラウザの表示プロセスが終了しました"));
}

}  // namespace morvane
