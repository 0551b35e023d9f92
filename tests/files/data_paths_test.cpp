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

TEST(CommandLine, BothSpellingsOfTheOptionsAndTheRequestsForHelp) {
  CommandLineOptions o = Parse({"--data-dir", "/tmp/d", "--service-url=http://127.0.0.1:8080/"});
  EXPECT_EQ(o.dataDir, "/tmp/d");
  EXPECT_EQ(o.serviceUrl, "http://127.0.0.1:8080/");
  EXPECT_TRUE(o.error.empty());
  o = Parse({"--data-dir=/x", "--service-url", "https://h/"});
  EXPECT_EQ(o.dataDir, "/x");
  EXPECT_EQ(o.serviceUrl, "https://h/");
  EXPECT_FALSE(o.help || o.version);
  EXPECT_TRUE(Parse({"-h"}).help);
  EXPECT_TRUE(Parse({"--data-dir", "/d", "--help"}).help);
  EXPECT_TRUE(Parse({"--version"}).version);
  EXPECT_EQ(VersionText().rfind("morvane ", 0), 0u);
}

TEST(CommandLine, RefusesWhatItDoesNotKnowWithOneLine) {
  for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{
           {"--data-dir"},
           {"--data-dir="},
           {"--service-url"},
           {"--sync"},
           {"--help", "--bogus"},
           {"-x"},
           {"catalogue.dat"},
           {"--data-dir", "/d", "stray"},
           {"--service-url", "ftp://host/"},
           {"--service-url=vexa-access.jp"},
           {"--service-url", "http://"},
           {"--service-url", ""},
           {"--help=yes"},
       }) {
    const std::string error = Parse(bad).error;
    EXPECT_FALSE(error.empty()) << bad.front();
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
  // The value of an option may itself start with a dash.
  EXPECT_EQ(Parse({"--data-dir", "--odd-folder"}).dataDir, "--odd-folder");
}

TEST(CommandLine, HelpStatesTheFolderRuleAndTheFolderInUse) {
  const std::string help = HelpText("/home/u/.local/share/morvane/", DescribeRule(DataFolderRule::kUserDataHome));
  EXPECT_NE(help.find("--data-dir DIR"), std::string::npos);
  EXPECT_NE(help.find("--service-url URL"), std::string::npos);
  EXPECT_NE(help.find("$XDG_DATA_HOME/morvane"), std::string::npos);
  EXPECT_NE(help.find("in use: /home/u/.local/share/morvane/ (the user's data folder)"), std::string::npos);
}

class DataFolderRuleTest : public ::testing::Test {
 protected:
  DataPaths Choose(std::optional<std::string> dataDir = std::nullopt) { return ChooseDataPaths(dataDir, around); }

  testing::TempDir dir;
  DataFolderSurroundings around{dir / "bin/", "morvane", std::nullopt, dir / "home"};
};

TEST_F(DataFolderRuleTest, UserDataHomeUnlessTheProgramFolderHoldsACatalogue) {
  std::filesystem::create_directories(dir / "bin");
  DataPaths paths = Choose();
  EXPECT_EQ(paths.folder, dir / "home/.local/share/morvane/");
  EXPECT_EQ(paths.settingsFile, paths.folder + "morvane.ini");
  EXPECT_EQ(paths.browserProfile, paths.folder + "browser/");
  EXPECT_EQ(paths.rule, DataFolderRule::kUserDataHome);

  around.xdgDataHome = dir / "xdg";
  EXPECT_EQ(Choose().folder, dir / "xdg/morvane/");
  // Relative or empty: not a valid base folder, so the default stands.
  for (const char* invalid : {"relative/data", ""}) {
    around.xdgDataHome = invalid;
    EXPECT_EQ(Choose().folder, dir / "home/.local/share/morvane/") << invalid;
  }
  around.home = dir / "home/";
  EXPECT_EQ(Choose().folder, dir / "home/.local/share/morvane/");

  // A portable copy: the data file or the settings file beside the program.
  for (const char* name : {"VexaSiteData.dat", "morvane.ini"}) {
    testing::WriteBytes(dir / (std::string("bin/") + name), "");
    paths = Choose();
    EXPECT_EQ(paths.folder, dir / "bin/") << name;
    EXPECT_EQ(paths.rule, DataFolderRule::kProgramFolder);
    std::filesystem::remove(dir / (std::string("bin/") + name));
  }
  // Another program's settings or a folder by the data file's name are not a catalogue.
  testing::WriteBytes(dir / "bin/other.ini", "");
  std::filesystem::create_directories(dir / "bin/VexaSiteData.dat");
  EXPECT_EQ(Choose().rule, DataFolderRule::kUserDataHome);
  // Nothing was created while choosing.
  EXPECT_FALSE(std::filesystem::exists(dir / "home"));
}

TEST_F(DataFolderRuleTest, DataDirOverridesBothAndIsMadeAbsolute) {
  std::filesystem::create_directories(dir / "bin");
  testing::WriteBytes(dir / "bin/VexaSiteData.dat", "");
  around.xdgDataHome = dir / "xdg";
  const DataPaths paths = Choose("/srv/data");
  EXPECT_EQ(paths.folder, "/srv/data/");
  EXPECT_EQ(paths.settingsFile, "/srv/data/morvane.ini");
  EXPECT_EQ(paths.rule, DataFolderRule::kCommandLine);
  EXPECT_EQ(Choose("rel").folder, std::filesystem::current_path().string() + "/rel/");
  // The running program's own name names the settings file.
  EXPECT_EQ(ResolveDataPaths(Parse({"--data-dir", "/srv/data"})).settingsFile, "/srv/data/files_tests.ini");
}

TEST(DataPaths, FolderIsCreatedPrivateWithItsParents) {
  testing::TempDir dir;
  EXPECT_TRUE(EnsureDataFolder(DataPathsFor(dir / "a/b", "p")));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b"));
  EXPECT_EQ(testing::ModeOf(dir / "a/b"), 0700u);
  EXPECT_EQ(testing::ModeOf(dir / "a"), 0700u);
  testing::WriteBytes(dir / "file", "");
  EXPECT_FALSE(EnsureDataFolder(DataPathsFor(dir / "file", "p")));
  EXPECT_FALSE(EnsureDataFolder(DataPathsFor(dir / "file/sub", "p")));
}

}  // namespace
}  // namespace morvane
