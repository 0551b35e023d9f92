#pragma once
// A browser frame in its own window and private profile, and helpers that
// pump the real event loop with a bound on every wait.
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "browser/gtk/browser_frame_widget.h"
#include "support/fake_service.h"
#include "support/later.h"
#include "util/cp932.h"
// Last: the X11 headers define names that clash with the ones above.
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

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

// A window that keeps answering never spends this long in one pass of its
// event loop, whatever the page does.
inline constexpr gint64 kAnsweringPassMs = 100;
// Pages that keep the control busy on purpose (popups on a timer, dialogs in
// a loop) on a loaded machine: a frozen window is seconds long, far above this.
inline constexpr gint64 kHostilePassMs = 500;

// Runs the event loop pass by pass until done() holds or timeoutMs has
// passed; returns the longest single pass in milliseconds.
inline gint64 LongestPassMs(
    int timeoutMs, const std::function<bool()>& done = [] { return false; }) {
  gint64 longest = 0;
  const gint64 end = g_get_monotonic_time() + gint64{timeoutMs} * 1000;
  while (!done() && g_get_monotonic_time() < end) {
    const gint64 start = g_get_monotonic_time();
    g_main_context_iteration(nullptr, FALSE);
    longest = std::max(longest, g_get_monotonic_time() - start);
    g_usleep(2000);
  }
  return longest / 1000;
}

class RecordingDesktop : public SystemBrowser {
 public:
  bool Open(std::string_view url) override {
    opened.emplace_back(url);
    return true;
  }
  std::vector<std::string> opened;
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

  BrowserFrame& frame() { return widget_->Frame(); }
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
  // Clicks the page at (x, y) with the real pointer, as the user would.
  void ClickPageAt(int x, int y) {
    int wx = 0, wy = 0, ox = 0, oy = 0;
    gtk_widget_translate_coordinates(GTK_WIDGET(view()), window_, x, y, &wx, &wy);
    gdk_window_get_origin(gtk_widget_get_window(window_), &ox, &oy);
    Display* display = GDK_WINDOW_XDISPLAY(gtk_widget_get_window(window_));
    auto step = [display] {
      XFlush(display);
      PumpUntil([] { return false; }, 100);
    };
    XTestFakeMotionEvent(display, -1, ox + wx, oy + wy, 0);
    step();
    XTestFakeButtonEvent(display, 1, True, 0);
    step();
    XTestFakeButtonEvent(display, 1, False, 0);
    step();
  }
  // Runs script in the page's own world; its value as text.
  std::string PageValueOf(const char* script) {
    struct Answer {
      bool done = false;
      std::string text;
    };
    auto answer = std::make_shared<Answer>();
    webkit_web_view_evaluate_javascript(
        view(), script, -1, nullptr, nullptr, nullptr,
        +[](GObject* source, GAsyncResult* result, gpointer data) {
          std::unique_ptr<std::shared_ptr<Answer>> share(static_cast<std::shared_ptr<Answer>*>(data));
          if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, nullptr)) {
            char* text = jsc_value_to_string(value);
            (*share)->text = text ? text : "";
            g_free(text);
            g_object_unref(value);
          }
          (*share)->done = true;
        },
        std::make_unique<std::shared_ptr<Answer>>(answer).release());
    PumpUntil([&] { return answer->done; });
    return answer->text;
  }

  std::string dataDir_;
  GtkWidget* window_ = nullptr;
  std::unique_ptr<BrowserFrameWidget> widget_;
  std::vector<std::string> statusQueries;
};

}  // namespace morvane::testing
