#pragma once
// The navigation toolbar's thirteen 16 x 16 pictures, by image index, taken
// from the icon theme.
namespace morvane {

inline constexpr int kBrowserImageCount = 13;

// Icon name for an image index; nullptr outside 0..12.
const char* BrowserImageIconName(int index);

}  // namespace morvane
