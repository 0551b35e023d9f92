#pragma once
// The program's command line: what it accepts, what it says for --help and
// --version. Read before anything else starts, so a bad option never opens a
// window.
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

struct CommandLineOptions {
  std::optional<std::string> dataDir;     // --data-dir DIR, --data-dir=DIR
  std::optional<std::string> serviceUrl;  // --service-url URL, --service-url=URL
  bool help = false;                      // --help, -h
  bool version = false;                   // --version
  std::string error;                      // non-empty: why the command line was refused (one line)
};

CommandLineOptions ParseCommandLine(int argc, const char* const* argv);

// "morvane 8.0"
std::string VersionText();
// Usage, the options and the data folder rule, ending with the folder this
// start would use and why.
std::string HelpText(std::string_view dataFolder, std::string_view whyThisFolder);
// The usage line alone, for an error message.
std::string_view UsageLine();

}  // namespace morvane
