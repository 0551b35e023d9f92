#include "browser/gtk/hidden_browser.h"

#include <gtk/gtk.h>

#include <memory>
#include <optional>

namespace morvane {
namespace {

// Clearing a profile in memory takes milliseconds; past this, start afresh.
constexpr int kForgetMilliseconds = 5000;
constexpr int kSettleMilliseconds = 1000;

}  // namespace

// No profile folder: the engine keeps cookies and caches in memory only, in a
// profile no other view shares.
HiddenBrowser::HiddenBrowser(MessagePump& pump) : engine_(std::string()), pump_(pump), frame_(engine_, pump_) {
  gtk_container_add(GTK_CONTAINER(window_.gobj()), engine_.Widget());
  window_.set_default_size(1024, 768);
  window_.show_all();
}

bool HiddenBrowser::Forget() {
  // Whatever the last page still loads may finish (it takes moments): the
  // engine stays busy for seconds after a stop just as a load starts.
  pump_.AwaitUntil([this] { return !engine_.Busy(); }, kSettleMilliseconds);
  // Nothing of the last page may run on and store anything after the clear.
  if (!frame_.NavigateTo("about:blank", true)) return false;
  auto cleared = std::make_shared<std::optional<bool>>();
  engine_.ForgetWebsiteData([cleared](bool done) { *cleared = done; });
  return pump_.AwaitUntil([&cleared] { return cleared->has_value(); }, kForgetMilliseconds) && **cleared;
}

HiddenBrowser::~HiddenBrowser() {
  frame_.CloseBrowser();
  gtk_container_remove(GTK_CONTAINER(window_.gobj()), engine_.Widget());
}

}  // namespace morvane
