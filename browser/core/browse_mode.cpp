#include "browser/core/browse_mode.h"

#include "util/cp932.h"

namespace morvane {

BrowseMode BrowseModeNamed(std::string_view name) {
  for (const BrowseModeEntry& entry : kBrowseModes)
    if (name == SystemText(entry.name)) return entry.mode;
  if (name == SystemText("スクリプト実行")) return BrowseMode::SameWindow;
  return BrowseMode::DesktopBrowser;
}

}  // namespace morvane
