#include "catalogue/catalogue.h"

#include <chrono>
#include <new>

#include "catalogue/site_data_file.h"
#include "catalogue/site_record.h"
#include "catalogue/site_sort.h"
#include "util/container_file.h"
#include "util/cp932.h"
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
      backupBeforeSave_(other.backupBeforeSave_) {
  if (other.shownList_.Current()) shownList_.Assign(other.shownList_.Rows());
}

void SiteCatalogue::SetMasterLogin(std::string id, std::string pass) {
  masterID_ = std::move(id);
  masterPass_ = std::move(pass);
}

std::string SiteCatalogue::DataFilePath() const { return dataFolder_ + Cp932ToUtf8(dataFileName_); }

std::string SiteCatalogue::IdentityText() const { return SiteDataIdentity(dataFileName_); }

bool SiteCatalogue::ChooseDataFileName(std::string_view settingValue) {
  const std::string name = TrimSpaces(settingValue);
  const bool taken = IsPlainFileName(name) && RegularFileExists(dataFolder_ + Cp932ToUtf8(name));
  dataFileName_ = taken ? name : std::string(kDefaultDataFileName);
  dataFileGuarded_ = false;
  backupBeforeSave_ = false;
  return taken;
}

SiteDataLoadResult SiteCatalogue::LoadSiteData(const std::optional<std::string>& path) {
  SiteDataLoadResult result;
  const std::string file = path ? *path : DataFilePath();
  if (!RegularFileExists(file)) return result;

  ContainerText container = ReadContainer(file, IdentityText());
  // A file cut short has lost its contents block; taking it as an empty
  // catalogue would let the next save wipe what is left of it.
  if (!container.identityMatches || !container.contentsFound) {
    result.status = SiteDataLoadStatus::Foreign;
    if (!path && !BackupByRename(file, std::chrono::system_clock::now(), &result.backupName))
      dataFileGuarded_ = true;
    return result;
  }

  // Everything that can fail is read into new objects before anything is
  // replaced.
  SiteDataBlocks blocks = ParseSiteDataContents(std::move(container.contents));
  std::optional<CategoryTree> tree;
  if (!blocks.treeText.empty()) {
    tree.emplace();
    // A damaged tree text still gives every name; the data file keeps its
    // own bytes in a backup before it is first written over.
    if (!tree->FromText(blocks.treeText)) {
      result.treeTextBad = true;
      if (!path) backupBeforeSave_ = true;
    }
  }

  siteList_.SetText(blocks.siteListText);
  if (tree) tree_ = std::move(*tree);
  if (!blocks.masterBlock.empty()) {
    MasterLogin login = ParseMasterLoginBlock(blocks.masterBlock);
    SetMasterLogin(std::move(login.id), std::move(login.pass));
    result.masterLoginLoaded = true;
  }
  result.status = SiteDataLoadStatus::Loaded;

  tree_.Select(tree_.FirstRoot());
  ShowEntry(tree_.FirstRoot() ? std::string_view(tree_.FirstRoot()->name) : std::string_view());
  return result;
}

bool SiteCatalogue::SaveSiteData(const std::optional<std::string>& path) const {
  leftOutOfLastSave_.clear();
  if (!path && dataFileGuarded_) return false;
  if (!path && backupBeforeSave_) {
    if (!KeepCopy(DataFilePath(), std::chrono::system_clock::now())) return false;
    backupBeforeSave_ = false;
  }
  try {
    if (const std::optional<bool> written = WriteSiteDataFile(path ? *path : DataFilePath(), IdentityText(),
                                                              tree_.ToText(), siteList_,
                                                              MasterLoginBlock(masterID_, masterPass_),
                                                              &leftOutOfLastSave_))
      return *written;
    SiteDataSnapshot snapshot = Snapshot(path);
    snapshot.Copy(std::chrono::steady_clock::duration::max());
    leftOutOfLastSave_ = snapshot.LeftOut();
    return std::move(snapshot).Write();
  } catch (const std::bad_alloc&) {
    return false;
  }
}

SiteDataSnapshot SiteCatalogue::Snapshot(const std::optional<std::string>& path) const {
  return SiteDataSnapshot(path ? *path : DataFilePath(), IdentityText(), !path && dataFileGuarded_,
                          SiteDataContentsBuilder(tree_.ToText(), siteList_, MasterLoginBlock(masterID_, masterPass_)));
}

bool SiteDataSnapshot::Write() && {
  if (refused_) return false;
  try {
    const std::optional<std::string> contents = std::move(contents_).Finish();
    return contents && WriteContainer(path_, *contents, identity_, kPrivateFileMode);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void SiteCatalogue::ShowEntry(std::string_view entryName) {
  shownEntryTotal_ = BuildShownList(shownList_, entryName, shownFilter_);
  SortSiteLines(shownList_, shownOrderColumn_, shownOrderDescending_);
}

}  // namespace morvane
