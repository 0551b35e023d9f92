#include "catalogue/site_exchange.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace morvane {

SiteMergeCount MergeSites(LineList& sites, CategoryTree& tree, const std::vector<SiteRecord>& incoming,
                          bool updateExisting) {
  SiteMergeCount count;
  // Looking each URL up in the list would be quadratic with large files.
  std::unordered_map<std::string, long long> byURL;
  byURL.reserve(static_cast<std::size_t>(sites.Count()) + incoming.size());
  for (long long i = 0; i < sites.Count(); ++i) byURL.emplace(std::string(SiteURLOfLine(sites.Get(i))), i);

  TreeEntry* const selected = tree.Selected();
  std::unordered_set<std::string> knownCategories;
  for (const SiteRecord& rec : incoming) {
    if (!rec.Category.empty() && knownCategories.insert(rec.Category).second && !tree.FindByName(rec.Category))
      tree.AddCategory(rec.Category);
    const auto [it, isNew] = byURL.emplace(rec.SiteURL, sites.Count());
    if (isNew) {
      sites.Add(FormatSiteLine(rec));
      ++count.added;
    } else if (updateExisting) {
      sites.Put(it->second, FormatSiteLine(rec));
      ++count.updated;
    } else {
      ++count.skipped;
    }
  }
  tree.Select(selected);
  return count;
}

}  // namespace morvane
