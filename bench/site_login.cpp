// The automatic login against the local stand-in service: from the
// double-click to the status text, beside loading the same pages without
// logging in (the same web view), and how much of a login is spent in fixed
// sleeps rather than waiting for events; and the login check of a category
// of 20 sites (each in a hidden browser of its own, then the report) beside
// 20 single logins in the user's browser. Needs a display (run it under
// xvfb-run). Prints the medians and their ratios at the end.
#include <benchmark/benchmark.h>
#include <glib.h>
#include <gtkmm/application.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/forms.h"
#include "app/gtk_dialogs.h"
#include "bench_pump.h"
#include "browser/gtk/browser_frame_widget.h"
#include "catalogue/site_record.h"
#include "support/fake_service.h"
#include "util/cp932.h"

namespace morvane {
namespace {

constexpr int kRuns = 20;
constexpr int kCheckedSites = 20;
constexpr int kCheckRuns = 5;
constexpr int kPointingMilliseconds = 400;  // from opening a menu to clicking an entry
constexpr std::string_view kCheckedCategory = "ベンチのカテゴリ";

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// One window over a catalogue of one site at the stand-in service.
class LoginWindow {
 public:
  LoginWindow() {
    folder_ = (std::filesystem::temp_directory_path() / "morvane-bench-login").string() + "/";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    siteURL = service_.URL("/site/bench");
    backURL = service_.URL("/redirect?to=/site/bench");
    {
      SiteCatalogue catalogue(folder_);
      SiteRecord r;
      r.SiteName = Utf8ToCp932("ベンチのサイト");
      r.SiteURL = "http://bench.example/";
      r.RegistDate = "2026/12/09 00:00:00";
      r.AccessURL = siteURL;
      r.LoginID = "bench-1";
      r.LoginPass = "secret";
      catalogue.SiteList().Add(FormatSiteLine(r));
      // A category of sites for the login check, each with a login of its own.
      catalogue.Tree().AddCategory(Utf8ToCp932(kCheckedCategory));
      r.Category = Utf8ToCp932(kCheckedCategory);
      for (int i = 0; i < kCheckedSites; ++i) {
        r.SiteName = "bench-site-" + std::to_string(i);
        r.AccessURL = service_.URL("/site/check-" + std::to_string(i));
        r.LoginID = "check-" + std::to_string(i);
        catalogue.SiteList().Add(FormatSiteLine(r));
      }
      catalogue.SaveSiteData();
    }
    MainWindowOptions options;
    options.paths = DataPathsFor(folder_, "morvane-bench");
    options.serviceUrl = service_.URL("/");
    forms_ = std::make_unique<MorvaneForms>(options);
    W().show();
    PumpUntil([this] { return W().get_mapped(); });
    W().lvSiteList.SelectRow(0);
  }
  ~LoginWindow() {
    forms_.reset();
    Pump();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  TForm1& W() { return forms_->Form1; }
  BrowserFrame& Frame() { return W().frBrowserBase1(); }
  long long Awaited() { return W().frBrowserBase1Widget->Pump().AwaitedMilliseconds(); }
  // Logged out, and nothing of the last run still loading.
  void Settle() {
    PumpUntil([this] { return !Frame().Engine().Busy(); });
    Frame().NavigateTo(service_.URL("/logout"), true);
    PumpUntil([this] { return !Frame().Engine().Busy(); });
  }

  // The check as the tree's menu entry runs it, timed from the click; true
  // when the report is shown. A user opens the menu before clicking the entry.
  bool CheckCategory(double& seconds, bool fromTheMenu) {
    W().ftSiteCategory.Click(W().Catalogue().Tree().FindByName(Utf8ToCp932(kCheckedCategory)));
    if (fromTheMenu) {
      W().ftSiteCategory.PopupMenu2.popup_at_widget(&W().ftSiteCategory, Gdk::GRAVITY_CENTER, Gdk::GRAVITY_NORTH_WEST,
                                                    nullptr);
      PumpUntil([] { return false; }, kPointingMilliseconds);
      W().ftSiteCategory.PopupMenu2.popdown();
    }
    const gint64 start = g_get_monotonic_time();
    W().miCheckCategoryLoginClick();
    // The report page is loaded, not only handed over.
    const bool shown = PumpUntil([this] { return Frame().GetPageTitle() == Utf8ToCp932("ログイン確認"); }, 5000);
    seconds = (g_get_monotonic_time() - start) / 1e6;
    return shown;
  }

  std::string siteURL, backURL;

 private:
  testing::FakeService service_;
  std::string folder_;
  std::unique_ptr<MorvaneForms> forms_;
};

LoginWindow* window = nullptr;
std::vector<double> loginSeconds, loadSeconds, directLoadSeconds, awaitedShares, checkSeconds, coldCheckSeconds,
    singlesSeconds, logoutsSeconds;

double SecondsSince(gint64 start) { return (g_get_monotonic_time() - start) / 1e6; }

// Seconds from the double-click on the selected site to the status text; sets
// `ok` false when the text does not say the login ended well.
double TimedLogin(bool& ok) {
  const gint64 start = g_get_monotonic_time();
  window->W().lvSiteListDblClick();
  const double seconds = SecondsSince(start);
  if (window->W().StatusText() != Utf8ToCp932("管理画面ログイン完了しました")) ok = false;
  return seconds;
}

// Each repetition is one run of `timedRun`, which returns its seconds and sets
// `failed` when the run did not end as it should; the seconds go into `into`.
template <typename TimedRun>
void TimeRuns(benchmark::State& state, std::vector<double>& into, const char* failed, TimedRun timedRun) {
  for (auto _ : state) {
    bool ok = true;
    const double seconds = timedRun(ok);
    state.SetIterationTime(seconds);
    if (!ok) state.SkipWithError(failed);
    into.push_back(seconds);
  }
}

template <int runs>
void TimedRuns(benchmark::internal::Benchmark* b) {
  b->Iterations(1)->Repetitions(runs)->ReportAggregatesOnly(true)->UseManualTime()->Unit(benchmark::kMillisecond);
}

void BM_DoubleClickToStatusText(benchmark::State& state) {
  TimeRuns(state, loginSeconds, "no login", [](bool& ok) {
    window->Settle();
    const long long awaitedBefore = window->Awaited();
    const double seconds = TimedLogin(ok);
    awaitedShares.push_back((window->Awaited() - awaitedBefore) / 1000.0 / seconds);
    return seconds;
  });
}
BENCHMARK(BM_DoubleClickToStatusText)->Apply(TimedRuns<kRuns>);

// The page loads a login needs, logged out: the site's page, and the site's
// page once more through the redirect the submitted form is answered with.
// Without that redirect too, as measured before.
template <bool throughRedirect>
void BM_SamePagesWithoutLogin(benchmark::State& state) {
  TimeRuns(state, throughRedirect ? loadSeconds : directLoadSeconds, "", [](bool&) {
    window->Settle();
    const gint64 start = g_get_monotonic_time();
    window->Frame().NavigateTo(window->siteURL, true);
    window->Frame().NavigateTo(throughRedirect ? window->backURL : window->siteURL, true);
    return SecondsSince(start);
  });
}
BENCHMARK(BM_SamePagesWithoutLogin<true>)->Apply(TimedRuns<kRuns>);
BENCHMARK(BM_SamePagesWithoutLogin<false>)->Apply(TimedRuns<kRuns>);

// The whole check: 20 sites in the hidden browsers, and the report shown;
// picked from the opened menu, and started straight away.
template <bool fromTheMenu>
void BM_LoginCheckOf20Sites(benchmark::State& state) {
  TimeRuns(state, fromTheMenu ? checkSeconds : coldCheckSeconds, "no report", [](bool& ok) {
    window->Settle();
    double seconds = 0;
    ok = window->CheckCategory(seconds, fromTheMenu);
    return seconds;
  });
}
BENCHMARK(BM_LoginCheckOf20Sites<true>)->Apply(TimedRuns<kCheckRuns>);
BENCHMARK(BM_LoginCheckOf20Sites<false>)->Apply(TimedRuns<kCheckRuns>);

// The same 20 logins one by one in the user's browser, each from logged out.
// The logouts between are timed apart: checking by hand needs them too, as
// the service keeps one login per browser.
void BM_20SingleLogins(benchmark::State& state) {
  TimeRuns(state, singlesSeconds, "no login", [](bool& ok) {
    window->W().ftSiteCategory.Click(window->W().Catalogue().Tree().FindByName(Utf8ToCp932(kCheckedCategory)));
    double seconds = 0, logouts = 0;
    for (int row = 0; row < kCheckedSites; ++row) {
      const gint64 logout = g_get_monotonic_time();
      window->Settle();
      if (row > 0) logouts += SecondsSince(logout);
      window->W().lvSiteList.SelectRow(row);
      seconds += TimedLogin(ok);
    }
    logoutsSeconds.push_back(logouts);
    return seconds;
  });
}
BENCHMARK(BM_20SingleLogins)->Apply(TimedRuns<kCheckRuns>);

}  // namespace
}  // namespace morvane

int main(int argc, char** argv) {
  auto app = Gtk::Application::create("org.morvane.BenchLogin", Gio::APPLICATION_NON_UNIQUE);
  int gtkArgc = 1;
  gtk_init(&gtkArgc, &argv);
  morvane::GtkUserDialogs dialogs;
  morvane::InstallDialogs(&dialogs);
  benchmark::Initialize(&argc, argv);
  {
    morvane::LoginWindow window;
    morvane::window = &window;
    benchmark::RunSpecifiedBenchmarks();
    morvane::window = nullptr;
  }
  benchmark::Shutdown();
  morvane::InstallDialogs(nullptr);
  using morvane::Median;
  const double login = Median(morvane::loginSeconds), load = Median(morvane::loadSeconds);
  const double direct = Median(morvane::directLoadSeconds);
  if (login > 0 && load > 0 && direct > 0)
    std::printf(
        "login median %.1f ms, same pages without login %.1f ms, ratio %.2f (%.1f ms and %.2f without the "
        "form's redirect), idle waiting for events %.0f%% of a login (no fixed sleeps)\n",
        login * 1000, load * 1000, login / load, direct * 1000, login / direct, Median(morvane::awaitedShares) * 100);
  const double check = Median(morvane::checkSeconds), singles = Median(morvane::singlesSeconds);
  if (check > 0 && singles > 0)
    std::printf(
        "login check of %d sites median %.0f ms from the click (menu opened %d ms before), %d single "
        "logins %.0f ms, overhead %+.1f%%\n",
        morvane::kCheckedSites, check * 1000, morvane::kPointingMilliseconds, morvane::kCheckedSites, singles * 1000,
        (check / singles - 1) * 100);
  const double cold = Median(morvane::coldCheckSeconds);
  if (cold > 0 && singles > 0)
    std::printf("the check started at once, no menu opened first: %.0f ms, overhead %+.1f%%\n", cold * 1000,
                (cold / singles - 1) * 100);
  const double byHand = singles + Median(morvane::logoutsSeconds);
  if (check > 0 && singles > 0)
    std::printf("the same logins with the %d logouts checking by hand needs: %.0f ms, overhead %+.1f%%\n",
                morvane::kCheckedSites - 1, byHand * 1000, (check / byHand - 1) * 100);
  return 0;
}
