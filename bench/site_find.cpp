// Finding, sorting and exchanging sites in large catalogues (10,000 to
// 1,000,000 sites): one filter keystroke (the shown list rebuilt; also with
// half-width kana, and the first one before any text was folded), a sort by
// name, and CSV export and import next to saving and loading the data file.
#include <benchmark/benchmark.h>

#include <string>

#include "catalogue/site_csv.h"
#include "catalogue/site_exchange.h"
#include "catalogue/site_sort.h"
#include "catalogue_builder.h"

namespace {

using morvane::SiteCatalogue;

using morvane::BenchFolder;

// The names out of order, for the sort.
SiteCatalogue& Catalogue(long long n) { return morvane::SharedCatalogue(n, true); }

// One keystroke in the filter box: the shown list rebuilt through the filter
// (painting adds only the rows on screen).
void BM_FilterKeystroke(benchmark::State& state) {
  SiteCatalogue& c = Catalogue(state.range(0));
  c.SetShownFilter(morvane::SiteFilter("site12"));
  for (auto _ : state) c.ShowEntry(morvane::AllSitesEntryName());
  state.counters["shown"] = static_cast<double>(c.ShownList().Count());
  c.SetShownFilter(morvane::SiteFilter());
}

// The same with half-width kana typed against the full-width names, and the
// very first keystroke, before any site text was folded.
void BM_FilterKeystrokeKana(benchmark::State& state) {
  SiteCatalogue& c = Catalogue(state.range(0));
  c.SetShownFilter(morvane::SiteFilter::FromUtf8("ｻｲﾄ12"));
  for (auto _ : state) c.ShowEntry(morvane::AllSitesEntryName());
  state.counters["shown"] = static_cast<double>(c.ShownList().Count());
  c.SetShownFilter(morvane::SiteFilter());
}

void BM_FirstFilterKeystroke(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    SiteCatalogue c(morvane::BenchFolder());
    morvane::FillSites(c, state.range(0));
    // Names no earlier run has folded.
    for (long long i = 0; i < c.SiteList().Count(); ++i) {
      morvane::SiteRecord r = morvane::SiteFromLine(c.SiteList().Get(i));
      r.SiteName += std::to_string(state.iterations());
      c.SiteList().Put(i, morvane::FormatSiteLine(r));
    }
    c.SetShownFilter(morvane::SiteFilter::FromUtf8("ｻｲﾄ12"));
    state.ResumeTiming();
    c.ShowEntry(morvane::AllSitesEntryName());
  }
}

void BM_SortByName(benchmark::State& state) {
  SiteCatalogue& c = Catalogue(state.range(0));
  c.ShowEntry(morvane::AllSitesEntryName());
  bool descending = false;
  for (auto _ : state) {
    morvane::SortSiteLines(c.ShownList(), 1, descending);
    descending = !descending;
  }
}

void BM_CsvExport(benchmark::State& state) {
  const SiteCatalogue& c = Catalogue(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(morvane::SitesToCsv(c.SiteList(), true));
}

// Reading the file and adding every site to an empty catalogue.
void BM_CsvImport(benchmark::State& state) {
  const std::string csv = morvane::SitesToCsv(Catalogue(state.range(0)).SiteList(), true);
  for (auto _ : state) {
    morvane::LineList sites;
    morvane::CategoryTree tree;
    morvane::CsvSites read = morvane::ParseSitesCsv(csv);
    morvane::MergeSites(sites, tree, std::move(read.sites), true);
    benchmark::DoNotOptimize(sites.Count());
  }
}

// The export's default file (no passwords) read back into the catalogue it
// came from: every site an update that keeps its password.
void BM_CsvImportIntoTheSameSites(benchmark::State& state) {
  const SiteCatalogue& c = Catalogue(state.range(0));
  const std::string csv = morvane::SitesToCsv(c.SiteList(), false);
  for (auto _ : state) {
    state.PauseTiming();
    morvane::LineList sites;
    for (const std::string& line : c.SiteList().Lines()) sites.Add(line);
    morvane::CategoryTree tree;
    state.ResumeTiming();
    morvane::CsvSites read = morvane::ParseSitesCsv(csv);
    morvane::MergeSites(sites, tree, std::move(read.sites), true, std::move(read.given));
    benchmark::DoNotOptimize(sites.Count());
  }
}

void BM_SaveSiteData(benchmark::State& state) {
  const SiteCatalogue& c = Catalogue(state.range(0));
  for (auto _ : state)
    if (!c.SaveSiteData()) state.SkipWithError("save failed");
}

void BM_LoadSiteData(benchmark::State& state) {
  if (!Catalogue(state.range(0)).SaveSiteData()) state.SkipWithError("save failed");
  SiteCatalogue c(BenchFolder());
  for (auto _ : state)
    if (!c.LoadSiteData().Loaded()) state.SkipWithError("load failed");
}

#define SIZES ->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_FilterKeystroke) SIZES;
BENCHMARK(BM_FilterKeystrokeKana) SIZES;
BENCHMARK(BM_FirstFilterKeystroke)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortByName) SIZES;
BENCHMARK(BM_CsvExport) SIZES;
BENCHMARK(BM_SaveSiteData) SIZES;
BENCHMARK(BM_CsvImport) SIZES;
BENCHMARK(BM_CsvImportIntoTheSameSites) SIZES;
BENCHMARK(BM_LoadSiteData) SIZES;

}  // namespace

int main(int argc, char** argv) { return morvane::RunCatalogueBenchmarks(argc, argv); }
