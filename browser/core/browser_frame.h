#pragma once
// The browser frame: navigates and waits while keeping the window alive,
// keeps the four flags through which events, waits and the toolbar cooperate,
// decides what a new-window request does, and reads and fills the page.
// Free of any toolkit: the control is reached through BrowserEngine, the
// event loop through MessagePump.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "browser/core/browse_mode.h"
#include "browser/core/browser_engine.h"
#include "browser/core/browser_toolbar.h"
#include "browser/core/download_gate.h"
#include "browser/core/message_pump.h"
#include "browser/core/status_bar.h"
#include "browser/core/system_browser.h"

namespace morvane {

// Raised by GetSelectedText when the page has no document or no selection.
class PageAccessError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class BrowserFrame : public BrowserEvents {
 public:
  // How a wait ended.
  // PageProcessEnded: the process of the page ended (crashed) during the wait.
  enum class WaitEnd { Done, Stopped, Skipped, TimedOut, Terminated, PageProcessEnded };
  // How the last page call ended. Without an answer its false or empty
  // result is no answer at all, never a yes or a no.
  enum class CallEnd { Answered, Failed, TimedOut, Stopped, Skipped, Terminated, PageProcessEnded };
  enum class FillResult {
    Filled,
    NoField,
    OtherPage,  // the document shown is not of the origins asked for
    NoAnswer,
  };
  // Called with the frame; attached when not empty.
  using Hook = std::function<void(BrowserFrame&)>;
  using URLStatusQuery = std::function<bool(std::string_view url, std::string& status, std::string& lastModified)>;
  // Where a download goes that the page asked for right after the user's
  // input (proposedName UTF-8): the save dialog; nullopt drops it.
  using DownloadChooser = std::function<std::optional<DownloadTarget>(std::string_view proposedName)>;

  BrowserFrame(BrowserEngine& engine, MessagePump& pump);
  ~BrowserFrame() override;
  BrowserFrame(const BrowserFrame&) = delete;
  BrowserFrame& operator=(const BrowserFrame&) = delete;

  // Set-up and shut-down; the hosting widget has already placed the control.
  void InitBrowser();
  void CloseBrowser();

  bool NavigateTo(std::string_view url, bool wait);
  bool WaitForComplete(int passes);
  bool WaitForDocument(int timeoutMilliseconds);

  // Which document is shown, as far as the frame can tell one from the
  // next: another top-level load or another address makes another page.
  struct ShownPage {
    unsigned long loads = 0;
    std::string url;
    bool operator==(const ShownPage&) const = default;
  };
  ShownPage CurrentPage() const { return {loadsStarted_, engine_.LocationURL()}; }

  // The page. Texts are CP932.
  std::string GetLocationURL() const;
  std::string GetHTMLSource();
  std::string GetPageTitle();
  std::string GetSelectedText();  // throws PageAccessError
  // The same as the page holds them (UTF-8): for what goes to the clipboard,
  // the link list and the link tags, which keep every character.
  std::string GetHTMLSourceUtf8();
  std::string GetPageTitleUtf8();
  std::string GetSelectedTextUtf8();  // throws PageAccessError
  void ShowHTML(std::string_view text);
  bool SetFieldValue(std::string_view name, std::string_view value, std::string_view formName, int passOver);
  // SetFieldValue, but only into a document whose own origin (OriginOf) is
  // one of origins. The page script checks that in the same call that fills:
  // while a load is under way the address the control reports is that of the
  // page to come, not of the document shown.
  FillResult FillField(std::string_view name, std::string_view value, std::string_view formName, int passOver,
                       const std::vector<std::string>& origins);
  bool ClickElement(std::string_view kind, std::string_view matchText, bool exact, bool wait);
  // Whether some form holds a field of that name, and whether an element
  // matches as ClickElement would choose it; neither touches the page.
  bool HasField(std::string_view name);
  bool HasElement(std::string_view kind, std::string_view matchText, bool exact);

  // Looks at the page for as long as lookAgain() asks to: at once, then once
  // a pass while the events in between are handled, for at most passes
  // passes. A stop or skip asked for after the wait began ends it early, as
  // do the end of the page's process and of the application; Done means
  // lookAgain() said no.
  WaitEnd LookWhile(const std::function<bool()>& lookAgain, int passes);

  // What the toolbar's stop button and skip action do to the frame.
  void StopNavigation();
  void RequestSkip();
  // A limit over many waits (the pump's clock): from then on every wait and
  // page call ends at once as timed out, until the limit is lifted.
  void LimitWaits(long long untilMilliseconds) { waitsLimit_ = untilMilliseconds; }
  void LiftWaitsLimit() { waitsLimit_.reset(); }
  // Ends the wait under way and every one after it, and the load.
  void EndWaitsNow();
  bool WaitsLimitReached() const { return waitsLimit_ && pump_.NowMilliseconds() >= *waitsLimit_; }

  // Attachments; none is owned and each may be empty.
  void SetToolbar(BrowserToolbar* toolbar) { toolbar_ = toolbar; }
  BrowserToolbar* Toolbar() const { return toolbar_; }
  void SetStatusBar(StatusBar* statusBar) { statusBar_ = statusBar; }
  StatusBar* GetStatusBar() const { return statusBar_; }
  void SetSystemBrowser(SystemBrowser* systemBrowser) { systemBrowser_ = systemBrowser; }
  void SetCommandStateHook(Hook hook) { commandStateHook_ = std::move(hook); }
  void SetNewWindowHook(Hook hook) { newWindowHook_ = std::move(hook); }
  const Hook& NewWindowHook() const { return newWindowHook_; }
  void SetBrowseMode(BrowseMode mode) { browseMode_ = mode; }
  BrowseMode GetBrowseMode() const { return browseMode_; }
  void SetURLStatusQuery(URLStatusQuery query) { queryURLStatus_ = std::move(query); }
  // A browser without a chooser never downloads.
  void SetDownloadChooser(DownloadChooser chooser) {
    downloadChooser_ = std::move(chooser);
    downloads_.Allow(static_cast<bool>(downloadChooser_));
  }
  BrowserEngine& Engine() { return engine_; }

  bool BusyState() const { return busy_; }
  bool PageComplete() const { return pageComplete_; }
  bool SkipRequest() const { return skipRequest_; }
  bool StopRequest() const { return stopRequest_; }
  // Why the last navigation (or click) did not load: an HTTP status or the
  // engine's failure number as text; empty while nothing failed.
  const std::string& LoadError() const { return loadError_; }
  // The status query's answer about that failure; empty when it was not
  // asked or nobody answered.
  const std::string& QueriedStatus() const { return queriedStatus_; }
  // How the last wait for a page (a navigation's or a click's) and the last
  // page call ended.
  WaitEnd LastWaitEnd() const { return lastWaitEnd_; }
  CallEnd LastCallEnd() const { return lastCallEnd_; }
  bool PageAnswered() const { return lastCallEnd_ == CallEnd::Answered; }
  bool BackFlag() const { return back_; }
  // How often the page's process has ended so far.
  unsigned long PageProcessEnds() const { return pageProcessEnds_; }
  bool ForwardFlag() const { return forward_; }

  // An operation's outcome in the status line (a login's). It stands
  // wherever the frame's own text is empty while the page under way when it
  // was shown loads, and gives way for good once a later page completes or
  // the window shows another text (DropOutcome).
  void ShowOutcome(std::string text);
  void DropOutcome() { outcome_.clear(); }
  const std::string& Outcome() const { return outcome_; }

  // "[*+]"-style marks of the flags, empty when neither is set.
  std::string StatusPrefix() const;
  void ClearStatusLine();

  // Events of the control.
  void OnBeforeNavigate(std::string_view url) override;
  void OnTopLevelLoadStarted() override;
  NewWindowChoice OnNewWindow(const NewWindowRequest& request) override;
  void OnDocumentComplete(bool topLevel) override;
  void OnHiddenBeforeNavigate(std::string_view url) override;
  void OnStatusTextChange(std::string_view text) override;
  void OnCommandStateChange(BrowserCommand command, bool enable) override;
  NavigateErrorChoice OnNavigateError(std::string_view url, long long status) override;
  void OnWindowClosing(bool& cancel) override;
  void OnPageProcessEnded(std::string_view url) override;
  void OnUserInput() override;
  void OnDownload(const DownloadRequest& request, DownloadAnswer answer) override;

 private:
  // Which requests of the user end a wait early besides the application's end.
  enum class GiveWay {
    Never,
    ToStop,
    ToStopOrSkip,
    ToNewStopOrSkip,  // only a request made after the wait began
  };
  // Every wait of the frame: pumps events while waiting() holds, for at most
  // passes passes, and ends early as giveWay says or when the application ends.
  WaitEnd PumpWhile(const std::function<bool()>& waiting, int passes, GiveWay giveWay);
  // The waiting part of WaitForComplete, for callers that have just cleared
  // the requests themselves before starting the navigation.
  bool WaitUntilComplete(int passes);
  // Every change of the busy state goes through here, so the toolbar's skip
  // action follows loads the frame did not start too (a clicked link).
  void SetBusy(bool busy);
  void WriteStatusLine(std::string_view text);
  // Runs a page script and waits for its value, pumping events; nullopt when
  // it failed, timed out, or a new stop or skip request or the application's
  // end gave it up.
  std::optional<PageValue> CallPage(PageScript script, std::vector<PageArgument> args);
  // Page indices and kind of the elements ClickElement would click, in order.
  std::vector<double> MatchingElements(std::string_view kind, std::string_view matchText, bool exact);

  // A failed navigation: the server is asked away from the GUI thread and
  // the failure is settled when it answers, unless a newer navigation began.
  void AskStatus(std::string url);
  void SettleFailure(std::string_view status);
  void EndAsComplete();
  void GiveUpNavigation();
  // Shared with the threads that ask, and with the tasks posted to the event
  // loop: an answer that comes back after the frame has gone finds nobody
  // to tell.
  struct StatusAnswers {
    StatusAnswers(MessagePump* p, BrowserFrame* f) : pump(p), frame(f) {}
    std::mutex lock;
    MessagePump* pump;    // null once the frame has gone
    BrowserFrame* frame;  // read on the GUI thread only
  };

  BrowserEngine& engine_;
  MessagePump& pump_;
  BrowserToolbar* toolbar_ = nullptr;
  StatusBar* statusBar_ = nullptr;
  SystemBrowser* systemBrowser_ = nullptr;
  bool back_ = false;
  bool forward_ = false;
  Hook commandStateHook_;
  Hook newWindowHook_;
  BrowseMode browseMode_ = BrowseMode::DesktopBrowser;
  bool pageComplete_ = false;
  bool busy_ = false;
  bool skipRequest_ = false;
  bool stopRequest_ = false;
  URLStatusQuery queryURLStatus_;
  DownloadChooser downloadChooser_;
  DownloadGate downloads_;
  // Every wait ends once this changes.
  unsigned long pageProcessEnds_ = 0;
  // Its value when the load waited for was asked for.
  unsigned long loadProcessEnds_ = 0;
  std::shared_ptr<StatusAnswers> statusAnswers_;
  int statusQueriesInFlight_ = 0;
  // Counts top-level navigations, so an answer about an older one is
  // dropped; a frame inside the page that navigates starts none.
  unsigned long navigation_ = 0;
  // Top-level loads the control started, whoever asked for them.
  unsigned long loadsStarted_ = 0;
  std::string outcome_;
  // Completions of top-level pages the outcome stays through.
  int outcomeSurvives_ = 0;
  // The input of the user that last sent an address to the desktop's browser.
  unsigned long launchGesture_ = 0;
  std::string loadError_;
  std::string queriedStatus_;
  WaitEnd lastWaitEnd_ = WaitEnd::Done;
  CallEnd lastCallEnd_ = CallEnd::Answered;
  std::optional<long long> waitsLimit_;
};

}  // namespace morvane
