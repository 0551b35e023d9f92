#include "navi/gtk/download_bar.h"

#include <giomm/appinfo.h>
#include <glibmm/convert.h>
#include <glibmm/miscutils.h>

#include "util/user_dialogs.h"

namespace morvane {
namespace {

void OpenInFileManager(const std::string& folder) {
  try {
    if (!Gio::AppInfo::launch_default_for_uri(Glib::filename_to_uri(folder)))
      Dialogs().ShowError("フォルダを開けませんでした");
  } catch (const Glib::Error&) {
    Dialogs().ShowError("フォルダを開けませんでした");
  }
}

}  // namespace

DownloadBar::DownloadBar() : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 2), openFolder_(OpenInFileManager) {
  set_border_width(3);
  set_no_show_all(true);
}

DownloadBar::Row* DownloadBar::RowOf(int id) {
  const auto it = rows_.find(id);
  return it == rows_.end() ? nullptr : it->second.get();
}

void DownloadBar::Show(const DownloadProgress& p) {
  Row* row = RowOf(p.id);
  if (!row) {
    auto made = std::make_unique<Row>();
    row = made.get();
    row->folder = Glib::path_get_dirname(p.file);
    row->name.set_text(p.name);
    row->name.set_ellipsize(Pango::ELLIPSIZE_MIDDLE);
    row->name.set_max_width_chars(40);
    row->progress.set_show_text(true);
    row->progress.set_valign(Gtk::ALIGN_CENTER);
    row->progress.get_accessible()->set_name(p.name + " のダウンロード");
    row->cancel.get_accessible()->set_name(p.name + " のダウンロードをキャンセル");
    row->box.pack_start(row->name, Gtk::PACK_SHRINK);
    row->box.pack_start(row->progress, Gtk::PACK_EXPAND_WIDGET);
    row->box.pack_start(row->state, Gtk::PACK_SHRINK);
    row->box.pack_start(row->cancel, Gtk::PACK_SHRINK);
    row->box.pack_start(row->openFolder, Gtk::PACK_SHRINK);
    row->box.pack_start(row->close, Gtk::PACK_SHRINK);
    const int id = p.id;
    row->cancel.signal_clicked().connect([this, id] {
      if (cancel_) cancel_(id);
    });
    row->openFolder.signal_clicked().connect([this, row] { openFolder_(row->folder); });
    row->close.signal_clicked().connect([this, id] { Close(id); });
    pack_start(row->box, Gtk::PACK_SHRINK);
    row->box.show_all();
    rows_.emplace(id, std::move(made));
    show();
  }
  const bool running = p.state == DownloadProgress::State::Running;
  const bool done = p.state == DownloadProgress::State::Done;
  row->progress.set_fraction(done      ? 1.0
                             : p.total ? static_cast<double>(p.received) / static_cast<double>(p.total)
                                       : 0.0);
  row->progress.set_text(DownloadSizeText(p.received, p.total));
  row->state.set_text(DownloadStateText(p.state));
  row->state.set_visible(!running);
  row->cancel.set_visible(running);
  row->openFolder.set_visible(done);
  row->close.set_visible(!running);
}

void DownloadBar::Close(int id) {
  const auto it = rows_.find(id);
  if (it == rows_.end()) return;
  remove(it->second->box);
  rows_.erase(it);
  if (rows_.empty()) hide();
}

}  // namespace morvane
