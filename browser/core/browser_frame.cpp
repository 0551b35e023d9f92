#include "browser/core/browser_frame.h"

#include <new>

#include "browser/core/wait_limits.h"
#include "browser/core/web_origin.h"
#include "util/text_routines.h"
#include "web/scan_views.h"
#include "web/url_status.h"

namespace morvane {
namespace {

using namespace wait_limits;

// What a page may hand to the desktop's browser or to our visible browser.
bool IsWebAddress(std::string_view url) {
  return scan::StartsWithNoCase(url, "http://") || scan::StartsWithNoCase(url, "https://");
}

}  // namespace

BrowserFrame::BrowserFrame(BrowserEngine& engine, MessagePump& pump)
    : engine_(engine),
      pump_(pump),
      queryURLStatus_([](std::string_view url, std::string& status, std::string& lastModified) {
        return QueryURLStatus(url, status, lastModified);
      }),
      statusAnswers_(std::make_shared<StatusAnswers>(&pump, this)) {
  engine_.SetEvents(this);
}

BrowserFrame::~BrowserFrame() {
  engine_.SetEvents(nullptr);
  std::lock_guard hold(statusAnswers_->lock);
  statusAnswers_->pump = nullptr;
  statusAnswers_->frame = nullptr;
}

void BrowserFrame::InitBrowser() { engine_.Navigate("about:blank"); }

void BrowserFrame::CloseBrowser() {
  ++navigation_;
  stopRequest_ = true;
  skipRequest_ = true;
  engine_.Stop();
  if (toolbar_) toolbar_->ClickStop();
  engine_.ReleaseHiddenBrowser();
}

void BrowserFrame::SetBusy(bool busy) {
  if (busy_ == busy) return;
  busy_ = busy;
  if (toolbar_) toolbar_->BusyChanged(busy);
}

BrowserFrame::WaitEnd BrowserFrame::PumpWhile(const std::function<bool()>& waiting, int passes, GiveWay giveWay) {
  const bool onlyNew = giveWay == GiveWay::ToNewStopOrSkip;
  const bool stopBefore = onlyNew && stopRequest_;
  const bool skipBefore = onlyNew && skipRequest_;
  const bool watchSkip = giveWay == GiveWay::ToStopOrSkip || onlyNew;
  const bool watchStop = watchSkip || giveWay == GiveWay::ToStop;
  // Whatever the wait is for, a page whose process has ended brings nothing.
  const unsigned long processEnds = pageProcessEnds_;
  // The limit is kept by the clock: a pass ends early when events arrive.
  const long long end = pump_.NowMilliseconds() + static_cast<long long>(passes) * kPassMilliseconds;
  for (;;) {
    if (pageProcessEnds_ != processEnds) return WaitEnd::PageProcessEnded;
    if (!waiting()) return WaitEnd::Done;
    if (pump_.Terminating()) return WaitEnd::Terminated;
    if (watchSkip && skipRequest_ && !skipBefore) return WaitEnd::Skipped;
    if (watchStop && stopRequest_ && !stopBefore) return WaitEnd::Stopped;
    if (pump_.NowMilliseconds() >= end || WaitsLimitReached()) return WaitEnd::TimedOut;
    pump_.ProcessMessages();
    if (pageProcessEnds_ != processEnds) return WaitEnd::PageProcessEnded;
    // What was waited for may have arrived with these events: no wait then.
    if (!waiting()) return WaitEnd::Done;
    pump_.AwaitMessages(kPassMilliseconds);
  }
}

BrowserFrame::WaitEnd BrowserFrame::LookWhile(const std::function<bool()>& lookAgain, int passes) {
  // A look runs page calls, each a wait of its own: the loop asks for one
  // only when a pass has gone by since the last, however often events come.
  bool looking = true;
  long long nextLook = pump_.NowMilliseconds();
  const auto waiting = [&] {
    if (pump_.NowMilliseconds() < nextLook) return looking;
    looking = lookAgain();
    nextLook = pump_.NowMilliseconds() + kPassMilliseconds;
    return looking;
  };
  return PumpWhile(waiting, passes, GiveWay::ToNewStopOrSkip);
}

bool BrowserFrame::NavigateTo(std::string_view url, bool wait) {
  if (TrimSpaces(url).empty()) {
    stopRequest_ = true;
    SetBusy(false);
    pageComplete_ = true;
    if (toolbar_) toolbar_->SetURLText(url);
    return true;
  }
  // An earlier navigation or wait is still running: ask it to give up and
  // let the control settle. Its load is stopped, as the new one replaces it
  // anyway, so this never spins for as long as a slow page takes.
  PumpWhile(
      [this] {
        if (!busy_ || !engine_.Busy()) return false;
        stopRequest_ = true;
        skipRequest_ = true;
        engine_.Stop();
        return true;
      },
      kSettlePasses, GiveWay::Never);
  ++navigation_;
  loadProcessEnds_ = pageProcessEnds_;
  stopRequest_ = false;
  pageComplete_ = false;
  skipRequest_ = false;
  loadError_.clear();
  queriedStatus_.clear();
  SetBusy(true);
  if (OnBlockedPort(TrimSpaces(url))) {
    // Refused by the engine without a word: a failed navigation of its own.
    loadError_ = std::to_string(kRestrictedPortFailure);
    GiveUpNavigation();
    return wait ? WaitUntilComplete(kNavigatePasses) : true;
  }
  try {
    engine_.Navigate(url);
  } catch (const std::bad_alloc&) {
    // No memory to hand the address over: the wait below ends as for a page
    // that never comes.
  }
  pump_.ProcessMessages();
  // The requests were just cleared; a navigation error or a stop that came
  // in while messages were processed must not be cleared again, or the wait
  // would run for a page that will never complete.
  return wait ? WaitUntilComplete(kNavigatePasses) : true;
}

bool BrowserFrame::WaitForDocument(int timeoutMilliseconds) {
  const WaitEnd end = PumpWhile([this] { return !engine_.HasDocument(); }, timeoutMilliseconds / kPassMilliseconds,
                                GiveWay::ToStopOrSkip);
  if (end == WaitEnd::Done) return true;
  engine_.Stop();
  SetBusy(false);
  return false;
}

bool BrowserFrame::WaitForComplete(int passes) {
  stopRequest_ = false;
  skipRequest_ = false;
  SetBusy(true);
  loadProcessEnds_ = pageProcessEnds_;
  return WaitUntilComplete(passes);
}

bool BrowserFrame::WaitUntilComplete(int passes) {
  // Without a document the page can still complete (an error page answers
  // a skip), so the wait goes on.
  WaitForDocument(kDocumentMilliseconds);
  // The process may have ended before the wait began, while the load was
  // being started: the page will not complete then either.
  const WaitEnd end = pageProcessEnds_ != loadProcessEnds_
                          ? WaitEnd::PageProcessEnded
                          : PumpWhile([this] { return !pageComplete_; }, passes, GiveWay::ToStopOrSkip);
  lastWaitEnd_ = end;
  if (end == WaitEnd::Skipped) {
    engine_.Stop();
    if (toolbar_) toolbar_->ClickStop();
  }
  SetBusy(false);
  return end == WaitEnd::Done || end == WaitEnd::Skipped || end == WaitEnd::Terminated;
}

void BrowserFrame::StopNavigation() {
  ++navigation_;
  outcomeSurvives_ = 0;  // the page it stayed for will not complete
  engine_.Stop();
  SetBusy(false);
  stopRequest_ = true;
  if (statusBar_) ClearStatusLine();
  skipRequest_ = false;
}

void BrowserFrame::EndWaitsNow() {
  waitsLimit_ = pump_.NowMilliseconds();
  engine_.Stop();
}

void BrowserFrame::RequestSkip() { skipRequest_ = true; }

void BrowserFrame::OnBeforeNavigate(std::string_view url) {
  if (url == "about:blank") return;
  skipRequest_ = false;
  SetBusy(true);
}

void BrowserFrame::OnTopLevelLoadStarted() {
  ++navigation_;
  ++loadsStarted_;
}

void BrowserFrame::ShowOutcome(std::string text) {
  outcome_ = std::move(text);
  // The page under way now is the operation's own (a login opens its page
  // once more): its completion must leave the text for the user to read.
  outcomeSurvives_ = busy_ ? 1 : 0;
  ClearStatusLine();
}

NewWindowChoice BrowserFrame::OnNewWindow(const NewWindowRequest& request) {
  // Windows a page opens by itself, on load or on a timer, are never acted on.
  if (request.gesture == 0) return NewWindowChoice::Cancel;
  if (newWindowHook_) newWindowHook_(*this);
  if (browseMode_ == BrowseMode::SameWindow) {
    PumpWhile([this] { return engine_.HiddenBusy(); }, kNewWindowPasses, GiveWay::Never);
    return NewWindowChoice::HiddenBrowser;
  }
  if (browseMode_ == BrowseMode::Ignore) return NewWindowChoice::Cancel;
  // The desktop's browser takes web addresses only, and one per input of the
  // user however many windows the page asks for.
  if (systemBrowser_ && IsWebAddress(request.url) && request.gesture != launchGesture_) {
    launchGesture_ = request.gesture;
    systemBrowser_->Open(request.url);
  }
  return NewWindowChoice::Cancel;
}

void BrowserFrame::OnHiddenBeforeNavigate(std::string_view url) {
  // The visible browser is sent only where a page could send it itself.
  if (IsWebAddress(url) || url == "about:blank") engine_.Navigate(url);
}

void BrowserFrame::OnDocumentComplete(bool topLevel) {
  if (!topLevel) return;
  if (outcomeSurvives_ > 0) --outcomeSurvives_;
  else outcome_.clear();
  pageComplete_ = true;
  SetBusy(false);
  if (toolbar_) {
    toolbar_->SetURLText(engine_.LocationURL());
    skipRequest_ = false;
  }
  if (statusBar_) ClearStatusLine();
  OnStatusTextChange("");
}

}  // namespace morvane
