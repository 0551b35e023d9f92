#pragma once
// Where the program keeps its files: the catalogue, its backups, the settings
// and the browser profile all live in one data folder. Paths are in the file
// system's encoding.
#include <optional>
#include <string>

#include "util/command_line.h"

namespace morvane {

// Which rule chose the data folder.
enum class DataFolderRule {
  kCommandLine,    // --data-dir
  kProgramFolder,  // the program's folder already holds a catalogue (a portable copy)
  kUserDataHome,   // $XDG_DATA_HOME/morvane, by default ~/.local/share/morvane
};

struct DataPaths {
  std::string folder;          // absolute, with a trailing '/'
  std::string settingsFile;    // folder + "<program name>.ini"
  std::string browserProfile;  // folder + "browser/"; empty: keep the profile in memory only
  // The folder's lock could not be taken: another window may be working on
  // it, so this run writes nothing there.
  bool readOnly = false;
  DataFolderRule rule = DataFolderRule::kCommandLine;
};

// The running program's folder (with a trailing '/') and its file name
// without extension, from /proc/self/exe.
std::string ProgramFolder();
std::string ProgramName();

// What the folder rule looks at, apart from the command line.
struct DataFolderSurroundings {
  std::string programFolder;  // with a trailing '/'
  std::string programName;
  std::optional<std::string> xdgDataHome;
  std::optional<std::string> home;
};
DataFolderSurroundings CurrentSurroundings();

// --data-dir (made absolute against the current folder) when given; else the
// program's folder when it holds the default site data file or this
// program's settings file; else the user's data home. Nothing is created.
DataPaths ChooseDataPaths(const std::optional<std::string>& dataDir, const DataFolderSurroundings& around);
DataPaths ResolveDataPaths(const CommandLineOptions& options);
DataPaths DataPathsFor(const std::string& folder, const std::string& programName);

// Why the folder was chosen, for --help.
const char* DescribeRule(DataFolderRule rule);

// Creates the folder (and its parents) when missing, private to the user.
bool EnsureDataFolder(const DataPaths& paths);

}  // namespace morvane
