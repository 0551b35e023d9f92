#include "util/command_line.h"

#include "util/glib_ptr.h"
#include "util/safe_file_writer.h"

#ifndef MORVANE_VERSION
#define MORVANE_VERSION "unknown"
#endif

namespace morvane {
namespace {

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

// The service is reached by the embedded browser: an absolute web address.
bool IsWebAddress(std::string_view url) {
  const std::optional<AddressParts> parts = ParseAddressParts(url);
  return parts && parts->IsHttp();
}

}  // namespace

CommandLineOptions ParseCommandLine(int argc, const char* const* argv) {
  CommandLineOptions options;
  for (int i = 1; i < argc && options.error.empty(); ++i) {
    const std::string_view arg = argv[i];
    if (TakeOption("--data-dir", argc, argv, i, options.dataDir, options.error)) continue;
    if (TakeOption("--service-url", argc, argv, i, options.serviceUrl, options.error)) continue;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg.starts_with("-")) {
      options.error = "unknown option " + std::string(arg);
    } else {
      options.error = "unexpected argument " + std::string(arg);
    }
  }
  if (!options.error.empty()) return options;
  if (options.dataDir && options.dataDir->empty()) {
    options.error = "--data-dir needs a value";
  } else if (options.serviceUrl && !IsWebAddress(*options.serviceUrl)) {
    options.error = "--service-url needs an http or https address, not " + *options.serviceUrl;
  }
  return options;
}

std::string VersionText() { return std::string("morvane ") + MORVANE_VERSION; }

std::string_view UsageLine() { return "usage: morvane [--data-dir DIR] [--service-url URL] [--help] [--version]"; }

std::string HelpText(std::string_view dataFolder, std::string_view whyThisFolder) {
  std::string text(UsageLine());
  text +=
      "\n\n"
      "Keeps a catalogue of your web sites and opens their statistics pages in an\n"
      "embedded browser that logs in for you.\n"
      "\n"
      "Options:\n"
      "  --data-dir DIR     keep the catalogue, backups, settings and browser profile in DIR\n"
      "  --service-url URL  the access-analysis service to use (http or https)\n"
      "  -h, --help         show this help and exit\n"
      "  --version          show the version and exit\n"
      "\n"
      "Data folder: --data-dir when given; otherwise the program's own folder when it\n"
      "already holds a site data file or settings file (a portable copy); otherwise\n"
      "$XDG_DATA_HOME/morvane (by default ~/.local/share/morvane), created private to you.\n"
      "\n"
      "Data folder in use: ";
  text += dataFolder;
  text += " (";
  text += whyThisFolder;
  text += ")\n";
  return text;
}

}  // namespace morvane
