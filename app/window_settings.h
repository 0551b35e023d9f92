#pragma once
// What the main window keeps in the settings file: where it and the site
// dialog were, the sizes of its two panes, the data file's name and the
// service's address. Nothing is written in a read-only run.
#include <gtkmm/paned.h>
#include <gtkmm/window.h>

#include <memory>
#include <string>
#include <string_view>

#include "app/window_placement.h"
#include "util/settings_file.h"

namespace morvane {

class WindowSettings {
 public:
  WindowSettings(std::string path, bool readOnly, Gtk::Window& mainWindow);

  SettingsFile& File() { return file_; }
  const SettingsFile& File() const { return file_; }

  // Reads the file: the panes' sizes (never under smallestPane), the main
  // window's place and the site dialog's (which keeps its own size).
  void Load(Gtk::Paned& categoryWidth, Gtk::Paned& listHeight, int smallestPane, Gtk::Window& siteDialog);
  std::string DataFileName() const;
  // The service's address as the settings dialog shows it (CP932).
  std::string ServiceURL() const;
  void SetServiceURL(std::string_view cp932);
  void Save();
  // At close: both places and the data file's name, then Save.
  void SaveForClose(std::string_view dataFileName);

 private:
  SettingsFile file_;
  bool readOnly_;
  WindowPlacement mainWindow_;
  std::unique_ptr<WindowPlacement> siteDialog_;
};

}  // namespace morvane
