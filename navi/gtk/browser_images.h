#pragma once
// The navigation toolbar's thirteen 16 x 16 pictures, by image index, taken
// from the icon theme; the ones the desktop's themes lack are the program's own.
namespace morvane {

inline constexpr int kBrowserImageCount = 13;

// Icon name for an image index; nullptr outside 0..12.
const char* BrowserImageIconName(int index);

// Makes the program's own pictures part of the icon theme; once is enough.
void AddProgramIcons();

}  // namespace morvane
