#pragma once
// The navigation toolbar over the embedded browser: browser buttons, the URL
// box, clipboard and link tools, index checks, the skip-wait button and the
// browse-mode box, and under them the link check's strip while it runs.
// Clicks go to ToolbarCommands; this class only lays the widgets out and
// shows what the commands say.
#include <gtkmm/box.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/entry.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/menutoolbutton.h>
#include <gtkmm/separatormenuitem.h>
#include <gtkmm/separatortoolitem.h>
#include <gtkmm/toolbar.h>
#include <gtkmm/toolbutton.h>
#include <gtkmm/toolitem.h>

#include <functional>

#include "navi/core/page_zoom.h"
#include "navi/core/toolbar_commands.h"
#include "navi/gtk/desktop_input.h"
#include "navi/gtk/download_bar.h"
#include "navi/gtk/link_check_bar.h"

typedef struct _WebKitWebView WebKitWebView;

namespace morvane {

class BrowserFrameWidget;
class WebKitEngine;

class NaviToolbar : public Gtk::Toolbar {
 protected:
  bool on_focus(Gtk::DirectionType direction) override;
};

class TfrBrowserNavi : public Gtk::Box, private ToolbarView {
 public:
  TfrBrowserNavi();
  ~TfrBrowserNavi() override;

  // Puts the toolbar above the browser in the browser's own box and takes
  // the frame over (ToolbarCommands::AttachBrowser).
  void AttachBrowser(BrowserFrameWidget& browser);

  ToolbarCommands& Commands() { return commands_; }

  NaviToolbar tbToolBar;
  Gtk::ToolButton tbGoBack, tbGoForward, tbRetry, tbStop, tbHome;
  Gtk::ToolItem edURLItem;
  Gtk::Entry edURL;
  Gtk::MenuToolButton tbGoURL;
  Gtk::ToolButton tbGetHTMLSource, ToolButton5, tbGetURL;
  Gtk::MenuToolButton ToolButton3;
  Gtk::SeparatorToolItem ToolButton9;
  Gtk::ToolButton ToolButton1;  // acSkipLoop: enabled exactly while the frame is busy
  Gtk::ToolItem cbBrowserTargetItem;
  Gtk::ComboBoxText cbBrowserTarget;

  Gtk::Menu pmGoURL;
  Gtk::MenuItem URLC1, URLS1, HTML1, YahooY1, GoogleG1, BingB1, YahooY2, GoogleG2, BingB2;
  Gtk::SeparatorMenuItem N2, N3, N5;
  Gtk::Menu pmLinks;
  Gtk::MenuItem N1, T1, I1, C1, K1;
  Gtk::SeparatorMenuItem N4;
  LinkCheckBar linkCheckBar;
  DownloadBar downloadBar;

 private:
  using Command = std::function<void()>;
  void BuildToolBar();
  void BuildMenus();
  void AddButton(Gtk::ToolButton& button, const char* hint, int image, Command command);
  void AddMenuItem(Gtk::Menu& menu, Gtk::MenuItem& item, const char* caption, Command command);
  // Runs a command as the program's handlers run: what the page refuses
  // (no document) is told in an error box.
  static void Run(const Command& command);
  bool OfferURLBoxMenu();
  bool OfferBrowseModeMenu();
  void ListenToWindowKeys();
  bool OnWindowKey(GdkEventKey* key);
  void Zoom(unsigned keyval);
  void ForgetView();
  static void OnLoadChanged(WebKitWebView* view, int event, void* self);

  // ToolbarView
  void ShowError(std::string_view message) override;
  std::optional<std::string> InputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override;
  std::string URLBoxText() const override;
  void SetURLBoxText(std::string_view text) override;
  void SetHistoryButtons(bool backEnabled, bool forwardEnabled) override;
  void SetSkipEnabled(bool enabled) override;
  std::string BrowseModeText() const override;
  void StartLinkCheck(PageLinkList list) override;

  GtkClipboardText clipboard_;
  GtkKeyboard keyboard_;
  ToolbarCommands commands_;
  sigc::connection windowKeys_;
  PageZoom zoom_;
  WebKitEngine* engine_ = nullptr;  // the attached browser's, which outlives the toolbar
  WebKitWebView* view_ = nullptr;   // the attached browser's; a weak pointer, null once it is gone
};

}  // namespace morvane
