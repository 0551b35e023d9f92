#pragma once
// The catalogue the main window works on: every site, the sites shown for the
// selected tree entry, the category tree and the master login, with loading
// and saving of the site data file. Texts are CP932; paths are in the file
// system's encoding.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_events.h"
#include "catalogue/category_tree.h"
#include "catalogue/shown_sites.h"
#include "catalogue/site_data_file.h"
#include "catalogue/site_exchange.h"
#include "catalogue/site_filter.h"
#include "catalogue/site_record.h"
#include "util/line_list.h"

namespace morvane {

enum class SiteDataLoadStatus {
  Loaded,   // the catalogue was replaced from the file
  Missing,  // no regular file at the path: nothing shown, nothing changed
  Foreign,  // unreadable, damaged or another identity: nothing changed
};

struct SiteDataLoadResult {
  SiteDataLoadStatus status = SiteDataLoadStatus::Missing;
  // Loaded, but the tree text was bad: every entry was still read (a line
  // too deep one level under the entry before it) and the window shows
  // "I/O Error:QZLoadTreeFromStrings".
  bool treeTextBad = false;
  // Loaded with a master login: the settings dialog's fields take it.
  bool masterLoginLoaded = false;
  // Foreign data file moved aside under this name (empty when not moved).
  std::string backupName;

  bool Loaded() const { return status == SiteDataLoadStatus::Loaded; }
};

// A site data file read whole but not yet taken in: an import shows its
// counts before it asks, and replaces the catalogue only once agreed.
struct SiteDataRead {
  SiteDataLoadStatus status = SiteDataLoadStatus::Missing;
  std::optional<CategoryTree> tree;  // none: the file has no tree, the catalogue keeps its own
  bool treeTextBad = false;
  LineList sites;
  std::optional<std::string> masterBlock;  // none: the master login stays

  long long SiteCount() const { return sites.Count(); }
  // User categories, not the two system entries; 0 without a tree.
  long long CategoryCount() const;
};

// The user categories of a tree.
long long CountCategories(const CategoryTree& tree);

// The tree error text the window shows for SiteDataLoadResult::treeTextBad.
inline constexpr std::string_view kTreeLoadErrorText = "I/O Error:QZLoadTreeFromStrings";

// One save of the site data file taken apart: Copy on the catalogue's own
// thread, a slice at a time, then Write on any thread. The catalogue must not
// change between the first Copy and the last; a change means starting over.
class SiteDataSnapshot {
 public:
  // True once everything is copied.
  bool Copy(std::chrono::steady_clock::duration budget) { return file_.CopyLines(budget); }
  // The sites left out of the copy (see SiteLineStorable).
  const std::vector<std::string>& LeftOut() const { return file_.LeftOut(); }
  // After Copy gave true: writes as SiteCatalogue::SaveSiteData does, with
  // the same result.
  bool Write() &&;

 private:
  friend class SiteCatalogue;
  SiteDataSnapshot(std::string path, bool refused, SiteDataFileBuilder file)
      : path_(std::move(path)), refused_(refused), file_(std::move(file)) {}

  std::string path_;
  bool refused_;
  SiteDataFileBuilder file_;
};

class SiteCatalogue {
 public:
  // dataFolder holds the data file and its backups; a trailing '/' is added.
  explicit SiteCatalogue(std::string dataFolder);
  // The shown rows move along, referring to the moved site list; the
  // subscriptions stay with the catalogue they were made on.
  SiteCatalogue(SiteCatalogue&& other);

  // Every edit below, and every load, announces what it changed here.
  const CatalogueEvents& Events() const { return events_; }

  LineList& SiteList() { return siteList_; }
  const LineList& SiteList() const { return siteList_; }
  ShownSites& ShownList() { return shownList_; }
  const ShownSites& ShownList() const { return shownList_; }
  CategoryTree& Tree() { return tree_; }
  const CategoryTree& Tree() const { return tree_; }

  const std::string& MasterID() const { return masterID_; }
  const std::string& MasterPass() const { return masterPass_; }
  void SetMasterLogin(std::string id, std::string pass);

  // Edits of the sites and the tree. Each announces its change, then shows
  // the selected entry again (a moved category keeps its sites: the shown
  // list stays).
  // The new category becomes the selected entry.
  AddCategoryResult AddCategory(std::string_view typed);
  // The entry with everything under it; its sites become uncategorised.
  DeleteCategoryResult DeleteCategory(TreeEntry* entry);
  bool MoveCategory(TreeEntry* dragged, TreeEntry* target);
  // Adds the site, or replaces the site of the same URL.
  void StoreSite(const SiteRecord& site);
  void DeleteSite(std::string_view url);
  // A shown row dropped on a tree entry: the site takes the entry as its
  // category. False when there is no such row or entry.
  bool DropSite(long long shownRow, const TreeEntry* target);
  // Puts a merge prepared off this thread in place (see PrepareMerge).
  SiteMergeCount ApplyMerge(PreparedMerge&& merge);
  // After the site list, the tree and the master login were replaced in
  // place (by a merge with another version of the catalogue): announces that
  // any of them may be another now, then shows the selected entry again.
  void AnnounceTakenIn();

  const std::string& DataFolder() const { return dataFolder_; }
  // The data file's name without folder, CP932 as the settings file holds it.
  const std::string& DataFileName() const { return dataFileName_; }
  std::string DataFilePath() const;
  std::string IdentityText() const;

  // Start-up choice of the data file: the setting's value, trimmed of half-
  // and full-width spaces, when it names an existing file in the data folder;
  // otherwise the default name. True when the setting was taken.
  bool ChooseDataFileName(std::string_view settingValue);

  // No path: the data file itself (a foreign one is moved aside). A path:
  // an import file, never moved. Memory changes
  // only when the result is Loaded; then the tree's first entry is selected
  // and the shown list rebuilt for it.
  SiteDataLoadResult LoadSiteData(const std::optional<std::string>& path = std::nullopt);
  // LoadSiteData in two steps, for a file the user chose: Read changes
  // nothing (it only reads under this catalogue's identity), Apply replaces
  // the catalogue by what was read as LoadSiteData does.
  SiteDataRead ReadSiteData(const std::string& path) const;
  SiteDataLoadResult ApplySiteData(SiteDataRead&& read);

  // The data file loaded at start had a damaged tree text: its bytes as
  // loaded wait to be kept under their backup name before anything writes
  // over the file. Keeping them is the first step of every such write (and
  // every save of the data file makes sure of it); false when they could
  // not be kept, and then nothing may write the data file.
  bool DamagedOriginalPending() const { return damagedOriginal_.has_value(); }
  bool KeepDamagedOriginal(std::chrono::system_clock::time_point now, std::string* keptName = nullptr) const;
  // The catalogue in memory saved under a free time-stamped backup name of
  // the data file (before an import or restore replaces it).
  bool KeepCatalogueCopy(std::chrono::system_clock::time_point now, std::string* keptName = nullptr) const;

  // No path: the data file; a path: an export file. True when written; on
  // false the file at the path is as it was. A site line that cannot be
  // stored as it stands is left out and the rest written; a data file name,
  // tree or master login that cannot refuses the save (see SiteDataLayout).
  bool SaveSiteData(const std::optional<std::string>& path = std::nullopt) const;
  // The sites the last SaveSiteData left out, as LeftOutSiteName gives them.
  const std::vector<std::string>& LeftOutOfLastSave() const { return leftOutOfLastSave_; }
  // The same save, to be copied and written in steps.
  SiteDataSnapshot Snapshot(const std::optional<std::string>& path = std::nullopt) const;

  // Rebuilds the shown list for a tree entry's name, through the filter and
  // in the order chosen below.
  void ShowEntry(std::string_view entryName);
  // The same for the selected entry; nothing without one.
  void ShowSelectedEntry();
  // What the filter box holds; takes effect at the next ShowEntry.
  void SetShownFilter(SiteFilter filter) { shownFilter_ = std::move(filter); }
  const SiteFilter& ShownFilter() const { return shownFilter_; }
  // A list column to sort the shown list by (0: the site list's own order).
  void SetShownOrder(int column, bool descending) {
    shownOrderColumn_ = column;
    shownOrderDescending_ = descending;
  }
  int ShownOrderColumn() const { return shownOrderColumn_; }
  // Sites of the entry last shown, before the filter.
  long long ShownEntryTotal() const { return shownEntryTotal_; }
  bool ShownOrderDescending() const { return shownOrderDescending_; }

 private:
  // A save to the data file itself that may not go on (see dataFileGuarded_
  // and KeepDamagedOriginal); any other path is always written.
  bool DataFileWriteRefused(const std::optional<std::string>& path) const;

  std::string dataFolder_;
  std::string dataFileName_;
  LineList siteList_;
  ShownSites shownList_{siteList_};
  CategoryTree tree_;
  std::string masterID_;
  std::string masterPass_;
  SiteFilter shownFilter_;
  int shownOrderColumn_ = 0;
  bool shownOrderDescending_ = false;
  long long shownEntryTotal_ = 0;
  CatalogueEvents events_;
  // The data file could not be read nor moved aside: saving over it would
  // destroy what may still be recovered, so saves to it are refused.
  bool dataFileGuarded_ = false;
  // The bytes of a data file loaded with a damaged tree text, until kept.
  mutable std::optional<std::string> damagedOriginal_;
  mutable std::vector<std::string> leftOutOfLastSave_;
};

}  // namespace morvane
