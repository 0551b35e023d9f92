#pragma once
// A box to pick one item of a list of any length (a hundred thousand
// bookmark folders): a plain list view that draws only the rows in sight,
// and a search box above it that jumps to the next item holding the typed
// text. Leading full-width spaces of an item are its indent, shown but not
// searched.
#include <gtkmm/window.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// The index of the item chosen (the first one is chosen when the box
// opens); nullopt when cancelled.
std::optional<std::size_t> ChooseFromLongListBox(Gtk::Window* parent, std::string_view caption, std::string_view prompt,
                                                 const std::vector<std::string>& items);

}  // namespace morvane
