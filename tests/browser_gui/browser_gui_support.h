#pragma once
// A browser frame in its own window and private profile, and helpers that
// pump the real event loop with a bound on every wait.
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "browser/gtk/browser_frame_widget.h"
#include "support/fake_service.h"
#include "util/cp932.h"

namespace morvane::testing {

extern FakeService* service;

inline std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }

// Pumps events until cond holds or timeoutMs has passed; returns cond().
inline bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 10000) {
  const gint64 end = g_get_monotonic_time() + gint64{timeoutMs} * 1000;
  while (!cond() && g_get_monotonic_time() < end) {
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
    g_usleep(5000);
  }
  return cond();
}

// Runs action on the event loop after delayMs, from inside whatever wait is running.
class Later {
 public:
  Later(int delayMs, std::function<void()> action) : action_(std::move(action)) {
    id_ = g_timeout_add(static_cast<guint>(delayMs), &Later::Fire, this);
  }
  ~Later() {
    if (id_) g_source_remove(id_);
  }
  Later(const Later&) = delete;
  Later& operator=(const Later&) = delete;
  bool Fired() const { return id_ == 0; }

 private:
  static gboolean Fire(gpointer self) {
    auto* later = static_cast<Later*>(self);
    later->id_ = 0;
    later->action_();
    return G_SOURCE_REMOVE;
  }
  std::function<void()> action_;
  guint id_ = 0;
};

class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char* dir = g_dir_make_tmp("morvane-browser-XXXXXX", nullptr);
    ASSERT_NE(dir, nullptr);
    dataDir_ = dir;
    g_free(dir);
    Open();
  }
  void TearDown() override {
    Close();
    std::error_code ignored;
    std::filesystem::remove_all(dataDir_, ignored);
  }

  // A window with a new frame over the same profile; blank as the toolbar leaves it.
  void Open(bool startBlank = true) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window_), 900, 650);
    widget_ = std::make_unique<BrowserFrameWidget>(dataDir_);
    gtk_container_add(GTK_CONTAINER(window_), GTK_WIDGET(widget_->gobj()));
    gtk_widget_show_all(window_);
    frame().SetURLStatusQuery([this](std::string_view url, std::string& status, std::string&) {
      statusQueries.emplace_back(url);
      status.clear();
      return false;
    });
    if (startBlank) {
      frame().InitBrowser();
      ASSERT_TRUE(Navigate("about:blank"));
      // Both blank loads must be over before a test watches for its own.
      PumpUntil([this] { return !frame().Engine().Busy(); }, 2000);
      PumpUntil([] { return false; }, 50);
    }
  }
  void Close() {
    if (!widget_) return;
    frame().CloseBrowser();
    gtk_container_remove(GTK_CONTAINER(window_), GTK_WIDGET(widget_->gobj()));
    widget_.reset();
    gtk_widget_destroy(window_);
    window_ = nullptr;
    PumpUntil([] { return false; }, 50);
  }

  TfrBrowserBase& frame() { return widget_->Frame(); }
  WebKitWebView* view() { return widget_->Engine().View(); }

  // NavigateTo with waiting, but never for longer than a test can afford.
  bool Navigate(std::string_view url) {
    Later guard(20000, [this] {
      ADD_FAILURE() << "navigation did not end";
      frame().StopNavigation();
    });
    return frame().NavigateTo(url, true);
  }
  bool SourceHas(std::string_view text) { return frame().GetHTMLSource().find(text) != std::string::npos; }
  bool WaitForURL(std::string_view url) {
    return PumpUntil([&] { return frame().GetLocationURL() == url && !frame().Engine().Busy(); });
  }

  std::string dataDir_;
  GtkWidget* window_ = nullptr;
  std::unique_ptr<BrowserFrameWidget> widget_;
  std::vector<std::string> statusQueries;
};

}  // namespace morvane::testing
