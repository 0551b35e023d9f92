#include "health/health_history.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "health/sqlite_db.h"

namespace morvane {
namespace {

constexpr std::int64_t kDay = 24LL * 60 * 60 * 1000;

SiteHealth Up(long ms) {
  SiteHealth h;
  h.failure = HealthFailure::None;
  h.status = 200;
  h.total = std::chrono::milliseconds(ms);
  h.chain = {"http://a.test/"};
  return h;
}

SiteHealth Down() {
  SiteHealth h;
  h.failure = HealthFailure::Refused;
  return h;
}

class HealthHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/morvane-history-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    path_ = folder_ + "/site-health.sqlite";
  }
  void TearDown() override {
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path_ + suffix).c_str());
    rmdir(folder_.c_str());
  }
  std::string folder_, path_;
};

TEST_F(HealthHistoryTest, IsAPrivateVersionedWalDatabaseWithItsIndex) {
  {
    HealthHistory history(path_);
    ASSERT_TRUE(history.Ok()) << history.Error();
  }
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  SqliteDatabase db(path_);
  EXPECT_EQ(db.IntegerOf("PRAGMA user_version"), kHealthHistorySchemaVersion);
  SqliteStatement mode(db.Handle(), "PRAGMA journal_mode");
  ASSERT_TRUE(mode.Step());
  EXPECT_EQ(mode.Text(0), "wal");
  EXPECT_EQ(db.IntegerOf("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = 'checks_by_url_time'"), 1);
}

TEST_F(HealthHistoryTest, KeepsEachSiteHistoryAcrossRunsAndANewOneForARenamedSite) {
  const HealthSite site{"A", "http://a.test/", ""};
  {
    HealthHistory history(path_);
    ASSERT_TRUE(history.Record({site}, {Up(120)}, 1000));
  }
  HealthHistory history(path_);
  ASSERT_TRUE(history.Record({site, {"B", "http://b.test/", ""}}, {Down(), Up(5)}, 2000));
  SiteHealth skipped;  // a stopped check's site is not stored
  ASSERT_TRUE(history.Record({site}, {skipped}, 3000));
  const auto records = history.Last(site, 30);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].checkedAt, 1000);
  EXPECT_TRUE(records[0].up);
  EXPECT_EQ(records[0].totalMs, 120);
  EXPECT_FALSE(records[1].up);
  EXPECT_EQ(records[1].result, "接続できません");
  EXPECT_TRUE(history.Last({"A renamed", "http://a.test/", ""}, 30).empty());
  EXPECT_EQ(history.Last(site, 1).size(), 1u);
  EXPECT_EQ(history.Last(site, 1)[0].checkedAt, 2000);
}

TEST_F(HealthHistoryTest, DropsGoneSitesNinetyDaysAfterTheirLastCheck) {
  HealthHistory history(path_);
  const HealthSite kept{"kept", "http://kept.test/", ""}, gone{"gone", "http://gone.test/", ""},
      recent{"recent", "http://recent.test/", ""};
  const std::int64_t start = 1'700'000'000'000;
  ASSERT_TRUE(history.Record({kept, gone, recent}, {Up(1), Up(1), Up(1)}, start));
  ASSERT_TRUE(history.Record({recent}, {Up(1)}, start + 50 * kDay));
  const std::vector<HealthSiteKey> catalogue = {{"http://kept.test/", "kept"}};
  ASSERT_TRUE(history.DropGone(catalogue, start + 90 * kDay - 1));
  EXPECT_EQ(history.Last(gone, 30).size(), 1u);
  ASSERT_TRUE(history.DropGone(catalogue, start + 90 * kDay + 1));
  EXPECT_TRUE(history.Last(gone, 30).empty());
  EXPECT_EQ(history.Last(recent, 30).size(), 2u);  // its last check is 40 days old
  EXPECT_EQ(history.Last(kept, 30).size(), 1u);    // still in the catalogue: kept however old
}

TEST_F(HealthHistoryTest, LeavesAFileThatIsNotItsDatabaseAsItIs) {
  const std::string bytes = "not a database, but someone's file\n";
  std::ofstream(path_) << bytes;
  {
    HealthHistory history(path_);
    EXPECT_FALSE(history.Ok());
    EXPECT_FALSE(history.Error().empty());
    EXPECT_FALSE(history.Record({{"A", "http://a.test/", ""}}, {Up(1)}, 1));
  }
  std::ifstream in(path_);
  std::stringstream read;
  read << in.rdbuf();
  EXPECT_EQ(read.str(), bytes);
  std::remove(path_.c_str());
  {
    SqliteDatabase newer(path_);
    ASSERT_TRUE(newer.Run("PRAGMA user_version = 7"));
  }
  HealthHistory history(path_);
  EXPECT_FALSE(history.Ok());
}

}  // namespace
}  // namespace morvane
