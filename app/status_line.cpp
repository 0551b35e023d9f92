#include "app/status_line.h"

#include <gtkmm/label.h>

#include "browser/core/browser_frame.h"
#include "util/cp932.h"

namespace morvane {

StatusLine::StatusLine(Gtk::Statusbar& bar, BrowserFrame& frame)
    : bar_(bar),
      frame_(frame),
      frameContext_(bar.get_context_id("status")),
      windowContext_(bar.get_context_id("window")) {}

void StatusLine::SetStatusText(std::string_view cp932) {
  bar_.remove_all_messages(frameContext_);
  if (!cp932.empty()) bar_.push(Cp932ToUtf8(cp932), frameContext_);
}

void StatusLine::ShowWindowText(std::string_view cp932) {
  // The newest message is the one in view, and a login's outcome does not
  // come back after it.
  frame_.DropOutcome();
  bar_.remove_all_messages(frameContext_);
  bar_.remove_all_messages(windowContext_);
  bar_.push(Cp932ToUtf8(cp932), windowContext_);
  countInView_ = false;
}

void StatusLine::ShowCount(std::string_view cp932) {
  ShowWindowText(cp932);
  countInView_ = true;
}

void StatusLine::ShowLoginOutcome(std::string_view cp932) {
  // The frame keeps it in view through the page the login opens once more,
  // and lets it go once a later page completes.
  bar_.remove_all_messages(windowContext_);
  countInView_ = false;
  frame_.ShowOutcome(std::string(cp932));
}

std::string StatusLine::Text() const {
  auto* area = dynamic_cast<Gtk::Container*>(bar_.get_message_area());
  if (!area) return {};
  for (Gtk::Widget* child : area->get_children())
    if (auto* label = dynamic_cast<Gtk::Label*>(child)) return Utf8ToCp932(label->get_text().raw());
  return {};
}

}  // namespace morvane
