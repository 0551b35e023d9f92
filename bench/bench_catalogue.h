// The benchmarks' catalogues: a folder of their own, removed when the run ends,
// and sites of about 150 bytes a line, Japanese names included.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/site_record.h"
#include "util/cp932.h"

namespace morvane {

inline std::string BenchFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvane-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern + "/";
  }();
  return folder;
}

// Adds n sites; outOfOrder numbers their names out of order (for sorting).
inline void FillSites(SiteCatalogue& c, long long n, bool outOfOrder = false) {
  const std::string name = Utf8ToCp932("サイト");
  c.SiteList().SetCapacity(n);
  for (long long i = 0; i < n; ++i) {
    const std::string k = std::to_string(outOfOrder ? (i * 7919) % n : i);
    c.SiteList().Add(FormatSiteLine({name + k, "http://site" + k + ".example.jp/", "", "2026/12/08 04:37:29",
                                     "http://vexa.example/analysis/" + k, "user" + k, "pw" + k}));
  }
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
