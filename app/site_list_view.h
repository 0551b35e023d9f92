#pragma once
// The site list control: a virtual list over the shown list with its
// columns, selection and context menu.
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/separatormenuitem.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/scrolled_tree_view.h"
#include "app/site_list_model.h"

namespace morvane {

class SiteListView : public ScrolledTreeView {
 public:
  // With events, the list shows the shown list again each time it is chosen
  // again, and its model follows the site lines.
  explicit SiteListView(const ShownSites* shown, const CatalogueEvents* events = nullptr);
  ~SiteListView() override;

  // columnList: "caption:width" items separated by spaces.
  void SetupColumns(std::string_view columnList);
  struct ColumnLook {
    std::string caption;  // UTF-8
    int width;
  };
  std::vector<ColumnLook> Columns() const;
  bool FixedRowHeights() const { return const_cast<NamedTreeView&>(view_).get_fixed_height_mode(); }

  // Shows as many rows as the shown list has lines, painted again.
  void Refresh();
  // A selected row scrolled out of view gives way to the top visible row.
  void KeepSelectionVisible();
  // Row of the selection, -1 without one.
  int SelectedRow() const;
  void SelectRow(int row);
  // First and last row on screen; false when none is.
  bool VisibleRows(int& first, int& last) const;
  void Repaint() { view_.queue_draw(); }

  SiteListModel& Model() { return *model_.operator->(); }
  // A double-click on a row, told once the click's own handling is over.
  sigc::signal<void()>& signal_row_double_clicked() { return rowDoubleClicked_; }

  // A click on a column's header gives the column's number.
  sigc::signal<void(int)>& signal_header_clicked() { return headerClicked_; }
  // The arrow on the column the list is sorted by; column 0: none.
  void ShowSortIndicator(int column, bool descending);
  void ClickHeader(int column);  // as the user clicks it

  // The context menu; it acts on the row under the pointer.
  Gtk::Menu PopupMenu1;
  Gtk::MenuItem miDisplaySite, miRenewsSite, miCheckLogin, miCheckHealth, miDeleteSite;
  Gtk::SeparatorMenuItem PopupSeparator1;

 private:
  void BuildPopupMenu();

  void EmitRowDoubleClicked() { rowDoubleClicked_.emit(); }

  Glib::RefPtr<SiteListModel> model_;
  AnnouncementConnection shownChanged_;
  sigc::signal<void(int)> headerClicked_;
  sigc::signal<void()> rowDoubleClicked_;
};

}  // namespace morvane
