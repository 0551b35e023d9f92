#include "util/data_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "util/safe_file_writer.h"

namespace morvane {
namespace {

// The catalogue's default file name; a copy that renamed it still has its
// settings file beside the program.
constexpr const char* kDefaultDataFileName = "VexaSiteData.dat";

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The base folder of user data. A relative $XDG_DATA_HOME is invalid and
// ignored, as is an empty one.
std::string UserDataHome(const DataFolderSurroundings& around) {
  if (around.xdgDataHome && around.xdgDataHome->starts_with('/')) return *around.xdgDataHome;
  std::string home = around.home.value_or("");
  if (home.empty() || home.front() != '/') {
    const passwd* user = ::getpwuid(::geteuid());
    home = user && user->pw_dir ? user->pw_dir : "/";
  }
  if (home.back() == '/') home.pop_back();
  return home + "/.local/share";
}

}  // namespace

std::string ProgramFolder() {
  const std::string folder = FolderPart(ExecutablePath());
  return folder.empty() ? CurrentFolder() + "/" : folder;
}

std::string ProgramName() {
  std::string name = NamePart(ExecutablePath());
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? std::string("morvane") : name;
}

DataFolderSurroundings CurrentSurroundings() {
  return {ProgramFolder(), ProgramName(), Environment("XDG_DATA_HOME"), Environment("HOME")};
}

DataPaths DataPathsFor(const std::string& folder, const std::string& programName) {
  DataPaths paths;
  paths.folder = folder.empty() ? CurrentFolder() : folder;
  if (paths.folder.front() != '/') paths.folder = CurrentFolder() + "/" + paths.folder;
  if (paths.folder.back() != '/') paths.folder.push_back('/');
  paths.settingsFile = paths.folder + programName + ".ini";
  paths.browserProfile = paths.folder + "browser/";
  return paths;
}

DataPaths ChooseDataPaths(const std::optional<std::string>& dataDir, const DataFolderSurroundings& around) {
  if (dataDir && !dataDir->empty()) return DataPathsFor(*dataDir, around.programName);
  DataPaths portable = DataPathsFor(around.programFolder, around.programName);
  if (IsRegularFile(portable.folder + kDefaultDataFileName) || IsRegularFile(portable.settingsFile)) {
    portable.rule = DataFolderRule::kProgramFolder;
    return portable;
  }
  DataPaths paths = DataPathsFor(UserDataHome(around) + "/morvane", around.programName);
  paths.rule = DataFolderRule::kUserDataHome;
  return paths;
}

DataPaths ResolveDataPaths(const CommandLineOptions& options) {
  return ChooseDataPaths(options.dataDir, CurrentSurroundings());
}

const char* DescribeRule(DataFolderRule rule) {
  switch (rule) {
    case DataFolderRule::kCommandLine: return "given by --data-dir";
    case DataFolderRule::kProgramFolder: return "the program's folder holds a catalogue";
    case DataFolderRule::kUserDataHome: return "the user's data folder";
  }
  return "";
}

bool EnsureDataFolder(const DataPaths& paths) {
  for (std::size_t slash = 1; slash < paths.folder.size(); ++slash) {
    slash = paths.folder.find('/', slash);
    if (slash == std::string::npos) break;
    const std::string part = paths.folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(paths.folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace morvane
