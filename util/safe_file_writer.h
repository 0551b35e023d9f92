#pragma once
// The one way this program writes a file: the bytes go to a temporary file in
// the same folder, are flushed to disk, and the temporary file is renamed over
// the old one. A failure at any step leaves the old file as it was.
#include <sys/types.h>

#include <span>
#include <string>
#include <string_view>

namespace morvane {

// Files that hold passwords (data file, exports, backups) are private.
inline constexpr mode_t kPrivateFileMode = 0600;
inline constexpr mode_t kSharedFileMode = 0644;

// True when path now holds exactly bytes. On false the temporary file is gone
// and whatever was at path before is untouched. A path that is a symbolic
// link keeps it: the file the links lead to is replaced, in its own folder;
// links that loop are refused.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, mode_t mode);
// The same for bytes given in pieces, written one after another.
bool WriteFileReplacing(const std::string& path, std::span<const std::string_view> pieces, mode_t mode);

// Folder part of a path including its last '/', and the name after it.
std::string FolderPart(std::string_view path);
std::string NamePart(std::string_view path);

}  // namespace morvane
