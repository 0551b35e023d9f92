#include "browser/core/download_progress.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(DownloadProgress, SizesAndEndsAsTheStripSaysThem) {
  EXPECT_EQ(DownloadSizeText(512, 0), "512 B");
  EXPECT_EQ(DownloadSizeText(1536, 10 * 1024 * 1024), "1.5 KB / 10.0 MB");
  EXPECT_EQ(DownloadSizeText(3ull << 30, 4ull << 30), "3.00 GB / 4.00 GB");
  EXPECT_EQ(DownloadStateText(DownloadProgress::State::Running), "");
  EXPECT_EQ(DownloadStateText(DownloadProgress::State::Done), "完了しました");
  EXPECT_NE(DownloadStateText(DownloadProgress::State::Cancelled).find("キャンセル"), std::string::npos);
}

}  // namespace
}  // namespace morvane
