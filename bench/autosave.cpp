// What saving after a change costs with 100,000 and 1,000,000 sites: the time
// the window's thread spends copying (in total and its longest slice), the
// whole save including the write on the other thread, and the two ways of
// taking the copy that were weighed against each other.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/autosave.h"
#include "catalogue_builder.h"

namespace {

using morvane::SiteCatalogue;
using Clock = std::chrono::steady_clock;
constexpr auto kSliceBudget = std::chrono::milliseconds(10);  // what the window gives one slice

// The copy as separate lines, to be joined on the other thread.
void BM_CopyOfLines(benchmark::State& state) {
  const SiteCatalogue& c = morvane::SharedCatalogue(state.range(0));
  for (auto _ : state) {
    std::vector<std::string> copy = c.SiteList().Lines();
    benchmark::DoNotOptimize(copy.data());
  }
}

// The copy as the file's bytes (the one taken).
void BM_CopyAsFileBytes(benchmark::State& state) {
  const SiteCatalogue& c = morvane::SharedCatalogue(state.range(0));
  for (auto _ : state) {
    morvane::SiteDataSnapshot snapshot = c.Snapshot();
    snapshot.Copy(Clock::duration::max());
    benchmark::DoNotOptimize(&snapshot);
  }
}

// One autosave as the window runs it: slices on this thread until the copy
// is handed over, then the write on its own thread. The timed part is this
// thread's share; the counters give the longest slice and the whole save.
void BM_AutosaveWindowThread(benchmark::State& state) {
  const SiteCatalogue& c = morvane::SharedCatalogue(state.range(0));
  std::atomic<bool> ended{false};
  morvane::CatalogueAutosave autosave([&] { ended = true; });
  double longest = 0, whole = 0, slices = 0;
  for (auto _ : state) {
    autosave.Changed();
    ended = false;
    const auto start = Clock::now();
    for (bool more = true; more;) {
      const auto sliceStart = Clock::now();
      more = autosave.Step(c, kSliceBudget);
      longest = std::max(longest, std::chrono::duration<double, std::milli>(Clock::now() - sliceStart).count());
      ++slices;
    }
    state.PauseTiming();
    while (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!autosave.Collect().saved) state.SkipWithError("save failed");
    whole += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    state.ResumeTiming();
  }
  state.counters["longest_slice_ms"] = longest;
  state.counters["slices"] = benchmark::Counter(slices, benchmark::Counter::kAvgIterations);
  state.counters["whole_save_ms"] = benchmark::Counter(whole, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_CopyOfLines)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyAsFileBytes)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutosaveWindowThread)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return morvane::RunCatalogueBenchmarks(argc, argv); }
