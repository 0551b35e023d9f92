#include "catalogue/category_tree.h"

#include <algorithm>
#include <charconv>

#include "catalogue/site_record.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

constexpr int kCategoryImage = 5;
constexpr int kCategorySelectedImage = 0;

std::vector<std::unique_ptr<TreeEntry>>& SiblingsOf(TreeEntry* e, std::vector<std::unique_ptr<TreeEntry>>& roots) {
  return e->parent ? e->parent->children : roots;
}

std::size_t IndexAmongSiblings(const TreeEntry* e, const std::vector<std::unique_ptr<TreeEntry>>& siblings) {
  for (std::size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == e) return i;
  return siblings.size();
}

void CollectPreOrder(const std::vector<std::unique_ptr<TreeEntry>>& level, std::vector<TreeEntry*>& out) {
  for (const auto& e : level) {
    out.push_back(e.get());
    CollectPreOrder(e->children, out);
  }
}

bool IsUnder(const TreeEntry* e, const TreeEntry* ancestor) {
  for (; e; e = e->parent)
    if (e == ancestor) return true;
  return false;
}

// A whole number, or -1 for anything else (an empty token included).
int WholeNumberOr(std::string_view token, int fallback) {
  int value = 0;
  const char* first = token.data();
  const char* last = first + token.size();
  if (first != last && *first == '+') ++first;
  auto [end, ec] = std::from_chars(first, last, value);
  return (token.empty() || ec != std::errc() || end != last) ? fallback : value;
}

}  // namespace

CategoryTree::CategoryTree() {
  auto all = std::make_unique<TreeEntry>();
  all->name = AllSitesEntryName();
  all->image = 6;
  all->selectedImage = 7;
  roots_.push_back(std::move(all));
  TreeEntry* uncategorised = AddChild(FirstRoot(), UncategorisedEntryName(), 0);
  uncategorised->image = kCategoryImage;
  uncategorised->selectedImage = kCategorySelectedImage;
  selected_ = FirstRoot();
}

CategoryTree::CategoryTree(CategoryTree&& other) noexcept
    : roots_(std::move(other.roots_)),
      selected_(other.selected_),
      byName_(std::move(other.byName_)),
      byNameStale_(other.byNameStale_) {
  other.selected_ = nullptr;
  other.byName_.clear();
  other.byNameStale_ = true;
}

CategoryTree& CategoryTree::operator=(CategoryTree&& other) noexcept {
  roots_ = std::move(other.roots_);
  selected_ = other.selected_;
  byName_ = std::move(other.byName_);
  byNameStale_ = other.byNameStale_;
  other.selected_ = nullptr;
  other.byName_.clear();
  other.byNameStale_ = true;
  return *this;
}

bool CategoryTree::IsSystemEntry(const TreeEntry* e) const {
  return e && (e->name == AllSitesEntryName() || e->name == UncategorisedEntryName());
}

std::vector<TreeEntry*> CategoryTree::PreOrder() const {
  std::vector<TreeEntry*> out;
  CollectPreOrder(roots_, out);
  return out;
}

std::vector<int> CategoryTree::PathOf(const TreeEntry* e) const {
  std::vector<int> path;
  for (; e; e = e->parent) {
    const auto& siblings = e->parent ? e->parent->children : roots_;
    path.insert(path.begin(), static_cast<int>(IndexAmongSiblings(e, siblings)));
  }
  return path;
}

TreeEntry* CategoryTree::EntryAt(const std::vector<int>& path) const {
  const std::vector<std::unique_ptr<TreeEntry>>* level = &roots_;
  TreeEntry* e = nullptr;
  for (int i : path) {
    if (i < 0 || static_cast<std::size_t>(i) >= level->size()) return nullptr;
    e = (*level)[i].get();
    level = &e->children;
  }
  return e;
}

TreeEntry* CategoryTree::FindByName(std::string_view name) const {
  if (byNameStale_) {
    byName_.clear();
    // The names live in the entries, which the index never outlives.
    for (TreeEntry* e : PreOrder()) byName_.emplace(e->name, e);
    byNameStale_ = false;
  }
  const auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second;
}

std::string CategoryTree::CategoryListText() const {
  std::string text;
  for (const TreeEntry* e : PreOrder())
    if (!IsSystemEntry(e)) text.append(e->name).append("\r\n");
  return text;
}

TreeEntry* CategoryTree::AddChild(TreeEntry* parent, std::string name, std::size_t at) {
  auto entry = std::make_unique<TreeEntry>();
  entry->name = std::move(name);
  entry->parent = parent;
  TreeEntry* raw = entry.get();
  auto& siblings = parent ? parent->children : roots_;
  siblings.insert(siblings.begin() + static_cast<long>(std::min(at, siblings.size())), std::move(entry));
  // A name of its own is first wherever it stands; a second entry of a name
  // may come before the first.
  if (!byNameStale_ && !byName_.emplace(raw->name, raw).second) byNameStale_ = true;
  return raw;
}

std::unique_ptr<TreeEntry> CategoryTree::Detach(TreeEntry* e) {
  auto& siblings = SiblingsOf(e, roots_);
  const std::size_t i = IndexAmongSiblings(e, siblings);
  std::unique_ptr<TreeEntry> owned = std::move(siblings[i]);
  siblings.erase(siblings.begin() + static_cast<long>(i));
  if (selected_ && IsUnder(selected_, e)) selected_ = nullptr;
  byNameStale_ = true;
  return owned;
}

AddCategoryResult CategoryTree::AddCategory(std::string_view typed, TreeEntry** added) {
  // Tabs and line breaks go before the trim: any left in a name would split
  // its line in the text form, and a space they uncover would read as depth.
  // A NUL byte would end the data file's text on reading.
  std::string name(typed);
  std::erase_if(name, [](char c) { return c == '\t' || c == '\r' || c == '\n' || c == '\0'; });
  name = TrimSpaces(name);
  if (name.empty()) return AddCategoryResult::Empty;
  if (FindByName(name)) return AddCategoryResult::Duplicate;
  TreeEntry* root = FirstRoot();
  TreeEntry* entry = AddChild(root, name, root ? root->children.size() : roots_.size());
  entry->image = kCategoryImage;
  entry->selectedImage = kCategorySelectedImage;
  selected_ = entry;
  if (added) *added = entry;
  return AddCategoryResult::Added;
}

DeleteCategoryResult CategoryTree::CheckDeletable(const TreeEntry* selected) const {
  if (!selected) return DeleteCategoryResult::NothingSelected;
  if (IsSystemEntry(selected)) return DeleteCategoryResult::SystemEntry;
  return DeleteCategoryResult::Deleted;
}

DeleteCategoryResult CategoryTree::DeleteCategory(TreeEntry* selected, LineList& sites) {
  const DeleteCategoryResult check = CheckDeletable(selected);
  if (check != DeleteCategoryResult::Deleted) return check;
  const std::string name = selected->name;
  const auto& siblings = SiblingsOf(selected, roots_);
  const std::size_t i = IndexAmongSiblings(selected, siblings);
  TreeEntry* successor = i + 1 < siblings.size() ? siblings[i + 1].get()
                         : i > 0                 ? siblings[i - 1].get()
                                                 : selected->parent;
  const bool selectionGoes = selected_ && IsUnder(selected_, selected);
  Detach(selected);
  if (selectionGoes) selected_ = successor;
  UncategoriseSites(sites, name);
  return DeleteCategoryResult::Deleted;
}

bool CategoryTree::MoveCategory(TreeEntry* dragged, TreeEntry* target) {
  if (!dragged || !target || IsSystemEntry(dragged) || IsUnder(target, dragged)) return false;
  const std::string name = dragged->name;
  Detach(dragged);

  TreeEntry* root = FirstRoot();
  TreeEntry* parent = root;
  std::size_t at = root ? root->children.size() : roots_.size();
  if (target->name != AllSitesEntryName()) {
    // The place is just before the target's successor in pre-order.
    TreeEntry* successor = nullptr;
    if (!target->children.empty()) {
      successor = target->children.front().get();
    } else {
      for (TreeEntry* e = target; e && !successor; e = e->parent) {
        auto& siblings = SiblingsOf(e, roots_);
        const std::size_t i = IndexAmongSiblings(e, siblings);
        if (i + 1 < siblings.size()) successor = siblings[i + 1].get();
      }
    }
    if (successor) {
      parent = successor->parent;
      at = IndexAmongSiblings(successor, SiblingsOf(successor, roots_));
    }
  }
  TreeEntry* moved = AddChild(parent, name, at);
  moved->image = kCategoryImage;
  moved->selectedImage = kCategorySelectedImage;
  selected_ = moved;
  return true;
}

std::string CategoryTree::ToText() const {
  std::string state;
  std::string entries;
  for (const TreeEntry* e : PreOrder()) {
    state.append(std::to_string(e->image)).push_back(' ');
    state.append(std::to_string(e->selectedImage)).push_back(' ');
    state.append(std::to_string(e->stateImage)).push_back(' ');
    for (const TreeEntry* p = e->parent; p; p = p->parent) entries.push_back('\t');
    entries.append(e->name).append("\r\n");
  }
  return state + "\r\n" + entries;
}

bool CategoryTree::FromText(std::string_view text) {
  if (text.empty()) return true;
  LineList lines;
  lines.SetText(text);
  roots_.clear();
  selected_ = nullptr;
  byName_.clear();
  byNameStale_ = true;
  if (lines.Count() == 0) return true;

  // A line's indent is compared with the depth of the entry before it (a
  // root has depth 0). A line more than one level deeper is an error, but it
  // is read one level under that entry, so no name is lost.
  bool ok = true;
  TreeEntry* previous = nullptr;
  std::size_t previousDepth = 0;
  for (long long i = 1; i < lines.Count(); ++i) {
    const std::string& line = lines.Get(i);
    const std::size_t indent = std::min(line.find_first_not_of("\t "), line.size());
    TreeEntry* parent = nullptr;
    std::size_t depth = 0;
    if (previous) {
      if (indent > previousDepth + 1) ok = false;
      if (indent > previousDepth) {
        parent = previous;
        depth = previousDepth + 1;
      } else {
        // Beside the ancestor of the previous entry that has the line's depth.
        TreeEntry* beside = previous;
        for (depth = previousDepth; depth > indent; --depth) beside = beside->parent;
        parent = beside->parent;
      }
    }
    const std::size_t end = parent ? parent->children.size() : roots_.size();
    previous = AddChild(parent, line.substr(indent), end);
    previousDepth = depth;
  }

  std::string_view state = lines.Get(0);
  for (TreeEntry* e : PreOrder()) {
    if (state.empty()) break;
    e->image = WholeNumberOr(CutToken(state, " "), -1);
    e->selectedImage = WholeNumberOr(CutToken(state, " "), -1);
    e->stateImage = WholeNumberOr(CutToken(state, " "), -1);
  }
  selected_ = FirstRoot();
  return ok;
}

}  // namespace morvane
