#include "browser/core/download_progress.h"

#include <cstdio>

namespace morvane {
namespace {

std::string Size(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1024) std::snprintf(text, sizeof text, "%llu B", static_cast<unsigned long long>(bytes));
  else if (bytes < 1024 * 1024) std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024);
  else if (bytes < 1024ull * 1024 * 1024)
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024 * 1024));
  else std::snprintf(text, sizeof text, "%.2f GB", static_cast<double>(bytes) / (1024.0 * 1024 * 1024));
  return text;
}

}  // namespace

std::string DownloadSizeText(std::uint64_t received, std::uint64_t total) {
  return total == 0 ? Size(received) : Size(received) + " / " + Size(total);
}

std::string DownloadStateText(DownloadProgress::State state) {
  switch (state) {
    case DownloadProgress::State::Running: return "";
    case DownloadProgress::State::Done: return "完了しました";
    case DownloadProgress::State::Failed: return "失敗しました（ファイルは残っていません）";
    case DownloadProgress::State::Cancelled: return "キャンセルしました（ファイルは残っていません）";
  }
  return "";
}

}  // namespace morvane
