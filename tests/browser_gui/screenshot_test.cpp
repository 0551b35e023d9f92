// Not a check: with MORVANE_SCREENSHOT=<file.png> set, leaves a picture of
// the frame showing a Japanese page, for the README and for eyes.
#include "browser_gui_support.h"
#include "support/window_picture.h"

namespace morvane::testing {
namespace {

TEST_F(BrowserTest, Screenshot) {
  const char* file = g_getenv("MORVANE_SCREENSHOT");
  if (!file) GTEST_SKIP() << "MORVANE_SCREENSHOT not set";
  gtk_window_move(GTK_WINDOW(window_), 0, 0);
  ASSERT_TRUE(Navigate(service->URL("/pages/sjis.html")));
  PumpUntil([] { return false; }, 1500);  // let it paint
  EXPECT_TRUE(SaveWindowPicture(window_, file));
}

}  // namespace
}  // namespace morvane::testing
