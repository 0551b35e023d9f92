// Saving and loading the whole catalogue, next to plain write()/read() of the
// same bytes, for 100,000 and 1,000,000 sites.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "catalogue_builder.h"

namespace {

using morvane::SiteCatalogue;

using morvane::BenchFolder;

void Fill(SiteCatalogue& c, long long n) {
  morvane::FillSites(c, n);
  c.SetMasterLogin("master", "secret");
}

std::string SavedCatalogue(long long n) {
  const std::string folder = BenchFolder() + std::to_string(n) + "/";
  std::filesystem::create_directories(folder);
  if (!std::filesystem::exists(folder + "VexaSiteData.dat")) {
    SiteCatalogue c(folder);
    Fill(c, n);
    if (!c.SaveSiteData()) std::abort();
  }
  return folder;
}

void BM_SaveSiteData(benchmark::State& state) {
  const std::string folder = SavedCatalogue(state.range(0));
  SiteCatalogue c(folder);
  Fill(c, state.range(0));
  for (auto _ : state)
    if (!c.SaveSiteData()) state.SkipWithError("save failed");
  state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(folder + "VexaSiteData.dat"));
}

void BM_LoadSiteData(benchmark::State& state) {
  const std::string folder = SavedCatalogue(state.range(0));
  SiteCatalogue c(folder);
  for (auto _ : state)
    if (!c.LoadSiteData().Loaded()) state.SkipWithError("load failed");
  state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(folder + "VexaSiteData.dat"));
}

// Part of every load: the shown list rebuilt for "all sites".
void BM_ShowAllSites(benchmark::State& state) {
  SiteCatalogue c(BenchFolder());
  Fill(c, state.range(0));
  for (auto _ : state) c.ShowEntry(c.Tree().FirstRoot()->name);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

std::string FileBytes(const std::string& path) {
  std::string bytes(std::filesystem::file_size(path), '\0');
  const int fd = ::open(path.c_str(), O_RDONLY);
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return bytes;
}

// The same bytes written in place and flushed, as the floor for a save.
void BM_PlainWrite(benchmark::State& state) {
  const std::string folder = SavedCatalogue(state.range(0));
  const std::string bytes = FileBytes(folder + "VexaSiteData.dat");
  const std::string target = folder + "plain.dat";
  for (auto _ : state) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::fsync(fd);
    ::close(fd);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(bytes.size()));
}

void BM_PlainRead(benchmark::State& state) {
  const std::string path = SavedCatalogue(state.range(0)) + "VexaSiteData.dat";
  for (auto _ : state) benchmark::DoNotOptimize(FileBytes(path));
  state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(path));
}

BENCHMARK(BM_SaveSiteData)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSiteData)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowAllSites)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return morvane::RunCatalogueBenchmarks(argc, argv); }
