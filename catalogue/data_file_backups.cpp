#include "catalogue/data_file_backups.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <new>

#include "catalogue/catalogue.h"
#include "catalogue/outside_change.h"
#include "util/container_file.h"
#include "util/file_ops.h"
#include "util/safe_file_writer.h"
#include "util/text_file.h"

namespace morvane {
namespace {

constexpr std::size_t kStampLength = 19;  // "yyyymmddhhmmss_zzz_"

bool Digits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsStamp(std::string_view name) {
  return name.size() > kStampLength && Digits(name.substr(0, 14)) && name[14] == '_' && Digits(name.substr(15, 3)) &&
         name[18] == '_';
}

std::string BaseOf(std::string_view dataName) {
  const std::size_t dot = dataName.rfind('.');
  return std::string(dot == std::string_view::npos ? dataName : dataName.substr(0, dot));
}

// "yyyymmdd" of the local date.
std::string LocalDay(std::chrono::system_clock::time_point when) {
  return NamePart(TimeStampedName("x", when)).substr(0, 8);
}

// The stamped name's kind for the data file dataName, or false when it is
// not one of its backups. A conflict copy moved aside once taken in keeps
// its own name after the base and counts as kept.
bool KindOf(std::string_view rest, std::string_view dataName, BackupKind& kind) {
  const std::string base = BaseOf(dataName);
  if (rest == dataName) {
    kind = BackupKind::Rescue;
    return true;
  }
  if (rest == base + std::string(kDailyBackupExtension)) {
    kind = BackupKind::Daily;
    return true;
  }
  if (rest == base + ".bak" ||
      ((rest.starts_with(base + ".") || rest.starts_with(base + " (")) && rest.ends_with(".bak"))) {
    kind = BackupKind::Kept;
    return true;
  }
  return false;
}

}  // namespace

std::string FreeBackupName(const std::string& dataPath, std::chrono::system_clock::time_point when,
                           std::string_view extension) {
  for (int tries = 0;; ++tries, when += std::chrono::milliseconds(1)) {
    std::string name = BackupName(dataPath, when);
    name.replace(name.size() - 4, 4, extension);
    if (tries >= 1000 || !std::filesystem::exists(std::filesystem::symlink_status(name))) return name;
  }
}

std::string BackupFile::ShownTime() const {
  if (stamp.size() < 14) return stamp;
  return stamp.substr(0, 4) + "/" + stamp.substr(4, 2) + "/" + stamp.substr(6, 2) + " " + stamp.substr(8, 2) + ":" +
         stamp.substr(10, 2) + ":" + stamp.substr(12, 2);
}

std::vector<BackupFile> ListBackups(const std::string& dataPath) {
  std::vector<BackupFile> backups;
  const std::string folder = FolderPart(dataPath), dataName = NamePart(dataPath);
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    BackupFile file;
    if (!IsStamp(name) || !KindOf(std::string_view(name).substr(kStampLength), dataName, file.kind)) continue;
    std::error_code statError;
    if (!it->is_regular_file(statError)) continue;
    file.path = folder + name;
    file.stamp = name.substr(0, kStampLength - 1);
    file.size = it->file_size(statError);
    backups.push_back(std::move(file));
  }
  std::sort(backups.begin(), backups.end(), [](const BackupFile& a, const BackupFile& b) {
    return a.stamp != b.stamp ? a.stamp > b.stamp : a.path > b.path;
  });
  return backups;
}

DailyCopy KeepDailyCopy(const std::string& dataPath, std::chrono::system_clock::time_point now, std::size_t keep,
                        std::string* madeName) {
  std::vector<BackupFile> daily = ListBackups(dataPath);
  std::erase_if(daily, [](const BackupFile& b) { return b.kind != BackupKind::Daily; });
  const std::string today = LocalDay(now);
  if (std::any_of(daily.begin(), daily.end(), [&](const BackupFile& b) { return b.stamp.starts_with(today); }))
    return DailyCopy::AlreadyToday;
  if (!RegularFileExists(dataPath)) return DailyCopy::NoFile;
  const std::string target = FreeBackupName(dataPath, now, kDailyBackupExtension);
  if (!KeepCopyAs(dataPath, target)) return DailyCopy::Failed;
  if (madeName) *madeName = target;
  // Newest first: the new copy is among the ones kept.
  daily.insert(daily.begin(), BackupFile{target, "", BackupKind::Daily, 0});
  for (std::size_t i = keep; i < daily.size(); ++i) CurrentFileOps().Unlink(daily[i].path.c_str());
  return DailyCopy::Made;
}

BackupSummary SummariseBackup(const std::string& path, std::string_view identityText) {
  BackupSummary summary;
  try {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return summary;
    std::optional<CatalogueFile> file = ParseCatalogueFile(std::move(bytes), identityText);
    if (!file) return summary;
    summary.loadable = true;
    summary.sites = file->sites.Count();
    if (!file->treeText.empty()) {
      CategoryTree tree;
      tree.FromText(file->treeText);
      summary.categories = CountCategories(tree);
    }
  } catch (const std::bad_alloc&) {
    summary = {};
  }
  return summary;
}

}  // namespace morvane
