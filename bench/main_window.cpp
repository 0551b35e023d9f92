// The main window with a large catalogue: start to the first painted list,
// how many site lines one screen of rows costs, scrolling to the end, and
// switching between a large and a small category. Needs a display (run it
// under xvfb-run).
#include <benchmark/benchmark.h>
#include <glib.h>
#include <gtkmm/adjustment.h>
#include <gtkmm/application.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/forms.h"
#include "app/gtk_dialogs.h"
#include "bench_pump.h"
#include "catalogue/shown_sites.h"
#include "catalogue/site_filter.h"
#include "catalogue/site_record.h"
#include "catalogue_builder.h"
#include "util/cp932.h"

namespace morvane {
namespace {

// A data folder holding a catalogue of count sites in ten categories.
std::string CatalogueFolder(int count) {
  const std::string folder =
      (std::filesystem::temp_directory_path() / ("morvane-bench-window-" + std::to_string(count))).string() + "/";
  if (std::filesystem::exists(folder + "VexaSiteData.dat")) return folder;
  std::filesystem::create_directories(folder);
  SiteCatalogue catalogue(folder);
  AddCategories(catalogue, 10, "カテゴリ");
  // Category 9 holds only ten sites; the others share the rest.
  FillSites(catalogue, count, false, [](long long i) { return BenchCategory("カテゴリ", i < 10 ? 9 : i % 9); });
  SaveOrAbort(catalogue);
  return folder;
}

MainWindowOptions OptionsFor(const std::string& folder) {
  MainWindowOptions options;
  options.paths = DataPathsFor(folder, "morvane-bench");
  options.serviceUrl = "http://127.0.0.1:1";
  return options;
}

int VisibleRows(TForm1& w) {
  int first = 0, last = 0;
  return w.lvSiteList.VisibleRows(first, last) ? last - first + 1 : 0;
}

// Resident memory of this process in MiB.
double ResidentMiB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double FileMiB(const std::string& folder) {
  return static_cast<double>(std::filesystem::file_size(folder + "VexaSiteData.dat")) / (1024.0 * 1024.0);
}

// From creating the forms (which loads the data file) to the first painted
// rows; the memory the window took for the catalogue is from the first time.
void BM_StartToFirstPaint(benchmark::State& state) {
  const std::string folder = CatalogueFolder(static_cast<int>(state.range(0)));
  long long parsed = 0;
  int visible = 0;
  double before = ResidentMiB(), taken = -1;
  for (auto _ : state) {
    auto forms = std::make_unique<MorvaneForms>(OptionsFor(folder));
    bool drawn = false;
    forms->Form1.signal_draw().connect([&drawn](const Cairo::RefPtr<Cairo::Context>&) { return !(drawn = true); });
    forms->Form1.show();
    // With no sites, to the window's first paint.
    const bool painted = PumpUntil([&] {
      return state.range(0) == 0 ? drawn
                                 : forms->Form1.lvSiteList.Model().LinesParsed() > 0 && VisibleRows(forms->Form1) > 0;
    });
    if (!painted) {
      state.SkipWithError("the list was never painted");
      break;
    }
    state.PauseTiming();
    if (taken < 0) taken = ResidentMiB() - before;
    PumpUntil([] { return false; }, 200);  // let every pending paint happen
    parsed = forms->Form1.lvSiteList.Model().LinesParsed();
    visible = VisibleRows(forms->Form1);
    forms.reset();
    Pump();
    state.ResumeTiming();
  }
  state.counters["sites"] = static_cast<double>(state.range(0));
  state.counters["lines_parsed"] = static_cast<double>(parsed);
  state.counters["rows_on_screen"] = visible;
  state.counters["file_MiB"] = FileMiB(folder);
  state.counters["memory_MiB"] = taken;
}

// Closing the window as the user does (the data file saved) until it is gone.
void BM_CloseWithSave(benchmark::State& state) {
  const std::string folder = CatalogueFolder(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto forms = std::make_unique<MorvaneForms>(OptionsFor(folder));
    forms->Form1.show();
    PumpUntil([&] { return VisibleRows(forms->Form1) > 0; });
    state.ResumeTiming();
    if (!forms->Form1.FormCloseQuery()) state.SkipWithError("the window would not close");
    forms.reset();
    Pump();
  }
}
// Three real-time runs on each catalogue size.
void AtEverySize(benchmark::internal::Benchmark* b) {
  for (int sites : {10000, 100000, 1000000}) b->Arg(sites);
  b->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
}
BENCHMARK(BM_CloseWithSave)->Apply(AtEverySize);
BENCHMARK(BM_StartToFirstPaint)->Arg(0)->Apply(AtEverySize);

class OpenWindow {
 public:
  explicit OpenWindow(int count) : forms(std::make_unique<MorvaneForms>(OptionsFor(CatalogueFolder(count)))) {
    forms->Form1.show();
    forms->Form1.resize(1000, 800);
    forms->Form1.Panel1.set_position(500);
    PumpUntil([this] { return VisibleRows(forms->Form1) > 10; });
  }
  TForm1& W() { return forms->Form1; }
  std::unique_ptr<MorvaneForms> forms;
};

// One page down at a time from the top to the end of the list.
void BM_ScrollToEnd(benchmark::State& state) {
  OpenWindow window(static_cast<int>(state.range(0)));
  auto adj = window.W().lvSiteList.get_vadjustment();
  long long parsedPerStep = 0;
  int steps = 0;
  for (auto _ : state) {
    state.PauseTiming();
    adj->set_value(adj->get_lower());
    PumpUntil([] { return false; }, 50);
    window.W().lvSiteList.Model().ResetLinesParsed();
    state.ResumeTiming();
    steps = 0;
    // Jumps spread over the whole list, each painted before the next.
    for (int i = 1; i <= 100; ++i) {
      adj->set_value(adj->get_lower() + (adj->get_upper() - adj->get_page_size() - adj->get_lower()) * i / 100.0);
      window.W().lvSiteList.Repaint();
      const long long before = window.W().lvSiteList.Model().LinesParsed();
      PumpUntil([&] { return window.W().lvSiteList.Model().LinesParsed() > before; }, 2000);
      ++steps;
    }
    parsedPerStep = window.W().lvSiteList.Model().LinesParsed() / steps;
  }
  state.counters["steps"] = steps;
  state.counters["lines_parsed_per_step"] = static_cast<double>(parsedPerStep);
  state.counters["seconds_per_step"] = benchmark::Counter(
      static_cast<double>(steps), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScrollToEnd)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// "すべてのサイト" (every site) to a category of ten and back.
void BM_SwitchCategory(benchmark::State& state) {
  OpenWindow window(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    window.W().ShowEntry(Utf8ToCp932("カテゴリ9"));
    window.W().ShowEntry(AllSitesEntryName());
    Pump();
  }
  state.counters["rows"] = window.W().lvSiteList.Model().RowCount();
}
BENCHMARK(BM_SwitchCategory)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The part of a switch that is the catalogue's, without the view.
void BM_SwitchCategoryShownListOnly(benchmark::State& state) {
  OpenWindow window(static_cast<int>(state.range(0)));
  // Rows of its own over the same sites: the catalogue's shown list is the view's.
  ShownSites shown(window.W().Catalogue().SiteList());
  for (auto _ : state) {
    BuildShownList(shown, Utf8ToCp932("カテゴリ9"), SiteFilter());
    BuildShownList(shown, AllSitesEntryName(), SiteFilter());
  }
}
BENCHMARK(BM_SwitchCategoryShownListOnly)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Typing "site12" into the filter box letter by letter, then clearing it:
// each keystroke timed until the rows it brings are painted.
void BM_FilterKeystroke(benchmark::State& state) {
  OpenWindow window(static_cast<int>(state.range(0)));
  const std::string typed = "site12";
  std::vector<double> times;
  const auto keystroke = [&](const std::string& text) {
    const auto start = std::chrono::steady_clock::now();
    const long long before = window.W().lvSiteList.Model().LinesParsed();
    window.W().edFilter.set_text(text);
    window.W().lvSiteList.Repaint();
    PumpUntil([&] { return window.W().lvSiteList.Model().LinesParsed() > before; }, 2000);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  };
  for (auto _ : state) {
    for (std::size_t n = 1; n <= typed.size(); ++n) keystroke(typed.substr(0, n));
    keystroke("");
  }
  std::nth_element(times.begin(), times.begin() + static_cast<long>(times.size() / 2), times.end());
  state.counters["median_ms"] = times[times.size() / 2];
  state.counters["shown_at_end"] = window.W().lvSiteList.Model().RowCount();
}
BENCHMARK(BM_FilterKeystroke)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace morvane

int main(int argc, char** argv) {
  auto app = Gtk::Application::create("org.morvane.Bench", Gio::APPLICATION_NON_UNIQUE);
  int gtkArgc = 1;
  gtk_init(&gtkArgc, &argv);
  morvane::GtkUserDialogs dialogs;  // an unexpected box would show, not hang unseen
  morvane::InstallDialogs(&dialogs);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  morvane::InstallDialogs(nullptr);
  return 0;
}
