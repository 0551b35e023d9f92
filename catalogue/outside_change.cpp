#include "catalogue/outside_change.h"

#include <new>

#include "catalogue/data_file_backups.h"
#include "catalogue/site_data_file.h"
#include "util/container_file.h"
#include "util/cp932.h"
#include "util/text_file.h"

namespace morvane {
namespace {

// Ten million sites' worth: a file larger than that is no catalogue to read
// into memory before every save.
constexpr off_t kLargestOutsideFile = off_t{2} << 30;

}  // namespace

std::optional<CatalogueFile> ParseCatalogueFile(std::string bytes, std::string_view identityText) {
  if (!OnlyCrLfBreaks(bytes)) bytes = ToCrLfLines(bytes);
  ContainerText container = ParseContainer(std::move(bytes), identityText);
  if (!container.identityMatches || !container.contentsFound) return std::nullopt;
  SiteDataBlocks blocks = ParseSiteDataContents(std::move(container.contents));
  CatalogueFile file;
  file.treeText = std::move(blocks.treeText);
  file.sites.SetText(blocks.siteListText);
  file.masterBlock = std::move(blocks.masterBlock);
  return file;
}

std::optional<KnownDataFile> ReadKnownDataFile(const std::string& path, std::string_view identityText) {
  std::optional<FileWithIdentity> read = ReadFileWithIdentity(path);
  if (!read) return std::nullopt;
  const FileIdentity identity = read->identity;
  std::optional<CatalogueFile> file = ParseCatalogueFile(std::move(read->bytes), identityText);
  if (!file) return std::nullopt;
  return KnownDataFile{identity, MergeBase(file->treeText, file->sites.Lines(), std::move(file->masterBlock))};
}

MergeBase BaseOf(const SiteCatalogue& catalogue) {
  return MergeBase(catalogue.Tree().ToText(), catalogue.SiteList().Lines(),
                   MasterLoginBlock(catalogue.MasterID(), catalogue.MasterPass()));
}

void TakeMerged(SiteCatalogue& catalogue, MergedCatalogue&& merged) {
  LineList& sites = catalogue.SiteList();
  sites.Clear();
  sites.SetCapacity(static_cast<long long>(merged.siteLines.size()));
  for (std::string& line : merged.siteLines) sites.Add(std::move(line));

  CategoryTree& tree = catalogue.Tree();
  const std::string selected = tree.Selected() ? tree.Selected()->name : std::string();
  tree.FromText(merged.treeText);
  TreeEntry* keep = selected.empty() ? nullptr : tree.FindByName(selected);
  tree.Select(keep ? keep : tree.FirstRoot());

  if (merged.masterBlock.empty()) {
    catalogue.SetMasterLogin({}, {});
  } else {
    MasterLogin login = ParseMasterLoginBlock(merged.masterBlock);
    catalogue.SetMasterLogin(std::move(login.id), std::move(login.pass));
  }
  catalogue.AnnounceTakenIn();
}

std::string MergeStatusText(const MergeCounts& c) {
  return Utf8ToCp932("別の場所での変更を取り込みました: 追加 " + std::to_string(c.added) + "、更新 " +
                     std::to_string(c.updated) + "、削除 " + std::to_string(c.deleted) + "、競合 " +
                     std::to_string(c.conflicts));
}

void OutsideChangeGuard::Loaded(const SiteCatalogue& catalogue, SiteDataLoadStatus status) {
  std::optional<KnownDataFile> known;
  if (status == SiteDataLoadStatus::Loaded) {
    // The lines in memory are the file's as loaded; only the identity is read.
    if (std::optional<FileWithIdentity> read = ReadFileWithIdentity(catalogue.DataFilePath()))
      known = KnownDataFile{read->identity, BaseOf(catalogue)};
  }
  std::lock_guard lock(mutex_);
  known_ = std::move(known);
}

void OutsideChangeGuard::Saved(const std::string& path, std::string_view identityText) {
  std::optional<KnownDataFile> known = ReadKnownDataFile(path, identityText);
  std::lock_guard lock(mutex_);
  known_ = std::move(known);
}

void OutsideChangeGuard::SavedFrom(const SiteCatalogue& catalogue) {
  std::optional<KnownDataFile> known;
  if (std::optional<FileWithIdentity> read = ReadFileWithIdentity(catalogue.DataFilePath()))
    known = KnownDataFile{read->identity, BaseOf(catalogue)};
  std::lock_guard lock(mutex_);
  known_ = std::move(known);
}

std::optional<KnownDataFile> OutsideChangeGuard::Known() const {
  std::lock_guard lock(mutex_);
  return known_;
}

bool OutsideChangeGuard::LooksUnchanged(const std::string& path) const {
  const std::optional<FileIdentity> stat = StatFile(path);
  std::lock_guard lock(mutex_);
  return known_ ? stat && known_->identity.SameStat(*stat) : !stat;
}

OutsideChangeReport OutsideChangeGuard::TakeIn(SiteCatalogue& catalogue, std::chrono::system_clock::time_point now) {
  OutsideChangeReport report;
  const std::string path = catalogue.DataFilePath();
  std::unique_lock lock(mutex_);
  // Cheap first: an unchanged stat needs no reading.
  const std::optional<FileIdentity> stat = StatFile(path);
  if (!stat || (known_ && known_->identity.SameStat(*stat))) return report;
  try {
    if (stat->size > kLargestOutsideFile) {
      // Far beyond any catalogue: set aside unread, and ours saved in its place.
      report.kind = OutsideChangeKind::Unreadable;
      if (!BackupByRename(path, now, &report.backupName)) {
        report.writeRefused = true;
        return report;
      }
      lock.unlock();
      report.saved = catalogue.SaveSiteData();
      if (report.saved) SavedFrom(catalogue);
      return report;
    }
    std::optional<FileWithIdentity> read = ReadFileWithIdentity(path);
    if (!read) return report;
    if (known_ && read->identity.hash == known_->identity.hash) {
      known_->identity = read->identity;  // touched or copied, not changed
      return report;
    }
    std::optional<CatalogueFile> theirs = ParseCatalogueFile(read->bytes, catalogue.IdentityText());
    const std::string oursTree = catalogue.Tree().ToText();
    if (theirs && (!MergeableTree(theirs->treeText) || !MergeableTree(oursTree))) theirs.reset();
    if (!theirs) {
      // Another format or half synced: ours is saved in its place.
      report.kind = OutsideChangeKind::Unreadable;
    } else {
      const MergeBase empty;
      const std::string oursMaster = MasterLoginBlock(catalogue.MasterID(), catalogue.MasterPass());
      MergedCatalogue merged =
          MergeCatalogues(known_ ? known_->base : empty, {oursTree, catalogue.SiteList().Lines(), oursMaster},
                          {theirs->treeText, theirs->sites.Lines(), theirs->masterBlock});
      report.kind = OutsideChangeKind::Merged;
      report.counts = merged.counts;
      const bool sameAsTheirs = merged.sameAsTheirs;
      if (merged.differsFromOurs) {
        TakeMerged(catalogue, std::move(merged));
        report.catalogueChanged = true;
      }
      if (sameAsTheirs) {
        // The file already holds all of it: known as it is, not written.
        known_ = KnownDataFile{read->identity, BaseOf(catalogue)};
        report.saved = true;
        return report;
      }
    }
    // The version found is kept under its backup name before it is written
    // over: the bytes read, not whatever the file may hold a moment later.
    // A free name: a backup made a moment before in the same step (the
    // damaged original, the daily copy) may carry the same time.
    const std::string backup = FreeBackupName(path, now);
    if (RegularFileExists(backup) || !WriteFileReplacing(backup, read->bytes, kPrivateFileMode)) {
      report.writeRefused = true;
      return report;
    }
    report.backupName = backup;
    lock.unlock();
    report.saved = catalogue.SaveSiteData();
    if (report.saved) SavedFrom(catalogue);
  } catch (const std::bad_alloc&) {
    // Too large to merge here: better not to write than to write over it.
    report.writeRefused = true;
  }
  return report;
}

OutsideChangeReport OutsideChangeGuard::TakeInCopy(SiteCatalogue& catalogue, const std::string& copyPath,
                                                   std::chrono::system_clock::time_point now) {
  OutsideChangeReport first = TakeIn(catalogue, now);
  if (first.writeRefused) return first;
  OutsideChangeReport report;
  report.catalogueChanged = first.catalogueChanged;
  try {
    std::optional<FileWithIdentity> read = ReadFileWithIdentity(copyPath);
    std::optional<CatalogueFile> theirs =
        read ? ParseCatalogueFile(std::move(read->bytes), catalogue.IdentityText()) : std::nullopt;
    const std::string oursTree = catalogue.Tree().ToText();
    if (!theirs || !MergeableTree(theirs->treeText) || !MergeableTree(oursTree)) {
      report.kind = OutsideChangeKind::Unreadable;
      return report;
    }
    const std::optional<KnownDataFile> known = Known();
    const MergeBase empty;
    const std::string oursMaster = MasterLoginBlock(catalogue.MasterID(), catalogue.MasterPass());
    MergedCatalogue merged =
        MergeCatalogues(known ? known->base : empty, {oursTree, catalogue.SiteList().Lines(), oursMaster},
                        {theirs->treeText, theirs->sites.Lines(), theirs->masterBlock}, true);
    report.kind = OutsideChangeKind::Merged;
    report.counts = merged.counts;
    if (merged.differsFromOurs) {
      TakeMerged(catalogue, std::move(merged));
      report.catalogueChanged = true;
      report.saved = catalogue.SaveSiteData();
      if (!report.saved) return report;
      SavedFrom(catalogue);
    }
    BackupByRename(copyPath, now, &report.backupName);
  } catch (const std::bad_alloc&) {
    report.writeRefused = true;
  }
  return report;
}

}  // namespace morvane
