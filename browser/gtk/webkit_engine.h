#pragma once
// The browser control on WebKitGTK: a visible web view, a hidden one that
// catches the first navigation of new windows, and a persistent profile.
// Silent: it never shows a dialog of its own and never accepts a bad
// certificate.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "browser/core/browser_engine.h"
#include "browser/core/download_progress.h"
#include "browser/core/sign_in_prompts.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _WebKitWebView WebKitWebView;

namespace morvane {

class WebKitEngine final : public BrowserEngine {
 public:
  // Cookies and caches live in profileFolder, in memory only when it is
  // empty; GoHome goes to homeURL.
  explicit WebKitEngine(const std::string& profileFolder, std::string homeURL = "about:blank");
  ~WebKitEngine() override;
  WebKitEngine(const WebKitEngine&) = delete;
  WebKitEngine& operator=(const WebKitEngine&) = delete;

  GtkWidget* Widget() const;
  WebKitWebView* View() const;
  // Who answers the shown page's sign-in requests (HTTP authentication);
  // without one, as in the hidden browsers, every request is declined.
  using SignInAsker = std::function<std::optional<SignInAnswer>(const SignInRequest&)>;
  void SetSignInAsker(SignInAsker asker);
  // Who is told how each download the user agreed to goes (on this thread);
  // CancelDownload stops one under way, its part file removed.
  using DownloadListener = std::function<void(const DownloadProgress&)>;
  void SetDownloadListener(DownloadListener listener);
  void CancelDownload(int id);

  void SetEvents(BrowserEvents* events) override;
  void Navigate(std::string_view url) override;
  void Stop() override;
  bool Busy() const override;
  bool HasDocument() const override;
  bool ReadyStateComplete() const override;
  std::string LocationURL() const override;
  void GoBack() override;
  void GoForward() override;
  void GoHome() override;
  void Reload() override;
  bool HiddenBusy() const override;
  void ReleaseHiddenBrowser() override;
  std::unique_ptr<PageCall> CallPage(PageScript script, std::vector<PageArgument> args) override;
  void LoadBytes(std::string bytes) override;
  void ShowNotice(std::string bytes) override;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace morvane
