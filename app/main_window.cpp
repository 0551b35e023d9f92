#include "app/main_window.h"

#include <gtkmm/adjustment.h>
#include <gtkmm/cellrendererpixbuf.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>

#include <cstdlib>
#include <set>

#include "app/image_list.h"
#include "app/settings_dialog.h"
#include "app/site_dialog.h"
#include "browser/gtk/browser_frame_widget.h"
#include "catalogue/site_data_file.h"
#include "catalogue/site_record.h"
#include "util/cp932.h"
#include "util/text_routines.h"
#include "util/user_dialogs.h"

namespace morvane {
namespace {

constexpr int kDesignedTreeWidth = 161;
constexpr int kDesignedListHeight = 150;
constexpr int kRowsAnnouncedOneByOne = 1000;
constexpr std::string_view kSiteListColumns =
    "No:40 サイト名:150 URL:150 カテゴリ:100 登録日付:120 解析URL:120 LoginID:80 LoginPass:80";

Gtk::TreeModel::Path ToGtkPath(const std::vector<int>& indices) {
  Gtk::TreeModel::Path path;
  for (int i : indices) path.push_back(i);
  return path;
}

}  // namespace

TForm1::TForm1(MainWindowOptions options)
    : Layout(Gtk::ORIENTATION_VERTICAL),
      Splitter2(Gtk::ORIENTATION_HORIZONTAL),
      Panel1(Gtk::ORIENTATION_VERTICAL),
      tsBrowser(Gtk::ORIENTATION_VERTICAL),
      options_(std::move(options)),
      IniFile_(std::make_unique<SettingsFile>(options_.paths.settingsFile)),
      catalogue_(options_.paths.folder),
      placement_(*this, "Form1") {
  set_title(Cp932ToUtf8(ProgramTitle()));
  set_default_size(725, 540);
  BuildLayout();
  frBrowserBase1Widget = std::make_unique<BrowserFrameWidget>(options_.paths.folder);
  tsBrowser.pack_start(*frBrowserBase1Widget, Gtk::PACK_EXPAND_WIDGET);
  frBrowserBase1Widget->show();
  frBrowserBase1().InitBrowser();
  frBrowserBase1().SetStatusBar(this);
}

TForm1::~TForm1() {
  frBrowserBase1().SetStatusBar(nullptr);
  frBrowserBase1().CloseBrowser();
  // Widgets go with the window; the list model must not outlive the lines it shows.
  lvSiteList.unset_model();
}

TfrBrowserBase& TForm1::frBrowserBase1() { return frBrowserBase1Widget->Frame(); }

void TForm1::BuildLayout() {
  BuildToolBar();
  BuildCategoryTree();
  BuildSiteList();
  BuildPopupMenu();
  ConnectDragAndDrop();

  PageControl1.append_page(tsBrowser, "ブラウザ");
  PageControl1.set_show_border(false);
  Panel1.pack1(ListScroller, Gtk::SHRINK);
  Panel1.pack2(PageControl1, Gtk::EXPAND);
  Panel1.set_position(kDesignedListHeight);
  Splitter2.pack1(TreeScroller, Gtk::SHRINK);
  Splitter2.pack2(Panel1, Gtk::EXPAND);
  Splitter2.set_position(kDesignedTreeWidth);
  statusContext_ = StatusBar1.get_context_id("status");
  StatusBar1.set_margin_top(0);
  StatusBar1.set_margin_bottom(0);

  Layout.pack_start(ToolBar1, Gtk::PACK_SHRINK);
  Layout.pack_start(Splitter2, Gtk::PACK_EXPAND_WIDGET);
  Layout.pack_start(StatusBar1, Gtk::PACK_SHRINK);
  add(Layout);
  Layout.show_all();
}

void TForm1::BuildToolBar() {
  struct Button {
    Gtk::ToolButton& button;
    const char* hint;
    const char* icon;
    void (TForm1::*click)();
  };
  // Left to right, as the toolbar shows them; nullptr stands for a separator.
  const Button buttons[] = {
      {tbAddCategory, "新規カテゴリ作成", "folder-new-symbolic", &TForm1::tbAddCategoryClick},
      {tbDeleteCategory, "選択したカテゴリの削除", "user-trash-symbolic", &TForm1::tbDeleteCategoryClick},
      {tbAddSite, "新規サイト追加", "list-add-symbolic", &TForm1::tbAddSiteClick},
      {tbRenewsSite, "サイトの修正", "document-edit-symbolic", &TForm1::tbRenewsSiteClick},
      {tbDeleteSite, "選択したサイトの削除", "list-remove-symbolic", &TForm1::tbDeleteSiteClick},
      {tbGoToVexaAccess, "Vexaアクセス解析を表示", "web-browser-symbolic", nullptr},
      {tbSetIDPW, "マスターID/PWの設定", "dialog-password-symbolic", &TForm1::tbSetIDPWClick},
      {tbImport, "サイトリストのインポート", "document-open-symbolic", &TForm1::tbImportClick},
      {tbExport, "サイトリストのエクスポート", "document-save-as-symbolic", &TForm1::tbExportClick},
      {tbAbout, "このツールについて", "help-about-symbolic", &TForm1::tbAboutClick},
  };
  Gtk::SeparatorToolItem* separatorsBefore[] = {nullptr, nullptr, &ToolSeparator1, nullptr, nullptr,
                                                &ToolSeparator2, &ToolSeparator3, &ToolSeparator4, nullptr,
                                                &ToolSeparator5};
  ToolBar1.set_toolbar_style(Gtk::TOOLBAR_ICONS);
  ToolBar1.set_icon_size(Gtk::ICON_SIZE_SMALL_TOOLBAR);
  int i = 0;
  for (const Button& b : buttons) {
    if (Gtk::SeparatorToolItem* separator = separatorsBefore[i++]) ToolBar1.append(*separator);
    b.button.set_icon_name(b.icon);
    b.button.set_tooltip_text(b.hint);
    b.button.set_label(b.hint);
    if (b.click) b.button.signal_clicked().connect(sigc::mem_fun(*this, b.click));
    ToolBar1.append(b.button);
  }
}

void TForm1::BuildCategoryTree() {
  treeStore_ = Gtk::TreeStore::create(treeColumns_);
  ftSiteCategory.set_model(treeStore_);
  ftSiteCategory.set_headers_visible(false);
  ftSiteCategory.set_enable_search(false);
  ftSiteCategory.set_level_indentation(0);
  auto* column = Gtk::manage(new Gtk::TreeViewColumn());
  auto* icon = Gtk::manage(new Gtk::CellRendererPixbuf());
  auto* text = Gtk::manage(new Gtk::CellRendererText());
  column->pack_start(*icon, false);
  column->pack_start(*text, true);
  column->add_attribute(text->property_text(), treeColumns_.name);
  // A selected entry shows its selected image.
  column->set_cell_data_func(*icon, [this, icon](Gtk::CellRenderer*, const Gtk::TreeModel::iterator& it) {
    const bool selected = ftSiteCategory.get_selection()->is_selected(it);
    icon->property_pixbuf() = TreeImage((*it)[selected ? treeColumns_.selectedImage : treeColumns_.image]);
  });
  ftSiteCategory.append_column(*column);
  ftSiteCategory.get_selection()->set_mode(Gtk::SELECTION_BROWSE);
  ftSiteCategory.get_selection()->signal_changed().connect([this] {
    ftSiteCategory.queue_draw();
    if (rebuildingTree_) return;
    Gtk::TreeModel::iterator it = ftSiteCategory.get_selection()->get_selected();
    catalogue_.Tree().Select(it ? EntryAtPath(treeStore_->get_path(it)) : nullptr);
    ftSiteCategoryClick();
  });
  TreeScroller.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  TreeScroller.set_shadow_type(Gtk::SHADOW_IN);
  TreeScroller.add(ftSiteCategory);
}

void TForm1::BuildSiteList() {
  listModel_ = SiteListModel::create(&catalogue_.ShownList());
  lvSiteList.set_model(listModel_);
  lvSiteList.set_enable_search(false);  // a type-ahead search would parse every row
  lvSiteList.set_rubber_banding(false);
  lvSiteList.get_selection()->set_mode(Gtk::SELECTION_SINGLE);
  ListScroller.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  ListScroller.set_shadow_type(Gtk::SHADOW_IN);
  ListScroller.add(lvSiteList);
  lvSiteList.signal_button_press_event().connect(
      [this](GdkEventButton* event) {
        if (event->type != GDK_BUTTON_PRESS || event->button != 3) return false;
        // The menu acts on the row under the pointer, as a right click selects it.
        Gtk::TreeModel::Path path;
        if (lvSiteList.get_path_at_pos(static_cast<int>(event->x), static_cast<int>(event->y), path))
          lvSiteList.set_cursor(path);
        PopupMenu1.popup_at_pointer(reinterpret_cast<GdkEvent*>(event));
        return true;
      },
      false);
}

void TForm1::BuildPopupMenu() {
  miDisplaySite.set_label("サイトを表示する(_S)");
  miRenewsSite.set_label("サイト情報を修正する(_M)");
  miDeleteSite.set_label("サイトを削除する(_D)");
  for (Gtk::MenuItem* item : {&miDisplaySite, &miRenewsSite, &miDeleteSite}) item->set_use_underline(true);
  miDisplaySite.signal_activate().connect(sigc::mem_fun(*this, &TForm1::miDisplaySiteClick));
  miRenewsSite.signal_activate().connect(sigc::mem_fun(*this, &TForm1::tbRenewsSiteClick));
  miDeleteSite.signal_activate().connect(sigc::mem_fun(*this, &TForm1::tbDeleteSiteClick));
  PopupMenu1.append(miDisplaySite);
  PopupMenu1.append(miRenewsSite);
  PopupMenu1.append(PopupSeparator1);
  PopupMenu1.append(miDeleteSite);
  PopupMenu1.attach_to_widget(lvSiteList);
  PopupMenu1.show_all();
}

void TForm1::SetupListView(std::string_view columnList) {
  lvSiteList.remove_all_columns();
  lvSiteList.set_headers_clickable(false);
  std::string columns = SystemText(columnList);
  int index = 0;
  while (!columns.empty() && index < SiteListModel::kColumns) {
    std::string token = CutToken(columns, " ");
    const std::string caption = CutToken(token, ":");
    const std::optional<int> width = ParseDecimal(token);
    auto* renderer = Gtk::manage(new Gtk::CellRendererText());
    renderer->property_ellipsize() = Pango::ELLIPSIZE_END;
    renderer->property_single_paragraph_mode() = true;
    auto* column = Gtk::manage(new Gtk::TreeViewColumn(Cp932ToUtf8(caption)));
    column->pack_start(*renderer, true);
    column->add_attribute(*renderer, "text", index++);
    // Fixed widths and heights let the view lay out rows it has not asked for.
    column->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    column->set_fixed_width(width.value_or(100));
    column->set_resizable(true);
    column->set_clickable(false);
    lvSiteList.append_column(*column);
  }
  lvSiteList.set_fixed_height_mode(true);
}

void TForm1::SetupMainWindow(TForm2& siteDialog, TForm3& settingsDialog) {
  Form2_ = &siteDialog;
  Form3_ = &settingsDialog;
  Form2_->set_transient_for(*this);
  Form2_->SetBrowser({[this] { return frBrowserBase1().GetLocationURL(); },
                      [this] { return frBrowserBase1().GetHTMLSource(); }});
  Form3_->set_transient_for(*this);
  siteDialogPlacement_ = std::make_unique<WindowPlacement>(siteDialog, "Form2");

  ComponentStocker& stocker = IniFile_->Stocker();
  stocker.DefineIntProperty(
      "ftSiteCategory", "width", [this] { return Splitter2.get_position(); },
      [this](int v) { Splitter2.set_position(v); });
  stocker.DefineIntProperty(
      "lvSiteList", "height", [this] { return Panel1.get_position(); }, [this](int v) { Panel1.set_position(v); });
  IniFile_->StockComponent("ftSiteCategory", "width");
  IniFile_->StockComponent("lvSiteList", "height");
  IniFile_->LoadSettings();
  IniFile_->LoadFormPos(placement_, false);
  IniFile_->LoadFormPos(*siteDialogPlacement_, true);

  SetupListView(kSiteListColumns);
  catalogue_.ChooseDataFileName(IniFile_->ReadString("SiteDataFileName"));
  AfterLoad(catalogue_.LoadSiteData());
  RebuildTree(true);
  SelectEntry(catalogue_.Tree().FirstRoot());
  ftSiteCategoryClick();
  RefreshCategoryChoices();
}

void TForm1::AfterLoad(const SiteDataLoadResult& result) {
  if (!result.Loaded()) return;
  if (result.treeTextBad) Dialogs().ShowError(kTreeLoadErrorText);
  if (result.masterLoginLoaded && Form3_) {
    Form3_->edLoginID.set_text(Cp932ToUtf8(catalogue_.MasterID()));
    Form3_->edLoginPW.set_text(Cp932ToUtf8(catalogue_.MasterPass()));
  }
  RebuildTree(true);
  ShowSelectedEntry();
}

void TForm1::RebuildTree(bool expandAll) {
  rebuildingTree_ = true;
  std::set<Glib::ustring> folded;
  if (!expandAll) {
    treeStore_->foreach_path([&](const Gtk::TreeModel::Path& path) {
      const auto it = treeStore_->get_iter(path);
      if (!it->children().empty() && !ftSiteCategory.row_expanded(path)) folded.insert((*it)[treeColumns_.name]);
      return false;
    });
  }
  treeStore_->clear();
  const std::function<void(const TreeEntry&, const Gtk::TreeModel::Row*)> add = [&](const TreeEntry& e,
                                                                                     const Gtk::TreeModel::Row* parent) {
    Gtk::TreeModel::Row row = parent ? *treeStore_->append(parent->children()) : *treeStore_->append();
    row[treeColumns_.name] = Cp932ToUtf8(e.name);
    row[treeColumns_.image] = e.image;
    row[treeColumns_.selectedImage] = e.selectedImage;
    for (const auto& child : e.children) add(*child, &row);
  };
  for (const auto& root : catalogue_.Tree().Roots()) add(*root, nullptr);
  ftSiteCategory.expand_all();
  if (!folded.empty()) {
    treeStore_->foreach_path([&](const Gtk::TreeModel::Path& path) {
      if (folded.count((*treeStore_->get_iter(path))[treeColumns_.name])) ftSiteCategory.collapse_row(path);
      return false;
    });
  }
  SelectEntry(catalogue_.Tree().Selected());
  rebuildingTree_ = false;
}

Gtk::TreeModel::Path TForm1::TreePathOf(const TreeEntry* entry) const {
  return entry ? ToGtkPath(catalogue_.Tree().PathOf(entry)) : Gtk::TreeModel::Path();
}

TreeEntry* TForm1::EntryAtPath(const Gtk::TreeModel::Path& path) const {
  if (path.empty()) return nullptr;
  return catalogue_.Tree().EntryAt(std::vector<int>(path.begin(), path.end()));
}

void TForm1::SelectEntry(const TreeEntry* entry) {
  const bool wasRebuilding = rebuildingTree_;
  rebuildingTree_ = true;
  catalogue_.Tree().Select(const_cast<TreeEntry*>(entry));
  if (entry) {
    const Gtk::TreeModel::Path path = TreePathOf(entry);
    ftSiteCategory.expand_to_path(path);
    ftSiteCategory.set_cursor(path);
  } else {
    ftSiteCategory.get_selection()->unselect_all();
  }
  rebuildingTree_ = wasRebuilding;
}

void TForm1::ShowEntry(std::string_view entryName) {
  catalogue_.ShowEntry(entryName);
  RefreshListView();
}

void TForm1::ShowSelectedEntry() {
  // Nothing selected: nothing to show, and no message.
  if (const TreeEntry* e = catalogue_.Tree().Selected()) ShowEntry(e->name);
}

void TForm1::RefreshListView() {
  const int count = static_cast<int>(catalogue_.ShownList().Count());
  listModel_->Invalidate();
  const int change = std::abs(listModel_->RowCount() - count);
  if (change > kRowsAnnouncedOneByOne) {
    // Telling the view row by row costs more than letting it start over.
    const int selected = SelectedRow();
    auto scroll = lvSiteList.get_vadjustment();
    const double top = scroll ? scroll->get_value() : 0.0;
    lvSiteList.unset_model();
    listModel_->SetCountDetached(count);
    lvSiteList.set_model(listModel_);
    if (selected >= 0 && selected < count) SelectRow(selected);
    if (scroll) scroll->set_value(top);
  } else if (change != 0) {
    listModel_->Resize(count);
  }
  KeepSelectionVisible();
  lvSiteList.queue_draw();
}

void TForm1::KeepSelectionVisible() {
  Gtk::TreeModel::Path start, end;
  const int selected = SelectedRow();
  if (selected < 0 || !lvSiteList.get_visible_range(start, end) || start.empty() || end.empty()) return;
  const int top = start[0];
  const int perPage = end[0] - top + 1;
  if (selected < top || selected > top + perPage - 1) SelectRow(top);
}

int TForm1::SelectedRow() const {
  const auto rows = const_cast<Gtk::TreeView&>(lvSiteList).get_selection()->get_selected_rows();
  return rows.empty() || rows.front().empty() ? -1 : rows.front()[0];
}

void TForm1::SelectRow(int row) {
  if (row < 0 || row >= listModel_->RowCount()) {
    lvSiteList.get_selection()->unselect_all();
    return;
  }
  Gtk::TreeModel::Path path;
  path.push_back(row);
  lvSiteList.get_selection()->select(path);
  // The cursor follows without scrolling the view.
  gtk_tree_view_set_cursor_on_cell(lvSiteList.gobj(), path.gobj(), nullptr, nullptr, FALSE);
}

void TForm1::SetStatusText(std::string_view cp932) {
  StatusBar1.remove_all_messages(statusContext_);
  StatusBar1.push(Cp932ToUtf8(cp932), statusContext_);
}

std::string TForm1::StatusText() const {
  auto* area = dynamic_cast<Gtk::Container*>(const_cast<Gtk::Statusbar&>(StatusBar1).get_message_area());
  if (!area) return {};
  for (Gtk::Widget* child : area->get_children())
    if (auto* label = dynamic_cast<Gtk::Label*>(child)) return Utf8ToCp932(label->get_text().raw());
  return {};
}

void TForm1::RefreshCategoryChoices() {
  if (Form2_) Form2_->SetCategoryItems(catalogue_.Tree().CategoryListText());
}

void TForm1::SaveSettingsForClose() {
  IniFile_->SaveFormPos(placement_);
  if (siteDialogPlacement_) IniFile_->SaveFormPos(*siteDialogPlacement_);
  IniFile_->WriteString("SiteDataFileName", catalogue_.DataFileName());
  IniFile_->SaveSettings();
}

bool TForm1::FormCloseQuery() {
  SaveSettingsForClose();
  const bool close = catalogue_.SaveSiteData() ||
                     !AskDeclined(SystemText("サイトデータ保存に失敗しました。このまま終了しますか？"));
  // Waits of the browser still on the stack end with the window.
  if (close) frBrowserBase1Widget->Pump().SetTerminating(true);
  return close;
}

}  // namespace morvane
