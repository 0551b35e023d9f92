// Speed of the site line round trip and of rebuilding the shown list, per
// site, at 0.1x and 1x of a million sites, next to a memcpy/memchr pass over
// the same lines as the bandwidth reference.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "catalogue/site_record.h"
#include "catalogue_builder.h"
#include "util/cp932.h"
#include "util/line_list.h"

namespace {

using morvane::LineList;
using morvane::SystemText;

// Sites in ten categories, every one with a password.
const LineList& Sites(long long count) {
  static LineList sites;
  if (sites.Count() != count) {
    sites.Clear();
    morvane::FillSites(sites, count, false, [](long long i) { return morvane::BenchCategory("カテゴリ", i % 10); });
  }
  return sites;
}

std::size_t TotalBytes(const LineList& sites) {
  std::size_t bytes = 0;
  for (const std::string& line : sites.Lines()) bytes += line.size();
  return bytes;
}

void ParseFormatSiteLine(benchmark::State& state) {
  const LineList& sites = Sites(state.range(0));
  for (auto _ : state) {
    for (const std::string& line : sites.Lines()) {
      std::string again = morvane::FormatSiteLine(morvane::ParseSiteLine(line).record);
      benchmark::DoNotOptimize(again.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * sites.Count());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes(sites)));
}
BENCHMARK(ParseFormatSiteLine)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BuildShownList(benchmark::State& state, const std::string& entry) {
  const LineList& sites = Sites(state.range(0));
  LineList shown;
  for (auto _ : state) {
    morvane::BuildShownList(sites, shown, entry);
    benchmark::DoNotOptimize(shown.Count());
  }
  state.SetItemsProcessed(state.iterations() * sites.Count());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes(sites)));
}
// One category of ten, and every site.
BENCHMARK_CAPTURE(BuildShownList, category, SystemText("カテゴリ3"))
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BuildShownList, all_sites, SystemText("すべてのサイト"))
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// Reference: find the tabs of every line and copy every line once.
void SiteLinesReference(benchmark::State& state) {
  const LineList& sites = Sites(state.range(0));
  std::string buffer(4096, '\0');
  for (auto _ : state) {
    std::size_t tabs = 0;
    for (const std::string& line : sites.Lines()) {
      const char* const end = line.data() + line.size();
      for (const char* p = line.data(); (p = static_cast<const char*>(std::memchr(p, '\t', end - p))); ++p) ++tabs;
      std::memcpy(buffer.data(), line.data(), std::min(line.size(), buffer.size()));
      benchmark::DoNotOptimize(buffer.data());
    }
    benchmark::DoNotOptimize(tabs);
  }
  state.SetItemsProcessed(state.iterations() * sites.Count());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes(sites)));
}
BENCHMARK(SiteLinesReference)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
