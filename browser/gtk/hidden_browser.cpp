#include "browser/gtk/hidden_browser.h"

#include <glibmm/main.h>
#include <gtk/gtk.h>

namespace morvane {
namespace {

// A cold engine comes up in well under a second; on a loaded machine it may
// take seconds. Past this, start afresh.
constexpr int kStartMilliseconds = 10000;
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

// A blank page brings the engine's page side up; it is shown from the main
// loop while another browser logs in.
void HiddenBrowser::Start() {
  tick_.disconnect();
  started_ = Starting::Loading;
  engine_.Navigate(kBlank);
  deadline_ = pump_.NowMilliseconds() + kStartMilliseconds;
  tick_ = Glib::signal_timeout().connect(sigc::mem_fun(*this, &HiddenBrowser::StartStep), kTickMilliseconds);
}

bool HiddenBrowser::StartStep() {
  if (!engine_.Busy() && engine_.LocationURL() == kBlank) {
    started_ = Starting::Done;
    return false;
  }
  if (pump_.NowMilliseconds() < deadline_) return true;
  started_ = Starting::Failed;
  return false;
}

bool HiddenBrowser::Started() {
  if (started_ == Starting::NotAsked) return false;
  pump_.AwaitUntil([this] { return started_ != Starting::Loading; }, kStartMilliseconds);
  return started_ == Starting::Done;
}

HiddenBrowser::~HiddenBrowser() {
  tick_.disconnect();
  frame_.CloseBrowser();
  gtk_container_remove(GTK_CONTAINER(window_.gobj()), engine_.Widget());
}

}  // namespace morvane
