// The navigation toolbar over a real web view: its buttons, menus and boxes
// clicked as a user clicks them, against the stand-in service.
#include <gmock/gmock.h>
#include <gtkmm/clipboard.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/separatortoolitem.h>

#include "browser_gui_support.h"
#include "navi/core/link_tag.h"
#include "navi/gtk/browser_navi.h"
#include "support/accessibles.h"
#include "support/fake_dialogs.h"
#include "support/window_picture.h"

namespace morvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

struct HeldKeys : Keyboard {
  bool ShiftDown() const override { return shift; }
  bool CtrlDown() const override { return ctrl; }
  bool shift = false, ctrl = false;
};

// The hint shown over a widget: its own, or that of the nearest widget around it.
std::string HintOver(GtkWidget* widget) {
  for (; widget; widget = gtk_widget_get_parent(widget)) {
    if (gchar* text = gtk_widget_get_tooltip_text(widget)) {
      std::string hint = text;
      g_free(text);
      return hint;
    }
  }
  return {};
}

// The controls under top in the order a screen reader steps through them,
// each as the user meets it: the name read out, then "(the hint the pointer
// shows)" where that differs, then "[the picture]" a button shows.
std::vector<std::string> ReadOutControls(Gtk::Widget& top) {
  std::vector<std::string> controls;
  WalkAccessibles(GTK_WIDGET(top.gobj()), [&](AtkObject* object) {
    const AtkRole role = atk_object_get_role(object);
    if (role != ATK_ROLE_PUSH_BUTTON && role != ATK_ROLE_TOGGLE_BUTTON && role != ATK_ROLE_TEXT &&
        role != ATK_ROLE_COMBO_BOX)
      return true;
    GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(object));
    GtkWidget* button = nullptr;  // a menu's arrow shows no picture of its own
    if (role == ATK_ROLE_PUSH_BUTTON) button = gtk_widget_get_ancestor(widget, GTK_TYPE_TOOL_BUTTON);
    const char* picture = button ? gtk_tool_button_get_icon_name(GTK_TOOL_BUTTON(button)) : nullptr;
    std::string control = AccessibleName(object);
    if (const std::string hint = HintOver(widget); hint != control) control += " (" + hint + ")";
    if (picture) control += std::string(" [") + picture + "]";
    controls.push_back(control);
    return false;  // the parts of a box are not controls of their own
  });
  return controls;
}

class ToolbarTest : public BrowserTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    // The browser in a box of its own, as on the window's browser tab.
    g_object_ref(widget_->gobj());
    gtk_container_remove(GTK_CONTAINER(window_), GTK_WIDGET(widget_->gobj()));
    tab.pack_start(*widget_, Gtk::PACK_EXPAND_WIDGET);
    g_object_unref(widget_->gobj());
    gtk_container_add(GTK_CONTAINER(window_), GTK_WIDGET(tab.gobj()));
    gtk_widget_show_all(window_);
    navi.AttachBrowser(*widget_);
    navi.Commands().SetKeyboard(keys);
    frame().SetSystemBrowser(&desktop);
    Settle();
  }
  void TearDown() override {
    navi.Commands().Detach();
    tab.remove(navi);
    g_object_ref(widget_->gobj());
    tab.remove(*widget_);
    gtk_container_remove(GTK_CONTAINER(window_), GTK_WIDGET(tab.gobj()));
    gtk_container_add(GTK_CONTAINER(window_), GTK_WIDGET(widget_->gobj()));
    g_object_unref(widget_->gobj());
    BrowserTest::TearDown();
  }

  void Settle(int ms = 100) {
    PumpUntil([] { return false; }, ms);
  }
  // Types into the URL box and presses Enter there.
  void Enter(const std::string& url) {
    navi.edURL.set_text(url);
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(navi.edURL.gobj()))));
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    event->key.keyval = GDK_KEY_Return;
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), GDK_KEY_Return, &keys,
                                          &count) &&
        count > 0)
      event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    g_free(keys);
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_widget_event(GTK_WIDGET(navi.edURL.gobj()), event);
    gdk_event_free(event);
    EXPECT_EQ(navi.edURL.get_text(), url);  // the key went to the command, not into the box
  }
  // The button inside the tool item, as the pointer presses it.
  static void Click(Gtk::ToolButton& button) {
    GtkWidget* inner = gtk_bin_get_child(GTK_BIN(button.gobj()));
    if (GTK_IS_BOX(inner)) {  // a button with a menu: its main half
      GList* halves = gtk_container_get_children(GTK_CONTAINER(inner));
      inner = GTK_WIDGET(halves->data);
      g_list_free(halves);
    }
    gtk_button_clicked(GTK_BUTTON(inner));
  }
  // Notes each address the view is asked to load, until the handler is disconnected.
  gulong NoteRequests(std::vector<std::string>& requested) {
    return g_signal_connect(view(), "notify::uri", G_CALLBACK(+[](WebKitWebView* v, GParamSpec*, gpointer to) {
                              static_cast<std::vector<std::string>*>(to)->emplace_back(webkit_web_view_get_uri(v));
                            }),
                            &requested);
  }
  bool Shows(const std::string& url) { return WaitForURL(J(url)) && navi.edURL.get_text() == url; }
  std::string ClipboardText() { return Gtk::Clipboard::get()->wait_for_text(); }
  void SelectAll() {
    webkit_web_view_execute_editing_command(view(), WEBKIT_EDITING_COMMAND_SELECT_ALL);
    Settle();
  }

  Gtk::Box tab{Gtk::ORIENTATION_VERTICAL};
  TfrBrowserNavi navi;
  HeldKeys keys;
  RecordingDesktop desktop;
  FakeDialogs dialogs;
};

// Each control of the toolbar, in order, as the user meets it.
TEST_F(ToolbarTest, SitsAboveTheBrowserAndOnlyTheURLBoxGrows) {
  EXPECT_EQ(tab.get_children().front(), &navi);
  const std::vector<std::string> expected = {"戻る [go-previous-symbolic]",
                                             "進む [go-next-symbolic]",
                                             "更新 [view-refresh-symbolic]",
                                             "中止 [process-stop-symbolic]",
                                             "HOME [go-home-symbolic]",
                                             "URL ()",
                                             "URLに飛ぶ [go-jump-symbolic]",
                                             "URLに飛ぶ（その他の移動とチェック）",
                                             "HTMLソースの取得 [morvane-html-source-symbolic]",
                                             "選択部分をクリップボードにコピー [morvane-copy-selection-symbolic]",
                                             "URLの取得 [morvane-copy-url-symbolic]",
                                             "URLよりリンクタグを作成する [morvane-link-tag-symbolic]",
                                             "リンクタグとリンク集",
                                             "読み込み待ちをスキップ [media-skip-forward-symbolic]",
                                             "ブラウズモード (新しいウィンドウを開くリンクの扱い)"};
  EXPECT_EQ(ReadOutControls(navi.tbToolBar), expected);
  EXPECT_FALSE(navi.tbGoBack.get_sensitive() || navi.tbGoForward.get_sensitive());
  EXPECT_EQ(navi.cbBrowserTarget.get_active_text(), "通常のブラウザ");
  EXPECT_EQ(navi.cbBrowserTarget.get_model()->children().size(), 3u);

  const int url = navi.edURL.get_allocated_width(), box = navi.cbBrowserTarget.get_allocated_width();
  const int back = navi.tbGoBack.get_allocated_width(), bar = navi.get_allocated_width();
  gtk_window_resize(GTK_WINDOW(window_), 1200, 650);
  ASSERT_TRUE(PumpUntil([&] { return navi.edURL.get_allocated_width() > url; }));
  EXPECT_EQ(navi.edURL.get_allocated_width() - url, navi.get_allocated_width() - bar);
  EXPECT_EQ(navi.cbBrowserTarget.get_allocated_width(), box);
  EXPECT_EQ(navi.tbGoBack.get_allocated_width(), back);
}

// What the overflow menu shows for each control that does not fit: its caption,
// the browse modes as a submenu, the URL box as an entry asking for the address.
TEST_F(ToolbarTest, EveryControlHasAnEntryInTheOverflowMenu) {
  std::vector<std::string> captions;
  Gtk::MenuItem* urlEntry = nullptr;
  Gtk::MenuItem* modes = nullptr;
  for (Gtk::Widget* child : navi.tbToolBar.get_children()) {
    auto* item = dynamic_cast<Gtk::ToolItem*>(child);
    if (!item || dynamic_cast<Gtk::SeparatorToolItem*>(item)) continue;
    Gtk::Widget* proxy = item->retrieve_proxy_menu_item();
    auto* entry = dynamic_cast<Gtk::MenuItem*>(proxy);
    ASSERT_NE(entry, nullptr) << "a control with no overflow entry";
    captions.push_back(entry->get_label());
    EXPECT_FALSE(captions.back().empty());
    if (item == &navi.edURLItem) urlEntry = entry;
    if (item == &navi.cbBrowserTargetItem) modes = entry;
  }
  EXPECT_EQ(captions.size(), 13u);
  ASSERT_TRUE(urlEntry && modes);
  ASSERT_NE(modes->get_submenu(), nullptr);
  const std::vector<Gtk::Widget*> choices = modes->get_submenu()->get_children();
  ASSERT_EQ(choices.size(), 3u);
  static_cast<Gtk::MenuItem*>(choices[1])->activate();
  EXPECT_EQ(navi.cbBrowserTarget.get_active_text(), "同窓モード");

  const std::string url = service->URL("/pages/target.html");
  dialogs.inputAnswers.push_back(url);
  urlEntry->activate();
  EXPECT_TRUE(Shows(url));
}

// A download the user agreed to shows in the strip: its progress, a cancel
// that leaves no file, and for one that is done the folder it is in.
TEST_F(ToolbarTest, DownloadsShowInTheStripUnderTheToolbar) {
  const std::string folder = dataDir_ + "/downloads";
  g_mkdir_with_parents(folder.c_str(), 0700);
  frame().SetDownloadChooser([&](std::string_view name) {
    return std::optional<DownloadTarget>(DownloadTarget{folder + "/" + std::string(name), false});
  });
  std::vector<std::string> opened;
  navi.downloadBar.SetFolderOpener([&](const std::string& f) { opened.push_back(f); });
  EXPECT_FALSE(navi.downloadBar.get_visible());
  ASSERT_TRUE(Navigate(service->URL("/pages/download_strip.html")));

  ClickPageAt(40, 40);  // a 4 MB file that comes slowly
  DownloadBar::Row* slow = nullptr;
  ASSERT_TRUE(
      PumpUntil([&] { return (slow = navi.downloadBar.RowOf(1)) && slow->progress.get_fraction() > 0; }, 10000));
  EXPECT_TRUE(navi.downloadBar.get_visible());
  EXPECT_EQ(slow->name.get_text(), "slow.bin");
  EXPECT_NE(slow->progress.get_text().raw().find(" / 4.0 MB"), std::string::npos);
  EXPECT_TRUE(slow->cancel.get_visible());
  slow->cancel.clicked();
  ASSERT_TRUE(PumpUntil([&] { return !slow->cancel.get_visible(); }, 10000));
  EXPECT_EQ(slow->state.get_text().raw().rfind("キャンセルしました", 0), 0u);
  EXPECT_FALSE(slow->openFolder.get_visible());

  ClickPageAt(40, 200);  // a small file, done at once
  DownloadBar::Row* quick = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (quick = navi.downloadBar.RowOf(2)) && quick->openFolder.get_visible(); }, 10000));
  EXPECT_EQ(quick->state.get_text(), "完了しました");
  quick->openFolder.clicked();
  EXPECT_EQ(opened, std::vector<std::string>{folder});
  // Not a check: with MORVANE_DOWNLOAD_SCREENSHOT=<file.png>, a picture of the strip.
  if (const char* picture = g_getenv("MORVANE_DOWNLOAD_SCREENSHOT")) {
    PumpUntil([] { return false; }, 800);
    SaveWindowPicture(window_, picture);
  }
  // Only the finished file is in the folder: the cancelled one left nothing, not even its part.
  GDir* dir = g_dir_open(folder.c_str(), 0, nullptr);
  std::vector<std::string> files;
  while (const char* name = g_dir_read_name(dir)) files.emplace_back(name);
  g_dir_close(dir);
  EXPECT_EQ(files, std::vector<std::string>{"quick.csv"});

  slow->close.clicked();
  quick->close.clicked();
  EXPECT_FALSE(navi.downloadBar.get_visible());
}

TEST_F(ToolbarTest, HistoryStopSkipAndEnterInTheURLBox) {
  const std::string first = service->URL("/pages/target.html"), second = service->URL("/pages/toolbar.html");
  Enter(first);
  ASSERT_TRUE(Shows(first));
  Enter("  " + second + "　");
  ASSERT_TRUE(Shows(second));
  EXPECT_TRUE(PumpUntil([&] { return navi.tbGoBack.get_sensitive(); }));
  Click(navi.tbGoBack);
  ASSERT_TRUE(Shows(first));
  EXPECT_TRUE(PumpUntil([&] { return navi.tbGoForward.get_sensitive(); }));
  Click(navi.tbGoForward);
  ASSERT_TRUE(Shows(second));

  // The skip button is live only while the frame is busy, and ends its wait.
  EXPECT_FALSE(navi.ToolButton1.get_sensitive());
  bool liveDuringWait = false;
  Later skip(300, [&] {
    liveDuringWait = navi.ToolButton1.get_sensitive();
    Click(navi.ToolButton1);
  });
  const gint64 start = g_get_monotonic_time();
  EXPECT_TRUE(Navigate(service->URL("/slow?s=10")));
  EXPECT_LT(g_get_monotonic_time() - start, 5'000'000);
  EXPECT_TRUE(liveDuringWait);
  EXPECT_TRUE(PumpUntil([&] { return !navi.ToolButton1.get_sensitive(); }));

  Enter(service->URL("/slow?s=10"));
  // Stopped once the control has begun the load (a stop before that is
  // the frame's own race, not the button's).
  EXPECT_TRUE(PumpUntil([&] { return navi.ToolButton1.get_sensitive() && frame().Engine().Busy(); }));
  Settle(200);
  Click(navi.tbStop);
  EXPECT_TRUE(frame().StopRequest() && !frame().BusyState());
  EXPECT_TRUE(PumpUntil([&] { return !navi.ToolButton1.get_sensitive(); }));
}

TEST_F(ToolbarTest, ClipboardCommands) {
  const std::string target = service->URL("/pages/target.html");
  Gtk::Clipboard::get()->set_text("  " + target + " ");
  navi.URLC1.activate();
  ASSERT_TRUE(WaitForURL(J(target)));
  Click(navi.tbGetURL);
  EXPECT_EQ(ClipboardText(), target);
  Click(navi.tbGetHTMLSource);
  EXPECT_THAT(ClipboardText(), HasSubstr("the target page"));

  // A page made from the clipboard holds an address; selecting it and going there.
  const std::string other = service->URL("/pages/toolbar.html");
  Gtk::Clipboard::get()->set_text("<p>" + other + "</p><p>日本語</p>");
  navi.HTML1.activate();
  ASSERT_TRUE(PumpUntil([&] { return SourceHas(J("日本語")); }));
  SelectAll();
  Click(navi.ToolButton5);
  EXPECT_THAT(ClipboardText(), HasSubstr("日本語"));
  // Without a selection the command refuses; with one it goes there.
  webkit_web_view_execute_editing_command(view(), "Unselect");
  navi.URLS1.activate();
  EXPECT_THAT(dialogs.errors, ElementsAre("選択部分がありません"));
  Gtk::Clipboard::get()->set_text("<p>" + other + "</p>");
  navi.HTML1.activate();
  ASSERT_TRUE(PumpUntil([&] { return SourceHas(other); }));
  SelectAll();
  navi.URLS1.activate();
  EXPECT_TRUE(Shows(other));
  // An empty clipboard shows an empty page, not the page there was.
  Gtk::Clipboard::get()->set_text("");
  navi.HTML1.activate();
  EXPECT_TRUE(PumpUntil([&] { return !SourceHas("Target") && frame().Engine().HasDocument(); }));
}

TEST_F(ToolbarTest, LinkTagAndPageLinkListShownAndCopied) {
  const std::string page = service->URL("/pages/toolbar.html");
  Enter(page);
  ASSERT_TRUE(Shows(page));
  Click(navi.ToolButton3);
  EXPECT_EQ(ClipboardText(), "<a href=\"" + page + "\" taget=\"_blank\">ツールバー</a>");

  navi.I1.activate();
  const std::string target = service->URL("/pages/target.html");
  ASSERT_TRUE(PumpUntil([&] { return SourceHas("Textarea") || SourceHas("textarea"); }));
  const std::string shown = Cp932ToUtf8(frame().GetHTMLSource());
  EXPECT_THAT(shown, HasSubstr(target + "\tTarget"));
  EXPECT_THAT(shown, HasSubstr("http://127.0.0.1:1/other.html\tOtherpage"));
  EXPECT_THAT(shown, Not(HasSubstr("pagead2")));

  // Copied with keywords asked through Shift and Ctrl.
  Enter(page);
  ASSERT_TRUE(Shows(page));
  keys.shift = keys.ctrl = true;
  dialogs.inputAnswers = {"Target", "127.0.0.1:"};
  navi.C1.activate();
  EXPECT_THAT(dialogs.inputCaptions, ElementsAre("検索抽出語を設定(アンカーテキスト)", "検索抽出語を設定(URL)"));
  const std::string copied = ClipboardText();
  EXPECT_THAT(copied, HasSubstr(target + "\tTarget"));
  EXPECT_THAT(copied, Not(HasSubstr("Other")));
  EXPECT_THAT(copied, Not(HasSubstr("新しい窓")));
  EXPECT_EQ(frame().GetLocationURL(), J(page));

  // The third entry checks the same list's links under the toolbar.
  keys.shift = keys.ctrl = false;
  EXPECT_EQ(navi.K1.get_label(), "ページ内リンク集を作成してリンク切れを確認する(_K)");
  EXPECT_FALSE(navi.linkCheckBar.get_visible());
  navi.K1.activate();
  EXPECT_TRUE(navi.linkCheckBar.get_visible());
  EXPECT_TRUE(std::string(navi.linkCheckBar.pbLinkCheck.get_text()).starts_with("0 / 3 （残り最大 "));
  ASSERT_TRUE(PumpUntil([&] { return navi.linkCheckBar.pbLinkCheck.get_text() == "3 / 3 確認しました"; }, 30000));
  ASSERT_TRUE(PumpUntil([&] { return SourceHas("[200]"); }));
  const std::string checked = frame().GetHTMLSource();
  EXPECT_LT(checked.find("other.html"), checked.find(target));  // the refused link first
}

TEST_F(ToolbarTest, AnAddressOutsideCp932StaysWholeInTheBoxTheLinkListAndTheChecks) {
  const std::string escaped = service->URL("/folder/%C3%BC%E2%82%AC%F0%9F%99%82/%ED%95%9C/");
  Enter(service->URL("/folder/ü€🙂/한/"));
  ASSERT_TRUE(Shows(escaped));
  navi.C1.activate();
  EXPECT_THAT(ClipboardText(), HasSubstr(escaped + "next.html\tNext"));
  // Pasted, it goes to the same page.
  ASSERT_TRUE(Navigate("about:blank"));
  Gtk::Clipboard::get()->set_text(service->URL("/folder/ü€🙂/한/"));
  navi.URLC1.activate();
  ASSERT_TRUE(Shows(escaped));

  // A late notice of the page shown may still come before the search's own.
  std::vector<std::string> requested;
  const gulong started = NoteRequests(requested);
  navi.BingB2.activate();
  const auto searched = ::testing::Contains(HasSubstr("www.bing.com"));
  EXPECT_TRUE(PumpUntil([&] { return ::testing::Matches(searched)(requested); }));
  Click(navi.tbStop);
  g_signal_handler_disconnect(view(), started);
  EXPECT_THAT(requested,
              ::testing::Contains(HasSubstr("link%3A" + service->URL("/folder/%C3%BC%E2%82%AC%F0%9F%99%82/"))));
}

TEST_F(ToolbarTest, APageTextOutsideCp932StaysWholeInTheLinkToolsAndCopies) {
  const std::string page = service->URL("/pages/outside_cp932.html");
  const std::string link = service->URL("/pages/%C3%BC/%F0%9F%99%82.html");
  Enter(page);
  ASSERT_TRUE(Shows(page));
  Click(navi.ToolButton3);
  EXPECT_EQ(ClipboardText(), "<a href=\"" + page + "\" taget=\"_blank\">nc &#x1F642;</a>");
  Click(navi.tbGetHTMLSource);
  EXPECT_THAT(ClipboardText(), HasSubstr("<title>nc 🙂</title>"));
  SelectAll();
  Click(navi.ToolButton5);
  EXPECT_THAT(ClipboardText(), HasSubstr("한국어 🙂 ü€"));
  navi.C1.activate();
  EXPECT_THAT(ClipboardText(), HasSubstr(link + "\t한국어 🙂 ü€"));

  // Shown, the list reads as the page did; its link is the page's own, so
  // the check finds it missing rather than the page itself with a query.
  navi.I1.activate();
  ASSERT_TRUE(PumpUntil([&] { return SourceHas("textarea") || SourceHas("Textarea"); }));
  EXPECT_THAT(frame().GetHTMLSourceUtf8(), HasSubstr(">한국어 🙂 ü€</a>"));
  Enter(page);
  ASSERT_TRUE(Shows(page));
  navi.K1.activate();
  ASSERT_TRUE(PumpUntil([&] { return navi.linkCheckBar.pbLinkCheck.get_text() == "1 / 1 確認しました"; }, 30000));
  ASSERT_TRUE(PumpUntil([&] { return SourceHas("[404]"); }));
  EXPECT_THAT(frame().GetHTMLSourceUtf8(), HasSubstr("[404]</b> <a href=\"" + link + "\">"));
}

TEST_F(ToolbarTest, EachIndexCheckAsksItsSearchEngine) {
  const std::string page = service->URL("/pages/target.html");
  const std::string site = page.substr(std::string("http://").size());
  Enter(page);
  ASSERT_TRUE(Shows(page));
  std::vector<std::string> requested;
  const gulong started = NoteRequests(requested);
  // The first three look for the site's pages, the others for the page's back links.
  const std::string yahoo =
      "http://search.yahoo.co.jp/search?search.x=1&fr=top_ga1_sa&tid=top_ga1_sa&ei=UTF-8&aq=&oq=&p=";
  const std::string google = "http://www.google.co.jp/search?hl=ja&ie=UTF-8&q=";
  const std::string bing = "http://www.bing.com/search?filt=all&q=";
  const std::pair<Gtk::MenuItem*, std::string> checks[] = {
      {&navi.YahooY1, yahoo + "site%3A" + site},   {&navi.GoogleG1, google + "site%3A" + site},
      {&navi.BingB1, bing + "site%3A" + site},     {&navi.YahooY2, yahoo + "link%3A" + page},
      {&navi.GoogleG2, google + "link%3A" + page}, {&navi.BingB2, bing + "link%3A" + page}};
  for (const auto& [item, search] : checks) {
    requested.clear();
    item->activate();
    EXPECT_TRUE(PumpUntil([&] { return ::testing::Matches(::testing::Contains(search))(requested); })) << search;
    Click(navi.tbStop);
    ASSERT_TRUE(Navigate(page));
  }
  g_signal_handler_disconnect(view(), started);
}

TEST_F(ToolbarTest, EachBrowseModeOnANewWindowLink) {
  const std::string page = service->URL("/pages/toolbar.html"), target = service->URL("/pages/target.html");
  struct Case {
    int entry;
    bool sameWindow, desktopOpened;
  } cases[] = {{0, false, false}, {2, false, true}, {1, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    ASSERT_TRUE(Navigate(page));
    desktop.opened.clear();
    navi.cbBrowserTarget.set_active(c.entry);
    ClickPageAt(40, 40);  // a link that opens a new window
    if (c.sameWindow) {
      EXPECT_TRUE(WaitForURL(J(target)));
    } else {
      Settle(500);
      EXPECT_EQ(frame().GetLocationURL(), J(page));
    }
    EXPECT_EQ(desktop.opened, c.desktopOpened ? std::vector<std::string>{J(target)} : std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace morvane::testing
