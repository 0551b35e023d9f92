#include "app/close_signals.h"

#include <glib-unix.h>
#include <gtkmm/dialog.h>

#include <csignal>
#include <cstdio>

#include "app/main_window.h"
#include "util/cp932.h"

namespace morvane {

CloseOnSignals::CloseOnSignals(TForm1& window, std::function<void()> quit) : window_(window), quit_(std::move(quit)) {
  const int signals[] = {SIGTERM, SIGHUP, SIGINT};
  for (std::size_t i = 0; i < sources_.size(); ++i) sources_[i] = g_unix_signal_add(signals[i], OnSignal, this);
}

CloseOnSignals::~CloseOnSignals() {
  for (guint source : sources_)
    if (source) g_source_remove(source);
}

gboolean CloseOnSignals::OnSignal(gpointer self) {
  auto* me = static_cast<CloseOnSignals*>(self);
  // A second signal while the first close is under way changes nothing.
  if (me->fired_) return G_SOURCE_CONTINUE;
  me->fired_ = true;
  me->written_ = me->window_.CloseUnattended();
  if (me->window_.ReadOnly()) {
    // a read-only run has nothing to save
  } else if (me->written_.empty()) {
    std::fprintf(stderr, "morvane: the catalogue could not be saved\n");
  } else if (me->written_ != me->window_.Catalogue().DataFilePath()) {
    std::fprintf(stderr, "morvane: the data file could not be written; the catalogue was saved to %s\n",
                 me->written_.c_str());
  }
  // Nobody is there to be asked: the sites that could not go into the file
  // are named where the session's log keeps them.
  if (!me->written_.empty())
    for (const std::string& site : me->window_.Catalogue().LeftOutOfLastSave())
      std::fprintf(stderr, "morvane: not saved (a line break or NUL byte in it): %s\n", Cp932ToUtf8(site).c_str());
  me->window_.hide();
  // An open box would keep its own loop running with nobody to answer it;
  // closing it is a cancel, which changes nothing.
  for (Gtk::Window* window : Gtk::Window::list_toplevels())
    if (auto* dialog = dynamic_cast<Gtk::Dialog*>(window); dialog && dialog->get_visible())
      dialog->response(Gtk::RESPONSE_DELETE_EVENT);
  if (me->quit_) me->quit_();
  return G_SOURCE_CONTINUE;
}

}  // namespace morvane
