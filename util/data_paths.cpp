#include "util/data_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string_view>

#include "util/safe_file_writer.h"

namespace morvane {
namespace {

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

// Takes the option's value from "--name=value" or from the next argument.
bool TakeOption(std::string_view name, int argc, const char* const* argv, int& i, std::optional<std::string>& value,
                std::string& error) {
  const std::string_view arg = argv[i];
  if (arg == name) {
    if (i + 1 >= argc) {
      error = std::string(name) + " needs a value";
      return true;
    }
    value = argv[++i];
    return true;
  }
  if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
    value = std::string(arg.substr(name.size() + 1));
    return true;
  }
  return false;
}

}  // namespace

CommandLineOptions ParseCommandLine(int argc, const char* const* argv) {
  CommandLineOptions options;
  for (int i = 1; i < argc; ++i) {
    if (TakeOption("--data-dir", argc, argv, i, options.dataDir, options.error)) continue;
    if (TakeOption("--service-url", argc, argv, i, options.serviceUrl, options.error)) continue;
    options.rest.emplace_back(argv[i]);
  }
  if (options.error.empty() && options.dataDir && options.dataDir->empty()) options.error = "--data-dir needs a value";
  return options;
}

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

DataPaths DataPathsFor(const std::string& folder, const std::string& programName) {
  DataPaths paths;
  paths.folder = folder.empty() ? CurrentFolder() : folder;
  if (paths.folder.front() != '/') paths.folder = CurrentFolder() + "/" + paths.folder;
  if (paths.folder.back() != '/') paths.folder.push_back('/');
  paths.settingsFile = paths.folder + programName + ".ini";
  return paths;
}

DataPaths ResolveDataPaths(const CommandLineOptions& options) {
  return DataPathsFor(options.dataDir && !options.dataDir->empty() ? *options.dataDir : ProgramFolder(),
                      ProgramName());
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
