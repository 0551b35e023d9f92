#pragma once
// A scripted browser control, event loop, toolbar and status bar for driving
// the frame step by step.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "browser/core/browser_frame.h"

namespace morvane::testing {

struct FakeField {
  FakeField(std::optional<std::string> n, bool canSet = true) : name(std::move(n)), settable(canSet) {}
  std::optional<std::string> name;
  std::string value;
  bool settable;
};

struct FakeForm {
  std::optional<std::string> name;
  std::vector<FakeField> fields;
};

struct FakeElement {
  std::string tag;                            // as the DOM reports it, e.g. "INPUT"
  std::map<std::string, std::string> values;  // "type", "value", "src", "href"
};

class FakeCall : public PageCall {
 public:
  FakeCall(bool done, std::optional<PageValue> result, int& cancels)
      : done_(done), result_(std::move(result)), cancels_(cancels) {}
  bool Done() const override { return done_; }
  std::optional<PageValue> Result() const override { return result_; }
  void Cancel() override { ++cancels_; }

 private:
  bool done_;
  std::optional<PageValue> result_;
  int& cancels_;
};

class FakeEngine : public BrowserEngine {
 public:
  void SetEvents(BrowserEvents* e) override { events = e; }
  void Navigate(std::string_view url) override {
    navigated.emplace_back(url);
    if (onNavigate) onNavigate(url);
  }
  void Stop() override {
    ++stops;
    busy = false;
  }
  bool Busy() const override { return busy; }
  bool HasDocument() const override { return hasDocument; }
  bool ReadyStateComplete() const override { return readyComplete; }
  std::string LocationURL() const override { return location; }
  void GoBack() override {}
  void GoForward() override {}
  void GoHome() override {}
  void Reload() override {}
  bool HiddenBusy() const override { return hiddenBusy; }
  void ReleaseHiddenBrowser() override { hiddenReleased = true; }
  std::unique_ptr<PageCall> CallPage(PageScript script, std::vector<PageArgument> args) override;
  void LoadBytes(std::string bytes) override { loaded.push_back(std::move(bytes)); }

  BrowserEvents* events = nullptr;
  bool busy = false;
  bool hasDocument = true;
  bool readyComplete = true;
  bool hiddenBusy = false;
  bool hiddenReleased = false;
  bool pageHangs = false;
  std::string location = "http://host/";
  int stops = 0;
  std::vector<std::string> navigated;
  std::vector<std::string> loaded;
  std::function<void(std::string_view)> onNavigate;

  // The page.
  std::optional<std::string> source;
  std::optional<std::string> selection;
  std::vector<FakeForm> forms;
  std::vector<FakeElement> elements;
  std::vector<int> clicked;
  std::function<void(int)> onClick;
  int pageCalls = 0;
  int cancelledCalls = 0;
};

// Each pass of message processing runs the next scripted step, if any.
class FakePump : public MessagePump {
 public:
  void ProcessMessages() override {
    ++processed;
    if (everyPass) everyPass();
    if (!steps.empty()) {
      auto step = std::move(steps.front());
      steps.pop_front();
      step();
    }
  }
  void Sleep(int ms) override { slept += ms; }
  bool Terminating() const override { return terminating; }

  std::deque<std::function<void()>> steps;
  std::function<void()> everyPass;
  bool terminating = false;
  int processed = 0;
  long long slept = 0;
};

// Behaves as the real toolbar does towards the frame.
class FakeToolbar : public BrowserToolbar {
 public:
  explicit FakeToolbar(TfrBrowserBase& frame) : frame_(frame) {}
  void ClickStop() override {
    ++stopClicks;
    frame_.StopNavigation();
  }
  void RefreshSkipAction() override { skipEnabled = frame_.BusyState(); }
  void SetURLText(std::string_view url) override { urlText = std::string(url); }

  int stopClicks = 0;
  bool skipEnabled = false;
  std::string urlText = "untouched";

 private:
  TfrBrowserBase& frame_;
};

class FakeStatusBar : public StatusBar {
 public:
  void SetStatusText(std::string_view text) override {
    if (fails) throw std::runtime_error("no panel");
    texts.emplace_back(text);
  }
  std::vector<std::string> texts;
  bool fails = false;
};

class FakeSystemBrowser : public SystemBrowser {
 public:
  bool Open(std::string_view url) override {
    opened.emplace_back(url);
    return true;
  }
  std::vector<std::string> opened;
};

}  // namespace morvane::testing
