#include "util/data_paths.h"

#include <gtest/gtest.h>

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
  for (const char* lone : {"--data-dir", "--data-dir=", "--service-url"}) EXPECT_FALSE(Parse({lone}).error.empty());
}

TEST(DataPaths, DefaultIsTheProgramFolderAndDataDirOverridesIt) {
  const DataPaths byDefault = ResolveDataPaths(Parse({}));
  EXPECT_EQ(byDefault.folder, ProgramFolder());
  EXPECT_EQ(byDefault.settingsFile, ProgramFolder() + "files_tests.ini");
  EXPECT_EQ(ResolveDataPaths(Parse({"--data-dir", "/srv/data"})).settingsFile, "/srv/data/files_tests.ini");
  EXPECT_EQ(DataPathsFor("rel", "p").folder, std::filesystem::current_path().string() + "/rel/");

  testing::TempDir dir;
  EXPECT_TRUE(EnsureDataFolder(DataPathsFor(dir / "a/b", "p")));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b"));
  testing::WriteBytes(dir / "file", "");
  EXPECT_FALSE(EnsureDataFolder(DataPathsFor(dir / "file", "p")));
}

}  // namespace
}  // namespace morvane
