#pragma once
// Where a download the user asked for on a page goes: the save dialog
// "ダウンロードの保存", opened in the desktop's download folder.
#include <optional>
#include <string_view>

#include "browser/core/browser_engine.h"

namespace morvane {

// The user's choice of file (proposedName UTF-8); nullopt when cancelled.
std::optional<DownloadTarget> ChooseDownloadTarget(std::string_view proposedName);

}  // namespace morvane
