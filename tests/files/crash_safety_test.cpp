// A save killed at any moment leaves the data file as it was or as it was
// meant to become, never a mix, and the next load takes it. Each round forks
// a child that saves a large catalogue over a different one and kills it
// with SIGKILL after a delay spread over the save's own duration.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "catalogue/catalogue.h"
#include "catalogue/site_record.h"
#include "file_test_support.h"

namespace morvane {
namespace {

using Clock = std::chrono::steady_clock;

void FillCatalogue(SiteCatalogue& c, int sites, const std::string& tag) {
  for (int i = 0; i < sites; ++i)
    c.SiteList().Add(FormatSiteLine({tag + std::to_string(i), "http://" + tag + ".example/" + std::to_string(i), "",
                                     "2026/12/08 04:37:29", "http://vexa.example/a?u=" + std::to_string(i),
                                     "id" + std::to_string(i), "pw" + std::to_string(i)}));
  c.SetMasterLogin(tag + "-master", "secret");
}

bool IsTempName(const std::string& name) { return name.starts_with(".VexaSiteData.dat.") && name.ends_with(".tmp"); }

TEST(CrashSafety, KilledSaveLeavesOldOrNewFileNeverAMix) {
  TempDir dir;
  const std::string data = dir / "VexaSiteData.dat";

  SiteCatalogue before(dir.Path());
  FillCatalogue(before, 500, "old");
  ASSERT_TRUE(before.SaveSiteData());
  const std::string oldBytes = ReadBytes(data);

  SiteCatalogue after(dir.Path());
  FillCatalogue(after, 200000, "new");
  ASSERT_TRUE(after.SaveSiteData(dir / "expected.dat"));
  const std::string newBytes = ReadBytes(dir / "expected.dat");
  std::filesystem::remove(dir / "expected.dat");
  ASSERT_NE(oldBytes, newBytes);

  // How long a child's whole save takes, copying its memory on write included.
  const Clock::time_point saveStart = Clock::now();
  const pid_t timed = ::fork();
  ASSERT_GE(timed, 0);
  if (timed == 0) ::_exit(after.SaveSiteData(dir / "timed.dat") ? 0 : 1);
  int timedStatus = 0;
  ASSERT_EQ(::waitpid(timed, &timedStatus, 0), timed);
  const auto saveTime = std::max<Clock::duration>(Clock::now() - saveStart, std::chrono::milliseconds(5));
  ASSERT_TRUE(WIFEXITED(timedStatus) && WEXITSTATUS(timedStatus) == 0);
  EXPECT_EQ(ReadBytes(dir / "timed.dat"), newBytes);
  std::filesystem::remove(dir / "timed.dat");

  // Delays from nothing to a little past a whole save, so some saves finish.
  std::mt19937 rng(8);
  std::uniform_int_distribution<long long> delayNs(0, saveTime.count() * 6 / 5);
  int rounds = 0, sawOld = 0, sawNew = 0, leftTemps = 0;
  const Clock::time_point testStart = Clock::now();
  while (rounds < 30 && (rounds < 8 || Clock::now() - testStart < std::chrono::seconds(20))) {
    WriteBytes(data, oldBytes);
    const Clock::duration delay = Clock::duration(delayNs(rng));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(after.SaveSiteData() ? 0 : 1);
    std::this_thread::sleep_for(delay);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "round " << rounds;
    ++rounds;

    const std::string onDisk = ReadBytes(data);
    const bool isOld = onDisk == oldBytes, isNew = onDisk == newBytes;
    ASSERT_TRUE(isOld || isNew) << "round " << rounds << ": " << onDisk.size() << " bytes, a mix";
    sawOld += isOld;
    sawNew += isNew;
    // Whatever a killed save left beside the file is a temporary name, never data.
    for (const std::string& name : dir.Names()) {
      EXPECT_TRUE(name == "VexaSiteData.dat" || IsTempName(name)) << name;
      leftTemps += IsTempName(name);
    }

    SiteCatalogue loaded(dir.Path());
    ASSERT_TRUE(loaded.LoadSiteData().Loaded()) << "round " << rounds;
    EXPECT_EQ(loaded.SiteList().Count(), isNew ? 200000 : 500);
    EXPECT_EQ(loaded.MasterID(), isNew ? "new-master" : "old-master");
  }
  std::printf("[ crash    ] %d rounds, save of %zu bytes %.0f ms: %d old file, %d new file, %d temporary files seen\n",
              rounds, newBytes.size(), std::chrono::duration<double, std::milli>(saveTime).count(), sawOld, sawNew,
              leftTemps);

  // The next save that finishes removes what the killed ones left.
  ASSERT_TRUE(before.SaveSiteData());
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"VexaSiteData.dat"});
  EXPECT_EQ(ReadBytes(data), oldBytes);
}

}  // namespace
}  // namespace morvane
