#include "catalogue/site_exchange.h"

#include <bit>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_set>

namespace morvane {
namespace {

// The sites' numbers by URL, in one flat table: looking each URL up in the
// list would be quadratic with large files, and a node per site costs an
// allocation each. The URLs are not kept: urlOf gives a number's URL.
class URLIndex {
 public:
  URLIndex(std::size_t expected, std::function<std::string_view(std::uint32_t)> urlOf)
      : slots_(std::bit_ceil(2 * expected + 16)), urlOf_(std::move(urlOf)) {}

  // The number of the site with this URL, after adding `number` for it when
  // it had none; second is true when it was added.
  std::pair<std::uint32_t, bool> FindOrAdd(std::string_view url, std::uint32_t number) {
    const std::size_t hash = std::hash<std::string_view>()(url);
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t at = hash & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
      Slot& slot = slots_[at];
      if (slot.numberAfter == 0) {
        slot = {number + 1, tag};
        return {number, true};
      }
      if (slot.tag == tag && urlOf_(slot.numberAfter - 1) == url) return {slot.numberAfter - 1, false};
    }
  }

 private:
  struct Slot {
    std::uint32_t numberAfter = 0;  // the site's number + 1; 0: free
    std::uint32_t tag = 0;          // more bits of the hash, to skip most URL compares
  };
  std::vector<Slot> slots_;  // at most half full
  std::function<std::string_view(std::uint32_t)> urlOf_;
};

}  // namespace

SiteMergeCount MergeSites(LineList& sites, CategoryTree& tree, const std::vector<SiteRecord>& incoming,
                          bool updateExisting) {
  std::vector<std::string> lines;
  lines.reserve(incoming.size());
  for (const SiteRecord& rec : incoming) lines.push_back(FormatSiteLine(rec));
  return MergeSites(sites, tree, std::move(lines), updateExisting);
}

SiteMergeCount MergeSites(LineList& sites, CategoryTree& tree, std::vector<std::string>&& incoming,
                          bool updateExisting) {
  SiteMergeCount count;
  // The list changes only after the last look-up, so the index can read the
  // URLs from the lines; an incoming site is numbered after the list's.
  const auto had = static_cast<std::uint32_t>(sites.Count());
  const std::vector<std::string>& lines = sites.Lines();
  URLIndex byURL(lines.size() + incoming.size(), [&](std::uint32_t n) {
    return SiteURLOfLine(n < had ? lines[n] : incoming[n - had]);
  });
  for (std::uint32_t i = 0; i < had; ++i) byURL.FindOrAdd(SiteURLOfLine(lines[i]), i);

  TreeEntry* const selected = tree.Selected();
  std::unordered_set<std::string> knownCategories;
  std::string lastCategory;
  // Where each incoming site goes: a list line, or -1 to be added, or -2 to be left.
  std::vector<long long> target(incoming.size(), -2);
  for (std::size_t k = 0; k < incoming.size(); ++k) {
    // Files list the sites of a category together: most sites bring the
    // category of the one before.
    const std::string_view category = SiteCategoryOfLine(incoming[k]);
    if (!category.empty() && category != lastCategory) {
      lastCategory = category;
      if (knownCategories.insert(lastCategory).second && !tree.FindByName(category)) tree.AddCategory(category);
    }
    const auto [n, isNew] = byURL.FindOrAdd(SiteURLOfLine(incoming[k]), had + static_cast<std::uint32_t>(k));
    if (isNew) {
      target[k] = -1;
      ++count.added;
    } else if (updateExisting) {
      // A URL twice in the input: the later site takes the earlier one's place.
      if (n >= had) incoming[n - had] = std::move(incoming[k]);
      else target[k] = n;
      ++count.updated;
    } else {
      ++count.skipped;
    }
  }
  for (std::size_t k = 0; k < incoming.size(); ++k)
    if (target[k] >= 0) sites.Put(target[k], std::move(incoming[k]));
  for (std::size_t k = 0; k < incoming.size(); ++k)
    if (target[k] == -1) sites.Add(std::move(incoming[k]));
  tree.Select(selected);
  return count;
}

}  // namespace morvane
