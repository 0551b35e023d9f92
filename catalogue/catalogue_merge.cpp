#include "catalogue/catalogue_merge.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "catalogue/category_tree.h"
#include "catalogue/site_record.h"
#include "util/cp932.h"

namespace morvane {
namespace {

std::uint64_t Hash(std::string_view text) { return std::hash<std::string_view>{}(text); }

// The second and later sites under one URL get keys of their own.
std::uint64_t KeyFor(std::uint64_t urlHash, std::uint64_t occurrence) {
  if (occurrence == 0) return urlHash;
  std::uint64_t k = urlHash ^ (occurrence * 0x9E3779B97F4A7C15ULL);
  k ^= k >> 33;
  k *= 0xFF51AFD7ED558CCDULL;
  k ^= k >> 33;
  return k;
}

// Key -> line index, for looking a site up on the other side.
class SiteIndex {
 public:
  explicit SiteIndex(const std::vector<MergeBase::Site>& keys) {
    byKey_.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) byKey_.push_back({keys[i].key, i});
    std::sort(byKey_.begin(), byKey_.end());
  }
  // Line index, or npos.
  std::size_t Find(std::uint64_t key) const {
    const auto it = std::lower_bound(byKey_.begin(), byKey_.end(), std::pair<std::uint64_t, std::size_t>{key, 0});
    return it != byKey_.end() && it->first == key ? it->second : std::string::npos;
  }
  const std::vector<std::pair<std::uint64_t, std::size_t>>& ByKey() const { return byKey_; }

 private:
  std::vector<std::pair<std::uint64_t, std::size_t>> byKey_;
};

// For every line of one side, its line hash in the base (nullptr: none),
// found by walking both in key order instead of searching once a line.
std::vector<const std::uint64_t*> BaseHashes(const SiteIndex& side, const std::vector<MergeBase::Site>& base) {
  std::vector<const std::uint64_t*> found(side.ByKey().size(), nullptr);
  auto b = base.begin();
  for (const auto& [key, line] : side.ByKey()) {
    while (b != base.end() && b->key < key) ++b;
    if (b != base.end() && b->key == key) found[line] = &b->lineHash;
  }
  return found;
}

// ---- sites ----

class SiteMerge {
 public:
  SiteMerge(const MergeBase& base, const std::vector<std::string>& ours, const std::vector<std::string>& theirs,
            bool theirsMayBeOlder)
      : theirsMayBeOlder_(theirsMayBeOlder),
        ours_(ours),
        theirs_(theirs),
        oursKeys_(SiteKeys(ours)),
        theirsKeys_(SiteKeys(theirs)),
        oursIndex_(oursKeys_),
        theirsIndex_(theirsKeys_),
        oursBase_(BaseHashes(oursIndex_, base.Sites())),
        theirsBase_(BaseHashes(theirsIndex_, base.Sites())),
        oursInTheirs_(ours.size(), std::string::npos),
        theirsInOurs_(theirs.size(), false) {
    const auto& o = oursIndex_.ByKey();
    const auto& t = theirsIndex_.ByKey();
    for (std::size_t a = 0, b = 0; a < o.size() && b < t.size();) {
      if (o[a].first < t[b].first) {
        ++a;
      } else if (t[b].first < o[a].first) {
        ++b;
      } else {
        oursInTheirs_[o[a++].second] = t[b].second;
        theirsInOurs_[t[b++].second] = true;
      }
    }
  }

  // Everything merged is theirs: no site of ours won over theirs or stayed
  // without theirs, and none of theirs was left out.
  bool AllTheirs() const { return allTheirs_; }

  void Run(MergedCatalogue& out) {
    out.siteLines.reserve(ours_.size() + theirs_.size() / 8);
    for (std::size_t i = 0; i < ours_.size(); ++i) MergeOurs(i, out);
    for (std::size_t j = 0; j < theirs_.size(); ++j)
      if (!theirsInOurs_[j]) MergeTheirsOnly(j, out);
  }

 private:
  void MergeOurs(std::size_t i, MergedCatalogue& out) {
    const std::uint64_t mine = oursKeys_[i].lineHash;
    const std::uint64_t* was = oursBase_[i];
    const std::size_t j = oursInTheirs_[i];
    if (j == std::string::npos) {
      if (was && *was == mine && !theirsMayBeOlder_) {  // deleted there, untouched here
        ++out.counts.deleted;
        out.differsFromOurs = true;
        return;
      }
      if (was && *was != mine) ++out.counts.conflicts;  // changed here, deleted there: the change stays
      allTheirs_ = false;
      out.siteLines.push_back(ours_[i]);
      return;
    }
    const std::uint64_t other = theirsKeys_[j].lineHash;
    if (other == mine || (was && other == *was)) {
      if (other != mine) allTheirs_ = false;
      out.siteLines.push_back(ours_[i]);
    } else if (was && mine == *was && !theirsMayBeOlder_) {
      ++out.counts.updated;
      out.differsFromOurs = true;
      out.siteLines.push_back(theirs_[j]);
    } else {
      ++out.counts.conflicts;
      out.differsFromOurs = true;
      allTheirs_ = false;
      out.siteLines.push_back(ours_[i]);
      out.siteLines.push_back(ConflictCopy(theirs_[j]));
    }
  }

  void MergeTheirsOnly(std::size_t j, MergedCatalogue& out) {
    const std::uint64_t* was = theirsBase_[j];
    if (was && *was == theirsKeys_[j].lineHash) {  // deleted here, untouched there
      allTheirs_ = false;
      return;
    }
    // New there, or changed there and deleted here: kept either way.
    ++(was ? out.counts.conflicts : out.counts.added);
    out.differsFromOurs = true;
    out.siteLines.push_back(theirs_[j]);
  }

  bool UrlTaken(const std::string& url) const {
    const std::uint64_t key = Hash(url);
    return oursIndex_.Find(key) != std::string::npos || theirsIndex_.Find(key) != std::string::npos ||
           copyUrls_.count(url) != 0;
  }

  std::string ConflictCopy(const std::string& line) {
    SiteRecord rec = SiteFromLine(line);
    rec.SiteName += ConflictMark();
    static const std::string fragment = Utf8ToCp932("#競合");
    const std::string url = rec.SiteURL + fragment;
    std::string candidate = url;
    for (int n = 2; UrlTaken(candidate); ++n) candidate = url + std::to_string(n);
    rec.SiteURL = candidate;
    copyUrls_.insert(candidate);
    return FormatSiteLine(rec);
  }

  const bool theirsMayBeOlder_;
  const std::vector<std::string>& ours_;
  const std::vector<std::string>& theirs_;
  std::vector<MergeBase::Site> oursKeys_, theirsKeys_;
  SiteIndex oursIndex_, theirsIndex_;
  std::vector<const std::uint64_t*> oursBase_, theirsBase_;
  std::vector<std::size_t> oursInTheirs_;
  std::vector<bool> theirsInOurs_;
  std::unordered_set<std::string> copyUrls_;
  bool allTheirs_ = true;
};

// ---- categories ----

struct Node {
  const TreeEntry* entry = nullptr;  // on the side it came from
  std::vector<Node*> children;
};

std::unordered_map<std::string_view, const TreeEntry*> NamesOf(const CategoryTree& tree) {
  std::unordered_map<std::string_view, const TreeEntry*> names;
  for (const TreeEntry* e : tree.PreOrder()) names.emplace(e->name, e);
  return names;
}

class TreeMerge {
 public:
  TreeMerge(std::string_view baseText, std::string_view oursText, std::string_view theirsText,
            const std::vector<std::string>& mergedSites, bool theirsMayBeOlder)
      : theirsMayBeOlder_(theirsMayBeOlder) {
    base_.FromText(baseText);
    ours_.FromText(oursText);
    theirs_.FromText(theirsText.empty() ? baseText : theirsText);
    baseNames_ = NamesOf(base_);
    oursNames_ = NamesOf(ours_);
    theirsNames_ = NamesOf(theirs_);
    for (const std::string& line : mergedSites) used_.insert(SiteCategoryOfLine(line));
  }

  std::string Run() {
    // Ours in its own order, less what theirs deleted and nobody uses; then
    // what only theirs has, each after the entry it follows there.
    // Ours' nodes are all made before theirs are looked at, so that a name
    // both have keeps ours' entry.
    const std::vector<Node*> oursRoots = OursLevel(ours_.Roots());
    const std::vector<Node*> roots = Interleave(oursRoots, TheirsLevel(theirs_.Roots()));
    std::string state, entries;
    for (const Node* n : roots) Write(n, 0, state, entries);
    return state + "\r\n" + entries;
  }

 private:
  bool Keep(const std::string& name) const {
    if (name == AllSitesEntryName() || name == UncategorisedEntryName()) return true;
    if (oursNames_.count(name) && (theirsMayBeOlder_ || theirsNames_.count(name))) return true;
    // Added on one side: kept; deleted on one side: kept while a site names it.
    return baseNames_.count(name) == 0 || used_.count(name) != 0;
  }

  // The node of an entry that stays, made once per name (from ours when ours
  // has it); nullptr for one that goes, or a later entry of a name already
  // seen on its side.
  Node* NodeOf(const TreeEntry* e, bool oursSide) {
    const auto& names = oursSide ? oursNames_ : theirsNames_;
    if (names.at(e->name) != e || !Keep(e->name)) return nullptr;
    auto [it, made] = nodes_.try_emplace(e->name);
    if (made) {
      it->second = std::make_unique<Node>();
      it->second->entry = e;
    }
    return it->second.get();
  }

  bool FromOurs(const Node* n) const {
    const auto it = oursNames_.find(n->entry->name);
    return it != oursNames_.end() && it->second == n->entry;
  }

  // One level of ours with everything under it; the kept entries under an
  // entry that goes take its place.
  std::vector<Node*> OursLevel(const std::vector<std::unique_ptr<TreeEntry>>& level) {
    std::vector<Node*> kept;
    for (const auto& e : level) {
      std::vector<Node*> under = OursLevel(e->children);
      if (Node* n = NodeOf(e.get(), true)) {
        n->children = std::move(under);
        kept.push_back(n);
      } else {
        kept.insert(kept.end(), under.begin(), under.end());
      }
    }
    return kept;
  }

  // One level of theirs as it stays, without what lies under the entries.
  std::vector<Node*> TheirsLevel(const std::vector<std::unique_ptr<TreeEntry>>& level) {
    std::vector<Node*> kept;
    for (const auto& e : level) {
      if (Node* n = NodeOf(e.get(), false)) {
        kept.push_back(n);
      } else {
        std::vector<Node*> under = TheirsLevel(e->children);
        kept.insert(kept.end(), under.begin(), under.end());
      }
    }
    return kept;
  }

  // Ours' level with theirs' own entries put after the entry both sides
  // have that they follow there (at the front when there is none), then the
  // same below every entry. Entries new on both sides after one place go in
  // name order, so that two sides merging each other's file come to one
  // order instead of writing theirs over each other's for ever.
  std::vector<Node*> Interleave(const std::vector<Node*>& ours, const std::vector<Node*>& theirs) {
    const std::unordered_set<const Node*> oursHere(ours.begin(), ours.end());
    const std::unordered_set<const Node*> theirsHere(theirs.begin(), theirs.end());
    std::unordered_map<const Node*, std::vector<Node*>> after;
    const Node* anchor = nullptr;
    for (Node* t : theirs) {
      if (oursHere.count(t)) anchor = t;
      else if (!FromOurs(t) && placed_.insert(t).second) after[anchor].push_back(t);
    }
    std::vector<Node*> level, segment;
    level.reserve(ours.size() + theirs.size());
    const auto flush = [&](const Node* shared) {
      const auto it = after.find(shared);
      if (it != after.end()) {
        segment.insert(segment.end(), it->second.begin(), it->second.end());
        std::stable_sort(segment.begin(), segment.end(),
                         [](const Node* a, const Node* b) { return a->entry->name < b->entry->name; });
      }
      level.insert(level.end(), segment.begin(), segment.end());
      segment.clear();
    };
    const Node* last = nullptr;
    for (Node* n : ours) {
      if (!theirsHere.count(n)) {
        segment.push_back(n);
        continue;
      }
      flush(last);
      level.push_back(n);
      last = n;
    }
    flush(last);
    for (Node* n : level) {
      const auto t = theirsNames_.find(n->entry->name);
      const std::vector<Node*> theirsUnder =
          t == theirsNames_.end() ? std::vector<Node*>() : TheirsLevel(t->second->children);
      n->children = Interleave(n->children, theirsUnder);
    }
    return level;
  }

  void Write(const Node* n, std::size_t depth, std::string& state, std::string& entries) {
    const TreeEntry& e = *n->entry;
    state.append(std::to_string(e.image)).push_back(' ');
    state.append(std::to_string(e.selectedImage)).push_back(' ');
    state.append(std::to_string(e.stateImage)).push_back(' ');
    entries.append(depth, '\t').append(e.name).append("\r\n");
    for (const Node* c : n->children) Write(c, depth + 1, state, entries);
  }

  const bool theirsMayBeOlder_;
  CategoryTree base_, ours_, theirs_;
  std::unordered_map<std::string_view, const TreeEntry*> baseNames_, oursNames_, theirsNames_;
  std::unordered_set<std::string_view> used_;  // into the merged lines, which stay put meanwhile
  std::unordered_map<std::string, std::unique_ptr<Node>> nodes_;
  std::unordered_set<const Node*> placed_;
};

}  // namespace

const std::string& ConflictMark() {
  static const std::string mark = Utf8ToCp932("（競合）");
  return mark;
}

bool MergeableTree(std::string_view treeText) {
  constexpr std::size_t kDeepest = 256;
  std::size_t indent = 0;
  bool atLineStart = true;
  for (const char c : treeText) {
    if (c == '\r' || c == '\n') {
      atLineStart = true;
      indent = 0;
    } else if (atLineStart && (c == '\t' || c == ' ')) {
      if (++indent > kDeepest) return false;
    } else {
      atLineStart = false;
    }
  }
  return true;
}

std::vector<MergeBase::Site> SiteKeys(const std::vector<std::string>& siteLines) {
  std::vector<std::pair<std::uint64_t, std::size_t>> byUrl;
  byUrl.reserve(siteLines.size());
  for (std::size_t i = 0; i < siteLines.size(); ++i) byUrl.push_back({Hash(SiteURLOfLine(siteLines[i])), i});
  std::sort(byUrl.begin(), byUrl.end());
  std::vector<MergeBase::Site> keys(siteLines.size());
  std::uint64_t occurrence = 0;
  for (std::size_t k = 0; k < byUrl.size(); ++k) {
    occurrence = k > 0 && byUrl[k - 1].first == byUrl[k].first ? occurrence + 1 : 0;
    const std::size_t i = byUrl[k].second;
    keys[i] = {KeyFor(byUrl[k].first, occurrence), Hash(siteLines[i])};
  }
  return keys;
}

MergeBase::MergeBase(std::string_view treeText, const std::vector<std::string>& siteLines, std::string masterBlock)
    : treeText_(treeText), masterBlock_(std::move(masterBlock)), sites_(SiteKeys(siteLines)) {
  std::sort(sites_.begin(), sites_.end(), [](const Site& a, const Site& b) { return a.key < b.key; });
  sites_.shrink_to_fit();
}

const std::uint64_t* MergeBase::FindSite(std::uint64_t key) const {
  const auto it =
      std::lower_bound(sites_.begin(), sites_.end(), key, [](const Site& s, std::uint64_t k) { return s.key < k; });
  return it != sites_.end() && it->key == key ? &it->lineHash : nullptr;
}

std::size_t MergeBase::MemoryBytes() const {
  return sizeof(*this) + sites_.capacity() * sizeof(Site) + treeText_.capacity() + masterBlock_.capacity();
}

MergedCatalogue MergeCatalogues(const MergeBase& base, const CatalogueVersion& ours, const CatalogueVersion& theirs,
                                bool theirsMayBeOlder) {
  MergedCatalogue out;
  SiteMerge sites(base, ours.siteLines, theirs.siteLines, theirsMayBeOlder);
  sites.Run(out);

  const std::string_view oursTree = ours.treeText.empty() ? std::string_view(base.TreeText()) : ours.treeText;
  const std::string_view theirsTree = theirs.treeText.empty() ? std::string_view(base.TreeText()) : theirs.treeText;
  CategoryTree baseParsed, oursParsed, theirsParsed, mergedParsed;
  baseParsed.FromText(base.TreeText());
  oursParsed.FromText(oursTree);
  theirsParsed.FromText(theirsTree);
  // A tree only theirs changed is laid out as theirs has it (a move there
  // stays); the rules of what stays are the same either way round.
  const bool theirsFirst = !theirsMayBeOlder && oursParsed.ToText() == baseParsed.ToText();
  out.treeText = TreeMerge(base.TreeText(), theirsFirst ? theirsTree : oursTree, theirsFirst ? oursTree : theirsTree,
                           out.siteLines, theirsMayBeOlder)
                     .Run();
  mergedParsed.FromText(out.treeText);
  if (oursParsed.ToText() != mergedParsed.ToText()) out.differsFromOurs = true;

  const bool oursChangedLogin =
      ours.masterBlock != base.MasterBlock() || (theirsMayBeOlder && !ours.masterBlock.empty());
  out.masterBlock = std::string(oursChangedLogin ? ours.masterBlock : theirs.masterBlock);
  if (out.masterBlock != ours.masterBlock) out.differsFromOurs = true;

  out.sameAsTheirs =
      sites.AllTheirs() && mergedParsed.ToText() == theirsParsed.ToText() && out.masterBlock == theirs.masterBlock;
  if (out.sameAsTheirs) {
    out.siteLines = theirs.siteLines;
    out.treeText = std::string(theirsTree);
    out.differsFromOurs = out.siteLines != ours.siteLines || theirsParsed.ToText() != oursParsed.ToText() ||
                          out.masterBlock != ours.masterBlock;
  }
  return out;
}

}  // namespace morvane
