#include "catalogue/catalogue.h"

#include <chrono>
#include <cstdint>
#include <new>
#include <vector>

#include "catalogue/data_file_backups.h"
#include "catalogue/drop_rules.h"
#include "catalogue/site_data_file.h"
#include "catalogue/site_record.h"
#include "catalogue/site_sort.h"
#include "util/container_file.h"
#include "util/cp932.h"
#include "util/safe_file_writer.h"
#include "util/text_file.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

// A data file's name must stay inside the data folder.
bool IsPlainFileName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

}  // namespace

SiteCatalogue::SiteCatalogue(std::string dataFolder)
    : dataFolder_(std::move(dataFolder)), dataFileName_(kDefaultDataFileName) {
  if (!dataFolder_.empty() && dataFolder_.back() != '/') dataFolder_.push_back('/');
}

SiteCatalogue::SiteCatalogue(SiteCatalogue&& other)
    : dataFolder_(std::move(other.dataFolder_)),
      dataFileName_(std::move(other.dataFileName_)),
      siteList_(std::move(other.siteList_)),
      tree_(std::move(other.tree_)),
      masterID_(std::move(other.masterID_)),
      masterPass_(std::move(other.masterPass_)),
      shownFilter_(std::move(other.shownFilter_)),
      shownOrderColumn_(other.shownOrderColumn_),
      shownOrderDescending_(other.shownOrderDescending_),
      shownEntryTotal_(other.shownEntryTotal_),
      dataFileGuarded_(other.dataFileGuarded_),
      damagedOriginal_(std::move(other.damagedOriginal_)) {
  if (other.shownList_.Current()) shownList_.Assign(other.shownList_.Rows());
}

void SiteCatalogue::SetMasterLogin(std::string id, std::string pass) {
  masterID_ = std::move(id);
  masterPass_ = std::move(pass);
  events_.masterLoginChanged.Announce();
}

AddCategoryResult SiteCatalogue::AddCategory(std::string_view typed) {
  const AddCategoryResult result = tree_.AddCategory(typed);
  if (result != AddCategoryResult::Added) return result;
  events_.treeChanged.Announce(TreeChange::Edited);
  ShowSelectedEntry();
  return result;
}

DeleteCategoryResult SiteCatalogue::DeleteCategory(TreeEntry* entry) {
  const std::uint64_t sitesBefore = siteList_.Revision();
  const DeleteCategoryResult result = tree_.DeleteCategory(entry, siteList_);
  if (result != DeleteCategoryResult::Deleted) return result;
  // The sites of the category, wherever they are, now name none.
  if (siteList_.Revision() != sitesBefore) events_.sitesChanged.Announce({SitesChange::Kind::Replaced});
  events_.treeChanged.Announce(TreeChange::Edited);
  ShowSelectedEntry();
  return result;
}

bool SiteCatalogue::MoveCategory(TreeEntry* dragged, TreeEntry* target) {
  if (!tree_.MoveCategory(dragged, target)) return false;
  events_.treeChanged.Announce(TreeChange::Edited);
  return true;
}

void SiteCatalogue::StoreSite(const SiteRecord& site) {
  const long long line = FindSiteByURL(siteList_, site.SiteURL);
  morvane::StoreSite(siteList_, site);
  if (line < 0) events_.sitesChanged.Announce({SitesChange::Kind::Added, siteList_.Count() - 1, 1});
  else events_.sitesChanged.Announce({SitesChange::Kind::Changed, line, 1});
  ShowSelectedEntry();
}

void SiteCatalogue::DeleteSite(std::string_view url) {
  const long long line = FindSiteByURL(siteList_, url);
  if (line < 0) return;
  siteList_.Delete(line);
  events_.sitesChanged.Announce({SitesChange::Kind::Removed, line, 1});
  ShowSelectedEntry();
}

bool SiteCatalogue::DropSite(long long shownRow, const TreeEntry* target) {
  const std::string* shown = shownList_.Find(shownRow);
  const long long line = shown ? FindSiteByURL(siteList_, SiteURLOfLine(*shown)) : -1;
  if (!DropSiteOnEntry(siteList_, shownList_, shownRow, target)) return false;
  if (line >= 0) events_.sitesChanged.Announce({SitesChange::Kind::Changed, line, 1});
  ShowSelectedEntry();
  return true;
}

SiteMergeCount SiteCatalogue::ApplyMerge(PreparedMerge&& merge) {
  std::vector<long long> updated;
  updated.reserve(merge.updates.size());
  for (const auto& update : merge.updates) updated.push_back(update.first);
  const long long before = siteList_.Count();
  const SiteMergeCount count = morvane::ApplyMerge(siteList_, tree_, std::move(merge));
  for (const long long line : updated) events_.sitesChanged.Announce({SitesChange::Kind::Changed, line, 1});
  if (siteList_.Count() > before)
    events_.sitesChanged.Announce({SitesChange::Kind::Added, before, siteList_.Count() - before});
  events_.treeChanged.Announce(TreeChange::Edited);
  ShowSelectedEntry();
  return count;
}

void SiteCatalogue::AnnounceTakenIn() {
  events_.sitesChanged.Announce({SitesChange::Kind::Replaced});
  events_.treeChanged.Announce(TreeChange::Edited);
  events_.masterLoginChanged.Announce();
  ShowSelectedEntry();
}

std::string SiteCatalogue::DataFilePath() const { return dataFolder_ + Cp932ToUtf8(dataFileName_); }

std::string SiteCatalogue::IdentityText() const { return SiteDataIdentity(dataFileName_); }

bool SiteCatalogue::ChooseDataFileName(std::string_view settingValue) {
  const std::string name = TrimSpaces(settingValue);
  const bool taken = IsPlainFileName(name) && RegularFileExists(dataFolder_ + Cp932ToUtf8(name));
  dataFileName_ = taken ? name : std::string(kDefaultDataFileName);
  dataFileGuarded_ = false;
  damagedOriginal_.reset();
  return taken;
}

long long CountCategories(const CategoryTree& tree) {
  long long n = 0;
  for (const TreeEntry* e : tree.PreOrder()) n += !tree.IsSystemEntry(e);
  return n;
}

long long SiteDataRead::CategoryCount() const { return tree ? CountCategories(*tree) : 0; }

SiteDataRead SiteCatalogue::ReadSiteData(const std::string& path) const {
  SiteDataRead read;
  if (!RegularFileExists(path)) return read;
  ContainerText container = ReadContainer(path, IdentityText());
  // A file cut short has lost its contents block; taking it as an empty
  // catalogue would let the next save wipe what is left of it.
  if (!container.identityMatches || !container.contentsFound) {
    read.status = SiteDataLoadStatus::Foreign;
    return read;
  }
  SiteDataBlocks blocks = ParseSiteDataContents(std::move(container.contents));
  if (!blocks.treeText.empty()) {
    read.tree.emplace();
    read.treeTextBad = !read.tree->FromText(blocks.treeText);
  }
  read.sites.SetText(blocks.siteListText);
  if (!blocks.masterBlock.empty()) read.masterBlock = std::move(blocks.masterBlock);
  read.status = SiteDataLoadStatus::Loaded;
  return read;
}

SiteDataLoadResult SiteCatalogue::ApplySiteData(SiteDataRead&& read) {
  SiteDataLoadResult result;
  result.status = read.status;
  if (read.status != SiteDataLoadStatus::Loaded) return result;
  result.treeTextBad = read.treeTextBad;
  // Line by line, not by moving the list: the list's revision must move on,
  // so that rows shown from the old lines are known to be stale.
  siteList_.Clear();
  siteList_.SetCapacity(read.sites.Count());
  for (const std::string& line : read.sites.Lines()) siteList_.Add(line);
  if (read.tree) tree_ = std::move(*read.tree);
  if (read.masterBlock) {
    MasterLogin login = ParseMasterLoginBlock(*read.masterBlock);
    masterID_ = std::move(login.id);
    masterPass_ = std::move(login.pass);
    result.masterLoginLoaded = true;
  }
  tree_.Select(tree_.FirstRoot());
  events_.sitesChanged.Announce({SitesChange::Kind::Replaced});
  events_.treeChanged.Announce(TreeChange::Loaded);
  if (result.masterLoginLoaded) events_.masterLoginChanged.Announce();
  ShowEntry(tree_.FirstRoot() ? std::string_view(tree_.FirstRoot()->name) : std::string_view());
  return result;
}

SiteDataLoadResult SiteCatalogue::LoadSiteData(const std::optional<std::string>& path) {
  const std::string file = path ? *path : DataFilePath();
  // Everything that can fail is read into new objects before anything is
  // replaced.
  SiteDataRead read = ReadSiteData(file);
  if (read.status == SiteDataLoadStatus::Foreign && !path) {
    SiteDataLoadResult result;
    result.status = read.status;
    if (!BackupByRename(file, std::chrono::system_clock::now(), &result.backupName)) dataFileGuarded_ = true;
    return result;
  }
  // A damaged tree text still gives every name; the data file's own bytes
  // are kept before it is first written over.
  if (read.treeTextBad && !path) {
    std::string bytes;
    if (ReadWholeFile(file, bytes)) damagedOriginal_ = std::move(bytes);
  }
  return ApplySiteData(std::move(read));
}

bool SiteCatalogue::KeepDamagedOriginal(std::chrono::system_clock::time_point now, std::string* keptName) const {
  if (!damagedOriginal_) return true;
  const std::string target = FreeBackupName(DataFilePath(), now);
  if (RegularFileExists(target) || !WriteFileReplacing(target, *damagedOriginal_, kPrivateFileMode)) return false;
  damagedOriginal_.reset();
  if (keptName) *keptName = target;
  return true;
}

bool SiteCatalogue::KeepCatalogueCopy(std::chrono::system_clock::time_point now, std::string* keptName) const {
  const std::string target = FreeBackupName(DataFilePath(), now);
  if (RegularFileExists(target) || !SaveSiteData(target)) return false;
  if (keptName) *keptName = target;
  return true;
}

bool SiteCatalogue::DataFileWriteRefused(const std::optional<std::string>& path) const {
  return !path && (dataFileGuarded_ || !KeepDamagedOriginal(std::chrono::system_clock::now()));
}

bool SiteCatalogue::SaveSiteData(const std::optional<std::string>& path) const {
  leftOutOfLastSave_.clear();
  if (DataFileWriteRefused(path)) return false;
  try {
    SiteDataWriteResult result = WriteSiteDataFile(path ? *path : DataFilePath(), IdentityText(), tree_.ToText(),
                                                   siteList_, MasterLoginBlock(masterID_, masterPass_));
    leftOutOfLastSave_ = std::move(result.leftOut);
    return result.Written();
  } catch (const std::bad_alloc&) {
    return false;
  }
}

SiteDataSnapshot SiteCatalogue::Snapshot(const std::optional<std::string>& path) const {
  // The autosave's way to the data file too: a damaged original is kept
  // here, on the catalogue's thread, before any write of it is under way.
  const bool refused = DataFileWriteRefused(path);
  return SiteDataSnapshot(
      path ? *path : DataFilePath(), refused,
      SiteDataFileBuilder(IdentityText(), tree_.ToText(), siteList_, MasterLoginBlock(masterID_, masterPass_)));
}

bool SiteDataSnapshot::Write() && {
  if (refused_) return false;
  try {
    return std::move(file_).Write(path_) == SiteDataWrite::Written;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void SiteCatalogue::ShowEntry(std::string_view entryName) {
  shownEntryTotal_ = BuildShownList(shownList_, entryName, shownFilter_);
  SortSiteLines(shownList_, shownOrderColumn_, shownOrderDescending_);
  events_.shownChanged.Announce();
}

void SiteCatalogue::ShowSelectedEntry() {
  if (const TreeEntry* e = tree_.Selected()) ShowEntry(e->name);
}

}  // namespace morvane
