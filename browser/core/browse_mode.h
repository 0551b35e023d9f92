#pragma once
// How the browser answers a page's request for a new window: the modes of the
// toolbar's browse-mode box, in the box's order.
#include <array>
#include <string_view>

namespace morvane {

enum class BrowseMode {
  Ignore,          // no window opens
  SameWindow,      // the visible browser goes where the new window would have gone
  DesktopBrowser,  // the desktop's browser opens the address
};

struct BrowseModeEntry {
  BrowseMode mode;
  std::string_view name;  // UTF-8, as the box shows it
};
inline constexpr std::array<BrowseModeEntry, 3> kBrowseModes{{
    {BrowseMode::Ignore, "無視"},
    {BrowseMode::SameWindow, "同窓モード"},
    {BrowseMode::DesktopBrowser, "通常のブラウザ"},
}};

// The mode a name (CP932) stands for. The script mode of the service's pages
// ("スクリプト実行") opens new windows as the same-window mode does; a name
// that is none of these leaves new windows to the desktop's browser.
BrowseMode BrowseModeNamed(std::string_view name);

}  // namespace morvane
