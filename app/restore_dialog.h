#pragma once
// The box that lists the data file's backups, newest first, for the user to
// pick one to go back to: when each was made, what kind it is, how many
// sites and categories it holds and its size. A backup that does not read as
// a catalogue is listed as such and cannot be picked.
#include <gtkmm/button.h>
#include <gtkmm/dialog.h>
#include <gtkmm/label.h>
#include <gtkmm/liststore.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/treeview.h>

#include <optional>
#include <string>
#include <vector>

namespace morvane {

struct RestoreChoice {
  std::string time;  // UTF-8, as shown
  std::string kind;
  long long sites = 0;
  long long categories = 0;
  std::uintmax_t size = 0;
  bool loadable = false;
};

class RestoreDialog : public Gtk::Dialog {
 public:
  RestoreDialog(Gtk::Window* parent, const std::vector<RestoreChoice>& choices);

  // The row picked (an index into the choices); none while no backup that
  // loads is selected.
  std::optional<std::size_t> Chosen() const;

  Gtk::Label lbPrompt;
  Gtk::TreeView lvBackups;
  Gtk::Button* btRestore = nullptr;  // "戻す"
  Gtk::Button* btCancel = nullptr;

 private:
  struct Columns : Gtk::TreeModelColumnRecord {
    Columns();
    Gtk::TreeModelColumn<Glib::ustring> time, kind, sites, categories, size;
    Gtk::TreeModelColumn<bool> loadable;
  };
  void SelectionChanged();

  Columns columns_;
  Glib::RefPtr<Gtk::ListStore> store_;
  Gtk::ScrolledWindow scroll_;
};

// "12.3 KB" and the like.
std::string ShownFileSize(std::uintmax_t bytes);

}  // namespace morvane
