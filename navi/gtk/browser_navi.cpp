#include "navi/gtk/browser_navi.h"

#include <glibmm/main.h>

#include <exception>

#include "browser/gtk/browser_frame_widget.h"
#include "navi/gtk/browser_images.h"
#include "util/cp932.h"
#include "app/user_dialogs.h"

namespace morvane {
namespace {

constexpr int kBrowseModeWidth = 95;
constexpr int kSeparatorWidth = 8;
// The skip button also follows loads the frame did not start (a clicked
// link), as a toolkit's idle update would.
constexpr unsigned kSkipRefreshMilliseconds = 100;

}  // namespace

TfrBrowserNavi::TfrBrowserNavi()
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL),
      linkCheckBar([this](std::string_view page) {
        if (TfrBrowserBase* frame = commands_.Frame()) frame->ShowHTML(page);
      }),
      commands_(*this, clipboard_, keyboard_) {
  BuildToolBar();
  BuildMenus();
  pack_start(tbToolBar, Gtk::PACK_SHRINK);
  pack_start(linkCheckBar, Gtk::PACK_SHRINK);  // shown once a check starts
  show_all();
}

TfrBrowserNavi::~TfrBrowserNavi() {
  idleRefresh_.disconnect();
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
  images_[&button] = image;
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
  edURLItem.add(edURL);
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

  AddButton(ToolButton1, nullptr, 8, [&c] { c.Skip(); });
  ToolButton1.set_sensitive(false);
  idleRefresh_ = Glib::signal_timeout().connect(
      [&c] {
        c.RefreshSkipAction();
        return true;
      },
      kSkipRefreshMilliseconds);

  for (const char* mode : {"無視", "同窓モード", "通常のブラウザ"}) cbBrowserTarget.append(mode);
  cbBrowserTarget.set_active(2);
  cbBrowserTarget.set_size_request(kBrowseModeWidth, -1);
  cbBrowserTargetItem.add(cbBrowserTarget);
  tbToolBar.append(cbBrowserTargetItem);
}

void TfrBrowserNavi::AddMenuItem(Gtk::Menu& menu, Gtk::MenuItem& item, const char* caption, int tag,
                                 Command command) {
  if (caption) {
    // "(&C)" marks the access key as "(_C)" does here.
    Glib::ustring label = caption;
    const auto amp = label.find("(&");
    if (amp != Glib::ustring::npos) label.replace(amp + 1, 1, "_");
    item.set_label(label);
    item.set_use_underline(true);
    item.signal_activate().connect([command] { Run(command); });
  }
  tags_[&item] = tag;
  menu.append(item);
}

void TfrBrowserNavi::BuildMenus() {
  ToolbarCommands& c = commands_;
  AddMenuItem(pmGoURL, URLC1, "クリップボードからURLに飛ぶ(&C)", 0, [&c] { c.GoToClipboardURL(); });
  AddMenuItem(pmGoURL, URLS1, "選択部分のURLに飛ぶ(&S)", 0, [&c] { c.GoToSelectedURL(); });
  AddMenuItem(pmGoURL, N2, nullptr, 0, nullptr);
  AddMenuItem(pmGoURL, HTML1, "クリップボードの内容をHTMLとして表示する(&H)", 0, [&c] { c.ShowClipboardAsPage(); });
  AddMenuItem(pmGoURL, N3, nullptr, 0, nullptr);
  struct Check {
    Gtk::MenuItem& item;
    const char* caption;
  };
  const Check checks[] = {{YahooY1, "インデックスチェック-Yahoo(&Y)"}, {GoogleG1, "インデックスチェック-Google(&G)"},
                          {BingB1, "インデックスチェック-Bing(&B)"},   {YahooY2, "被リンクチェック-Yahoo(&A)"},
                          {GoogleG2, "被リンクチェック-Google(&O)"},   {BingB2, "被リンクチェック-Bing(&I)"}};
  for (int tag = 0; tag < 6; ++tag) {
    if (tag == 3) AddMenuItem(pmGoURL, N5, nullptr, 0, nullptr);
    AddMenuItem(pmGoURL, checks[tag].item, checks[tag].caption, tag, [&c, tag] { c.OpenIndexCheck(tag); });
  }
  pmGoURL.show_all();

  AddMenuItem(pmLinks, N1, "リンクタグを作成する(&L)", 0, [&c] { c.EditLinkTemplate(); });
  AddMenuItem(pmLinks, T1, "リンクテキストを指定してリンクタグを作成する(&T)", 0,
              [&c] { c.CopyLinkTagWithTypedText(); });
  AddMenuItem(pmLinks, N4, nullptr, 0, nullptr);
  AddMenuItem(pmLinks, I1, "ページ内リンク集を作成する(&P)", 0, [&c] { c.MakePageLinkList(false); });
  AddMenuItem(pmLinks, C1, "ページ内リンク集をクリップボードにコピーする(&C)", 1, [&c] { c.MakePageLinkList(true); });
  AddMenuItem(pmLinks, K1, "ページ内リンク集を作成してリンク切れを確認する(&K)", 2, [&c] { c.CheckPageLinks(); });
  pmLinks.show_all();
}

void TfrBrowserNavi::AttachBrowser(BrowserFrameWidget& browser) {
  if (auto* box = dynamic_cast<Gtk::Box*>(browser.get_parent()); box && !get_parent()) {
    box->pack_start(*this, Gtk::PACK_SHRINK);
    box->reorder_child(*this, 0);
  }
  commands_.AttachBrowser(browser.Frame());
}

int TfrBrowserNavi::ImageIndex(const Gtk::ToolItem& button) const {
  const auto it = images_.find(&button);
  return it == images_.end() ? -1 : it->second;
}

int TfrBrowserNavi::Tag(const Gtk::MenuItem& item) const {
  const auto it = tags_.find(&item);
  return it == tags_.end() ? 0 : it->second;
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
