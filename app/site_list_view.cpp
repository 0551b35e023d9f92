#include "app/site_list_view.h"

#include <glibmm/main.h>
#include <gtkmm/adjustment.h>
#include <gtkmm/cellrenderertext.h>

#include <algorithm>
#include <optional>

#include "util/component_stocker.h"

namespace morvane {
namespace {

constexpr int kRowsAnnouncedOneByOne = 1000;

// Captions are UTF-8 window strings, where an ASCII byte never sits inside a
// character, so a plain byte search splits them.
std::string_view CutAt(std::string_view& rest, char delimiter) {
  const std::size_t at = rest.find(delimiter);
  const std::string_view token = rest.substr(0, at);
  rest.remove_prefix(at == std::string_view::npos ? rest.size() : at + 1);
  return token;
}

// What a cell usually holds, written for the designed widths: in the design's
// font each fills its column; where the font in use is wider the column grows.
constexpr const char* kUsualCells[SiteListModel::kColumns] = {"9999",
                                                              "アクセス解析のサイト名",
                                                              "http://www.example.com/",
                                                              "カテゴリの名前",
                                                              "2024/01/01 10:00:00",
                                                              "http://vexa.jp/a/1",
                                                              "loginid12345",
                                                              "*Password*"};

// The designed width, or what the usual cell and the caption need when that is more.
int FittingWidth(Gtk::TreeView& view, Gtk::TreeViewColumn& column, Gtk::CellRendererText& cell, int index,
                 int designed) {
  cell.property_text() = kUsualCells[index];
  int minimum = 0, natural = 0;
  cell.get_preferred_width(view, minimum, natural);
  // The view keeps this much of a column's width free around its cells.
  int separator = 0;
  view.get_style_property("horizontal-separator", separator);
  int caption = 0;
  if (Gtk::Widget* header = column.get_button()) header->get_preferred_width(minimum, caption);
  return std::max({designed, natural + separator, caption});
}

}  // namespace

SiteListView::SiteListView(const ShownSites* shown, const CatalogueEvents* events)
    : model_(SiteListModel::create(shown, events)) {
  if (events) shownChanged_ = events->shownChanged.Subscribe([this] { Refresh(); });
  view_.set_model(model_);
  view_.set_enable_search(false);  // a type-ahead search would parse every row
  view_.set_rubber_banding(false);
  view_.get_selection()->set_mode(Gtk::SELECTION_SINGLE);
  view_.enable_model_drag_source(RowDragTargets(), Gdk::BUTTON1_MASK, Gdk::ACTION_MOVE);
  BuildPopupMenu();
  view_.signal_button_press_event().connect(
      [this](GdkEventButton* event) {
        Gtk::TreeModel::Path row;
        if (event->type == GDK_2BUTTON_PRESS && event->button == 1 &&
            view_.get_path_at_pos(static_cast<int>(event->x), static_cast<int>(event->y), row)) {
          // Opening a site waits for pages: not inside the view's own press handling.
          Glib::signal_idle().connect_once(sigc::mem_fun(*this, &SiteListView::EmitRowDoubleClicked));
          return false;
        }
        return PopUpOnRightClick(event, PopupMenu1);
      },
      false);
}

// The model must not outlive the lines it shows, which go with the window.
SiteListView::~SiteListView() {
  shownChanged_.Disconnect();
  view_.unset_model();
}

void SiteListView::BuildPopupMenu() {
  miDisplaySite.set_label("サイトを表示する(_S)");
  miRenewsSite.set_label("サイト情報を修正する(_M)");
  miDeleteSite.set_label("サイトを削除する(_D)");
  for (Gtk::MenuItem* item : {&miDisplaySite, &miRenewsSite, &miDeleteSite}) item->set_use_underline(true);
  PopupMenu1.append(miDisplaySite);
  PopupMenu1.append(miRenewsSite);
  miCheckLogin.set_label("ログインを確認する");
  PopupMenu1.append(miCheckLogin);
  miCheckHealth.set_label("サイトの状態を確認する");
  PopupMenu1.append(miCheckHealth);
  PopupMenu1.append(PopupSeparator1);
  PopupMenu1.append(miDeleteSite);
  PopupMenu1.attach_to_widget(view_);
  PopupMenu1.show_all();
}

void SiteListView::SetupColumns(std::string_view columnList) {
  view_.remove_all_columns();
  std::string_view columns = columnList;
  int index = 0;
  while (!columns.empty() && index < SiteListModel::kColumns) {
    std::string_view token = CutAt(columns, ' ');
    const Glib::ustring caption(std::string(CutAt(token, ':')));
    const std::optional<int> width = ParseDecimal(token);
    auto* renderer = Gtk::manage(new Gtk::CellRendererText());
    renderer->property_ellipsize() = Pango::ELLIPSIZE_END;
    renderer->property_single_paragraph_mode() = true;
    auto* column = Gtk::manage(new Gtk::TreeViewColumn(caption));
    column->pack_start(*renderer, true);
    column->add_attribute(*renderer, "text", index++);
    // Fixed widths and heights let the view lay out rows it has not asked for.
    column->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    column->set_resizable(true);
    column->set_clickable(true);
    column->signal_clicked().connect([this, index = index - 1] { headerClicked_.emit(index); });
    view_.append_column(*column);
    column->set_fixed_width(FittingWidth(view_, *column, *renderer, index - 1, width.value_or(100)));
  }
  view_.set_fixed_height_mode(true);
}

std::vector<SiteListView::ColumnLook> SiteListView::Columns() const {
  std::vector<ColumnLook> looks;
  for (const Gtk::TreeViewColumn* column : const_cast<NamedTreeView&>(view_).get_columns())
    looks.push_back({column->get_title().raw(), column->get_fixed_width()});
  return looks;
}

void SiteListView::ShowSortIndicator(int column, bool descending) {
  int index = 0;
  for (Gtk::TreeViewColumn* c : view_.get_columns()) {
    c->set_sort_indicator(index == column && column > 0);
    c->set_sort_order(descending ? Gtk::SORT_DESCENDING : Gtk::SORT_ASCENDING);
    ++index;
  }
}

void SiteListView::ClickHeader(int column) {
  if (Gtk::TreeViewColumn* c = view_.get_column(column)) c->clicked();
}

void SiteListView::Refresh() {
  if (!model_->Follow(kRowsAnnouncedOneByOne)) {
    // Telling the view row by row costs more than letting it start over.
    const int count = static_cast<int>(model_->LineCount());
    const int selected = SelectedRow();
    auto scroll = view_.get_vadjustment();
    const double top = scroll ? scroll->get_value() : 0.0;
    view_.unset_model();
    model_->SetCountDetached(count);
    view_.set_model(model_);
    if (selected >= 0 && selected < count) SelectRow(selected);
    if (scroll) scroll->set_value(top);
  }
  KeepSelectionVisible();
  view_.queue_draw();
}

void SiteListView::KeepSelectionVisible() {
  int top = 0, bottom = 0;
  const int selected = SelectedRow();
  if (selected < 0 || !VisibleRows(top, bottom)) return;
  const int perPage = bottom - top + 1;
  if (selected < top || selected > top + perPage - 1) SelectRow(top);
}

bool SiteListView::VisibleRows(int& first, int& last) const {
  Gtk::TreeModel::Path start, end;
  if (!const_cast<NamedTreeView&>(view_).get_visible_range(start, end) || start.empty() || end.empty()) return false;
  first = start[0];
  last = end[0];
  return true;
}

int SiteListView::SelectedRow() const {
  const auto rows = const_cast<NamedTreeView&>(view_).get_selection()->get_selected_rows();
  return rows.empty() || rows.front().empty() ? -1 : rows.front()[0];
}

void SiteListView::SelectRow(int row) {
  if (row < 0 || row >= model_->RowCount()) {
    view_.get_selection()->unselect_all();
    return;
  }
  Gtk::TreeModel::Path path;
  path.push_back(row);
  view_.get_selection()->select(path);
  // The cursor follows without scrolling the view.
  gtk_tree_view_set_cursor_on_cell(view_.gobj(), path.gobj(), nullptr, nullptr, FALSE);
}

}  // namespace morvane
