#include "util/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_test_support.h"

namespace morvane {
namespace {

using testing::FaultyFileOps;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Step = FaultyFileOps::Step;

TEST(ToCrLfLines, EveryKindOfLineBreakBecomesCrLfAndTheLastLineIsEnded) {
  EXPECT_EQ(ToCrLfLines(""), "");
  EXPECT_EQ(ToCrLfLines("a"), "a\r\n");
  EXPECT_EQ(ToCrLfLines("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(ToCrLfLines("a\r\n\r\n"), "a\r\n\r\n");
  EXPECT_EQ(ToCrLfLines("\n"), "\r\n");
  EXPECT_EQ(ToCrLfLines("\n\r"), "\r\n\r\n");  // LF then a lone CR: two breaks
}

TEST(ToCrLfLines, NulByteEndsTheText) {
  EXPECT_EQ(ToCrLfLines(std::string("ab\0cd\r\n", 7)), "ab\r\n");
  EXPECT_EQ(ToCrLfLines(std::string("\0x", 2)), "");
  EXPECT_EQ(ToCrLfLines(std::string("ok\r\n\0", 5)), "ok\r\n");
}

TEST(TextFile, SavedTextHasCrLfLinesAndReadsBackTheSame) {
  TempDir dir;
  const std::string name = dir / "t.txt";
  ASSERT_TRUE(SaveTextFile(name, "first\nsecond\rthird"));
  EXPECT_EQ(ReadBytes(name), "first\r\nsecond\r\nthird\r\n");
  EXPECT_EQ(LoadTextFile(name), "first\r\nsecond\r\nthird\r\n");

  ASSERT_TRUE(SaveTextFile(name, ""));
  EXPECT_EQ(ReadBytes(name), "");
  EXPECT_EQ(LoadTextFile(name), "");
}

TEST(TextFile, ReadingEndsLinesTheSameWayAsWriting) {
  TempDir dir;
  WriteBytes(dir / "lf.txt", "x\ny");
  EXPECT_EQ(LoadTextFile(dir / "lf.txt"), "x\r\ny\r\n");
  WriteBytes(dir / "nul.txt", std::string("x\r\n\0rest", 8));
  EXPECT_EQ(LoadTextFile(dir / "nul.txt"), "x\r\n");
}

TEST(TextFile, WhatCannotBeReadGivesTheMarker) {
  TempDir dir;
  EXPECT_EQ(LoadTextFile(dir / "missing"), kFileLoadError);
  EXPECT_EQ(LoadTextFile(dir.Path()), kFileLoadError);  // a folder
  // A FIFO with no writer would block a plain read for ever.
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(LoadTextFile(dir / "fifo"), kFileLoadError);

  WriteBytes(dir / "f", "data");
  FaultyFileOps ops(Step::Read, EIO);
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

TEST(TextFile, RegularFileExistsOnlyForRegularFiles) {
  TempDir dir;
  WriteBytes(dir / "f", "");
  EXPECT_TRUE(RegularFileExists(dir / "f"));
  EXPECT_FALSE(RegularFileExists(dir / "none"));
  EXPECT_FALSE(RegularFileExists(dir.Path()));
}

}  // namespace
}  // namespace morvane
