#include "navi/gtk/browser_navi.h"

#include <gdk/gdkkeysyms.h>
#include <gtkmm/radiomenuitem.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include <array>
#include <exception>

#include "browser/gtk/browser_frame_widget.h"
#include "browser/gtk/webkit_engine.h"
#include "navi/gtk/browser_images.h"
#include "util/cp932.h"
#include "util/user_dialogs.h"

namespace morvane {
namespace {

constexpr int kBrowseModeWidth = 95;
constexpr int kSeparatorWidth = 8;
constexpr const char* kSkipCaption = "読み込み待ちをスキップ";

// What a screen reader says for a control with no caption of its own.
void SetReadOutName(Gtk::Widget& control, const char* name) {
  if (Glib::RefPtr<Atk::Object> accessible = control.get_accessible()) accessible->set_name(name);
}

// A button with a menu is two halves: the arrow is read out as its menu.
void NameMenuArrow(Gtk::MenuToolButton& button, const char* name) {
  button.set_arrow_tooltip_text(name);
  if (auto* halves = dynamic_cast<Gtk::Container*>(button.get_child())) {
    const std::vector<Gtk::Widget*> children = halves->get_children();
    if (children.size() == 2) SetReadOutName(*children[1], name);
  }
}

}  // namespace

// A toolbar lets Tab in once and out again; here Tab steps through every
// control in turn, as through any other row of controls.
bool NaviToolbar::on_focus(Gtk::DirectionType direction) {
  auto* containerClass = static_cast<GtkWidgetClass*>(g_type_class_peek(GTK_TYPE_CONTAINER));
  return containerClass->focus(GTK_WIDGET(gobj()), static_cast<GtkDirectionType>(direction));
}

TfrBrowserNavi::TfrBrowserNavi()
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL),
      linkCheckBar(
          [this](std::string_view page) {
            if (BrowserFrame* frame = commands_.Frame()) frame->ShowHTML(page);
          },
          [this]() -> std::optional<BrowserFrame::ShownPage> {
            if (BrowserFrame* frame = commands_.Frame()) return frame->CurrentPage();
            return std::nullopt;
          }),
      commands_(*this, clipboard_, keyboard_) {
  AddProgramIcons();
  BuildToolBar();
  BuildMenus();
  pack_start(tbToolBar, Gtk::PACK_SHRINK);
  pack_start(linkCheckBar, Gtk::PACK_SHRINK);  // shown once a check starts
  pack_start(downloadBar, Gtk::PACK_SHRINK);   // shown once a download starts
  show_all();
  signal_hierarchy_changed().connect([this](Gtk::Widget*) { ListenToWindowKeys(); });
}

TfrBrowserNavi::~TfrBrowserNavi() {
  ForgetView();
  windowKeys_.disconnect();
  commands_.Detach();
}

void TfrBrowserNavi::Run(const Command& command) {
  try {
    command();
  } catch (const std::exception& e) {
    Dialogs().ShowError(e.what());
  }
}

void TfrBrowserNavi::AddButton(Gtk::ToolButton& button, const char* hint, int image, Command command) {
  if (hint) button.set_tooltip_text(hint);
  button.set_label(hint ? hint : "");
  button.set_icon_name(BrowserImageIconName(image));
  if (command) button.signal_clicked().connect([command] { Run(command); });
  tbToolBar.append(button);
}

void TfrBrowserNavi::BuildToolBar() {
  ToolbarCommands& c = commands_;
  tbToolBar.set_toolbar_style(Gtk::TOOLBAR_ICONS);
  tbToolBar.set_icon_size(Gtk::ICON_SIZE_SMALL_TOOLBAR);
  AddButton(tbGoBack, "戻る", 0, [&c] { c.GoBack(); });
  AddButton(tbGoForward, "進む", 1, [&c] { c.GoForward(); });
  AddButton(tbRetry, "更新", 5, [&c] { c.Reload(); });
  AddButton(tbStop, "中止", 2, [&c] { c.Stop(); });
  AddButton(tbHome, "HOME", 3, [&c] { c.GoHome(); });
  tbGoBack.set_sensitive(false);
  tbGoForward.set_sensitive(false);

  // Only the URL box takes the space the window gives the toolbar.
  edURL.set_width_chars(8);
  edURL.signal_activate().connect([&c] { Run([&c] { c.GoToTypedURL(); }); });  // Enter
  SetReadOutName(edURL, "URL");
  edURLItem.add(edURL);
  edURLItem.signal_create_menu_proxy().connect(sigc::mem_fun(*this, &TfrBrowserNavi::OfferURLBoxMenu), false);
  edURLItem.set_expand(true);
  tbToolBar.append(edURLItem);

  AddButton(tbGoURL, "URLに飛ぶ", 4, [&c] { c.GoToTypedURL(); });
  tbGoURL.set_menu(pmGoURL);
  AddButton(tbGetHTMLSource, "HTMLソースの取得", 6, [&c] { c.CopyHTMLSource(); });
  AddButton(ToolButton5, "選択部分をクリップボードにコピー", 12, [&c] { c.CopySelection(); });
  AddButton(tbGetURL, "URLの取得", 7, [&c] { c.CopyURL(); });
  AddButton(ToolButton3, "URLよりリンクタグを作成する", 10, [&c] { c.CopyLinkTag(); });
  ToolButton3.set_menu(pmLinks);
  ToolButton9.set_size_request(kSeparatorWidth, -1);
  tbToolBar.append(ToolButton9);

  AddButton(ToolButton1, kSkipCaption, 8, [&c] { c.Skip(); });
  ToolButton1.set_sensitive(false);  // the commands enable it while the frame is busy

  for (int i = 0; i < static_cast<int>(kBrowseModes.size()); ++i) {
    cbBrowserTarget.append(std::string(kBrowseModes[i].name));
    if (kBrowseModes[i].mode == BrowseMode::DesktopBrowser) cbBrowserTarget.set_active(i);  // until the user picks
  }
  cbBrowserTarget.set_size_request(kBrowseModeWidth, -1);
  SetReadOutName(cbBrowserTarget, "ブラウズモード");
  cbBrowserTarget.set_tooltip_text("新しいウィンドウを開くリンクの扱い");
  cbBrowserTargetItem.add(cbBrowserTarget);
  cbBrowserTargetItem.signal_create_menu_proxy().connect(sigc::mem_fun(*this, &TfrBrowserNavi::OfferBrowseModeMenu),
                                                         false);
  tbToolBar.append(cbBrowserTargetItem);

  NameMenuArrow(tbGoURL, "URLに飛ぶ（その他の移動とチェック）");
  NameMenuArrow(ToolButton3, "リンクタグとリンク集");
}

// In the toolbar's overflow menu the URL box is an entry that asks for the address.
bool TfrBrowserNavi::OfferURLBoxMenu() {
  auto* item = Gtk::make_managed<Gtk::MenuItem>("URLを入力…");
  item->signal_activate().connect([this] {
    const std::optional<std::string> url = InputText("URLに飛ぶ", "URLを入力してください", edURL.get_text().raw());
    if (!url) return;
    edURL.set_text(*url);
    Run([this] { commands_.GoToTypedURL(); });
  });
  item->show();
  edURLItem.set_proxy_menu_item("url-box", *item);
  return true;
}

// In the toolbar's overflow menu the browse-mode box is a submenu of its
// three modes.
bool TfrBrowserNavi::OfferBrowseModeMenu() {
  auto* item = Gtk::make_managed<Gtk::MenuItem>("ブラウズモード");
  auto* modes = Gtk::make_managed<Gtk::Menu>();
  Gtk::RadioMenuItem::Group group;
  for (int i = 0; i < static_cast<int>(kBrowseModes.size()); ++i) {
    auto* mode = Gtk::make_managed<Gtk::RadioMenuItem>(group, std::string(kBrowseModes[i].name));
    mode->set_active(cbBrowserTarget.get_active_row_number() == i);
    mode->signal_toggled().connect([this, mode, i] {
      if (mode->get_active()) cbBrowserTarget.set_active(i);
    });
    modes->append(*mode);
  }
  item->set_submenu(*modes);
  item->show_all();
  cbBrowserTargetItem.set_proxy_menu_item("browse-mode", *item);
  return true;
}

void TfrBrowserNavi::ListenToWindowKeys() {
  windowKeys_.disconnect();
  if (auto* window = dynamic_cast<Gtk::Window*>(get_toplevel()))
    windowKeys_ = window->signal_key_press_event().connect(sigc::mem_fun(*this, &TfrBrowserNavi::OnWindowKey), false);
}

// The keys of a desktop browser, taken before the page or a box sees them,
// while the browser is on screen.
bool TfrBrowserNavi::OnWindowKey(GdkEventKey* key) {
  if (!get_mapped() || !commands_.Frame()) return false;
  const unsigned mods = key->state & gtk_accelerator_get_default_mod_mask();
  const bool plain = mods == 0, ctrl = mods == GDK_CONTROL_MASK, alt = mods == GDK_MOD1_MASK;
  ToolbarCommands& c = commands_;
  switch (key->keyval) {
    case GDK_KEY_l:
    case GDK_KEY_L:
      if (!ctrl) return false;
      [[fallthrough]];
    case GDK_KEY_F6:
      if (!plain && !ctrl) return false;
      edURL.grab_focus();  // selects the whole address, ready to be typed over
      return true;
    case GDK_KEY_r:
    case GDK_KEY_R:
      if (!ctrl) return false;
      [[fallthrough]];
    case GDK_KEY_F5:
      if (!plain && !ctrl) return false;
      Run([&c] { c.Reload(); });
      return true;
    case GDK_KEY_Escape:
      // Only a load in progress: otherwise Escape stays the box's or the page's.
      if (!plain || !(c.Frame()->BusyState() || c.Frame()->Engine().Busy())) return false;
      Run([&c] { c.Stop(); });
      return true;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
      if (!alt || !tbGoBack.get_sensitive()) return false;
      Run([&c] { c.GoBack(); });
      return true;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
      if (!alt || !tbGoForward.get_sensitive()) return false;
      Run([&c] { c.GoForward(); });
      return true;
    case GDK_KEY_plus:
    case GDK_KEY_equal:
    case GDK_KEY_KP_Add:
    case GDK_KEY_minus:
    case GDK_KEY_KP_Subtract:
    case GDK_KEY_0:
    case GDK_KEY_KP_0:
      // Ctrl+plus often comes with Shift (it shares a key with "=" or ";").
      if ((mods & ~GDK_SHIFT_MASK) != GDK_CONTROL_MASK) return false;
      Zoom(key->keyval);
      return true;
    default: return false;
  }
}

void TfrBrowserNavi::Zoom(unsigned keyval) {
  if (!view_) return;
  const std::string url = commands_.Frame()->GetLocationURL();
  double level = 1.0;
  if (keyval == GDK_KEY_0 || keyval == GDK_KEY_KP_0) level = zoom_.Reset(url);
  else if (keyval == GDK_KEY_minus || keyval == GDK_KEY_KP_Subtract) level = zoom_.ZoomOut(url);
  else level = zoom_.ZoomIn(url);
  webkit_web_view_set_zoom_level(view_, level);
}

// A page of another server opens at that server's zoom.
void TfrBrowserNavi::OnLoadChanged(WebKitWebView* view, int event, void* self) {
  if (event != WEBKIT_LOAD_COMMITTED) return;
  const char* uri = webkit_web_view_get_uri(view);
  webkit_web_view_set_zoom_level(view, static_cast<TfrBrowserNavi*>(self)->zoom_.LevelFor(uri ? uri : ""));
}

void TfrBrowserNavi::AddMenuItem(Gtk::Menu& menu, Gtk::MenuItem& item, const char* caption, Command command) {
  if (caption) {
    // "(&C)" marks the access key as "(_C)" does here.
    Glib::ustring label = caption;
    const auto amp = label.find("(&");
    if (amp != Glib::ustring::npos) label.replace(amp + 1, 1, "_");
    item.set_label(label);
    item.set_use_underline(true);
    item.signal_activate().connect([command] { Run(command); });
  }
  menu.append(item);
}

void TfrBrowserNavi::BuildMenus() {
  ToolbarCommands& c = commands_;
  AddMenuItem(pmGoURL, URLC1, "クリップボードからURLに飛ぶ(&C)", [&c] { c.GoToClipboardURL(); });
  AddMenuItem(pmGoURL, URLS1, "選択部分のURLに飛ぶ(&S)", [&c] { c.GoToSelectedURL(); });
  AddMenuItem(pmGoURL, N2, nullptr, nullptr);
  AddMenuItem(pmGoURL, HTML1, "クリップボードの内容をHTMLとして表示する(&H)", [&c] { c.ShowClipboardAsPage(); });
  AddMenuItem(pmGoURL, N3, nullptr, nullptr);
  struct Check {
    Gtk::MenuItem& item;
    const char* caption;
  };
  const Check checks[] = {{YahooY1, "インデックスチェック-Yahoo(&Y)"}, {GoogleG1, "インデックスチェック-Google(&G)"},
                          {BingB1, "インデックスチェック-Bing(&B)"},   {YahooY2, "被リンクチェック-Yahoo(&A)"},
                          {GoogleG2, "被リンクチェック-Google(&O)"},   {BingB2, "被リンクチェック-Bing(&I)"}};
  for (int tag = 0; tag < 6; ++tag) {
    if (tag == 3) AddMenuItem(pmGoURL, N5, nullptr, nullptr);
    AddMenuItem(pmGoURL, checks[tag].item, checks[tag].caption, [&c, tag] { c.OpenIndexCheck(tag); });
  }
  pmGoURL.show_all();

  AddMenuItem(pmLinks, N1, "リンクタグを作成する(&L)", [&c] { c.EditLinkTemplate(); });
  AddMenuItem(pmLinks, T1, "リンクテキストを指定してリンクタグを作成する(&T)", [&c] { c.CopyLinkTagWithTypedText(); });
  AddMenuItem(pmLinks, N4, nullptr, nullptr);
  AddMenuItem(pmLinks, I1, "ページ内リンク集を作成する(&P)", [&c] { c.MakePageLinkList(false); });
  AddMenuItem(pmLinks, C1, "ページ内リンク集をクリップボードにコピーする(&C)", [&c] { c.MakePageLinkList(true); });
  AddMenuItem(pmLinks, K1, "ページ内リンク集を作成してリンク切れを確認する(&K)", [&c] { c.CheckPageLinks(); });
  pmLinks.show_all();
}

void TfrBrowserNavi::AttachBrowser(BrowserFrameWidget& browser) {
  if (auto* box = dynamic_cast<Gtk::Box*>(browser.get_parent()); box && !get_parent()) {
    box->pack_start(*this, Gtk::PACK_SHRINK);
    box->reorder_child(*this, 0);
  }
  commands_.AttachBrowser(browser.Frame());
  ForgetView();
  engine_ = &browser.Engine();
  engine_->SetDownloadListener([this](const DownloadProgress& progress) { downloadBar.Show(progress); });
  downloadBar.SetCanceller([this](int id) {
    if (engine_) engine_->CancelDownload(id);
  });
  view_ = browser.Engine().View();
  if (!view_) return;
  g_object_add_weak_pointer(G_OBJECT(view_), reinterpret_cast<gpointer*>(&view_));
  g_signal_connect(view_, "load-changed", G_CALLBACK(&TfrBrowserNavi::OnLoadChanged), this);
}

void TfrBrowserNavi::ForgetView() {
  if (engine_) engine_->SetDownloadListener({});
  engine_ = nullptr;
  if (!view_) return;
  g_signal_handlers_disconnect_by_data(view_, this);
  g_object_remove_weak_pointer(G_OBJECT(view_), reinterpret_cast<gpointer*>(&view_));
  view_ = nullptr;
}

void TfrBrowserNavi::ShowError(std::string_view message) { Dialogs().ShowError(message); }

std::optional<std::string> TfrBrowserNavi::InputText(std::string_view caption, std::string_view prompt,
                                                     std::string_view initial) {
  return Dialogs().InputText(caption, prompt, initial);
}

std::string TfrBrowserNavi::URLBoxText() const { return Utf8URLToCp932(edURL.get_text().raw()); }

void TfrBrowserNavi::SetURLBoxText(std::string_view text) { edURL.set_text(Cp932ToUtf8(text)); }

void TfrBrowserNavi::SetHistoryButtons(bool backEnabled, bool forwardEnabled) {
  tbGoBack.set_sensitive(backEnabled);
  tbGoForward.set_sensitive(forwardEnabled);
}

void TfrBrowserNavi::SetSkipEnabled(bool enabled) {
  if (ToolButton1.get_sensitive() != enabled) ToolButton1.set_sensitive(enabled);
}

void TfrBrowserNavi::StartLinkCheck(PageLinkList list) { linkCheckBar.Start(std::move(list)); }

std::string TfrBrowserNavi::BrowseModeText() const { return Utf8ToCp932(cbBrowserTarget.get_active_text().raw()); }

}  // namespace morvane
