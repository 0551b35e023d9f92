#include "app/site_list_model.h"

#include <algorithm>
#include <cstdlib>

#include "catalogue/site_record.h"
#include "util/cp932.h"

namespace morvane {
namespace {

Gtk::TreeModel::Path RowPath(int row) {
  Gtk::TreeModel::Path path;
  path.push_back(row);
  return path;
}

}  // namespace

Glib::RefPtr<SiteListModel> SiteListModel::create(const ShownSites* lines, const CatalogueEvents* events) {
  return Glib::RefPtr<SiteListModel>(new SiteListModel(lines, events));
}

SiteListModel::SiteListModel(const ShownSites* lines, const CatalogueEvents* events)
    : Glib::ObjectBase(typeid(SiteListModel)), Gtk::TreeModel(), Gtk::TreeDragSource(), Glib::Object(), lines_(lines) {
  Live().push_back(this);
  if (lines_) sitesRevision_ = lines_->Sites().Revision();
  if (events && lines_)
    sitesChanged_ = events->sitesChanged.Subscribe([this](const SitesChange& change) { SitesChanged(change); });
  // The view calls these once per row whenever it takes the model on: with
  // a million rows the way through the C++ wrappers (a look-up of the
  // wrapper object per call) cost half a second. Nothing is kept per row,
  // so there is nothing to reference; the next row is found directly.
  auto* iface = static_cast<GtkTreeModelIface*>(
      g_type_interface_peek(G_OBJECT_GET_CLASS(Glib::Object::gobj()), GTK_TYPE_TREE_MODEL));
  iface->ref_node = nullptr;
  iface->unref_node = nullptr;
  iface->iter_next = &SiteListModel::NextRow;
}

SiteListModel::~SiteListModel() { std::erase(Live(), this); }

std::vector<SiteListModel*>& SiteListModel::Live() {
  static std::vector<SiteListModel*> models;
  return models;
}

gboolean SiteListModel::NextRow(GtkTreeModel* model, GtkTreeIter* iter) {
  for (const SiteListModel* self : Live()) {
    if (GTK_TREE_MODEL(self->Glib::Object::gobj()) != model) continue;
    const int row = self->RowOf(iter);
    return self->MakeIter(row < 0 ? -1 : row + 1, iter);
  }
  iter->stamp = 0;
  return FALSE;
}

std::vector<std::uint32_t> SiteListModel::ShownLines() const {
  // Rows chosen before the site list last changed name no line.
  if (!lines_) return {};
  if (!lines_->Current()) return std::vector<std::uint32_t>(lines_->Rows().size(), kStale);
  return lines_->Rows();
}

void SiteListModel::SitesChanged(const SitesChange& change) {
  using Kind = SitesChange::Kind;
  const auto first = static_cast<std::uint32_t>(change.first);
  const auto count = static_cast<std::uint32_t>(change.count);
  switch (change.kind) {
    case Kind::Changed:
      // Marked at once only when cheap: a merge tells of thousands one by one.
      for (std::uint32_t line = first; line < first + count; ++line) changedLines_.push_back(line);
      break;
    case Kind::Added:
      MarkChangedLines();
      for (std::uint32_t& line : told_)
        if (line != kStale && line >= first) line += count;
      break;
    case Kind::Removed:
      MarkChangedLines();
      for (std::uint32_t& line : told_)
        if (line != kStale && line >= first) line = line < first + count ? kStale : line - count;
      break;
    case Kind::Replaced:
      changedLines_.clear();
      std::fill(told_.begin(), told_.end(), kStale);
      break;
  }
  sitesRevision_ = lines_->Sites().Revision();
}

void SiteListModel::MarkChangedLines() {
  if (changedLines_.empty()) return;
  std::sort(changedLines_.begin(), changedLines_.end());
  for (std::uint32_t& line : told_)
    if (line != kStale && std::binary_search(changedLines_.begin(), changedLines_.end(), line)) line = kStale;
  changedLines_.clear();
}

bool SiteListModel::Follow(int limit) {
  // So many rows came or went that the limit is passed whatever changed:
  // no need to hash every line (a million of them at a start) to say so.
  if (std::abs(LineCount() - count_) > limit) return false;
  MarkChangedLines();
  if (lines_ && lines_->Sites().Revision() != sitesRevision_) {
    // Changed past the announcements: any row may show another site.
    std::fill(told_.begin(), told_.end(), kStale);
    sitesRevision_ = lines_->Sites().Revision();
  }
  std::vector<std::uint32_t> shown = ShownLines();
  const auto same = [](std::uint32_t told, std::uint32_t now) { return told != kStale && told == now; };
  const int oldCount = count_, newCount = static_cast<int>(shown.size());
  const int shorter = std::min(oldCount, newCount);
  int head = 0;
  while (head < shorter && same(told_[head], shown[head])) ++head;
  int tail = 0;
  while (tail < shorter - head && same(told_[oldCount - 1 - tail], shown[newCount - 1 - tail])) ++tail;
  const int oldMiddle = oldCount - head - tail, newMiddle = newCount - head - tail;
  const int renumbered = oldCount == newCount ? 0 : tail;
  if (std::max(oldMiddle, newMiddle) + renumbered > limit) return false;

  Invalidate();
  told_ = std::move(shown);
  const int rewritten = std::min(oldMiddle, newMiddle);
  for (int row = head; row < head + rewritten; ++row) Changed(row);
  const int at = head + rewritten;
  for (int i = newMiddle; i < oldMiddle; ++i) {
    --count_;
    row_deleted(RowPath(at));
  }
  for (int row = at; row < head + newMiddle; ++row) {
    ++count_;
    iterator iter;
    MakeIter(row, iter);
    row_inserted(RowPath(row), iter);
  }
  for (int row = head + newMiddle; row < head + newMiddle + renumbered; ++row) Changed(row);
  return true;
}

void SiteListModel::Changed(int row) {
  iterator iter;
  MakeIter(row, iter);
  row_changed(RowPath(row), iter);
}

void SiteListModel::SetCountDetached(int count) {
  count_ = count < 0 ? 0 : count;
  changedLines_.clear();
  told_ = ShownLines();
  told_.resize(static_cast<std::size_t>(count_), kStale);
  if (lines_) sitesRevision_ = lines_->Sites().Revision();
  ++stamp_;
  Invalidate();
}

void SiteListModel::Invalidate() { cachedRow_ = -1; }

const std::array<Glib::ustring, SiteListModel::kColumns>& SiteListModel::CellsOf(int row) const {
  // Rows that no longer name their sites show nothing until the list is rebuilt.
  const std::string* line = lines_ ? lines_->Find(row) : nullptr;
  if (!line) {
    cachedRow_ = -1;
    cells_.fill({});
  } else if (row != cachedRow_) {
    cachedRow_ = row;
    ++linesParsed_;
    const auto cells = SiteRowCells(*line, row);
    for (int c = 0; c < kColumns; ++c) cells_[c] = Cp932ToUtf8(cells[c]);
  }
  return cells_;
}

Glib::ustring SiteListModel::Cell(int row, int column) const {
  if (column < 0 || column >= kColumns) return {};
  return CellsOf(row)[column];
}

Gtk::TreeModelFlags SiteListModel::get_flags_vfunc() const {
  // An iterator names a place: after rows went or came it names another site.
  return Gtk::TREE_MODEL_LIST_ONLY;
}

int SiteListModel::get_n_columns_vfunc() const { return kColumns; }

GType SiteListModel::get_column_type_vfunc(int) const { return G_TYPE_STRING; }

void SiteListModel::get_value_vfunc(const iterator& iter, int column, Glib::ValueBase& value) const {
  value.init(G_TYPE_STRING);
  const int row = RowOf(iter);
  if (row < 0 || column < 0 || column >= kColumns) return;
  g_value_set_string(value.gobj(), CellsOf(row)[column].c_str());
}

bool SiteListModel::MakeIter(int row, iterator& iter) const { return MakeIter(row, iter.gobj()); }

bool SiteListModel::MakeIter(int row, GtkTreeIter* it) const {
  if (row < 0 || row >= count_) {
    it->stamp = 0;
    return false;
  }
  it->stamp = stamp_;
  it->user_data = GINT_TO_POINTER(row);
  it->user_data2 = nullptr;
  it->user_data3 = nullptr;
  return true;
}

int SiteListModel::RowOf(const iterator& iter) const { return RowOf(iter.gobj()); }

int SiteListModel::RowOf(const GtkTreeIter* it) const {
  if (!it || it->stamp != stamp_) return -1;
  const int row = GPOINTER_TO_INT(it->user_data);
  return row < count_ ? row : -1;
}

bool SiteListModel::iter_next_vfunc(const iterator& iter, iterator& iter_next) const {
  const int row = RowOf(iter);
  return MakeIter(row < 0 ? -1 : row + 1, iter_next);
}

bool SiteListModel::iter_children_vfunc(const iterator&, iterator& iter) const { return MakeIter(-1, iter); }

bool SiteListModel::iter_has_child_vfunc(const iterator&) const { return false; }

int SiteListModel::iter_n_children_vfunc(const iterator&) const { return 0; }

int SiteListModel::iter_n_root_children_vfunc() const { return count_; }

bool SiteListModel::iter_nth_child_vfunc(const iterator&, int, iterator& iter) const { return MakeIter(-1, iter); }

bool SiteListModel::iter_nth_root_child_vfunc(int n, iterator& iter) const { return MakeIter(n, iter); }

bool SiteListModel::iter_parent_vfunc(const iterator&, iterator& iter) const { return MakeIter(-1, iter); }

Gtk::TreeModel::Path SiteListModel::get_path_vfunc(const iterator& iter) const {
  const int row = RowOf(iter);
  return row < 0 ? Path() : RowPath(row);
}

bool SiteListModel::get_iter_vfunc(const Path& path, iterator& iter) const {
  if (path.size() != 1) return MakeIter(-1, iter);
  return MakeIter(path[0], iter);
}

bool SiteListModel::row_draggable_vfunc(const Path& path) const {
  return path.size() == 1 && path[0] >= 0 && path[0] < count_;
}

bool SiteListModel::drag_data_get_vfunc(const Path&, Gtk::SelectionData&) const { return false; }

// A dropped site changes its category; the row is never taken out here.
bool SiteListModel::drag_data_delete_vfunc(const Path&) { return false; }

}  // namespace morvane
