#pragma once
// The strip under the navigation toolbar with the downloads the user agreed
// to: each one's name, progress and size, a cancel button while it runs and,
// once it is done, "フォルダを開く". A row that has ended can be closed; the
// strip hides when it has none.
#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/progressbar.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "browser/core/download_progress.h"

namespace morvane {

class DownloadBar : public Gtk::Box {
 public:
  struct Row {
    Gtk::Box box{Gtk::ORIENTATION_HORIZONTAL, 6};
    Gtk::Label name, state;
    Gtk::ProgressBar progress;
    Gtk::Button cancel{"キャンセル"}, openFolder{"フォルダを開く"}, close{"閉じる"};
    std::string folder;
  };
  using Canceller = std::function<void(int id)>;
  using FolderOpener = std::function<void(const std::string& folder)>;

  DownloadBar();
  void SetCanceller(Canceller cancel) { cancel_ = std::move(cancel); }
  // The desktop's file manager by default; tests look at what would open.
  void SetFolderOpener(FolderOpener open) { openFolder_ = std::move(open); }

  // Adds or updates the row of a download.
  void Show(const DownloadProgress& progress);
  Row* RowOf(int id);

 private:
  void Close(int id);
  Canceller cancel_;
  FolderOpener openFolder_;
  std::map<int, std::unique_ptr<Row>> rows_;
};

}  // namespace morvane
