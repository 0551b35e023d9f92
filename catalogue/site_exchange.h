#pragma once
// Taking sites from other tools into the catalogue: adding them by URL, with
// their categories, after the user has seen what will change.
#include <string>
#include <vector>

#include "catalogue/category_tree.h"
#include "catalogue/line_list.h"
#include "catalogue/site_record.h"

namespace morvane {

struct SiteMergeCount {
  long long added = 0;
  long long updated = 0;
  long long skipped = 0;  // a URL already there (or twice in the input), left as it was
};

// Adds each site, or, when updateExisting, replaces the site of the same URL
// (otherwise it is skipped). A category the tree lacks is added under the
// first entry; the tree's selection stays. Sites are as cleaned by the
// readers: one-line fields, a URL.
SiteMergeCount MergeSites(LineList& sites, CategoryTree& tree, const std::vector<SiteRecord>& incoming,
                          bool updateExisting);
// The same for sites as FormatSiteLine writes them; the lines are moved in.
SiteMergeCount MergeSites(LineList& sites, CategoryTree& tree, std::vector<std::string>&& incoming,
                          bool updateExisting);

}  // namespace morvane
