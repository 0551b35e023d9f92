// The frame's reporting events: status line, title, command state,
// navigation errors and the page's request to close its window.
#include "browser/core/browser_frame.h"
#include "browser/core/status_text.h"

namespace morvane {

std::string TfrBrowserBase::StatusPrefix() const { return morvane::StatusPrefix(skipRequest_, busy_); }

void TfrBrowserBase::WriteStatusLine(std::string_view text) {
  if (!statusBar_) return;
  try {
    statusBar_->SetStatusText(text);
  } catch (...) {
    // The status line is a courtesy; it never fails an event.
  }
}

void TfrBrowserBase::ClearStatusLine() { WriteStatusLine(""); }

void TfrBrowserBase::OnStatusTextChange(std::string_view text) {
  if (!statusBar_) return;
  WriteStatusLine(StatusPrefix() + StatusDisplayText(text));
}

void TfrBrowserBase::OnTitleChange(std::string_view) {
  // The link tools read the title from the page source instead.
}

void TfrBrowserBase::OnCommandStateChange(BrowserCommand command, bool enable) {
  if (command == BrowserCommand::Forward) forward_ = enable;
  if (command == BrowserCommand::Back) back_ = enable;
  if (commandStateHook_) commandStateHook_(*this);
}

void TfrBrowserBase::OnNavigateError(std::string_view url, long long status, bool& cancel) {
  if (status == 404) {
    busy_ = false;
    pageComplete_ = true;
    skipRequest_ = false;
    RefreshSkipAction();
    return;
  }
  if (status == 200) return;
  std::string code = std::to_string(status);
  if (code.size() != 3) {
    // A failure number, not a status: ask the server directly.
    std::string lastModified;
    code.clear();
    if (queryURLStatus_) queryURLStatus_(url, code, lastModified);
  }
  if (code == "404" || code == "200") return;
  cancel = true;
  engine_.Stop();
  skipRequest_ = true;
  busy_ = false;
}

void TfrBrowserBase::OnWindowClosing(bool& cancel) {
  cancel = true;
  engine_.Navigate("about:blank");
}

}  // namespace morvane
