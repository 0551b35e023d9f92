#pragma once
// Input through the X server, as a user gives it.
#include <gtkmm/widget.h>

#include <initializer_list>
#include <vector>

#include "window_test_support.h"

// After the program's and the test framework's headers: X11 defines macros
// such as Button1 and None.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>

namespace morvane::testing {

inline Display* XDisplayOf(Gtk::Widget& w) { return GDK_WINDOW_XDISPLAY(w.get_window()->gobj()); }

// A press and release of the first button at a point of the widget (its
// own coordinates).
inline void ClickWithPointerAt(Gtk::Widget& widget, int atX, int atY) {
  int x = 0, y = 0;
  widget.get_window()->get_origin(x, y);
  const Gtk::Allocation a = widget.get_allocation();
  if (!widget.get_has_window()) {
    x += a.get_x();
    y += a.get_y();
  }
  Display* d = XDisplayOf(widget);
  XTestFakeMotionEvent(d, -1, x + atX, y + atY, 0);
  XFlush(d);
  PumpFor(60);
  XTestFakeButtonEvent(d, 1, True, 0);
  XFlush(d);
  PumpFor(40);
  XTestFakeButtonEvent(d, 1, False, 0);
  XFlush(d);
  PumpFor(150);
}

// The same on the widget's centre.
inline void ClickWithPointer(Gtk::Widget& widget) {
  const Gtk::Allocation a = widget.get_allocation();
  ClickWithPointerAt(widget, a.get_width() / 2, a.get_height() / 2);
}

// A press and release of a key in the widget's window. There is no window
// manager on the test display to give a clicked window the keyboard, so the
// test gives it, as that manager would.
// Several keys are a chord, such as Control and L: pressed in order, let go
// in reverse.
inline void PressKeys(Gtk::Widget& widget, std::initializer_list<unsigned long> keysyms) {
  Display* d = XDisplayOf(widget);
  XSetInputFocus(d, GDK_WINDOW_XID(widget.get_toplevel()->get_window()->gobj()), RevertToParent, CurrentTime);
  PumpFor(60);
  std::vector<KeyCode> codes;
  for (unsigned long keysym : keysyms) {
    codes.push_back(XKeysymToKeycode(d, keysym));
    XTestFakeKeyEvent(d, codes.back(), True, 0);
    XFlush(d);
    PumpFor(40);
  }
  for (auto code = codes.rbegin(); code != codes.rend(); ++code) XTestFakeKeyEvent(d, *code, False, 0);
  XFlush(d);
  PumpFor(150);
}
inline void PressKey(Gtk::Widget& widget, unsigned long keysym) { PressKeys(widget, {keysym}); }

}  // namespace morvane::testing
