#include "util/safe_file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "file_test_support.h"
#include "util/text_file.h"

namespace morvane {
namespace {

using testing::FaultyFileOps;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Step = FaultyFileOps::Step;

const std::string kOld = "old contents\r\n";
const std::string kNew(200000, 'n');

struct Fault {
  const char* what;
  Step step;
  int error;
  int onCall;
};

class FailedWrite : public ::testing::TestWithParam<Fault> {};

// Whichever step fails, the result is false, the old file keeps every byte
// and no temporary file is left beside it.
TEST_P(FailedWrite, LeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  const std::string name = dir / "data.dat";
  WriteBytes(name, kOld);
  {
    FaultyFileOps ops(GetParam().step, GetParam().error, GetParam().onCall);
    ops.writeLimit = 4096;  // several writes, so a later one can fail
    EXPECT_FALSE(WriteFileReplacing(name, kNew, kPrivateFileMode));
  }
  EXPECT_EQ(ReadBytes(name), kOld);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"data.dat"});
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FailedWrite,
                         ::testing::Values(Fault{"create", Step::Open, EACCES, 1},
                                           Fault{"first_write", Step::Write, EIO, 1},
                                           Fault{"disk_full_midway", Step::Write, ENOSPC, 3},
                                           Fault{"flush", Step::Fsync, EIO, 1},
                                           Fault{"close", Step::Close, EIO, 1},
                                           Fault{"rename", Step::Rename, EXDEV, 1}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(SafeFileWriter, ShortWritesStillWriteEverything) {
  TempDir dir;
  FaultyFileOps ops(Step::Unlink, EIO, 1000);  // nothing fails
  ops.writeLimit = 777;
  ASSERT_TRUE(WriteFileReplacing(dir / "f", kNew, kPrivateFileMode));
  EXPECT_EQ(ReadBytes(dir / "f"), kNew);
  EXPECT_GT(ops.calls[static_cast<int>(Step::Write)], 200);
  EXPECT_GE(ops.calls[static_cast<int>(Step::Fsync)], 1);
}

TEST(SafeFileWriter, ReplacesTheOldFileWhole) {
  TempDir dir;
  WriteBytes(dir / "f", kNew);
  ASSERT_TRUE(WriteFileReplacing(dir / "f", kOld, kPrivateFileMode));
  EXPECT_EQ(ReadBytes(dir / "f"), kOld);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"f"});
}

TEST(SafeFileWriter, VanishedFolderOrFolderInTheWayFails) {
  TempDir dir;
  EXPECT_FALSE(WriteFileReplacing(dir / "gone/f", kOld, kPrivateFileMode));
  std::filesystem::create_directory(dir / "taken");
  WriteBytes(dir / "taken/inside", kOld);
  EXPECT_FALSE(WriteFileReplacing(dir / "taken", kNew, kPrivateFileMode));
  EXPECT_EQ(ReadBytes(dir / "taken/inside"), kOld);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"taken"});
  EXPECT_FALSE(WriteFileReplacing(dir.Path(), kNew, kPrivateFileMode));  // no file name at all
}

TEST(SafeFileWriter, StaleTemporaryNamesAreSkipped) {
  TempDir dir;
  FaultyFileOps ops(Step::Open, EEXIST, 1);
  // Every create reports a taken name: the writer gives up instead of looping.
  EXPECT_FALSE(WriteFileReplacing(dir / "f", kOld, kPrivateFileMode));
  EXPECT_EQ(ops.calls[static_cast<int>(Step::Open)], 100);
}

TEST(SafeFileWriter, PathParts) {
  EXPECT_EQ(FolderPart("/a/b/c.dat"), "/a/b/");
  EXPECT_EQ(NamePart("/a/b/c.dat"), "c.dat");
  EXPECT_EQ(FolderPart("c.dat"), "");
  EXPECT_EQ(NamePart("c.dat"), "c.dat");
}

}  // namespace
}  // namespace morvane
