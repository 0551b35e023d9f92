#pragma once
// The browser control behind the frame: its operations, and the events it
// delivers. The window binds WebKitGTK here; unit tests bind a fake.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/core/page_call.h"

namespace morvane {

// The history commands whose state the control reports.
enum class BrowserCommand : long {
  Forward = 1,
  Back = 2,
};

// Failure numbers the engine reports for loads that failed without an HTTP
// status: all below this, so their text is never three characters long.
inline constexpr long long kLoadFailureBase = -100000;
// The engine refuses ports that belong to other protocols (":1", ":25");
// the frame reports such an address as failed with this.
inline constexpr long long kRestrictedPortFailure = kLoadFailureBase - 2103;

// A page's request for a new window.
struct NewWindowRequest {
  std::string_view url;  // may be empty when the new window has no address yet
  // The input of the user that led to the request, numbered by the control
  // from 1; 0 when the page asked by itself.
  unsigned long gesture = 0;
};

// A navigation the engine would save to a file rather than show.
struct DownloadRequest {
  std::string_view url;
  std::string_view suggestedName;  // as the server or the page names it (UTF-8), may be empty
  // Whether the user gave an input since the shown document came: a page
  // opened after a click may not spend that click on a download of its own.
  bool inputOnThisPage = true;
};

// Where the file goes; the user confirmed replacing it when overwrite is set.
struct DownloadTarget {
  std::string file;  // in the file system's encoding
  bool overwrite = false;
};
// How a download is answered: a target saves it, nullopt drops it. Called
// once, at once or later from the event loop.
using DownloadAnswer = std::function<void(std::optional<DownloadTarget>)>;

enum class NewWindowChoice {
  Cancel,         // no window opens
  HiddenBrowser,  // the hidden browser catches the new window's first navigation
};

// What the control does with a navigation that failed.
enum class NavigateErrorChoice {
  Proceed,  // goes on as it would: the server's page, or an error page of its own
  Cancel,   // shows nothing of its own; the frame settles the load
};

// Events of the control, all delivered on the GUI thread. Texts are CP932.
class BrowserEvents {
 public:
  virtual ~BrowserEvents() = default;
  // For every navigation, those of frames inside the page included.
  virtual void OnBeforeNavigate(std::string_view url) = 0;
  // A load of the top-level document has started: a new page is on its way.
  virtual void OnTopLevelLoadStarted() = 0;
  virtual NewWindowChoice OnNewWindow(const NewWindowRequest& request) = 0;
  // topLevel is false for the documents of frames inside the page.
  virtual void OnDocumentComplete(bool topLevel) = 0;
  // The hidden browser's navigation; the engine always cancels it.
  virtual void OnHiddenBeforeNavigate(std::string_view url) = 0;
  virtual void OnStatusTextChange(std::string_view text) = 0;
  virtual void OnCommandStateChange(BrowserCommand command, bool enable) = 0;
  // status is an HTTP status or a failure number (not three digits long).
  virtual NavigateErrorChoice OnNavigateError(std::string_view url, long long status) = 0;
  // Setting cancel keeps the control in place.
  virtual void OnWindowClosing(bool& cancel) = 0;
  // The process that ran and drew the page has ended (it crashed or was
  // killed): the page is gone, and nothing of it will answer or load on.
  // url is the address the view was showing or loading.
  virtual void OnPageProcessEnded(std::string_view url) = 0;
  // A press of a mouse button or a key by the user on the page.
  virtual void OnUserInput() = 0;
  // The page asks for a file to be saved; nothing is written before answer
  // gives a target.
  virtual void OnDownload(const DownloadRequest& request, DownloadAnswer answer) = 0;
};

class BrowserEngine {
 public:
  virtual ~BrowserEngine() = default;
  // nullptr detaches; the frame attaches itself for its lifetime.
  virtual void SetEvents(BrowserEvents* events) = 0;

  virtual void Navigate(std::string_view url) = 0;
  virtual void Stop() = 0;
  virtual bool Busy() const = 0;
  virtual bool HasDocument() const = 0;
  // The document has finished loading (nothing is in progress).
  virtual bool ReadyStateComplete() const = 0;
  virtual std::string LocationURL() const = 0;
  virtual void GoBack() = 0;
  virtual void GoForward() = 0;
  virtual void GoHome() = 0;
  virtual void Reload() = 0;

  virtual bool HiddenBusy() const = 0;
  virtual void ReleaseHiddenBrowser() = 0;

  // Starts a page script; nullptr when it cannot even be started.
  virtual std::unique_ptr<PageCall> CallPage(PageScript script, std::vector<PageArgument> args) = 0;
  // Shows 8-bit text (CP932) as the page without a navigation.
  virtual void LoadBytes(std::string bytes) = 0;
  // The same for a page of the program's own that stands in for the page
  // (the notice that it is gone): its load raises no events, and Reload
  // loads the page it stands for again.
  virtual void ShowNotice(std::string bytes) = 0;
};

}  // namespace morvane
