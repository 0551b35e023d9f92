// The standing hostile-page suite. Whatever a page does, the window keeps
// answering, nothing is handed to the desktop that the user did not click
// for, and no value lands outside the field it was meant for.
#include "browser_gui_support.h"

namespace morvane::testing {
namespace {

class HostilePageTest : public BrowserTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    frame().SetSystemBrowser(&desktop);
  }
  // Every input's name and value in a document of the page, "name=value&...".
  std::string Fields(const char* document) {
    const std::string script =
        std::string("Array.from((") + document +
        ").querySelectorAll('input:not([type=submit])')).map(i => i.name + '=' + i.value).join('&')";
    return PageValueOf(script.c_str());
  }
  RecordingDesktop desktop;
};

TEST_F(HostilePageTest, WindowsAskedForOnLoadOnTimersAndByScriptClicksOpenNothing) {
  for (const char* mode : {"通常のブラウザ", "同窓モード", "スクリプト実行", "無視"}) {
    frame().SetBrowseMode(BrowseModeNamed(J(mode)));
    ASSERT_TRUE(Navigate(service->URL("/pages/popups.html"))) << mode;
    // The page's timer keeps asking for a while.
    EXPECT_LT(LongestPassMs(1500), kHostilePassMs) << mode;
    EXPECT_EQ(frame().GetLocationURL(), service->URL("/pages/popups.html")) << mode;
  }
  EXPECT_EQ(desktop.opened, std::vector<std::string>{});
}

TEST_F(HostilePageTest, OneClickOfTheUserHandsTheDesktopOneWebAddress) {
  frame().SetBrowseMode(BrowseMode::DesktopBrowser);
  ASSERT_TRUE(Navigate(service->URL("/pages/popups.html")));
  PumpUntil([] { return false; }, 1500);  // the page's own timer has given up
  ASSERT_TRUE(desktop.opened.empty());
  ClickPageAt(100, 30);  // "many": four windows in one click
  EXPECT_TRUE(PumpUntil([&] { return !desktop.opened.empty(); }, 5000));
  ClickPageAt(100, 80);  // "scheme": ssh and file only
  PumpUntil([] { return false; }, 500);
  EXPECT_EQ(desktop.opened, std::vector<std::string>{service->URL("/pages/target.html?first")});
}

TEST_F(HostilePageTest, SchemesThatBelongToOtherProgramsReachNone) {
  frame().SetBrowseMode(BrowseMode::DesktopBrowser);
  frame().NavigateTo(service->URL("/pages/schemes.html"), false);
  EXPECT_LT(LongestPassMs(2000), kHostilePassMs);
  EXPECT_EQ(desktop.opened, std::vector<std::string>{});
  ASSERT_TRUE(Navigate(service->URL("/pages/target.html")));
  EXPECT_TRUE(SourceHas("the target page"));
}

TEST_F(HostilePageTest, RedirectLoopsEndTheWaitAndReloadLoopsCanBeLeft) {
  EXPECT_TRUE(Navigate(service->URL("/loop")));  // the control gives up after its redirect limit
  EXPECT_FALSE(frame().BusyState());
  // A page that replaces itself for ever never completes, but holds nothing.
  frame().NavigateTo(service->URL("/pages/reload_loop.html"), false);
  EXPECT_LT(LongestPassMs(1500), kHostilePassMs);
  ASSERT_TRUE(Navigate(service->URL("/pages/target.html")));
  EXPECT_TRUE(SourceHas("the target page"));
}

TEST_F(HostilePageTest, ATwentyMegabytePageLoadsWhileTheWindowKeepsAnswering) {
  frame().NavigateTo(service->URL("/big?mb=20"), false);
  EXPECT_LT(LongestPassMs(120000, [&] { return frame().PageComplete(); }), kHostilePassMs);
  EXPECT_TRUE(frame().PageComplete());
  EXPECT_EQ(frame().GetLocationURL(), service->URL("/big?mb=20"));
}

TEST_F(HostilePageTest, ScriptDialogsInALoopAreDeclinedAndLeavingIsNeverBlocked) {
  ASSERT_TRUE(Navigate(service->URL("/pages/dialog_loop.html")));
  EXPECT_LT(LongestPassMs(1500), kHostilePassMs);  // its timer keeps asking for a second
  EXPECT_TRUE(SourceHas("declined 600"));
  ASSERT_TRUE(Navigate(service->URL("/pages/target.html")));
  EXPECT_TRUE(SourceHas("the target page"));
}

TEST_F(HostilePageTest, FramesNeitherReceiveValuesNorRedirectThem) {
  ASSERT_TRUE(Navigate(service->URL("/pages/frames.html")));
  // The same-origin frame has put its decoy form in front of ours.
  ASSERT_TRUE(PumpUntil([&] { return SourceHas("name=\"decoy\""); }));
  EXPECT_FALSE(frame().SetFieldValue("only_in_frame", "x", "", 0));
  EXPECT_TRUE(frame().SetFieldValue("catname_d", "id", "", 0));
  EXPECT_TRUE(frame().SetFieldValue("pw_d", "pw", "login", 0));
  EXPECT_EQ(Fields("document"), "stolen=&catname_d=id&pw_d=pw");
  EXPECT_EQ(Fields("document.getElementById('same').contentDocument"), "catname_d=&pw_d=&only_in_frame=");
  EXPECT_TRUE(frame().ClickElement("submit", J("管理画面ログイン"), true, true));
  EXPECT_EQ(frame().GetPageTitle(), "echo");
  EXPECT_TRUE(SourceHas("catname_d=id") && SourceHas("pw_d=pw"));
}

}  // namespace
}  // namespace morvane::testing
