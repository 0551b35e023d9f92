// The benchmarks' catalogues: a folder of their own, removed when the run ends,
// sites of about 150 bytes a line, Japanese names included, and categories.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "catalogue/catalogue.h"
#include "catalogue/site_record.h"
#include "util/cp932.h"
#include "util/line_list.h"

namespace morvane {

inline std::string BenchFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvane-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern + "/";
  }();
  return folder;
}

// A category name: the prefix (UTF-8) and the number, in CP932.
inline std::string BenchCategory(std::string_view prefix, long long i) {
  return Utf8ToCp932(std::string(prefix) + std::to_string(i));
}

// Categories named prefix0, prefix1, ...
inline void AddCategories(SiteCatalogue& c, int count, std::string_view prefix) {
  for (int i = 0; i < count; ++i) c.Tree().AddCategory(BenchCategory(prefix, i));
}

// Adds n sites, the k-th in categoryOf(k) (none without it); outOfOrder
// numbers their names out of order (for sorting).
inline void FillSites(LineList& sites, long long n, bool outOfOrder = false,
                      const std::function<std::string(long long)>& categoryOf = {}) {
  const std::string name = Utf8ToCp932("サイト");
  sites.SetCapacity(sites.Count() + n);
  for (long long i = 0; i < n; ++i) {
    const std::string k = std::to_string(outOfOrder ? (i * 7919) % n : i);
    sites.Add(FormatSiteLine({name + k, "http://site" + k + ".example.jp/", categoryOf ? categoryOf(i) : "",
                              "2026/12/08 04:37:29", "http://vexa.example/analysis/" + k, "user" + k, "pw" + k}));
  }
}
inline void FillSites(SiteCatalogue& c, long long n, bool outOfOrder = false,
                      const std::function<std::string(long long)>& categoryOf = {}) {
  FillSites(c.SiteList(), n, outOfOrder, categoryOf);
}

// Writes the catalogue's data file; a benchmark over a file that is not
// there would measure nothing, so a failure ends the run.
inline void SaveOrAbort(const SiteCatalogue& c) {
  if (!c.SaveSiteData()) std::abort();
}

// One catalogue of n sites in the bench folder, filled again only when n changes.
inline SiteCatalogue& SharedCatalogue(long long n, bool outOfOrder = false) {
  static std::unique_ptr<SiteCatalogue> c;
  static long long filled = -1;
  if (filled != n) {
    c = std::make_unique<SiteCatalogue>(BenchFolder());
    FillSites(*c, n, outOfOrder);
    filled = n;
  }
  return *c;
}

// main() of a benchmark that uses the bench folder.
inline int RunCatalogueBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(BenchFolder());
  return 0;
}

}  // namespace morvane
