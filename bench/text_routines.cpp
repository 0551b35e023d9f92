// Speed of the line list and the token cutter over large texts, each next to
// a plain memchr/memcpy pass over the same bytes as the bandwidth reference.
// Sizes are in MB and run at two scales to show the growth is linear.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "util/cp932.h"
#include "util/line_list.h"
#include "util/text_routines.h"

namespace {

using morvane::SystemText;

constexpr std::size_t kMB = 1u << 20;

// Site-list-like text: tab-separated Japanese and ASCII fields, CR LF lines.
std::string SiteText(std::size_t bytes) {
  const std::string line = SystemText("日本語のサイト名") + "\thttp://example.jp/shop/\t" + SystemText("ニュース") +
                           "\t2024/01/02 03:04:05\thttp://vexa.example/a?id=1234\tlogin\t_#tide+arc*lump-Q#tide+\r\n";
  std::string text;
  text.reserve(bytes + line.size());
  while (text.size() < bytes) text += line;
  return text;
}

// Japanese prose with a tab every few words: mostly double-byte characters,
// many with second bytes in the lead-byte range (the slow case for boundaries).
std::string JapaneseText(std::size_t bytes) {
  const std::string words[] = {SystemText("表示"),   SystemText("検索エンジン"),
                               SystemText("亜細亜"), SystemText("管理画面ログイン"),
                               SystemText("未分類"), SystemText("ソフト")};
  std::string text;
  text.reserve(bytes + 64);
  for (std::size_t i = 0; text.size() < bytes; ++i) {
    text += words[i % 6];
    text += (i % 7 == 6) ? "\n" : "\t";
  }
  return text;
}

std::size_t CountByte(const std::string& text, char c) {
  std::size_t n = 0;
  const char* const end = text.data() + text.size();
  for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, c, end - p))); ++p) ++n;
  return n;
}

void SetTextGetText(benchmark::State& state) {
  const std::string text = SiteText(static_cast<std::size_t>(state.range(0)) * kMB);
  for (auto _ : state) {
    morvane::LineList list;
    list.SetText(text);
    std::string back = list.GetText();
    benchmark::DoNotOptimize(back.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(SetTextGetText)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);

// What SetText + GetText must at least do: find the line ends and copy the bytes twice.
void SetTextGetTextReference(benchmark::State& state) {
  const std::string text = SiteText(static_cast<std::size_t>(state.range(0)) * kMB);
  std::string copy(text.size(), '\0');
  for (auto _ : state) {
    const std::size_t lines = CountByte(text, '\n');
    std::memcpy(copy.data(), text.data(), text.size());
    std::memcpy(copy.data(), text.data(), text.size());
    benchmark::DoNotOptimize(lines);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(SetTextGetTextReference)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);

void CutTokenView(benchmark::State& state) {
  const std::string text = JapaneseText(static_cast<std::size_t>(state.range(0)) * kMB);
  for (auto _ : state) {
    std::string_view rest = text;
    std::size_t tokens = 0;
    while (!rest.empty()) {
      benchmark::DoNotOptimize(morvane::CutToken(rest, "\t"));
      ++tokens;
    }
    benchmark::DoNotOptimize(tokens);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(CutTokenView)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

// The way callers use the std::string& form: one record (line) at a time,
// copied out of a larger text, then taken apart field by field.
void CutTokenStringPerRecord(benchmark::State& state) {
  const std::string text = JapaneseText(static_cast<std::size_t>(state.range(0)) * kMB);
  for (auto _ : state) {
    std::string_view rest = text;
    std::size_t fields = 0;
    while (!rest.empty()) {
      std::string record(morvane::CutToken(rest, "\n"));
      while (!record.empty()) {
        benchmark::DoNotOptimize(morvane::CutToken(record, "\t"));
        ++fields;
      }
    }
    benchmark::DoNotOptimize(fields);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(CutTokenStringPerRecord)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

// Reference: memchr over the tabs and nothing else.
void CutTokenReference(benchmark::State& state) {
  const std::string text = JapaneseText(static_cast<std::size_t>(state.range(0)) * kMB);
  for (auto _ : state) {
    benchmark::DoNotOptimize(CountByte(text, '\t'));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(CutTokenReference)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
