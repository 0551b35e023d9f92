#include "util/safe_file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "file_test_support.h"

namespace morvane {
namespace {

const std::string kOld = "old contents\r\n";
const std::string kNew(200000, 'n');

struct Fault {
  const char* what;
  FaultyFileOps::Step step;
  int error;
  int onCall;
  friend void PrintTo(const Fault& f, std::ostream* os) { *os << f.what; }
};

class FailedWrite : public ::testing::TestWithParam<Fault> {};

// Whichever step fails, the result is false, the old file keeps every byte
// and no temporary file is left beside it.
TEST_P(FailedWrite, LeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  WriteBytes(dir / "data.dat", kOld);
  {
    FaultyFileOps ops(GetParam().step, GetParam().error, GetParam().onCall);
    ops.writeLimit = 4096;  // several writes, so a later one can fail
    EXPECT_FALSE(WriteFileReplacing(dir / "data.dat", kNew, kPrivateFileMode));
  }
  EXPECT_EQ(ReadBytes(dir / "data.dat"), kOld);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"data.dat"});
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FailedWrite,
                         ::testing::Values(Fault{"create", FaultyFileOps::kOpen, EACCES, 1},
                                           Fault{"stale_names_only", FaultyFileOps::kOpen, EEXIST, 1},
                                           Fault{"first_write", FaultyFileOps::kWrite, EIO, 1},
                                           Fault{"disk_full_midway", FaultyFileOps::kWrite, ENOSPC, 3},
                                           Fault{"flush", FaultyFileOps::kFsync, EIO, 1},
                                           Fault{"close", FaultyFileOps::kClose, EIO, 1},
                                           Fault{"rename", FaultyFileOps::kRename, EXDEV, 1}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(SafeFileWriter, ShortWritesStillWriteEverythingAndFlush) {
  TempDir dir;
  WriteBytes(dir / "f", kOld);
  FaultyFileOps ops(FaultyFileOps::kRead, EIO);  // nothing on the write path fails
  ops.writeLimit = 777;
  ASSERT_TRUE(WriteFileReplacing(dir / "f", kNew, kPrivateFileMode));
  EXPECT_EQ(ReadBytes(dir / "f"), kNew);
  EXPECT_GE(ops.calls[FaultyFileOps::kFsync], 1);
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
}

}  // namespace
}  // namespace morvane
