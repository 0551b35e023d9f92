// morvane-health as a timer runs it: against a data folder of the test's own
// and servers on 127.0.0.1.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "catalogue/catalogue.h"
#include "catalogue/site_record.h"
#include "health/loopback_server.h"
#include "util/cp932.h"

namespace morvane {
namespace {

using testing::Answer;
using testing::LoopbackServer;

struct ToolRun {
  int exitCode = -1;
  std::string out;
};

ToolRun RunTool(const std::string& arguments) {
  ToolRun run;
  const std::string command = std::string(MORVANE_HEALTH_TOOL) + " " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class HealthToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/morvane-tool-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    server_ = std::make_unique<LoopbackServer>([this](const std::string& path) {
      if (path == "/down") return Answer(503, "");
      return Answer(200, "<title>up</title>");
    });
    SiteCatalogue catalogue(folder_);
    ASSERT_EQ(catalogue.Tree().AddCategory(Utf8ToCp932("本店")), AddCategoryResult::Added);
    StoreSite(catalogue.SiteList(), {Utf8ToCp932("店A"), server_->URL("/a"), Utf8ToCp932("本店"), "", "", "", ""});
    StoreSite(catalogue.SiteList(), {Utf8ToCp932("店B"), server_->URL("/down"), "", "", "", "", ""});
    ASSERT_TRUE(catalogue.SaveSiteData());
    dataFile_ = catalogue.DataFilePath();
    before_ = FileBytes(dataFile_);
  }
  void TearDown() override {
    server_.reset();
    ASSERT_EQ(std::system(("rm -rf '" + folder_ + "'").c_str()), 0);
  }
  std::string folder_, dataFile_, before_;
  std::unique_ptr<LoopbackServer> server_;
};

TEST_F(HealthToolTest, ChecksRecordsAndTellsByItsExitCode) {
  ToolRun run = RunTool("--data-dir " + folder_);
  EXPECT_EQ(run.exitCode, 1);
  // The failing site first, then by name.
  EXPECT_NE(run.out.find("\n店B\t" + server_->URL("/down") + "\t503\t停止中: 今日から\t"), std::string::npos)
      << run.out;
  EXPECT_LT(run.out.find("店B"), run.out.find("店A"));

  run = RunTool("--data-dir=" + folder_ + " --category 本店 --format html");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("<title>サイトの状態</title>"), std::string::npos);
  EXPECT_EQ(run.out.find("店B"), std::string::npos);
  // The second check of 店A shows two results in its strip.
  std::size_t bars = 0;
  for (std::size_t at = 0; (at = run.out.find("<rect x=", at)) != std::string::npos; ++at) ++bars;
  EXPECT_EQ(bars, 2u);

  run = RunTool("--data-dir " + folder_ + " --format csv --category 未分類");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.starts_with("\xEF\xBB\xBF"));

  struct stat info {};
  ASSERT_EQ(stat((folder_ + "/site-health.sqlite").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // Read only: the data file as it was, and nothing moved aside or added.
  EXPECT_EQ(FileBytes(dataFile_), before_);
  EXPECT_EQ(std::system(("test $(ls -A '" + folder_ + "' | grep -v '^site-health' | wc -l) -eq 1").c_str()), 0);
}

TEST_F(HealthToolTest, UsageAndDataFolderErrorsExitTwo) {
  EXPECT_EQ(RunTool("--format xml").exitCode, 2);
  EXPECT_EQ(RunTool("--data-dir").exitCode, 2);
  EXPECT_EQ(RunTool("stray").exitCode, 2);
  EXPECT_EQ(RunTool("--data-dir " + folder_ + " --category nowhere").exitCode, 2);
  EXPECT_EQ(RunTool("--data-dir " + folder_ + "/missing").exitCode, 2);
  EXPECT_EQ(RunTool("--help").exitCode, 0);
  EXPECT_EQ(FileBytes(dataFile_), before_);
}

}  // namespace
}  // namespace morvane
