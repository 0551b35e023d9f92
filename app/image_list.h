#pragma once
// The 16 x 16 pictures of the category tree, taken from the icon theme by
// the image index the tree's text form stores.
#include <gdkmm/pixbuf.h>
#include <glibmm/refptr.h>

namespace morvane {

// Icon name for a tree image index; a neutral picture for other indices
// (a loaded tree may name any).
const char* TreeImageIconName(int index);
// The picture at 16 x 16; null only when the theme has neither it nor a fallback.
Glib::RefPtr<Gdk::Pixbuf> TreeImage(int index);

}  // namespace morvane
