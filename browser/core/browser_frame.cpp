#include "browser/core/browser_frame.h"

#include "navi/core/url_status.h"
#include "util/cp932.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

constexpr int kPassMilliseconds = 10;
// The hidden browser is given this many passes to settle on a new window.
constexpr int kNewWindowPasses = 101;
// A second navigation waits this many passes at most for the first to let go.
constexpr int kSettlePasses = 500;

bool SameWindowMode(std::string_view mode) {
  return mode == SystemText("同窓モード") || mode == SystemText("スクリプト実行");
}

bool NoAddress(std::string_view url) { return url.empty() || url == "about:blank"; }

}  // namespace

TfrBrowserBase::TfrBrowserBase(BrowserEngine& engine, MessagePump& pump)
    : engine_(engine), pump_(pump), queryURLStatus_([](std::string_view url, std::string& status,
                                                       std::string& lastModified) {
        return QueryURLStatus(url, status, lastModified);
      }) {
  engine_.SetEvents(this);
}

TfrBrowserBase::~TfrBrowserBase() { engine_.SetEvents(nullptr); }

void TfrBrowserBase::InitBrowser() { engine_.Navigate("about:blank"); }

void TfrBrowserBase::CloseBrowser() {
  stopRequest_ = true;
  skipRequest_ = true;
  engine_.Stop();
  if (toolbar_) toolbar_->ClickStop();
  engine_.ReleaseHiddenBrowser();
}

void TfrBrowserBase::RefreshSkipAction() {
  if (toolbar_) toolbar_->RefreshSkipAction();
}

bool TfrBrowserBase::NavigateTo(std::string_view url, bool wait) {
  if (TrimSpaces(url).empty()) {
    stopRequest_ = true;
    busy_ = false;
    pageComplete_ = true;
    if (toolbar_) {
      toolbar_->SetURLText(url);
      RefreshSkipAction();
    }
    return true;
  }
  // An earlier navigation or wait is still running: ask it to give up and
  // let the control settle. Its load is stopped, as the new one replaces it
  // anyway, so this never spins for as long as a slow page takes.
  for (int pass = 0; busy_ && pass < kSettlePasses; ++pass) {
    if (pump_.Terminating()) break;
    stopRequest_ = true;
    skipRequest_ = true;
    pump_.ProcessMessages();
    if (!engine_.Busy()) break;
    engine_.Stop();
    pump_.Sleep(kPassMilliseconds);
  }
  stopRequest_ = false;
  pageComplete_ = false;
  skipRequest_ = false;
  busy_ = true;
  RefreshSkipAction();
  try {
    engine_.Navigate(url);
  } catch (...) {
    // A refused address shows up as a navigation error or an endless wait.
  }
  pump_.ProcessMessages();
  // The requests were just cleared; a navigation error or a stop that came
  // in while messages were processed must not be cleared again, or the wait
  // would run for a page that will never complete.
  return wait ? WaitUntilComplete(kNavigatePasses) : true;
}

bool TfrBrowserBase::WaitForDocument(int timeoutMilliseconds) {
  int passes = timeoutMilliseconds / kPassMilliseconds;
  while (!engine_.HasDocument()) {
    pump_.Sleep(kPassMilliseconds);
    pump_.ProcessMessages();
    --passes;
    if (stopRequest_ || passes < 0 || skipRequest_ || pump_.Terminating()) {
      engine_.Stop();
      busy_ = false;
      RefreshSkipAction();
      return false;
    }
  }
  return true;
}

bool TfrBrowserBase::WaitForComplete(int passes) {
  stopRequest_ = false;
  skipRequest_ = false;
  busy_ = true;
  RefreshSkipAction();
  return WaitUntilComplete(passes);
}

bool TfrBrowserBase::WaitUntilComplete(int passes) {
  if (!WaitForDocument(kDocumentTimeout)) {
    busy_ = false;
    RefreshSkipAction();
  }
  while (!pageComplete_) {
    if (pump_.Terminating()) break;
    if (skipRequest_) {
      engine_.Stop();
      if (toolbar_) toolbar_->ClickStop();
      break;
    }
    pump_.Sleep(kPassMilliseconds);
    pump_.ProcessMessages();
    --passes;
    if (stopRequest_ || passes < 0) {
      busy_ = false;
      RefreshSkipAction();
      return false;
    }
  }
  busy_ = false;
  RefreshSkipAction();
  return true;
}

void TfrBrowserBase::StopNavigation() {
  engine_.Stop();
  busy_ = false;
  stopRequest_ = true;
  if (statusBar_) ClearStatusLine();
  skipRequest_ = false;
}

void TfrBrowserBase::RequestSkip() {
  skipRequest_ = true;
  try {
    RefreshSkipAction();
  } catch (...) {
    // The request stands even when the button cannot follow.
  }
}

void TfrBrowserBase::wbBrowserBeforeNavigate2(std::string_view url) {
  if (url == "about:blank") return;
  skipRequest_ = false;
  busy_ = true;
}

NewWindowChoice TfrBrowserBase::wbBrowserNewWindow2(std::string_view url) {
  if (newWindowHook_) newWindowHook_(*this);
  if (SameWindowMode(browseMode_)) {
    for (int pass = 0; pass < kNewWindowPasses && engine_.HiddenBusy(); ++pass) {
      pump_.ProcessMessages();
      pump_.Sleep(kPassMilliseconds);
    }
    return NewWindowChoice::HiddenBrowser;
  }
  if (browseMode_ == SystemText("無視")) return NewWindowChoice::Cancel;
  // Any other mode leaves the page to the desktop's browser.
  if (systemBrowser_ && !NoAddress(url)) systemBrowser_->Open(url);
  return NewWindowChoice::Cancel;
}

void TfrBrowserBase::wbSecretBrowserBeforeNavigate2(std::string_view url) { engine_.Navigate(url); }

void TfrBrowserBase::wbBrowserDocumentComplete(bool topLevel) {
  if (!topLevel) return;
  pageComplete_ = true;
  busy_ = false;
  if (toolbar_) {
    RefreshSkipAction();
    toolbar_->SetURLText(engine_.LocationURL());
    skipRequest_ = false;
  }
  if (statusBar_) ClearStatusLine();
  wbBrowserStatusTextChange("");
}

}  // namespace morvane
