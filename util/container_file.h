#pragma once
// The guarded container: a text file made of an identity block, by which a
// reader knows the file for its own, and a contents block; and moving a file
// aside under a time-stamped backup name.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>

#include "util/safe_file_writer.h"

namespace morvane {

inline constexpr std::string_view kIdentityTag = "\t\t@__QZ_ID_CODE_BLOCK_TAG__@\t\t";
inline constexpr std::string_view kContentsTag = "\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t";

// Writes the identity block and the contents block as one CR LF text. False,
// with nothing written, also when a text could not be read back as given: a
// NUL byte in it, or the closing mark of its own block.
bool WriteContainer(const std::string& name, std::string_view contents, std::string_view identity,
                    mode_t mode = kPrivateFileMode);

struct ContainerText {
  std::string contents;  // returned whether or not the identity matched
  bool identityMatches = false;
  // A whole contents block was there; a file cut short, or another kind of
  // file, has none even when its identity matches.
  bool contentsFound = false;
};

ContainerText ReadContainer(const std::string& name, std::string_view expectedIdentity);
// The same over a file's text as LoadTextFile gives it.
ContainerText ParseContainer(std::string text, std::string_view expectedIdentity);

// "yyyymmddhhmmss_zzz_" of the local time put before the file name.
std::string TimeStampedName(std::string_view name, std::chrono::system_clock::time_point when);
// The time-stamped name with the extension changed to ".bak".
std::string BackupName(std::string_view name, std::chrono::system_clock::time_point when);

// Copies the file to its backup name for when; never replaces an existing
// file. False when nothing was copied.
bool KeepCopy(const std::string& name, std::chrono::system_clock::time_point when, std::string* backupName = nullptr);

// Copies the file to target, which must not exist yet (mode 0600). False
// when nothing was copied.
bool KeepCopyAs(const std::string& name, const std::string& target);

// Renames the file to its backup name for now (or for when). Never replaces
// an existing file: when the backup name is taken the rename fails and the
// file stays where it was.
bool BackupByRename(const std::string& name);
bool BackupByRename(const std::string& name, std::chrono::system_clock::time_point when,
                    std::string* backupName = nullptr);

}  // namespace morvane
