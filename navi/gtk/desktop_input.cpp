#include "navi/gtk/desktop_input.h"

#include <gtkmm/clipboard.h>

#include "util/text_encoding.h"

namespace morvane {
namespace {

bool ModifierDown(GdkModifierType mask) {
  GdkModifierType state{};
  if (!gtk_get_current_event_state(&state)) {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return false;
    state = static_cast<GdkModifierType>(gdk_keymap_get_modifier_state(gdk_keymap_get_for_display(display)));
  }
  return (state & mask) != 0;
}

}  // namespace

std::string GtkClipboardText::GetText() {
  // Asks the owner and keeps the window alive until it answers.
  return Gtk::Clipboard::get()->wait_for_text().raw();
}

void GtkClipboardText::SetText(std::string_view utf8) {
  // GTK takes only valid UTF-8; what a page gave is, but be sure.
  Gtk::Clipboard::get()->set_text(ValidUtf8(utf8));
}

bool GtkKeyboard::ShiftDown() const { return ModifierDown(GDK_SHIFT_MASK); }
bool GtkKeyboard::CtrlDown() const { return ModifierDown(GDK_CONTROL_MASK); }

}  // namespace morvane
