#include "browser/gtk/hidden_browser.h"

#include <glibmm/main.h>
#include <gtk/gtk.h>

#include <memory>

namespace morvane {
namespace {

// Whatever the last page still loads may finish (it takes moments): the
// engine stays busy for seconds after a stop just as a load starts.
constexpr int kSettleMilliseconds = 1000;
// Leaving the page and clearing a profile in memory take milliseconds; past
// these, start afresh.
constexpr int kLeaveMilliseconds = 5000;
constexpr int kClearMilliseconds = 5000;
constexpr int kTickMilliseconds = 5;
constexpr char kBlank[] = "about:blank";

}  // namespace

// No profile folder: the engine keeps cookies and caches in memory only, in a
// profile no other view shares.
HiddenBrowser::HiddenBrowser(MessagePump& pump) : engine_(std::string()), pump_(pump), frame_(engine_, pump_) {
  gtk_container_add(GTK_CONTAINER(window_.gobj()), engine_.Widget());
  window_.set_default_size(1024, 768);
  window_.show_all();
}

// Runs from the main loop while the other browser logs in: settle, leave the
// page (nothing of it may run on and store anything after the clear), clear.
void HiddenBrowser::BeginForgetting() {
  tick_.disconnect();
  forgetting_ = std::make_shared<Forgetting>();
  deadline_ = pump_.NowMilliseconds() + kSettleMilliseconds;
  tick_ = Glib::signal_timeout().connect(sigc::mem_fun(*this, &HiddenBrowser::ForgetStep), kTickMilliseconds);
}

bool HiddenBrowser::ForgetStep() {
  const long long now = pump_.NowMilliseconds();
  Forgetting& state = *forgetting_;
  if (state.step == Forgetting::Settling) {
    if (engine_.Busy() && now < deadline_) return true;
    engine_.Navigate(kBlank);
    state.step = Forgetting::Leaving;
    deadline_ = now + kLeaveMilliseconds;
    return true;
  }
  if (engine_.Busy() || engine_.LocationURL() != kBlank) {
    if (now < deadline_) return true;
    state.step = Forgetting::Failed;
    return false;
  }
  state.step = Forgetting::Clearing;
  // The answer may come after this browser is gone: it holds only the state.
  engine_.ForgetWebsiteData([shared = forgetting_](bool cleared) {
    shared->step = cleared ? Forgetting::Done : Forgetting::Failed;
  });
  return false;
}

bool HiddenBrowser::Forgotten() {
  if (!forgetting_) return false;
  const std::shared_ptr<Forgetting> state = forgetting_;
  pump_.AwaitUntil([&state] { return state->step == Forgetting::Done || state->step == Forgetting::Failed; },
                   kSettleMilliseconds + kLeaveMilliseconds + kClearMilliseconds);
  return state->step == Forgetting::Done;
}

HiddenBrowser::~HiddenBrowser() {
  tick_.disconnect();
  frame_.CloseBrowser();
  gtk_container_remove(GTK_CONTAINER(window_.gobj()), engine_.Widget());
}

}  // namespace morvane
