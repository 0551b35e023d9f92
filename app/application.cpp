#include "app/application.h"

#include <gtkmm/application.h>

#include <cstdio>
#include <memory>

#include "app/close_signals.h"
#include "app/data_folder_start.h"
#include "app/forms.h"
#include "app/gtk_dialogs.h"
#include "util/cp932.h"
#include "util/data_paths.h"

namespace morvane {

int RunApplication(int argc, char** argv) {
  // All of this before GTK starts: a mistyped option never opens a window.
  const CommandLineOptions options = ParseCommandLine(argc, argv);
  if (!options.error.empty()) {
    std::fprintf(stderr, "morvane: %s (see morvane --help)\n", options.error.c_str());
    return 2;
  }
  MainWindowOptions windowOptions;
  windowOptions.paths = ResolveDataPaths(options);
  // Without one, the window takes the settings file's address or its own.
  windowOptions.serviceUrl = options.serviceUrl.value_or("");
  if (options.help || options.version) {
    const std::string text = options.help ? HelpText(windowOptions.paths.folder, DescribeRule(windowOptions.paths.rule))
                                          : VersionText() + "\n";
    std::fputs(text.c_str(), stdout);
    return 0;
  }

  // Our own options are read above; GTK sees only the program name.
  int gtkArgc = 1;
  char* gtkArgvStore[] = {argc > 0 ? argv[0] : const_cast<char*>("morvane"), nullptr};
  char** gtkArgv = gtkArgvStore;
  auto app = Gtk::Application::create(gtkArgc, gtkArgv, "org.morvane.Morvane", Gio::APPLICATION_NON_UNIQUE);

  GtkUserDialogs dialogs;
  InstallDialogs(&dialogs);
  // Held until the window is gone and the catalogue saved.
  DataFolderLock lock;
  if (!OpenDataFolder(windowOptions.paths, lock)) {
    InstallDialogs(nullptr);
    return 1;
  }
  auto forms = std::make_unique<MorvaneForms>(std::move(windowOptions));
  dialogs.SetParent(&forms->Form1);
  forms->Form1.signal_delete_event().connect([&forms](GdkEventAny*) { return !forms->Form1.FormCloseQuery(); }, false);

  int status = 0;
  {
    CloseOnSignals closeOnSignals(forms->Form1, [&app] { app->quit(); });
    status = app->run(forms->Form1);
  }
  forms.reset();
  InstallDialogs(nullptr);
  return status;
}

}  // namespace morvane
