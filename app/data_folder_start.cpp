#include "app/data_folder_start.h"

#include "util/user_dialogs.h"

namespace morvane {
namespace {

// message + the path on its own line, as the box shows it.
std::string WithPath(std::string_view message, const std::string& path) { return std::string(message) + "\n" + path; }

}  // namespace

bool OpenDataFolder(DataPaths& paths, DataFolderLock& lock) {
  if (!EnsureDataFolder(paths)) {
    Dialogs().ShowError(WithPath("データフォルダを作成できません。", paths.folder));
    return false;
  }
  switch (lock.Acquire(paths.folder)) {
    case DataFolderLock::Result::kInUse:
      Dialogs().ShowError("このデータフォルダは別のウィンドウで使用中です");
      return false;
    case DataFolderLock::Result::kUnavailable:
      // Without the lock a second window on the folder would go unnoticed,
      // and two windows saving in turn lose each other's changes.
      Dialogs().ShowError(WithPath(
          "データフォルダをロックできません（ロックファイルがシンボリックリンクか、ファイルシステムがロックに対応して"
          "いません）。別のウィンドウと同時に使うとデータが失われるおそれがあるため、読み取り専用で開きます。変更は保存"
          "されません。",
          paths.folder));
      paths.readOnly = true;
      paths.browserProfile.clear();
      break;
    case DataFolderLock::Result::kLocked: break;
  }
  const DataFolderState state = InspectDataFolder(paths);
  // Found now rather than at close, when the session's work would be lost.
  if (!paths.readOnly && !state.writable &&
      Dialogs().AskYesNo(
          WithPath("データフォルダに書き込めません。このまま使っても変更は保存されません。", paths.folder) +
          "\n\n終了しますか?")) {
    return false;
  }
  if (state.sharedWritable)
    Dialogs().ShowError(WithPath(
        "データフォルダは他のユーザーも書き込める設定です。サイトデータやパスワードを書き換えられるおそれがあります。",
        paths.folder));
  if (state.browserOwnedByOther) {
    Dialogs().ShowError(WithPath(
        "ブラウザのプロファイルフォルダが別のユーザーのものなので使いません。今回のログイン情報は保存されません。",
        paths.browserProfile));
    paths.browserProfile.clear();
  } else if (state.browserSharedWritable) {
    Dialogs().ShowError(
        WithPath("ブラウザのプロファイルフォルダは他のユーザーも書き込める設定です。ログインのクッキーを書き換えられる"
                 "おそれがあります。",
                 paths.browserProfile));
  }
  return true;
}

}  // namespace morvane
