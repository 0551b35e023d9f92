// Not a check: with MORVANE_SCREENSHOT=<file.png> set, leaves a picture of
// the frame showing a Japanese page, for the README and for eyes.
#include "browser_gui_support.h"

namespace morvane::testing {
namespace {

TEST_F(BrowserTest, Screenshot) {
  const char* file = g_getenv("MORVANE_SCREENSHOT");
  if (!file) GTEST_SKIP() << "MORVANE_SCREENSHOT not set";
  gtk_window_move(GTK_WINDOW(window_), 0, 0);
  ASSERT_TRUE(Navigate(service->URL("/pages/sjis.html")));
  PumpUntil([] { return false; }, 1500);  // let it paint
  const char* argv[] = {"import", "-window", "root", file, nullptr};
  gint status = -1;
  ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                           nullptr, nullptr, &status, nullptr));
  EXPECT_TRUE(g_spawn_check_wait_status(status, nullptr));
}

}  // namespace
}  // namespace morvane::testing
