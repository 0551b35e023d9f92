#include "app/download_consent.h"

#include <glib.h>

#include "util/user_dialogs.h"

namespace morvane {

std::optional<DownloadTarget> ChooseDownloadTarget(std::string_view proposedName) {
  const char* downloads = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
  const std::string folder = downloads ? downloads : g_get_home_dir();
  std::optional<std::string> file = Dialogs().SaveFileIn("ダウンロードの保存", folder, proposedName);
  if (!file || file->empty()) return std::nullopt;
  // A file that is there now was confirmed for replacing in the dialog; one
  // that appears later is not replaced.
  return DownloadTarget{*file, g_file_test(file->c_str(), G_FILE_TEST_EXISTS) != FALSE};
}

}  // namespace morvane
