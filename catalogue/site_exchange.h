#pragma once
// Taking sites from other tools into the catalogue: adding them by URL, with
// their categories, after the user has seen what will change.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/category_tree.h"
#include "catalogue/site_record.h"
#include "util/line_list.h"

namespace morvane {

// Which fields of a site line an incoming site brings: bit i for the i-th
// field of SiteRecord (name, URL, category, date, analysis URL, ID, password).
using SiteFieldSet = std::uint8_t;
inline constexpr SiteFieldSet kAllSiteFields = 0x7F;
inline constexpr SiteFieldSet SiteField(int index) { return static_cast<SiteFieldSet>(1u << index); }

struct SiteMergeCount {
  long long added = 0;
  long long updated = 0;
  long long skipped = 0;   // a URL already in the catalogue, left as it was
  long long repeated = 0;  // a URL met earlier in the same input: merged into it, or left out
};

// Adds each site, or, when updateExisting, replaces the site of the same URL
// (otherwise it is skipped). A category the tree lacks is added under the
// first entry; the tree's selection stays. Sites are as cleaned by the
// readers: one-line fields, a URL.
SiteMergeCount MergeSites(LineList& sites, CategoryTree& tree, const std::vector<SiteRecord>& incoming,
                          bool updateExisting);
// The same for sites as FormatSiteLine writes them; the lines are moved in.
// given, when not empty, holds per site the fields it brings: an updated
// site keeps the others as they were (a file without a password column
// leaves the passwords alone); an added one has them empty.
SiteMergeCount MergeSites(LineList& sites, CategoryTree& tree, std::vector<std::string>&& incoming, bool updateExisting,
                          std::vector<SiteFieldSet> given = {});
// MergeSites in two steps, so that the costly one can run off the
// catalogue's thread: Prepare only reads the site list (and none of the
// tree) and works every line out; Apply puts them in place and adds the
// categories the tree lacks. The site list must not change in between.
struct PreparedMerge {
  SiteMergeCount count;
  std::vector<std::pair<long long, std::string>> updates;  // line number, new line
  std::vector<std::string> additions;
  std::vector<std::string> categories;  // the sites' categories, each once, in the order met
};
PreparedMerge PrepareMerge(const LineList& sites, std::vector<std::string>&& incoming, bool updateExisting,
                           std::vector<SiteFieldSet> given = {});
SiteMergeCount ApplyMerge(LineList& sites, CategoryTree& tree, PreparedMerge&& merge);
// What MergeSites would do, without changing anything: for the question
// before an import.
SiteMergeCount CountMerge(const LineList& sites, const std::vector<std::string>& incoming, bool updateExisting);

}  // namespace morvane
