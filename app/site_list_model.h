#pragma once
// The site list view's model: a virtual list over the shown list. It holds
// only a row count; a row's cells are made from its site line when the view
// asks for them, so a large catalogue costs one parse per painted row.
#include <glibmm/object.h>
#include <gtkmm/selectiondata.h>
#include <gtkmm/treedragsource.h>
#include <gtkmm/treemodel.h>
#include <gtkmm/treepath.h>

#include <array>
#include <cstddef>
#include <vector>

#include "catalogue/shown_sites.h"

namespace morvane {

// The interfaces come first so that they are added before GLib creates the
// class. Rows can be dragged (onto the category tree); the drop target asks
// the view for the selected row, so the drag carries no data of its own.
class SiteListModel final : public Gtk::TreeModel, public Gtk::TreeDragSource, public Glib::Object {
 public:
  static constexpr int kColumns = 8;

  static Glib::RefPtr<SiteListModel> create(const ShownSites* lines);
  ~SiteListModel() override;

  // Rows the view knows about; changed only through Follow, which tells the view.
  int RowCount() const { return count_; }
  // Lines the shown list holds now; RowCount catches up by Follow.
  long long LineCount() const { return lines_ ? lines_->Count() : 0; }
  // Catches up with the shown list, telling the view (and so a screen reader)
  // which rows went, came or changed, at their places; rows after a place
  // where rows came or went changed too, as their number cell did. False, with
  // nothing changed, when that takes more than `limit` notices: the caller
  // then lets the view start over through SetCountDetached.
  bool Follow(int limit);
  // Sets the count without telling anybody: only while no view holds the model.
  void SetCountDetached(int count);
  // The lines may have changed under the same rows: forget the parsed row.
  void Invalidate();

  // How many site lines have been parsed to produce cells.
  long long LinesParsed() const { return linesParsed_; }
  void ResetLinesParsed() { linesParsed_ = 0; }

  // Cell text (UTF-8) of row, column; empty outside the list.
  Glib::ustring Cell(int row, int column) const;

 protected:
  explicit SiteListModel(const ShownSites* lines);

  Gtk::TreeModelFlags get_flags_vfunc() const override;
  int get_n_columns_vfunc() const override;
  GType get_column_type_vfunc(int index) const override;
  void get_value_vfunc(const iterator& iter, int column, Glib::ValueBase& value) const override;
  bool iter_next_vfunc(const iterator& iter, iterator& iter_next) const override;
  bool iter_children_vfunc(const iterator& parent, iterator& iter) const override;
  bool iter_has_child_vfunc(const iterator& iter) const override;
  int iter_n_children_vfunc(const iterator& iter) const override;
  int iter_n_root_children_vfunc() const override;
  bool iter_nth_child_vfunc(const iterator& parent, int n, iterator& iter) const override;
  bool iter_nth_root_child_vfunc(int n, iterator& iter) const override;
  bool iter_parent_vfunc(const iterator& child, iterator& iter) const override;
  Path get_path_vfunc(const iterator& iter) const override;
  bool get_iter_vfunc(const Path& path, iterator& iter) const override;
  bool row_draggable_vfunc(const Path& path) const override;
  bool drag_data_get_vfunc(const Path& path, Gtk::SelectionData& data) const override;  // gives nothing
  bool drag_data_delete_vfunc(const Path& path) override;

 private:
  bool MakeIter(int row, iterator& iter) const;
  bool MakeIter(int row, GtkTreeIter* iter) const;
  int RowOf(const iterator& iter) const;  // -1 for a foreign or stale iterator
  int RowOf(const GtkTreeIter* iter) const;
  static std::vector<SiteListModel*>& Live();
  static gboolean NextRow(GtkTreeModel* model, GtkTreeIter* iter);
  const std::array<Glib::ustring, kColumns>& CellsOf(int row) const;

  std::vector<std::size_t> KeysOfLines(int count) const;
  void Changed(int row);

  const ShownSites* lines_;
  int count_ = 0;
  // A hash of each row's line as last told to the view: Follow compares
  // them with the lines to find the rows that changed.
  std::vector<std::size_t> keys_;
  int stamp_ = 1;
  mutable int cachedRow_ = -1;
  mutable std::array<Glib::ustring, kColumns> cells_;
  mutable long long linesParsed_ = 0;
};

}  // namespace morvane
