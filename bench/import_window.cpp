// Large imports through the window, timed as the user meets them: a
// 100,000-row CSV file into an empty catalogue and then again into the
// catalogue that holds its sites, and the bookmark folder chooser opening
// at 100,000 folders. Besides the wall time it gives the longest stall of
// the main loop (the gap between two turns of a 1 ms timer), which is what
// the user sees as a frozen window. Needs a display (run it under xvfb-run).
#include <glib.h>
#include <glibmm/main.h>
#include <gtkmm/application.h>
#include <gtkmm/dialog.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/forms.h"
#include "app/gtk_dialogs.h"
#include "bench_pump.h"
#include "stall_meter.h"
#include "support/fake_dialogs.h"
#include "support/window_picture.h"

namespace morvane {
namespace {

std::string Rows(int count) {
  std::string text =
      "\xEF\xBB\xBF"
      "サイト名,サイトURL,カテゴリ,登録日,Vexa解析URL,ログインID\r\n";
  for (int i = 0; i < count; ++i)
    text += "日本語のサイト " + std::to_string(i) + ",http://site" + std::to_string(i) + ".example.jp/,カテゴリ" +
            std::to_string(i % 10) + ",2009/04/01 12:00:00,http://vexa.example/analysis/" + std::to_string(i) +
            ",user" + std::to_string(i) + "\r\n";
  return text;
}

template <typename Work>
void Timed(const char* what, Work work) {
  bool done = false;
  gint64 took = 0;
  StallMeter stalls;
  Glib::signal_idle().connect_once([&] {
    const gint64 start = g_get_monotonic_time();
    work();
    took = g_get_monotonic_time() - start;
    done = true;
  });
  PumpUntil([&] { return done; }, 600000);
  std::printf("%-48s %9.1f ms   longest main-loop stall %7.1f ms\n", what, static_cast<double>(took) / 1000.0,
              stalls.LongestMs());
}

void CsvImports(const std::filesystem::path& folder, int rows) {
  FakeDialogs dialogs;
  MainWindowOptions options;
  options.paths = DataPathsFor(folder.string(), "morvane-bench");
  options.serviceUrl = "http://127.0.0.1:1";
  MorvaneForms forms(std::move(options));
  forms.Form1.show();
  PumpUntil([] { return false; }, 300);
  const std::string csv = (folder / "sites.csv").string();
  {
    std::FILE* f = std::fopen(csv.c_str(), "wb");
    const std::string text = Rows(rows);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  for (const char* what : {"CSV import, new sites", "CSV import, the same sites again (updates)"}) {
    dialogs.fileAnswers.push_back(csv);
    dialogs.yesNoAnswers.push_back(true);
    Timed(what, [&] { forms.Form1.tbImportCSVClick(); });
    std::printf("  %s\n", dialogs.messages.empty() ? "(no message)" : dialogs.messages.back().c_str());
  }
}

void FolderChooser(int folders) {
  std::vector<std::string> items = {"（すべて）"};
  for (int i = 0; i < folders; ++i) {
    std::string indent;
    for (int d = 0; d < i % 4; ++d) indent += "\u3000";
    items.push_back(indent + "フォルダ " + std::to_string(i));
  }
  GtkUserDialogs boxes;
  gint64 start = 0, opened = 0;
  // Closed as soon as it is on screen: what is timed is the opening.
  sigc::connection watch = Glib::signal_timeout().connect(
      [&] {
        for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
          auto* box = dynamic_cast<Gtk::Dialog*>(w);
          if (!box || !box->get_mapped()) continue;
          if (!opened) opened = g_get_monotonic_time();
          // MORVANE_BENCH_PICTURE=file.png: the box as drawn, to look at.
          const char* picture = std::getenv("MORVANE_BENCH_PICTURE");
          if (picture && g_get_monotonic_time() - opened < 500000) return true;
          if (picture) testing::SaveWindowPicture(GTK_WIDGET(box->gobj()), picture);
          box->response(Gtk::RESPONSE_OK);
          return false;
        }
        return true;
      },
      1);
  StallMeter stalls;
  start = g_get_monotonic_time();
  const auto chosen = boxes.ChooseFromLongList("ブックマークのインポート", "取り込むフォルダ", items);
  watch.disconnect();
  std::printf("%-48s %9.1f ms   longest main-loop stall %7.1f ms   chose %s\n", "folder chooser, open to on screen",
              static_cast<double>(opened - start) / 1000.0, stalls.LongestMs(), chosen ? "the first" : "none");
}

}  // namespace
}  // namespace morvane

int main(int argc, char** argv) {
  auto app = Gtk::Application::create("org.morvane.BenchImport", Gio::APPLICATION_NON_UNIQUE);
  int gtkArgc = 1;
  gtk_init(&gtkArgc, &argv);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "morvane-bench-import";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::printf("%d rows / folders\n", rows);
  morvane::CsvImports(folder, rows);
  morvane::FolderChooser(rows);
  std::filesystem::remove_all(folder);
  return 0;
}
