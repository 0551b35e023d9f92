// morvane-health: the site check of the catalogue without the window, for a
// timer. Reads the site data file and never writes it (nor takes the
// window's lock), records the check in the history and prints the report.
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/core/service_address.h"
#include "catalogue/catalogue.h"
#include "catalogue/site_record.h"
#include "health/catalogue_sites.h"
#include "health/health_check_run.h"
#include "util/cp932.h"
#include "util/data_paths.h"
#include "util/settings_file.h"

namespace {

constexpr int kAllUp = 0, kSomeDown = 1, kUsage = 2;

constexpr const char* kUsageText =
    "Usage:\n"
    "  morvane-health [--data-dir DIR] [--category NAME] [--format tsv|csv|html]\n"
    "                 [--ca-file FILE] [--service-url URL]\n"
    "\n"
    "Checks every site of the catalogue (or of the category NAME): its answer,\n"
    "certificate, speed and analysis tag. The result goes into the history\n"
    "(site-health.sqlite in the data folder) and the report to the standard\n"
    "output. Exits 0 when every site is up and no certificate has less than 14\n"
    "days left, 1 otherwise, 2 on a usage or data folder error.\n";

int UsageError(std::string_view message) {
  std::cerr << "morvane-health: " << message << "\n\n" << kUsageText;
  return kUsage;
}

struct Options {
  std::optional<std::string> dataDir, category, caFile, serviceURL;
  std::string format = "tsv";
};

std::optional<std::string> Parse(const std::vector<std::string_view>& args, Options& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view a = args[i];
    std::optional<std::string_view> value;
    if (const std::size_t eq = a.find('='); a.starts_with("--") && eq != std::string_view::npos) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
    }
    if (a != "--data-dir" && a != "--category" && a != "--format" && a != "--ca-file" && a != "--service-url")
      return "unknown argument " + std::string(args[i]);
    if (!value) {
      if (i + 1 >= args.size()) return "option " + std::string(a) + " needs a value";
      value = args[++i];
    }
    const std::string v(*value);
    if (a == "--data-dir") o.dataDir = v;
    else if (a == "--category") o.category = v;
    else if (a == "--ca-file") o.caFile = v;
    else if (a == "--service-url") o.serviceURL = v;
    else if (v == "tsv" || v == "csv" || v == "html") o.format = v;
    else return "bad value '" + v + "' for --format";
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace morvane;
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsageText;
    return kAllUp;
  }
  Options o;
  if (auto problem = Parse(args, o)) return UsageError(*problem);

  // The window's folder and settings, whatever this program is called.
  DataFolderSurroundings around = CurrentSurroundings();
  around.programName = "morvane";
  const DataPaths paths = ChooseDataPaths(o.dataDir, around);
  SettingsFile settings(paths.settingsFile);
  settings.LoadSettings();
  SiteCatalogue catalogue(paths.folder);
  catalogue.ChooseDataFileName(settings.ReadString("SiteDataFileName"));
  // Read as an import is: the file is never moved aside nor written.
  const std::string dataFile = catalogue.DataFilePath();
  if (!catalogue.LoadSiteData(dataFile).Loaded()) {
    std::cerr << "morvane-health: no readable site data file at " << dataFile << '\n';
    return kUsage;
  }
  const std::string entry = o.category ? Utf8ToCp932(*o.category) : AllSitesEntryName();
  if (!catalogue.Tree().FindByName(entry)) return UsageError("no category '" + *o.category + "'");

  HealthCheckSetup setup;
  setup.sites = HealthSitesOfEntry(catalogue.SiteList(), entry);
  setup.catalogue = CatalogueSiteKeys(catalogue.SiteList());
  setup.historyPath = paths.folder + std::string(kHealthHistoryFileName);
  setup.serviceURL = Cp932ToUtf8(ServiceURLInForce(o.serviceURL ? Utf8URLToCp932(*o.serviceURL) : std::string(),
                                                   settings.ReadString(kServiceURLKey)));
  if (o.caFile) setup.limits.caFile = *o.caFile;
  HealthCheckRun run(std::move(setup));
  run.Wait();
  const HealthReport& report = run.Report();
  if (!report.historyError.empty()) std::cerr << "morvane-health: " << report.historyError << '\n';

  if (o.format == "csv") std::cout << HealthReportCSV(report);
  else if (o.format == "html") std::cout << HealthReportHTML(report) << '\n';
  else std::cout << HealthReportTSV(report);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "morvane-health: cannot write the output\n";
    return kSomeDown;
  }
  return report.AllHealthy() ? kAllUp : kSomeDown;
}
