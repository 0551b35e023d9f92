#pragma once
// Noticing that the data file was changed by someone else (a sync tool
// bringing another PC's edits, an editor, a backup put back by hand) and
// taking that change in before this program writes over it: the file as last
// loaded or saved is remembered, and a file that differs from it is merged
// three ways with the catalogue in memory, or, when it does not read as a
// catalogue, set aside rather than overwritten.
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_merge.h"
#include "catalogue/data_file_identity.h"

namespace morvane {

// The data file as this program last loaded or saved it.
struct KnownDataFile {
  FileIdentity identity;
  MergeBase base;
};

// Identity and base both from the bytes now on disk; nullopt when no
// catalogue under that identity text is there.
std::optional<KnownDataFile> ReadKnownDataFile(const std::string& path, std::string_view identityText);

// The other side of a merge, read from a file.
struct CatalogueFile {
  std::string treeText;
  LineList sites;
  std::string masterBlock;
};
// nullopt when the bytes are no catalogue under the identity text (another
// format, damaged, cut short by a sync still under way).
std::optional<CatalogueFile> ParseCatalogueFile(std::string bytes, std::string_view identityText);

// Replaces the catalogue's sites, tree and master login by the merge's,
// keeping the selected tree entry where it still exists.
void TakeMerged(SiteCatalogue& catalogue, MergedCatalogue&& merged);

// The base the catalogue in memory stands for.
MergeBase BaseOf(const SiteCatalogue& catalogue);

enum class OutsideChangeKind {
  None,        // the file is the one last loaded or saved (or is missing)
  Merged,      // taken in; memory now holds the merge
  Unreadable,  // no catalogue: kept under a backup name, ours saved in its place
};

struct OutsideChangeReport {
  OutsideChangeKind kind = OutsideChangeKind::None;
  MergeCounts counts;
  // Where the outside version was kept (a name in the data folder).
  std::string backupName;
  // Memory changed: the window must show the catalogue again.
  bool catalogueChanged = false;
  // The data file now holds the catalogue in memory.
  bool saved = false;
  // The outside version could not be kept: nothing may write the data file
  // until it can be.
  bool writeRefused = false;
};

// The status line's report of a merge (CP932).
std::string MergeStatusText(const MergeCounts& counts);

class OutsideChangeGuard {
 public:
  // After the data file was loaded (or found missing) at start.
  void Loaded(const SiteCatalogue& catalogue, SiteDataLoadStatus status);
  // After this program wrote the data file; safe on a writing thread as long
  // as the catalogue thread does not call TakeIn meanwhile.
  void Saved(const std::string& path, std::string_view identityText);
  // The same on the catalogue's thread right after it saved the data file:
  // the base comes from memory, which the file now holds, unparsed.
  void SavedFrom(const SiteCatalogue& catalogue);

  // Before every write of the data file and when its folder changed: a data
  // file that is no longer the one known is merged into memory (or set aside
  // when it is no catalogue) and the result saved.
  OutsideChangeReport TakeIn(SiteCatalogue& catalogue, std::chrono::system_clock::time_point now);

  // The data file's stat is the one known (or there is none, as known): a
  // write now would overwrite nothing unseen. Reads no bytes.
  bool LooksUnchanged(const std::string& path) const;

  // Takes in another file holding a version of the catalogue (a sync tool's
  // conflict copy): first any change to the data file, then the other file,
  // which may be older than the last load or save, so it only adds and
  // conflicts. Saved, the other file is moved to its backup name so it is
  // not offered again. Unreadable: nothing written, nothing moved.
  OutsideChangeReport TakeInCopy(SiteCatalogue& catalogue, const std::string& copyPath,
                                 std::chrono::system_clock::time_point now);

  // For tests and the benchmark.
  std::optional<KnownDataFile> Known() const;

 private:
  mutable std::mutex mutex_;
  std::optional<KnownDataFile> known_;
};

}  // namespace morvane
