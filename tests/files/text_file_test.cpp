#include "util/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "file_test_support.h"

namespace morvane {
namespace {

TEST(ToCrLfLines, EveryBreakBecomesCrLfTheLastLineIsEndedAndNulEndsTheText) {
  EXPECT_EQ(ToCrLfLines(""), "");
  EXPECT_EQ(ToCrLfLines("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(ToCrLfLines("a\r\n\r\n"), "a\r\n\r\n");
  EXPECT_EQ(ToCrLfLines("\n\r"), "\r\n\r\n");  // LF then a lone CR: two breaks
  EXPECT_EQ(ToCrLfLines(std::string("ab\0cd\r\n", 7)), "ab\r\n");
  EXPECT_EQ(ToCrLfLines(std::string("\0x", 2)), "");
}

TEST(TextFile, WritesAndReadsCrLfLines) {
  TempDir dir;
  ASSERT_TRUE(SaveTextFile(dir / "t", "first\nsecond\rthird"));
  EXPECT_EQ(ReadBytes(dir / "t"), "first\r\nsecond\r\nthird\r\n");
  ASSERT_TRUE(SaveTextFile(dir / "t", "x\r\ny"));
  EXPECT_EQ(ReadBytes(dir / "t"), "x\r\ny\r\n");
  ASSERT_TRUE(SaveTextFile(dir / "t", ""));
  EXPECT_EQ(ReadBytes(dir / "t"), "");

  WriteBytes(dir / "lf", "x\ny");
  EXPECT_EQ(LoadTextFile(dir / "lf"), "x\r\ny\r\n");
  WriteBytes(dir / "nul", std::string("x\r\n\0rest", 8));
  EXPECT_EQ(LoadTextFile(dir / "nul"), "x\r\n");
}

TEST(TextFile, WhatCannotBeReadGivesTheMarkerWithoutBlocking) {
  TempDir dir;
  EXPECT_EQ(LoadTextFile(dir / "missing"), kFileLoadError);
  EXPECT_EQ(LoadTextFile(dir.Path()), kFileLoadError);
  // A FIFO with no writer would block a plain read for ever.
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(LoadTextFile(dir / "fifo"), kFileLoadError);
  EXPECT_FALSE(RegularFileExists(dir / "fifo"));

  WriteBytes(dir / "f", "data");
  FaultyFileOps ops(FaultyFileOps::kRead, EIO);
  EXPECT_EQ(LoadTextFile(dir / "f"), kFileLoadError);
}

TEST(TextFile, FilesAreCreatedWithTheGivenMode) {
  TempDir dir;
  const mode_t old = ::umask(022);
  ASSERT_TRUE(SaveTextFile(dir / "private", "p"));
  ASSERT_TRUE(SaveTextFile(dir / "shared", "s", kSharedFileMode));
  ::umask(old);
  EXPECT_EQ(testing::ModeOf(dir / "private"), 0600u);
  EXPECT_EQ(testing::ModeOf(dir / "shared"), 0644u);
}

}  // namespace
}  // namespace morvane
