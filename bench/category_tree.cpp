// A catalogue of many categories, as the user meets it: the window's start
// (the data file loaded, the tree built and shown, the site dialog's
// choices filled) to its first paint, the close with its save, and a CSV
// import that brings a category per site. Besides the wall time it gives the
// longest stall of the main loop while the window is up. The core's own
// share (loading the file, looking every category up by name) is timed on
// its own. Needs a display (run it under xvfb-run).
#include <glib.h>
#include <glibmm/main.h>
#include <gtkmm/application.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/forms.h"
#include "app/gtk_dialogs.h"
#include "bench_pump.h"
#include "catalogue/site_record.h"
#include "catalogue_builder.h"
#include "stall_meter.h"
#include "support/fake_dialogs.h"
#include "util/cp932.h"

namespace morvane {
namespace {

double MsSince(gint64 start) { return static_cast<double>(g_get_monotonic_time() - start) / 1000.0; }

std::string CategoryName(long long i) { return BenchCategory("カテゴリ ", i); }

// count categories under the first entry, a site in each.
void WriteCatalogue(const std::string& folder, int count) {
  SiteCatalogue catalogue(folder);
  AddCategories(catalogue, count, "カテゴリ ");
  FillSites(catalogue, count, false, CategoryName);
  SaveOrAbort(catalogue);
}

MainWindowOptions OptionsFor(const std::string& folder) {
  MainWindowOptions options;
  options.paths = DataPathsFor(folder, "morvane-bench");
  options.serviceUrl = "http://127.0.0.1:1";
  return options;
}

void CoreShare(const std::string& folder, int count) {
  SiteCatalogue catalogue(folder);
  gint64 start = g_get_monotonic_time();
  catalogue.LoadSiteData();
  const double load = MsSince(start);
  start = g_get_monotonic_time();
  int found = 0;
  for (int i = 0; i < count; ++i) found += catalogue.Tree().FindByName(CategoryName(i)) != nullptr;
  std::printf("%-44s %9.1f ms\n", "core: load the data file", load);
  std::printf("%-44s %9.1f ms   (%d found)\n", "core: find every category by name", MsSince(start), found);
}

void WindowStartAndClose(const std::string& folder) {
  StallMeter stalls;
  const gint64 start = g_get_monotonic_time();
  auto forms = std::make_unique<MorvaneForms>(OptionsFor(folder));
  bool drawn = false;
  forms->Form1.signal_draw().connect([&drawn](const Cairo::RefPtr<Cairo::Context>&) { return !(drawn = true); });
  forms->Form1.show();
  PumpUntil([&] { return drawn; }, 600000);
  std::printf("%-44s %9.1f ms\n", "window: start to first paint", MsSince(start));
  PumpUntil([] { return false; }, 300);
  // The tree built and drawn once more on its own, and what the site dialog
  // adds when it first opens.
  gint64 part = g_get_monotonic_time();
  forms->Form1.ftSiteCategory.Rebuild(true);
  Pump();
  std::printf("%-44s %9.1f ms\n", "  of which: the tree built and drawn", MsSince(part));
  part = g_get_monotonic_time();
  forms->Form2.SetCategoryItems(forms->Form1.Catalogue().Tree().CategoryListText());
  forms->Form2.FillCategoryChoices();
  Pump();
  std::printf("%-44s %9.1f ms\n", "site dialog: its choices, as it opens", MsSince(part));
  const gint64 closing = g_get_monotonic_time();
  const bool closed = forms->Form1.FormCloseQuery();
  std::printf("%-44s %9.1f ms   %s\n", "window: close with its save", MsSince(closing), closed ? "" : "(refused)");
  forms.reset();
  Pump();
  std::printf("%-44s %9.1f ms\n", "  longest main-loop stall", stalls.LongestMs());
}

// A CSV file of new sites, each in a category of its own.
void ImportNewCategories(const std::string& folder, int count) {
  const std::string csv = folder + "new.csv";
  {
    std::string text =
        "\xEF\xBB\xBF"
        "サイト名,サイトURL,カテゴリ,登録日,Vexa解析URL,ログインID\r\n";
    for (int i = 0; i < count; ++i)
      text += "新しいサイト " + std::to_string(i) + ",http://new" + std::to_string(i) + ".example.jp/,新カテゴリ " +
              std::to_string(i) + ",2009/04/01 12:00:00,http://vexa.example/n/" + std::to_string(i) + ",u\r\n";
    std::FILE* f = std::fopen(csv.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  FakeDialogs dialogs;
  auto forms = std::make_unique<MorvaneForms>(OptionsFor(folder));
  forms->Form1.show();
  PumpUntil([] { return false; }, 300);
  dialogs.fileAnswers.push_back(csv);
  dialogs.yesNoAnswers.push_back(true);
  bool done = false;
  gint64 took = 0;
  StallMeter stalls;
  Glib::signal_idle().connect_once([&] {
    const gint64 start = g_get_monotonic_time();
    forms->Form1.tbImportCSVClick();
    took = g_get_monotonic_time() - start;
    done = true;
  });
  PumpUntil([&] { return done; }, 600000);
  std::printf("%-44s %9.1f ms   longest main-loop stall %7.1f ms\n", "window: CSV import, a new category per site",
              static_cast<double>(took) / 1000.0, stalls.LongestMs());
  forms->Form1.FormCloseQuery();
}

}  // namespace
}  // namespace morvane

int main(int argc, char** argv) {
  auto app = Gtk::Application::create("org.morvane.BenchCategories", Gio::APPLICATION_NON_UNIQUE);
  int gtkArgc = 1;
  gtk_init(&gtkArgc, &argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  const std::string folder = (std::filesystem::temp_directory_path() / "morvane-bench-categories").string() + "/";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::printf("%d categories, a site in each\n", count);
  morvane::WriteCatalogue(folder, count);
  morvane::CoreShare(folder, count);
  {
    morvane::GtkUserDialogs boxes;  // an unexpected box would show, not hang unseen
    morvane::InstallDialogs(&boxes);
    morvane::WindowStartAndClose(folder);
    morvane::InstallDialogs(nullptr);
  }
  morvane::ImportNewCategories(folder, count);
  std::filesystem::remove_all(folder);
  return 0;
}
