#pragma once
// The data file's backups beside it, all named by the time they were made
// ("yyyymmddhhmmss_zzz_" before the name): BASE.bak copies are kept for good
// (a foreign or damaged data file, a version changed from outside, the
// catalogue before an import or restore); BASE.daily.bak copies are made
// before the first save of a day and only the newest ten stay; a catalogue
// that could not be saved at a close by the system is written under the
// stamped data file name itself. Names are in the file system's encoding.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

inline constexpr std::size_t kDailyBackupsKept = 10;
inline constexpr std::string_view kDailyBackupExtension = ".daily.bak";

enum class BackupKind { Kept, Daily, Rescue };

// The backup name of the data file for when with the given extension, or
// the first one after it, a millisecond at a time, that no file holds yet.
std::string FreeBackupName(const std::string& dataPath, std::chrono::system_clock::time_point when,
                           std::string_view extension = ".bak");

struct BackupFile {
  std::string path;
  std::string stamp;  // "yyyymmddhhmmss_zzz"
  BackupKind kind = BackupKind::Kept;
  std::uintmax_t size = 0;
  // "yyyy/mm/dd hh:mm:ss" from the stamp.
  std::string ShownTime() const;
};

// The backups of the data file (a path) in its folder, newest first.
std::vector<BackupFile> ListBackups(const std::string& dataPath);

enum class DailyCopy {
  Made,          // the data file was copied
  AlreadyToday,  // a daily backup of today's date is there
  NoFile,        // no data file to copy
  Failed,        // it could not be copied
};
// Copies the data file to its daily backup name unless one of today's date
// (local time of now) exists, then deletes all but the newest keep daily
// backups. Backups of other kinds are never deleted.
DailyCopy KeepDailyCopy(const std::string& dataPath, std::chrono::system_clock::time_point now,
                        std::size_t keep = kDailyBackupsKept, std::string* madeName = nullptr);

// What a backup holds, read under the data file's identity text.
struct BackupSummary {
  bool loadable = false;  // false: another format, damaged, cut short
  long long sites = 0;
  long long categories = 0;
};
BackupSummary SummariseBackup(const std::string& path, std::string_view identityText);

}  // namespace morvane
