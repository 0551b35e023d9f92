#include "util/data_paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "file_test_support.h"

namespace morvane {
namespace {

CommandLineOptions Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "morvane");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, BothSpellingsOfTheOptions) {
  CommandLineOptions o = Parse({"--data-dir", "/tmp/d", "--service-url=http://127.0.0.1:8080/", "--sync"});
  EXPECT_EQ(o.dataDir, "/tmp/d");
  EXPECT_EQ(o.serviceUrl, "http://127.0.0.1:8080/");
  EXPECT_EQ(o.rest, std::vector<std::string>{"--sync"});
  EXPECT_TRUE(o.error.empty());

  o = Parse({"--data-dir=/x", "--service-url", "http://h/"});
  EXPECT_EQ(o.dataDir, "/x");
  EXPECT_EQ(o.serviceUrl, "http://h/");

  EXPECT_FALSE(Parse({"--data-dir"}).error.empty());
  EXPECT_FALSE(Parse({"--data-dir="}).error.empty());
  EXPECT_FALSE(Parse({"--service-url"}).error.empty());
  EXPECT_EQ(Parse({"--data-directory=/x"}).dataDir, std::nullopt);
}

TEST(DataPaths, DefaultIsTheProgramFolderAndDataDirOverridesIt) {
  const DataPaths byDefault = ResolveDataPaths(Parse({}));
  EXPECT_EQ(byDefault.folder, ProgramFolder());
  EXPECT_EQ(byDefault.settingsFile, ProgramFolder() + ProgramName() + ".ini");
  EXPECT_EQ(ProgramName(), "files_tests");

  const DataPaths given = ResolveDataPaths(Parse({"--data-dir", "/srv/data"}));
  EXPECT_EQ(given.folder, "/srv/data/");
  EXPECT_EQ(given.settingsFile, "/srv/data/files_tests.ini");

  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(DataPathsFor("rel", "p").folder, std::string(cwd) + "/rel/");
}

TEST(DataPaths, EnsureDataFolderCreatesMissingFolders) {
  testing::TempDir dir;
  const DataPaths paths = DataPathsFor(dir / "a/b", "p");
  EXPECT_TRUE(EnsureDataFolder(paths));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b"));
  EXPECT_TRUE(EnsureDataFolder(paths));
  testing::WriteBytes(dir / "file", "");
  EXPECT_FALSE(EnsureDataFolder(DataPathsFor(dir / "file", "p")));
}

}  // namespace
}  // namespace morvane
