#include "util/data_folder_guard.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "file_test_support.h"

extern char** environ;

namespace morvane {
namespace {

using Result = DataFolderLock::Result;

// Another process that takes the folder's lock and keeps it until killed.
class LockHolder {
 public:
  explicit LockHolder(const std::string& folder) {
    int ready[2];
    if (::pipe(ready) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      DataFolderLock lock;
      const char got = lock.Acquire(folder) == Result::kLocked ? 'L' : 'x';
      (void)!::write(ready[1], &got, 1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    if (::read(ready[0], &got_, 1) != 1) got_ = '?';
    ::close(ready[0]);
  }
  ~LockHolder() { Kill(); }
  bool Locked() const { return got_ == 'L'; }
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  char got_ = 0;
};

TEST(DataFolderLock, OneProgramPerFolderAndAKilledHolderNeverBlocks) {
  TempDir dir;
  LockHolder other(dir.Path());
  ASSERT_TRUE(other.Locked());
  DataFolderLock lock;
  EXPECT_EQ(lock.Acquire(dir.Path()), Result::kInUse);
  // The lock file stays behind, as a killed program leaves it.
  other.Kill();
  EXPECT_TRUE(std::filesystem::exists(dir / kDataFolderLockName));
  EXPECT_EQ(lock.Acquire(dir.Path()), Result::kLocked);
  EXPECT_EQ(testing::ModeOf(dir / kDataFolderLockName), 0600u);

  // Within one process too, and free again once released.
  DataFolderLock second;
  EXPECT_EQ(second.Acquire(dir.Path()), Result::kInUse);
  lock.Release();
  EXPECT_EQ(second.Acquire(dir.Path()), Result::kLocked);
  // Another folder is another lock.
  TempDir elsewhere;
  EXPECT_EQ(DataFolderLock().Acquire(elsewhere.Path()), Result::kLocked);
}

TEST(DataFolderLock, AProgramStartedMeanwhileDoesNotKeepTheFolderLocked) {
  TempDir dir;
  auto lock = std::make_unique<DataFolderLock>();
  ASSERT_EQ(lock->Acquire(dir.Path()), Result::kLocked);
  // As the desktop's browser would be started, inheriting what is open.
  pid_t child = -1;
  char sleepName[] = "sleep", seconds[] = "30";
  char* argv[] = {sleepName, seconds, nullptr};
  ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
  lock.reset();
  EXPECT_EQ(DataFolderLock().Acquire(dir.Path()), Result::kLocked);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

TEST(DataFolderLock, ALinkPlantedAsTheLockFileIsNotFollowed) {
  TempDir dir;
  std::filesystem::create_symlink(dir / "elsewhere", dir / kDataFolderLockName);
  EXPECT_EQ(DataFolderLock().Acquire(dir.Path()), Result::kUnavailable);
  EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere"));
}

TEST(DataFolderState, WritableFolderLeavesNothingBehind) {
  TempDir dir;
  const DataPaths paths = DataPathsFor(dir.Path(), "morvane");
  ::chmod(dir.Path().c_str(), 0700);
  DataFolderState state = InspectDataFolder(paths);
  EXPECT_TRUE(state.writable);
  EXPECT_FALSE(state.sharedWritable || state.browserSharedWritable || state.browserOwnedByOther);
  EXPECT_TRUE(dir.Names().empty());

  // A folder the system refuses to write, whoever we are.
  for (auto step : {FaultyFileOps::kOpen, FaultyFileOps::kClose}) {
    FaultyFileOps faults(step, EROFS);
    EXPECT_FALSE(InspectDataFolder(paths).writable) << step;
    EXPECT_TRUE(dir.Names().empty());
  }
}

TEST(DataFolderState, FoldersOthersMayWriteOrOwn) {
  TempDir dir;
  const DataPaths paths = DataPathsFor(dir.Path(), "morvane");
  for (mode_t shared : {0770, 0707, 01777}) {
    ::chmod(dir.Path().c_str(), shared);
    EXPECT_TRUE(InspectDataFolder(paths).sharedWritable) << std::oct << shared;
  }
  ::chmod(dir.Path().c_str(), 0750);
  EXPECT_FALSE(InspectDataFolder(paths).sharedWritable);

  std::filesystem::create_directory(paths.browserProfile);
  ::chmod(paths.browserProfile.c_str(), 0777);
  DataFolderState state = InspectDataFolder(paths);
  EXPECT_TRUE(state.browserSharedWritable);
  EXPECT_FALSE(state.browserOwnedByOther);
  ::chmod(paths.browserProfile.c_str(), 0700);
  if (::geteuid() != 0) GTEST_SKIP() << "giving the profile to another user needs root";
  ASSERT_EQ(::chown(paths.browserProfile.c_str(), 65534, 65534), 0);
  state = InspectDataFolder(paths);
  EXPECT_TRUE(state.browserOwnedByOther);
  EXPECT_FALSE(state.browserSharedWritable);
  // A link to another user's folder is theirs as well.
  std::filesystem::rename(paths.browserProfile.substr(0, paths.browserProfile.size() - 1), dir / "theirs");
  std::filesystem::create_directory_symlink(dir / "theirs", dir / "browser");
  EXPECT_TRUE(InspectDataFolder(paths).browserOwnedByOther);
}

}  // namespace
}  // namespace morvane
