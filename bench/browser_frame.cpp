// The core's share of showing and reporting pages: the CR LF page bytes of a
// text shown as a page (1 MB and 20 MB), and the status line's script-link
// test on link addresses.
#include <benchmark/benchmark.h>

#include <string>

#include "browser/core/page_bytes.h"
#include "browser/core/status_text.h"

namespace {

std::string MakeText(std::size_t bytes) {
  // CP932 lines with LF breaks, as the clipboard usually holds them.
  const std::string line = "<p>\x83\x79\x81\x5B\x83\x57\x82\xCC\x88\xEA\x8D\x73 0123456789 abcdefghij</p>\n";
  std::string text;
  text.reserve(bytes + line.size());
  while (text.size() < bytes) text += line;
  return text;
}

void BM_PageBytesFromText(benchmark::State& state) {
  const std::string text = MakeText(static_cast<std::size_t>(state.range(0)) << 20);
  for (auto _ : state) benchmark::DoNotOptimize(morvane::PageBytesFromText(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_PageBytesFromText)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_StatusDisplayText(benchmark::State& state) {
  const std::string links[] = {
      "http://www.example.test/dir/sub/page.html?q=1&r=" + std::string(200, 'x'),
      "morvane://tools/backup[daily].morvane",
      "http://host/\x95\x5C\x8E\xA6/file.morvane/",
  };
  for (auto _ : state)
    for (const std::string& link : links) benchmark::DoNotOptimize(morvane::StatusDisplayText(link));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 3);
}
BENCHMARK(BM_StatusDisplayText);

}  // namespace

BENCHMARK_MAIN();
