// Checking 500 links on the stand-in service, which answers each after
// 200 ms, spread over ten of its ports (ten servers to the client): all at
// once within the limits, against one after another. The service counts
// what it sees: "most_waiting" is the most requests it had waiting for their
// answer at once,
// "most_open" the most connections it held open at once (a connection the
// client has closed counts until the service's thread notices, so this one
// runs high on a loaded machine).
#include "navi/core/link_checker.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "support/fake_service.h"
#include "support/fetch_body.h"
#include "web/url_status.h"

namespace {

constexpr int kHosts = 10;
constexpr int kLinks = 500;

morvane::testing::FakeService& Service() {
  static morvane::testing::FakeService service(kHosts);
  return service;
}

std::vector<std::string> SlowLinks() {
  std::vector<std::string> urls;
  for (int i = 0; i < kLinks; ++i) urls.push_back(Service().HostURL(i % kHosts, "/slow?s=0.2&n=" + std::to_string(i)));
  return urls;
}

std::pair<double, double> MostAtOnce(bool reset) {
  int open = 0, busy = 0;
  const std::string counts = morvane::testing::FetchBody(Service().URL(reset ? "/connections?reset" : "/connections"));
  sscanf(counts.c_str(), "%d %d", &open, &busy);
  return {open, busy};
}

void BM_CheckAtOnce(benchmark::State& state) {
  const std::vector<std::string> urls = SlowLinks();
  std::size_t failing = 0;
  MostAtOnce(true);
  for (auto _ : state) {
    std::mutex mutex;
    std::condition_variable doneSignal;
    bool done = false;
    morvane::LinkChecker checker(
        urls,
        [&](std::size_t, morvane::LinkStatus status) {
          if (status.health != morvane::LinkHealth::Ok) ++failing;  // only the checker's thread counts
        },
        [&](bool) {
          std::lock_guard lock(mutex);
          done = true;
          doneSignal.notify_all();
        });
    std::unique_lock lock(mutex);
    doneSignal.wait(lock, [&] { return done; });
  }
  const auto [open, busy] = MostAtOnce(false);
  state.counters["most_open"] = open;
  state.counters["most_waiting"] = busy;
  state.counters["not_ok"] = static_cast<double>(failing);
}

void BM_CheckOneAfterAnother(benchmark::State& state) {
  const std::vector<std::string> urls = SlowLinks();
  std::size_t failing = 0;
  for (auto _ : state) {
    for (const std::string& url : urls) {
      std::string status, modified;
      if (!morvane::QueryURLStatus(url, status, modified)) ++failing;
    }
  }
  state.counters["not_ok"] = static_cast<double>(failing);
}

BENCHMARK(BM_CheckAtOnce)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckOneAfterAnother)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
