#include "app/application.h"

#include <glib-unix.h>
#include <gtkmm/application.h>

#include <csignal>
#include <cstdio>
#include <memory>

#include "app/forms.h"
#include "app/gtk_dialogs.h"
#include "util/cp932.h"
#include "util/data_paths.h"

namespace morvane {
namespace {

// Built into the program; --service-url replaces it.
constexpr const char* kDefaultServiceUrl = "http://vexa-access.jp";

struct SignalClose {
  TForm1* window;
  Glib::RefPtr<Gtk::Application> app;
};

// Runs on the main loop (not in signal context): the same close as the
// window's button, without any question.
gboolean OnTerminateSignal(gpointer data) {
  auto* close = static_cast<SignalClose*>(data);
  const std::string written = close->window->CloseUnattended();
  if (written.empty()) std::fprintf(stderr, "morvane: the catalogue could not be saved\n");
  else if (written != close->window->Catalogue().DataFilePath())
    std::fprintf(stderr, "morvane: the catalogue was saved to %s\n", written.c_str());
  close->window->hide();
  close->app->quit();
  return G_SOURCE_CONTINUE;
}

}  // namespace

int RunApplication(int argc, char** argv) {
  const CommandLineOptions options = ParseCommandLine(argc, argv);
  if (!options.error.empty()) {
    std::fprintf(stderr, "morvane: %s\nusage: %s [--data-dir DIR] [--service-url URL]\n", options.error.c_str(),
                 argc > 0 ? argv[0] : "morvane");
    return 2;
  }
  MainWindowOptions windowOptions;
  windowOptions.paths = ResolveDataPaths(options);
  windowOptions.serviceUrl = options.serviceUrl ? *options.serviceUrl : kDefaultServiceUrl;
  if (!EnsureDataFolder(windowOptions.paths)) {
    std::fprintf(stderr, "morvane: cannot use the data folder %s\n", windowOptions.paths.folder.c_str());
    return 1;
  }

  // Our own options are read above; GTK sees only the program name.
  int gtkArgc = 1;
  char* gtkArgvStore[] = {argc > 0 ? argv[0] : const_cast<char*>("morvane"), nullptr};
  char** gtkArgv = gtkArgvStore;
  auto app = Gtk::Application::create(gtkArgc, gtkArgv, "org.morvane.Morvane", Gio::APPLICATION_NON_UNIQUE);

  GtkUserDialogs dialogs;
  InstallDialogs(&dialogs);
  auto forms = std::make_unique<MorvaneForms>(std::move(windowOptions));
  dialogs.SetParent(&forms->Form1);
  forms->Form1.signal_delete_event().connect([&forms](GdkEventAny*) { return !forms->Form1.FormCloseQuery(); },
                                             false);

  SignalClose close{&forms->Form1, app};
  guint sources[3];
  int n = 0;
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) sources[n++] = g_unix_signal_add(signal, OnTerminateSignal, &close);

  const int status = app->run(forms->Form1);
  for (guint source : sources) g_source_remove(source);
  forms.reset();
  InstallDialogs(nullptr);
  return status;
}

}  // namespace morvane
