#include "catalogue/conflict_copies.h"

#include <dirent.h>

#include <algorithm>
#include <memory>

#include "util/text_file.h"

namespace morvane {

bool IsConflictCopyName(std::string_view dataFileName, std::string_view fileName) {
  const std::size_t dot = dataFileName.rfind('.');
  const std::string_view stem = dataFileName.substr(0, dot == std::string_view::npos ? dataFileName.size() : dot);
  const std::string_view ext = dot == std::string_view::npos ? std::string_view() : dataFileName.substr(dot);
  if (stem.empty() || fileName.size() <= stem.size() + ext.size() || !fileName.starts_with(stem) ||
      !fileName.ends_with(ext))
    return false;
  const std::string_view middle = fileName.substr(stem.size(), fileName.size() - stem.size() - ext.size());
  if (middle.find('/') != std::string_view::npos) return false;
  constexpr std::string_view kSyncConflict = ".sync-conflict-";
  if (middle.starts_with(kSyncConflict)) return middle.size() > kSyncConflict.size();
  return middle.starts_with(" (") && middle.ends_with(")") && middle.find("conflicted copy") != std::string_view::npos;
}

std::vector<std::string> FindConflictCopies(const std::string& folder, std::string_view dataFileName) {
  std::vector<std::string> copies;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return copies;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (IsConflictCopyName(dataFileName, name) && RegularFileExists(folder + std::string(name)))
      copies.push_back(folder + std::string(name));
  }
  std::sort(copies.begin(), copies.end());
  return copies;
}

}  // namespace morvane
