// The browser tab of the main window: the navigation toolbar over the
// browser, and (with MORVANE_SCREENSHOT_DIR set) the README's pictures of
// the demo.
#include <gtkmm/clipboard.h>

#include "browser/gtk/browser_frame_widget.h"
#include "navi/gtk/browser_navi.h"
#include "support/fake_service.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

TEST_F(WindowTest, NavigationToolbarSitsAboveTheBrowserAndDrivesIt) {
  OpenForms();
  TfrBrowserNavi& navi = *W().frBrowserNavi1;
  const std::vector<Gtk::Widget*> onTab = W().tsBrowser.get_children();
  // The site health report's strip sits between them, hidden until a report is shown.
  ASSERT_EQ(onTab.size(), 3u);
  EXPECT_EQ(onTab[0], &navi);
  EXPECT_EQ(onTab[1], &W().frHealthReport);
  EXPECT_FALSE(W().frHealthReport.get_visible());
  EXPECT_EQ(onTab[2], W().frBrowserBase1Widget.get());
  EXPECT_EQ(W().frBrowserBase1().Toolbar(), &navi.Commands());
  // The blank start page arrives through the engine; on a busy machine it may take a moment.
  EXPECT_TRUE(PumpUntil([&] { return navi.edURL.get_text() == "about:blank"; }));
  EXPECT_EQ(navi.cbBrowserTarget.get_active_text(), "通常のブラウザ");

  // Stop clears the window's status line.
  W().SetStatusText(J("読み込み中"));
  gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(navi.tbStop.gobj()))));
  EXPECT_EQ(W().StatusText(), "");
}

// Leaves <dir>/demo-login.png, <dir>/link-list.png and <dir>/link-check-window.png:
// the main window on the demo catalogue, as `tools/run --demo` shows it.
TEST_F(WindowTest, DemoScreenshots) {
  const char* dir = g_getenv("MORVANE_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "MORVANE_SCREENSHOT_DIR not set";
  FakeService service;
  std::string demoOutput;
  gint status = -1;
  const std::string folderPath = folder.Path();
  const std::string serviceURL = service.URL("");
  const char* argv[] = {MORVANE_DEMO_DATA, folderPath.c_str(), serviceURL.c_str(), nullptr};
  ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr,
                           nullptr, &status, nullptr));
  ASSERT_EQ(status, 0);

  MainWindowOptions options;
  options.paths = DataPathsFor(folderPath, "morvane");
  options.serviceUrl = serviceURL;
  forms = std::make_unique<MorvaneForms>(options);
  W().resize(1100, 720);
  W().move(0, 0);
  W().show();
  PumpUntil([this] { return W().get_mapped(); });
  TfrBrowserNavi& navi = *W().frBrowserNavi1;
  const auto shoot = [&](const char* name) {
    PumpFor(1500);  // let it paint
    Glib::RefPtr<Gdk::Window> shown = W().get_window();
    Glib::RefPtr<Gdk::Pixbuf> picture = Gdk::Pixbuf::create(shown, 0, 0, shown->get_width(), shown->get_height());
    picture->save(std::string(dir) + "/" + name, "png");
  };

  SelectCategory("ショップ");
  W().lvSiteList.SelectRow(0);
  W().lvSiteListDblClick();  // logs in, as a double-click on the row does
  ASSERT_TRUE(PumpUntil([&] { return !W().frBrowserBase1().BusyState(); }, 10000));
  // Opened again while logged in, the page is not reloaded after the status
  // text, so the picture shows the text.
  W().lvSiteListDblClick();
  shoot("demo-login.png");

  navi.edURL.set_text(service.URL("/pages/demo_links.html"));
  navi.edURL.activate();
  ASSERT_TRUE(PumpUntil([&] { return !W().frBrowserBase1().BusyState(); }, 10000));
  navi.I1.activate();
  shoot("link-list.png");

  // The same page's links checked from the link menu.
  navi.edURL.set_text(service.URL("/pages/demo_links.html"));
  navi.edURL.activate();
  ASSERT_TRUE(PumpUntil([&] { return !W().frBrowserBase1().BusyState(); }, 10000));
  navi.K1.activate();
  const auto ended = [&] { return navi.linkCheckBar.pbLinkCheck.get_text().find("確認しました") != Glib::ustring::npos; };
  ASSERT_TRUE(PumpUntil(ended, 30000));
  ASSERT_TRUE(PumpUntil([&] { return W().frBrowserBase1().GetHTMLSource().find("[200]") != std::string::npos; }));
  shoot("link-check-window.png");
}

}  // namespace
}  // namespace morvane::testing
