#pragma once
// The modal boxes of the program drawn with GTK: message boxes, the one-line
// input box and the file dialogs.
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/window.h>

#include "util/user_dialogs.h"

namespace morvane {

class GtkUserDialogs final : public UserDialogs {
 public:
  // Boxes are kept above parent (may be null before the window exists).
  explicit GtkUserDialogs(Gtk::Window* parent = nullptr) : parent_(parent) {}
  void SetParent(Gtk::Window* parent) { parent_ = parent; }

  void ShowError(std::string_view message) override;
  bool AskYesNo(std::string_view message) override;
  void ShowMessage(std::string_view message) override;
  std::optional<std::string> InputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override;
  std::optional<std::string> OpenFile(std::string_view title, const FileFilter* filters,
                                      std::size_t filterCount) override;
  std::optional<std::string> SaveFile(std::string_view title, const FileFilter* filters, std::size_t filterCount,
                                      std::string_view defaultExt) override;
  std::optional<std::string> SaveFileNamed(std::string_view title, const FileFilter* filters, std::size_t filterCount,
                                           std::string_view defaultExt, std::string_view proposedName) override;
  std::optional<std::string> SaveFileIn(std::string_view title, std::string_view folder,
                                        std::string_view proposedName) override;
  std::optional<SaveChoice> SaveFileWithOption(std::string_view title, const FileFilter* filters,
                                               std::size_t filterCount, std::string_view defaultExt,
                                               std::string_view optionCaption) override;
  std::optional<std::size_t> ChooseItem(std::string_view caption, std::string_view prompt,
                                        const std::vector<std::string>& items) override;
  std::optional<std::size_t> ChooseFromLongList(std::string_view caption, std::string_view prompt,
                                                const std::vector<std::string>& items) override;
  std::optional<SignIn> AskSignIn(std::string_view server, std::string_view realm, bool retry) override;

 private:
  std::optional<std::string> SaveFrom(Gtk::FileChooserDialog& box, const FileFilter* filters, std::size_t filterCount,
                                      std::string_view defaultExt, std::string_view proposedName);
  Gtk::Window* parent_;
};

// Adds defaultExt when the chosen name has no extension of its own, as the
// save box promises by its filter.
std::string WithDefaultExtension(const std::string& path, std::string_view defaultExt);

}  // namespace morvane
