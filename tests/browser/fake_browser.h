#pragma once
// A scripted browser control, event loop and toolbar for driving the frame
// step by step.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "browser/core/browser_frame.h"
#include "util/cp932.h"

namespace morvane::testing {

struct FakeCall : PageCall {
  FakeCall(std::optional<PageValue> r, bool done, int& cancels) : result(std::move(r)), done(done), cancels(cancels) {}
  bool Done() const override { return done; }
  std::optional<PageValue> Result() const override { return result; }
  void Cancel() override { ++cancels; }
  std::optional<PageValue> result;
  bool done;
  int& cancels;
};

struct FakeEngine : BrowserEngine {
  void SetEvents(BrowserEvents* e) override { events = e; }
  void Navigate(std::string_view url) override {
    navigated.emplace_back(url);
    if (onNavigate) onNavigate(url);
  }
  void Stop() override { ++stops, busy = false; }
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
  // Answers from page(); a call without an answer never finishes.
  std::unique_ptr<PageCall> CallPage(PageScript script, std::vector<PageArgument> args) override {
    calls.emplace_back(script, args);
    std::optional<PageValue> answer = page ? page(script, args) : std::nullopt;
    return std::make_unique<FakeCall>(answer, answer.has_value(), cancelledCalls);
  }
  void LoadBytes(std::string bytes) override { loaded.push_back(std::move(bytes)); }
  void ShowNotice(std::string bytes) override { notices.push_back(std::move(bytes)); }
  // The page's process dies, as a crash or a kill would end it.
  void EndPageProcess() {
    busy = false;
    events->OnPageProcessEnded(location);
  }

  BrowserEvents* events = nullptr;
  bool busy = false, hasDocument = true, readyComplete = true, hiddenBusy = false, hiddenReleased = false;
  std::string location = "http://host/";
  int stops = 0, cancelledCalls = 0;
  std::vector<std::string> navigated, loaded, notices;
  std::function<void(std::string_view)> onNavigate;
  std::function<std::optional<PageValue>(PageScript, const std::vector<PageArgument>&)> page;
  std::vector<std::pair<PageScript, std::vector<PageArgument>>> calls;
};

// Each pass of message processing finishes the work set aside (unless held),
// runs what was posted, then the next scripted step, if any.
struct FakePump : MessagePump {
  void ProcessMessages() override {
    ++processed;
    if (!holdAside) FinishAside();
    for (auto ready = std::exchange(posted, {}); auto& task : ready) task();
    if (everyPass) everyPass();
    if (steps.empty()) return;
    auto step = std::move(steps.front());
    steps.pop_front();
    step();
  }
  // No time passes but what the waits wait: each wait is its limit's worth.
  void AwaitMessages(int ms) override { slept += ms, clock += ms; }
  long long NowMilliseconds() const override { return clock; }
  bool Terminating() const override { return terminating; }
  void RunAside(std::function<void()> work) override { aside.push_back(std::move(work)); }
  void Post(std::function<void()> task) override { posted.push_back(std::move(task)); }
  void FinishAside() {
    for (auto work = std::exchange(aside, {}); auto& w : work) w();
  }

  std::deque<std::function<void()>> steps, aside, posted;
  bool holdAside = false;
  std::function<void()> everyPass;
  bool terminating = false;
  int processed = 0;
  long long slept = 0, clock = 0;
};

// A frame over the fake control and event loop, for test fixtures to build on.
struct FakeFrame {
  FakeEngine engine;
  FakePump pump;
  BrowserFrame frame{engine, pump};

  // A load as the control runs one: busy at once and told to the frame, over
  // `passes` passes later with `arrive` (by default the document completes).
  void StartLoad(std::string_view url, int passes = 1, std::function<void()> arrive = {}) {
    engine.busy = true;
    frame.OnBeforeNavigate(url);
    for (int i = 1; i < passes; ++i) pump.steps.push_back([] {});
    pump.steps.push_back([this, arrive = std::move(arrive)] {
      engine.busy = false;
      arrive ? arrive() : frame.OnDocumentComplete(true);
    });
  }
  // Every navigation loads so, the control reporting the address on its way.
  void LoadsIn(int passes, std::function<void()> arrive = {}) {
    engine.onNavigate = [this, passes, arrive = std::move(arrive)](std::string_view url) {
      engine.location = std::string(url);
      StartLoad(url, passes, arrive);
    };
  }
};

// A page as its scripts read it: its source, the fields of its one form
// ("login") and the captions of its submit buttons, in page order.
struct FakePage {
  std::string source;
  std::vector<std::string> fields;
  std::vector<std::string> captions;

  // What the reading scripts give back; nothing for the others.
  std::optional<PageValue> Read(PageScript script) const {
    using L = PageValue::List;
    switch (script) {
      case PageScript::Source: return source;
      case PageScript::Forms: return fields.empty() ? L{} : L{L{"login", L(fields.begin(), fields.end())}};
      case PageScript::FindElements: {
        L found;
        for (std::size_t i = 0; i < captions.size(); ++i) found.push_back(L{static_cast<int>(i), captions[i]});
        return found;
      }
      default: return std::nullopt;
    }
  }
};

// The service's login page, and its page once logged in as id.
inline FakePage LoginFormPage(std::string extra = {}) {
  return {"<form>" + extra + "<input name=\"catname_d\"><input name=\"pw_d\"></form>",
          {"back", "catname_d", "pw_d"},
          {SystemText("管理画面ログイン")}};
}
inline FakePage LoggedInPage(std::string id) { return {"<p>" + id + "</p>", {}, {}}; }

// The argument of a page call by its name; null without one.
inline const PageValue* Arg(const std::vector<PageArgument>& args, std::string_view name) {
  for (const PageArgument& a : args)
    if (a.name == name) return &a.value;
  return nullptr;
}

// Behaves towards the frame as the real toolbar and status bar do.
struct FakeToolbar : BrowserToolbar, StatusBar, SystemBrowser {
  explicit FakeToolbar(BrowserFrame& f) : frame(f) {}
  void ClickStop() override { ++stopClicks, frame.StopNavigation(); }
  void BusyChanged(bool busy) override { skipEnabled = busy; }
  void SetURLText(std::string_view url) override { urlText = url; }
  void SetStatusText(std::string_view text) override {
    if (statusFails) throw std::runtime_error("no panel");
    status.emplace_back(text);
  }
  bool Open(std::string_view url) override { return opened.emplace_back(url), true; }
  void AttachAll() {
    frame.SetToolbar(this);
    frame.SetStatusBar(this);
    frame.SetSystemBrowser(this);
  }

  BrowserFrame& frame;
  int stopClicks = 0;
  bool skipEnabled = false, statusFails = false;
  std::string urlText = "untouched";
  std::vector<std::string> status, opened;
};

}  // namespace morvane::testing
