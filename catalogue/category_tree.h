#pragma once
// The category tree: names with display images, two system entries and the
// user's categories; its text form is what the site data file stores.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "util/line_list.h"

namespace morvane {

struct TreeEntry {
  std::string name;  // CP932
  int image = 0;
  int selectedImage = 0;
  int stateImage = -1;
  TreeEntry* parent = nullptr;
  std::vector<std::unique_ptr<TreeEntry>> children;
};

enum class AddCategoryResult { Added, Empty, Duplicate };
enum class DeleteCategoryResult { NothingSelected, SystemEntry, Deleted };

class CategoryTree {
 public:
  CategoryTree();  // the designed tree: "すべてのサイト" with "未分類" under it
  // The index refers to the entries: a move takes them along, a copy would not.
  CategoryTree(CategoryTree&& other) noexcept;
  CategoryTree& operator=(CategoryTree&& other) noexcept;

  const std::vector<std::unique_ptr<TreeEntry>>& Roots() const { return roots_; }
  TreeEntry* FirstRoot() const { return roots_.empty() ? nullptr : roots_.front().get(); }
  bool IsSystemEntry(const TreeEntry* e) const;

  TreeEntry* Selected() const { return selected_; }
  void Select(TreeEntry* e) { selected_ = e; }

  // Every entry in pre-order.
  std::vector<TreeEntry*> PreOrder() const;
  // Index path from the roots (as a tree view addresses rows) and back.
  std::vector<int> PathOf(const TreeEntry* e) const;
  TreeEntry* EntryAt(const std::vector<int>& path) const;
  // The first entry of that name in pre-order, looked up in an index: with
  // thousands of categories an import or a start looks up every one.
  TreeEntry* FindByName(std::string_view name) const;

  std::string CategoryListText() const;

  // The new entry becomes the selected one.
  AddCategoryResult AddCategory(std::string_view typed, TreeEntry** added = nullptr);
  // Deleted when the entry may be deleted, else the refusal.
  DeleteCategoryResult CheckDeletable(const TreeEntry* selected) const;
  // Removes the entry and everything under it, then uncategorises the sites
  // that named the removed entry. A selection inside it moves on as a tree
  // control's does: to the next sibling, else the one before, else the parent.
  DeleteCategoryResult DeleteCategory(TreeEntry* selected, LineList& sites);
  // Moves a user category beside the drop target. A drop onto a system entry
  // being dragged, onto itself or onto an entry under it is no move: false.
  bool MoveCategory(TreeEntry* dragged, TreeEntry* target);

  std::string ToText() const;
  // Replaces the tree by the text form; false when an entry line is two or
  // more levels deeper than the one before it (entries read so far remain).
  bool FromText(std::string_view text);

 private:
  TreeEntry* AddChild(TreeEntry* parent, std::string name, std::size_t at);
  std::unique_ptr<TreeEntry> Detach(TreeEntry* e);

  std::vector<std::unique_ptr<TreeEntry>> roots_;
  TreeEntry* selected_ = nullptr;

  // Name -> first entry of that name in pre-order. Kept up to date as a new
  // name is added; anything that could change which entry comes first (a
  // removal, a move, a name added twice, a new text) has it built again at
  // the next look-up, in one pass.
  mutable std::unordered_map<std::string_view, TreeEntry*> byName_;
  mutable bool byNameStale_ = true;
};

}  // namespace morvane
