#pragma once
// The names a screen reader says for the program's controls.
#include <glibmm/ustring.h>
#include <gtkmm/label.h>
#include <gtkmm/widget.h>

namespace morvane {

// The name of a control without a caption of its own (a view, a picture button).
void SetAccessibleName(Gtk::Widget& control, const Glib::ustring& name);

// Ties a caption to the box it stands beside: the box is read out under the
// caption's text, and the caption's mnemonic moves the focus there.
void LabelFor(Gtk::Label& caption, Gtk::Widget& box);

}  // namespace morvane
