#include "browser/gtk/browser_frame_widget.h"

#include <gtk/gtk.h>

namespace morvane {

BrowserFrameWidget::BrowserFrameWidget(const std::string& profileFolder, std::string homeURL)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL), engine_(profileFolder, std::move(homeURL)), frame_(engine_, pump_) {
  frame_.SetSystemBrowser(&desktop_);
  GtkWidget* view = engine_.Widget();
  gtk_box_pack_start(gobj(), view, TRUE, TRUE, 0);
  gtk_widget_show(view);
}

BrowserFrameWidget::~BrowserFrameWidget() {
  // Waits still on the stack must not outlive the frame.
  pump_.SetTerminating(true);
}

}  // namespace morvane
