#include "catalogue/site_exchange.h"

#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_set>

#include "util/text_routines.h"

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

// What becomes of each incoming site: a list line to update, or one of these.
constexpr long long kAdd = -1;
constexpr long long kLeave = -2;
// Below kLeave: merged into the earlier incoming site kIntoEarlier - target.
constexpr long long kIntoEarlier = -3;

struct MergePlan {
  SiteMergeCount count;
  std::vector<long long> target;
};

MergePlan PlanMerge(const LineList& sites, const std::vector<std::string>& incoming, bool updateExisting) {
  MergePlan plan;
  // The list and the input do not change while planning, so the index can
  // read the URLs from the lines; an incoming site is numbered after the list's.
  const auto had = static_cast<std::uint32_t>(sites.Count());
  const std::vector<std::string>& lines = sites.Lines();
  URLIndex byURL(lines.size() + incoming.size(),
                 [&](std::uint32_t n) { return SiteURLOfLine(n < had ? lines[n] : incoming[n - had]); });
  for (std::uint32_t i = 0; i < had; ++i) byURL.FindOrAdd(SiteURLOfLine(lines[i]), i);
  std::vector<bool> updatedAlready(had);
  plan.target.assign(incoming.size(), kLeave);
  for (std::size_t k = 0; k < incoming.size(); ++k) {
    const auto [n, isNew] = byURL.FindOrAdd(SiteURLOfLine(incoming[k]), had + static_cast<std::uint32_t>(k));
    long long& target = plan.target[k];
    if (isNew) {
      target = kAdd;
      ++plan.count.added;
    } else if (n >= had) {
      // A URL twice among the new sites: one site, the later row's fields over the earlier's.
      ++plan.count.repeated;
      if (updateExisting) target = kIntoEarlier - static_cast<long long>(n - had);
    } else if (!updateExisting) {
      ++plan.count.skipped;
    } else {
      target = n;
      if (updatedAlready[n]) {
        ++plan.count.repeated;
      } else {
        updatedAlready[n] = true;
        ++plan.count.updated;
      }
    }
  }
  return plan;
}

std::array<std::string_view, 7> SiteLineFields(std::string_view line) {
  std::array<std::string_view, 7> fields;
  for (std::string_view& field : fields) field = CutToken(line, "\t");
  return fields;
}

// The old line with the given fields of the new one; the password stays
// scrambled either way.
std::string OverlayFields(std::string_view old, std::string&& incoming, SiteFieldSet given) {
  if ((given & kAllSiteFields) == kAllSiteFields) return std::move(incoming);
  const std::array<std::string_view, 7> was = SiteLineFields(old), comes = SiteLineFields(incoming);
  std::string line;
  line.reserve(old.size() + incoming.size());
  for (int i = 0; i < 7; ++i) {
    if (i) line.push_back('\t');
    line.append((given & SiteField(i)) ? comes[i] : was[i]);
  }
  return line;
}

}  // namespace

SiteMergeCount CountMerge(const LineList& sites, const std::vector<std::string>& incoming, bool updateExisting) {
  return PlanMerge(sites, incoming, updateExisting).count;
}

SiteMergeCount MergeSites(LineList& sites, CategoryTree& tree, const std::vector<SiteRecord>& incoming,
                          bool updateExisting) {
  std::vector<std::string> lines;
  lines.reserve(incoming.size());
  for (const SiteRecord& rec : incoming) lines.push_back(FormatSiteLine(rec));
  return MergeSites(sites, tree, std::move(lines), updateExisting);
}

SiteMergeCount MergeSites(LineList& sites, CategoryTree& tree, std::vector<std::string>&& incoming, bool updateExisting,
                          std::vector<SiteFieldSet> given) {
  return ApplyMerge(sites, tree, PrepareMerge(sites, std::move(incoming), updateExisting, std::move(given)));
}

PreparedMerge PrepareMerge(const LineList& sites, std::vector<std::string>&& incoming, bool updateExisting,
                           std::vector<SiteFieldSet> given) {
  const MergePlan plan = PlanMerge(sites, incoming, updateExisting);
  PreparedMerge merge;
  merge.count = plan.count;
  given.resize(incoming.size(), kAllSiteFields);
  // Later rows of a URL go into its first row, in the file's order.
  for (std::size_t k = 0; k < incoming.size(); ++k) {
    if (plan.target[k] > kIntoEarlier) continue;
    const auto first = static_cast<std::size_t>(kIntoEarlier - plan.target[k]);
    incoming[first] = OverlayFields(incoming[first], std::move(incoming[k]), given[k]);
    given[first] |= given[k];
  }

  std::unordered_set<std::string> knownCategories;
  std::string lastCategory;
  for (std::size_t k = 0; k < incoming.size(); ++k) {
    if (plan.target[k] != kAdd && plan.target[k] < 0) continue;
    if (!(given[k] & SiteField(2))) continue;  // an updated site keeps its category
    // Files list the sites of a category together: most sites bring the
    // category of the one before.
    const std::string_view category = SiteCategoryOfLine(incoming[k]);
    if (!category.empty() && category != lastCategory) {
      lastCategory = category;
      if (knownCategories.insert(lastCategory).second) merge.categories.push_back(lastCategory);
    }
  }
  // A site updated twice takes the second over the first, as two puts would.
  std::vector<std::uint32_t> updateOf(static_cast<std::size_t>(sites.Count()), 0);  // index in updates + 1
  for (std::size_t k = 0; k < incoming.size(); ++k) {
    const long long n = plan.target[k];
    if (n < 0) continue;
    std::uint32_t& slot = updateOf[static_cast<std::size_t>(n)];
    if (slot == 0) {
      merge.updates.emplace_back(
          n, OverlayFields(sites.Lines()[static_cast<std::size_t>(n)], std::move(incoming[k]), given[k]));
      slot = static_cast<std::uint32_t>(merge.updates.size());
    } else {
      std::string& line = merge.updates[slot - 1].second;
      line = OverlayFields(line, std::move(incoming[k]), given[k]);
    }
  }
  for (std::size_t k = 0; k < incoming.size(); ++k)
    if (plan.target[k] == kAdd) merge.additions.push_back(std::move(incoming[k]));
  return merge;
}

SiteMergeCount ApplyMerge(LineList& sites, CategoryTree& tree, PreparedMerge&& merge) {
  TreeEntry* const selected = tree.Selected();
  for (const std::string& category : merge.categories)
    if (!tree.FindByName(category)) tree.AddCategory(category);
  for (auto& [n, line] : merge.updates) sites.Put(n, std::move(line));
  for (std::string& line : merge.additions) sites.Add(std::move(line));
  tree.Select(selected);
  return merge.count;
}

}  // namespace morvane
