#include "app/login_check_progress.h"

#include <string>

namespace morvane {

LoginCheckProgress::LoginCheckProgress(Gtk::Window& parent, std::function<void()> onStop)
    : Layout(Gtk::ORIENTATION_VERTICAL, 8), btStop("中止"), onStop_(std::move(onStop)) {
  set_title("ログイン確認");
  set_transient_for(parent);
  set_modal(true);
  set_resizable(false);
  set_default_size(320, -1);
  set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
  Layout.set_border_width(12);
  Layout.pack_start(lbCount, Gtk::PACK_SHRINK);
  Layout.pack_start(pbDone, Gtk::PACK_SHRINK);
  btStop.set_halign(Gtk::ALIGN_END);
  Layout.pack_start(btStop, Gtk::PACK_SHRINK);
  add(Layout);
  btStop.signal_clicked().connect(sigc::mem_fun(*this, &LoginCheckProgress::StopPressed));
  // Closing the window is a stop too; the window goes once the check has ended.
  signal_delete_event().connect([this](GdkEventAny*) {
    StopPressed();
    return true;
  });
  show_all();
}

void LoginCheckProgress::ShowDone(std::size_t done, std::size_t total) {
  const std::string count = std::to_string(done) + " / " + std::to_string(total);
  lbCount.set_text(counting_ + count);
  pbDone.set_fraction(total ? static_cast<double>(done) / static_cast<double>(total) : 1.0);
  pbDone.set_text(count);
  pbDone.set_show_text(true);
}

void LoginCheckProgress::ShowTexts(const std::string& title, std::string counting) {
  set_title(title);
  counting_ = std::move(counting);
}

void LoginCheckProgress::StopPressed() {
  // Said at once: the check ends as soon as its waits have let go.
  btStop.set_sensitive(false);
  lbCount.set_text("中止しています");
  if (onStop_) onStop_();
}

}  // namespace morvane
