#pragma once
// Opening the data folder at start-up, before any window exists: the boxes
// the user sees when the folder is in use, cannot be written or is open to
// other users.
#include "util/data_folder_guard.h"

namespace morvane {

// Creates the folder when missing and locks it for this run. False when the
// program should end without opening its window (the folder is missing and
// cannot be made, another window uses it, or the user chose to quit). An
// unusable browser profile is dropped from paths: the session keeps its
// cookies in memory only.
bool OpenDataFolder(DataPaths& paths, DataFolderLock& lock);

}  // namespace morvane
