// What the one point before a write of the data file costs the window's
// thread with 100,000 and 1,000,000 sites: an ordinary write (the day's copy
// already made, nothing changed outside), the first write of a day (the
// data file copied), and the copy of the catalogue an import or restore
// keeps before it replaces it.
#include <benchmark/benchmark.h>

#include <chrono>

#include "catalogue/data_file_backups.h"
#include "catalogue/data_file_writes.h"
#include "catalogue_builder.h"
#include "util/file_ops.h"

namespace {

using morvane::DataFileWrite;
using morvane::SiteCatalogue;

SiteCatalogue& Saved(long long n) {
  SiteCatalogue& c = morvane::SharedCatalogue(n);
  if (!c.SaveSiteData()) std::abort();
  return c;
}

void RemoveBackups() {
  for (const morvane::BackupFile& b : morvane::ListBackups(morvane::BenchFolder() + "VexaSiteData.dat"))
    morvane::CurrentFileOps().Unlink(b.path.c_str());
}

void BM_OrdinaryWrite(benchmark::State& state) {
  SiteCatalogue& c = Saved(state.range(0));
  morvane::DataFileWrites writes(c);
  writes.Loaded(morvane::SiteDataLoadStatus::Loaded);
  writes.BeforeDataFileWrite(DataFileWrite::Autosave, std::chrono::system_clock::now());
  for (auto _ : state)
    benchmark::DoNotOptimize(writes.BeforeDataFileWrite(DataFileWrite::Autosave, std::chrono::system_clock::now()));
  RemoveBackups();
}

void BM_FirstWriteOfADay(benchmark::State& state) {
  SiteCatalogue& c = Saved(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    RemoveBackups();
    morvane::DataFileWrites writes(c);
    writes.Loaded(morvane::SiteDataLoadStatus::Loaded);
    state.ResumeTiming();
    benchmark::DoNotOptimize(writes.BeforeDataFileWrite(DataFileWrite::Autosave, std::chrono::system_clock::now()));
  }
  RemoveBackups();
}

void BM_BeforeAnImport(benchmark::State& state) {
  SiteCatalogue& c = Saved(state.range(0));
  morvane::DataFileWrites writes(c);
  writes.Loaded(morvane::SiteDataLoadStatus::Loaded);
  writes.BeforeDataFileWrite(DataFileWrite::Autosave, std::chrono::system_clock::now());
  for (auto _ : state) {
    benchmark::DoNotOptimize(writes.BeforeDataFileWrite(DataFileWrite::Import, std::chrono::system_clock::now()));
    state.PauseTiming();
    RemoveBackups();  // a copy of the catalogue each round
    writes.BeforeDataFileWrite(DataFileWrite::Autosave, std::chrono::system_clock::now());
    state.ResumeTiming();
  }
  RemoveBackups();
}

}  // namespace

BENCHMARK(BM_OrdinaryWrite)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstWriteOfADay)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BeforeAnImport)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);
int main(int argc, char** argv) { return morvane::RunCatalogueBenchmarks(argc, argv); }
