#include "util/container_file.h"

#include <fcntl.h>

#include <cstdio>
#include <ctime>

#include "util/file_ops.h"
#include "util/safe_file_writer.h"
#include "util/text_file.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

std::string ClosingMark(std::string_view tag) { return "<!--/" + std::string(tag) + "-->"; }

// True when text survives the trip through its block unchanged in length.
bool FitsInBlock(std::string_view text, std::string_view tag) {
  return text.find('\0') == std::string_view::npos && CharPos(ClosingMark(tag), text) == 0;
}

}  // namespace

bool WriteContainer(const std::string& name, std::string_view contents, std::string_view identity, mode_t mode) {
  if (!FitsInBlock(identity, kIdentityTag) || !FitsInBlock(contents, kContentsTag)) return false;
  const std::string identityBlock = WrapTagBlock(kIdentityTag, identity);
  const std::string opening = "<!--" + std::string(kContentsTag) + "-->";
  return SaveTextFile(name, {identityBlock, opening, contents, ClosingMark(kContentsTag)}, mode);
}

ContainerText ReadContainer(const std::string& name, std::string_view expectedIdentity) {
  return ParseContainer(LoadTextFile(name), expectedIdentity);
}

ContainerText ParseContainer(std::string text, std::string_view expectedIdentity) {
  ContainerText result;
  const std::string identity = ExtractTagBlock(text, kIdentityTag, true);
  // The block is cut out of the text only when both its marks are there.
  const std::size_t before = text.size();
  result.contents = ExtractLargeTagBlock(text, kContentsTag);
  result.contentsFound = text.size() != before;
  result.identityMatches = identity == expectedIdentity;
  return result;
}

std::string TimeStampedName(std::string_view name, std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto sinceEpoch = when.time_since_epoch();
  const std::time_t seconds = static_cast<std::time_t>(floor<std::chrono::seconds>(sinceEpoch).count());
  const int millis = static_cast<int>(floor<milliseconds>(sinceEpoch).count() % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d_%03d_", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, millis);
  return FolderPart(name) + stamp + NamePart(name);
}

std::string BackupName(std::string_view name, std::chrono::system_clock::time_point when) {
  std::string fileName = NamePart(TimeStampedName(name, when));
  const std::size_t dot = fileName.rfind('.');
  if (dot != std::string::npos) fileName.erase(dot);
  return FolderPart(name) + fileName + ".bak";
}

bool BackupByRename(const std::string& name) { return BackupByRename(name, std::chrono::system_clock::now()); }

bool KeepCopy(const std::string& name, std::chrono::system_clock::time_point when, std::string* backupName) {
  const std::string target = BackupName(name, when);
  if (!KeepCopyAs(name, target)) return false;
  if (backupName) *backupName = target;
  return true;
}

bool KeepCopyAs(const std::string& name, const std::string& target) {
  if (RegularFileExists(target)) return false;
  std::string bytes;
  return ReadWholeFile(name, bytes) && WriteFileReplacing(target, bytes, kPrivateFileMode);
}

bool BackupByRename(const std::string& name, std::chrono::system_clock::time_point when, std::string* backupName) {
  const std::string target = BackupName(name, when);
  if (CurrentFileOps().RenameNoReplace(name.c_str(), target.c_str()) != 0) return false;
  if (backupName) *backupName = target;
  return true;
}

}  // namespace morvane
