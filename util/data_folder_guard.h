#pragma once
// What start-up makes sure of before the window touches the data folder: one
// running program per folder, a folder it can write, and no profile or folder
// that other users could tamper with.
#include <string>

#include "util/data_paths.h"

namespace morvane {

// Lock file in the data folder; its content is never read.
inline constexpr const char* kDataFolderLockName = "morvane.lock";

// An advisory lock on the data folder, held while the object lives. The
// kernel drops it when the process dies, so a killed program never leaves a
// lock that blocks the next start.
class DataFolderLock {
 public:
  enum class Result {
    kLocked,      // this process holds the folder
    kInUse,       // another running program holds it
    kUnavailable  // no lock could be taken (read-only folder, no locking)
  };

  DataFolderLock() = default;
  ~DataFolderLock();
  DataFolderLock(const DataFolderLock&) = delete;
  DataFolderLock& operator=(const DataFolderLock&) = delete;

  Result Acquire(const std::string& folder);  // folder with a trailing '/'
  void Release();

 private:
  int fd_ = -1;
};

struct DataFolderState {
  bool writable = false;               // a file could be created there and removed again
  bool sharedWritable = false;         // group or others may write the folder
  bool browserSharedWritable = false;  // the same for the browser profile
  bool browserOwnedByOther = false;    // the browser profile belongs to another user
};

// Looks at an existing data folder; the only thing it writes is a probe file
// it removes at once.
DataFolderState InspectDataFolder(const DataPaths& paths);

}  // namespace morvane
