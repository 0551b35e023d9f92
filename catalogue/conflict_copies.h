#pragma once
// The copies a file-sync tool leaves beside the data file when both PCs
// changed it: the other PC's version under a name of the tool's making.
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// True when fileName (no folder, the file system's encoding) is such a copy
// of the data file dataFileName (the same encoding): "NAME.sync-conflict-
// DATE-TIME-ID.EXT", "NAME (conflicted copy DATE TIME).EXT" or "NAME (WHO's
// conflicted copy DATE).EXT" for the data file "NAME.EXT".
bool IsConflictCopyName(std::string_view dataFileName, std::string_view fileName);

// The conflict copies of the data file in the folder (ending in '/'), their
// full paths in name order; only regular files.
std::vector<std::string> FindConflictCopies(const std::string& folder, std::string_view dataFileName);

}  // namespace morvane
