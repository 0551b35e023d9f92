#pragma once
// Every form the program shows modally goes through RunModal, so a test can
// answer a form by script (fill its boxes, press its buttons) instead of
// waiting for a user.
#include <gtkmm/dialog.h>

#include <functional>

namespace morvane {

using ModalScript = std::function<int(Gtk::Dialog&)>;

// Shows the form, waits for its response, hides it again.
int RunModal(Gtk::Dialog& dialog);
// Replaces the wait by script; an empty script restores the real one.
void InstallModalScript(ModalScript script);

}  // namespace morvane
