#include "navi/core/page_zoom.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(PageZoom, KeptPerServerAndWithinItsSteps) {
  PageZoom zoom;
  const std::string page = "http://shop.example/a.html", same = "HTTP://Shop.Example/other?q=1";
  EXPECT_DOUBLE_EQ(zoom.ZoomIn(page), 1.1);
  EXPECT_DOUBLE_EQ(zoom.ZoomIn(same), 1.25);  // the same server, whatever the page
  EXPECT_DOUBLE_EQ(zoom.LevelFor("http://other.example/"), 1.0);
  EXPECT_DOUBLE_EQ(zoom.LevelFor("https://shop.example/"), 1.0);  // another scheme is another server
  EXPECT_DOUBLE_EQ(zoom.ZoomOut(page), 1.1);

  for (int i = 0; i < 30; ++i) zoom.ZoomIn(page);
  EXPECT_DOUBLE_EQ(zoom.LevelFor(page), 3.0);
  for (int i = 0; i < 30; ++i) zoom.ZoomOut(page);
  EXPECT_DOUBLE_EQ(zoom.LevelFor(page), 0.3);
  EXPECT_DOUBLE_EQ(zoom.Reset(page), 1.0);
  EXPECT_DOUBLE_EQ(zoom.LevelFor(same), 1.0);
}

}  // namespace
}  // namespace morvane
