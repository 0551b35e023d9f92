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
#include <cstdint>
#include <vector>

#include "catalogue/catalogue_events.h"
#include "catalogue/shown_sites.h"

namespace morvane {

// The interfaces come first so that they are added before GLib creates the
// class. Rows can be dragged (onto the category tree); the drop target asks
// the view for the selected row, so the drag carries no data of its own.
class SiteListModel final : public Gtk::TreeModel, public Gtk::TreeDragSource, public Glib::Object {
 public:
  static constexpr int kColumns = 8;

  // The model follows the site lines through events' announcements; without
  // them (or for a change made past them) every row counts as changed.
  static Glib::RefPtr<SiteListModel> create(const ShownSites* lines, const CatalogueEvents* events = nullptr);
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
  SiteListModel(const ShownSites* lines, const CatalogueEvents* events);

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

  // The site line of each shown row, kStale for one that may show another
  // text than the view was told.
  std::vector<std::uint32_t> ShownLines() const;
  void Changed(int row);
  // Moves the rows as told along with the site lines they show.
  void SitesChanged(const SitesChange& change);
  void MarkChangedLines();

  const ShownSites* lines_;
  int count_ = 0;
  static constexpr std::uint32_t kStale = UINT32_MAX;
  // The site line of each row as last told to the view, moved along as lines
  // came and went since: Follow compares them with the rows now shown.
  std::vector<std::uint32_t> told_;
  // Lines announced changed, not yet marked stale in told_.
  std::vector<std::uint32_t> changedLines_;
  // The site list's revision once the last announcement was taken in: another
  // one means a change nobody announced.
  std::uint64_t sitesRevision_ = 0;
  AnnouncementConnection sitesChanged_;
  int stamp_ = 1;
  mutable int cachedRow_ = -1;
  mutable std::array<Glib::ustring, kColumns> cells_;
  mutable long long linesParsed_ = 0;
};

}  // namespace morvane
