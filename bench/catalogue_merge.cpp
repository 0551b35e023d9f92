// Taking in an outside change to a 100,000-site data file that brings 1,000
// edits (400 sites changed, 300 added, 300 deleted) while 50 sites were
// changed here: the merge alone, and the whole round as the window runs it
// before a write (look, read, keep the outside copy, merge, save, remember).
// The counters give the kept base's size beside the file's.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "catalogue/catalogue_merge.h"
#include "catalogue/data_file_identity.h"
#include "catalogue/outside_change.h"
#include "catalogue/site_data_file.h"
#include "catalogue/site_record.h"
#include "catalogue_builder.h"

namespace {

using morvane::SiteCatalogue;

// Sites of the catalogue with 400 changed, 300 added and 300 deleted.
std::vector<std::string> OutsideLines(const std::vector<std::string>& lines) {
  std::vector<std::string> outside;
  outside.reserve(lines.size() + 300);
  const std::size_t step = lines.size() / 1000;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t edit = i % step == 0 ? i / step : 1000;
    if (edit < 400) {
      morvane::SiteRecord r = morvane::SiteFromLine(lines[i]);
      r.SiteName += "+";
      outside.push_back(morvane::FormatSiteLine(r));
    } else if (edit < 700) {
      continue;
    } else {
      outside.push_back(lines[i]);
    }
  }
  for (int k = 0; k < 300; ++k)
    outside.push_back(
        morvane::FormatSiteLine({"new" + std::to_string(k), "http://new" + std::to_string(k) + ".example/", "",
                                 "2026/12/09 15:30:00", "http://vexa.example/n", "u", "p"}));
  return outside;
}

// Ours: 50 sites changed here, none of them among the outside edits.
void ChangeHere(SiteCatalogue& c) {
  for (long long i = 1; i <= 50; ++i) {
    morvane::SiteRecord r = morvane::SiteFromLine(c.SiteList().Get(i * 7));
    r.LoginID += "-here";
    c.SiteList().Put(i * 7, morvane::FormatSiteLine(r));
  }
}

void BM_MergeOnly(benchmark::State& state) {
  SiteCatalogue& c = morvane::SharedCatalogue(state.range(0));
  const std::string tree = c.Tree().ToText();
  const morvane::MergeBase base(tree, c.SiteList().Lines(), "");
  const std::vector<std::string> outside = OutsideLines(c.SiteList().Lines());
  std::vector<std::string> ours = c.SiteList().Lines();
  for (std::size_t i = 7; i <= 350; i += 7) ours[i] += "x";
  for (auto _ : state) {
    morvane::MergedCatalogue m = morvane::MergeCatalogues(base, {tree, ours, ""}, {tree, outside, ""});
    benchmark::DoNotOptimize(m.siteLines.data());
  }
  state.counters["base_bytes"] = static_cast<double>(base.MemoryBytes());
}

void BM_TakeInBeforeAWrite(benchmark::State& state) {
  const long long n = state.range(0);
  SiteCatalogue& shared = morvane::SharedCatalogue(n);
  const std::string folder = morvane::BenchFolder();
  const std::vector<std::string> outside = OutsideLines(shared.SiteList().Lines());
  double fileBytes = 0, baseBytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    SiteCatalogue ours(folder);
    for (const std::string& line : shared.SiteList().Lines()) ours.SiteList().Add(line);
    if (!ours.SaveSiteData()) state.SkipWithError("save failed");
    morvane::OutsideChangeGuard guard;
    guard.Saved(ours.DataFilePath(), ours.IdentityText());
    baseBytes = static_cast<double>(guard.Known()->base.MemoryBytes());
    ChangeHere(ours);
    SiteCatalogue theirs(folder);
    for (const std::string& line : outside) theirs.SiteList().Add(line);
    if (!theirs.SaveSiteData()) state.SkipWithError("save failed");
    fileBytes = static_cast<double>(morvane::StatFile(ours.DataFilePath())->size);
    state.ResumeTiming();

    const morvane::OutsideChangeReport r = guard.TakeIn(ours, std::chrono::system_clock::now());
    if (r.kind != morvane::OutsideChangeKind::Merged || r.counts.added != 300 || r.counts.updated != 400 ||
        r.counts.deleted != 300 || !r.saved)
      state.SkipWithError("merge went wrong");

    state.PauseTiming();
    std::filesystem::remove(r.backupName);
    state.ResumeTiming();
  }
  state.counters["file_bytes"] = fileBytes;
  state.counters["base_bytes"] = baseBytes;
}

// The look that every write makes when nothing changed outside.
void BM_LookWhenUnchanged(benchmark::State& state) {
  SiteCatalogue& c = morvane::SharedCatalogue(state.range(0));
  c.SaveSiteData();
  morvane::OutsideChangeGuard guard;
  guard.Saved(c.DataFilePath(), c.IdentityText());
  for (auto _ : state) {
    const morvane::OutsideChangeReport r = guard.TakeIn(c, std::chrono::system_clock::now());
    benchmark::DoNotOptimize(r.kind);
  }
}

}  // namespace

BENCHMARK(BM_MergeOnly)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TakeInBeforeAWrite)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LookWhenUnchanged)->Arg(100000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return morvane::RunCatalogueBenchmarks(argc, argv); }
