#pragma once
// The modal interactions of the program behind one seam: the window installs
// GTK dialogs, tests install a scripted fake. Texts are UTF-8, as the window
// shows them; catalogue data is converted once by whoever puts it in a box.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

struct FileFilter {
  std::string name;     // as the user sees it, e.g. "データファイル(*.dat)"
  std::string pattern;  // e.g. "*.dat"
};

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // Error icon, caption "エラー", one "OK" button.
  virtual void ShowError(std::string_view message) = 0;
  // Question icon, caption "確認", "はい(&Y)" focused and "いいえ(&N)". True for Yes.
  virtual bool AskYesNo(std::string_view message) = 0;
  virtual void ShowMessage(std::string_view message) = 0;
  // One-line input box; nullopt when cancelled.
  virtual std::optional<std::string> InputText(std::string_view caption, std::string_view prompt,
                                               std::string_view initial) = 0;
  // File dialogs; file names are in the file system's encoding. nullopt when cancelled.
  virtual std::optional<std::string> OpenFile(std::string_view title, const FileFilter* filters,
                                              std::size_t filterCount) = 0;
  virtual std::optional<std::string> SaveFile(std::string_view title, const FileFilter* filters,
                                              std::size_t filterCount, std::string_view defaultExt) = 0;
  // The same with a file name proposed in the dialog (the last one imported).
  virtual std::optional<std::string> SaveFileNamed(std::string_view title, const FileFilter* filters,
                                                   std::size_t filterCount, std::string_view defaultExt,
                                                   std::string_view /*proposedName*/) {
    return SaveFile(title, filters, filterCount, defaultExt);
  }
  // A save dialog for a file a page offers: it opens in folder with the name
  // proposed, and asks before it replaces a file that exists.
  virtual std::optional<std::string> SaveFileIn(std::string_view title, std::string_view /*folder*/,
                                                std::string_view proposedName) {
    return SaveFileNamed(title, nullptr, 0, "", proposedName);
  }
  // A save dialog with one check box, unticked when it opens; gives the file
  // and whether the box was ticked.
  struct SaveChoice {
    std::string file;
    bool optionTicked = false;
  };
  virtual std::optional<SaveChoice> SaveFileWithOption(std::string_view title, const FileFilter* filters,
                                                       std::size_t filterCount, std::string_view defaultExt,
                                                       std::string_view /*optionCaption*/) {
    std::optional<std::string> file = SaveFile(title, filters, filterCount, defaultExt);
    if (!file) return std::nullopt;
    return SaveChoice{std::move(*file), false};
  }
  // A small box with a list to pick one item from; its index, nullopt when
  // cancelled. The first item is chosen when the box opens.
  virtual std::optional<std::size_t> ChooseItem(std::string_view /*caption*/, std::string_view /*prompt*/,
                                                const std::vector<std::string>& /*items*/) {
    return std::nullopt;
  }
  // The same for a list that may be very long (the folders of a bookmark
  // file): a list the user can search by typing, not a drop-down.
  virtual std::optional<std::size_t> ChooseFromLongList(std::string_view caption, std::string_view prompt,
                                                        const std::vector<std::string>& items) {
    return ChooseItem(caption, prompt, items);
  }
  // A page's sign-in prompt (HTTP authentication): user name and password for
  // the server and realm shown; nullopt when cancelled.
  struct SignIn {
    std::string user, password;
  };
  virtual std::optional<SignIn> AskSignIn(std::string_view /*server*/, std::string_view /*realm*/, bool /*retry*/) {
    return std::nullopt;
  }
};

// The dialogs in use; until one is installed errors go to standard error and
// questions are declined, so nothing destructive happens unattended.
UserDialogs& Dialogs();
void InstallDialogs(UserDialogs* dialogs);  // nullptr restores the fallback

// Shows message as an error box when condition is false; returns condition.
bool ShowErrorUnless(std::string_view message, bool condition);
// Asks a yes/no question; true when the user answered No or closed the box.
bool AskDeclined(std::string_view message);

}  // namespace morvane
