#pragma once
// Where the program keeps its files, and the command-line options that move
// them. Paths are in the file system's encoding.
#include <optional>
#include <string>
#include <vector>

namespace morvane {

struct CommandLineOptions {
  std::optional<std::string> dataDir;     // --data-dir DIR, --data-dir=DIR
  std::optional<std::string> serviceUrl;  // --service-url URL, --service-url=URL
  std::vector<std::string> rest;          // every other argument, in order (argv[0] excluded)
  std::string error;                      // non-empty: an option lacked its value
};

CommandLineOptions ParseCommandLine(int argc, const char* const* argv);

struct DataPaths {
  std::string folder;        // absolute, with a trailing '/'
  std::string settingsFile;  // folder + "<program name>.ini"
};

// The running program's folder (with a trailing '/') and its file name
// without extension, from /proc/self/exe.
std::string ProgramFolder();
std::string ProgramName();

// The data folder is --data-dir when given (made absolute against the
// current folder), else the program's folder. Nothing is created.
DataPaths ResolveDataPaths(const CommandLineOptions& options);
DataPaths DataPathsFor(const std::string& folder, const std::string& programName);

// Creates the folder (and its parents) when missing, private to the user.
bool EnsureDataFolder(const DataPaths& paths);

}  // namespace morvane
