#pragma once
// What may be dropped on the category tree, and what a dropped site becomes.
#include <string_view>

#include "catalogue/category_tree.h"
#include "catalogue/shown_sites.h"
#include "util/line_list.h"

namespace morvane {

enum class DragSource { Other, CategoryTree, SiteList };

// A category may go beside any entry but never into itself; the system
// entries never move. A site may go to any entry but "すべてのサイト".
bool CategoryDropAccepted(const CategoryTree& tree, DragSource source, const TreeEntry* dragged,
                          const TreeEntry* target);

// The site of row shownRow of the shown list takes the category the target
// entry stands for, in its place in the site list. False when there is no
// such row or no target.
bool DropSiteOnEntry(LineList& sites, const ShownSites& shown, long long shownRow, const TreeEntry* target);

}  // namespace morvane
