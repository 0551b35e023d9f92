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
  GdkWindow* shown = gtk_widget_get_window(window_);
  GdkPixbuf* picture =
      gdk_pixbuf_get_from_window(shown, 0, 0, gdk_window_get_width(shown), gdk_window_get_height(shown));
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(gdk_pixbuf_save(picture, file, "png", nullptr, nullptr));
  g_object_unref(picture);
}

}  // namespace
}  // namespace morvane::testing
