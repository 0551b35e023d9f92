#pragma once
// Merging two versions of one catalogue that both started from a common one:
// the catalogue in memory ("ours") and the data file as another program or
// PC left it ("theirs"). Sites are matched by URL, categories by name, and
// where both sides changed the same thing differently ours wins and theirs is
// kept beside it, so that nothing either side did is lost.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "util/line_list.h"

namespace morvane {

// The mark put after the name of a site kept from the other side of a
// conflict (CP932).
const std::string& ConflictMark();  // "（競合）"

// The version both sides started from, kept small: the tree text whole, the
// master login block, and for every site only a key for its URL and a hash of
// its line (16 bytes a site, whatever the line holds).
class MergeBase {
 public:
  MergeBase() = default;
  MergeBase(std::string_view treeText, const std::vector<std::string>& siteLines, std::string masterBlock);

  const std::string& TreeText() const { return treeText_; }
  const std::string& MasterBlock() const { return masterBlock_; }
  // The line hash of the site under key, or nullptr when the base had none.
  const std::uint64_t* FindSite(std::uint64_t key) const;
  std::size_t SiteCount() const { return sites_.size(); }
  std::size_t MemoryBytes() const;

  struct Site {
    std::uint64_t key;
    std::uint64_t lineHash;
  };
  // In key order.
  const std::vector<Site>& Sites() const { return sites_; }

 private:
  std::string treeText_;
  std::string masterBlock_;
  std::vector<Site> sites_;  // sorted by key
};

// One site's key and line hash for every line, in the lines' order. A URL
// that comes more than once is told apart by how many times it came before.
std::vector<MergeBase::Site> SiteKeys(const std::vector<std::string>& siteLines);

// One side as the merge reads it.
struct CatalogueVersion {
  std::string_view treeText;  // empty: the tree as the base had it
  const std::vector<std::string>& siteLines;
  std::string_view masterBlock;
};

struct MergeCounts {
  long long added = 0;      // sites that came in from theirs only
  long long updated = 0;    // sites theirs changed and ours left
  long long deleted = 0;    // sites theirs deleted and ours left
  long long conflicts = 0;  // sites both sides touched differently
};

struct MergedCatalogue {
  std::string treeText;
  std::vector<std::string> siteLines;
  std::string masterBlock;
  MergeCounts counts;
  // The merge gives something other than ours: memory must take it.
  bool differsFromOurs = false;
  // Theirs already holds everything: the merge is theirs as it stands, in
  // its order, so nothing need be written back (two copies of one catalogue
  // settle instead of each writing its own order over the other's).
  bool sameAsTheirs = false;
};

// False for a tree text deeper than any the window makes (it adds
// categories one level under the first root) by far: merging walks the tree
// level by level, and a hostile file must not run the stack out.
bool MergeableTree(std::string_view treeText);

// Sites: added on either side kept; deleted on one side and untouched on the
// other deleted; deleted on one side and changed on the other kept as
// changed; changed on one side that change; changed on both differently ours,
// with theirs kept as a further site whose name carries ConflictMark and
// whose URL a "#競合" fragment (so that each can be found by its URL). Ours
// keep their order; sites that only theirs have follow in their order.
// Categories: the union of both trees in each side's order; a category one
// side deleted stays when a merged site still names it. Master login: the
// side that changed it wins, ours when both did.
// theirsMayBeOlder: theirs did not start from the base but from some
// version before it (a sync tool's conflict copy), so a difference from the
// base may be an old state rather than a change: theirs then never replaces
// nor deletes a site or category of ours, and differs only as conflicts.
MergedCatalogue MergeCatalogues(const MergeBase& base, const CatalogueVersion& ours, const CatalogueVersion& theirs,
                                bool theirsMayBeOlder = false);

}  // namespace morvane
