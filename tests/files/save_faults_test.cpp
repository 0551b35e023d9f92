// Every file the program saves (the data file, an export, the settings file)
// reports a failed step as false and keeps the previous file byte for byte.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <functional>

#include "catalogue/catalogue.h"
#include "catalogue/site_record.h"
#include "file_test_support.h"
#include "util/safe_file_writer.h"
#include "util/settings_file.h"

namespace morvane {
namespace {

// One kind of save: the file it writes, and a save of new contents.
struct SaveKind {
  const char* name;
  const char* file;
  std::function<bool(const std::string& folder)> save;
};

bool SaveCatalogue(const std::string& folder, const std::optional<std::string>& exportPath) {
  SiteCatalogue c(folder);
  for (int i = 0; i < 3000; ++i)
    c.SiteList().Add(FormatSiteLine({"s", "http://s/" + std::to_string(i), "", "", "", "id", "pw"}));
  return c.SaveSiteData(exportPath);
}

const SaveKind kKinds[] = {
    {"data_file", "VexaSiteData.dat", [](const std::string& f) { return SaveCatalogue(f, std::nullopt); }},
    {"export", "export.dat", [](const std::string& f) { return SaveCatalogue(f, f + "export.dat"); }},
    {"settings", "Morvane.ini",
     [](const std::string& f) {
       SettingsFile ini(f + "Morvane.ini");
       for (int i = 0; i < 3000; ++i) ini.WriteString("Key" + std::to_string(i), "value");
       return ini.SaveSettings();
     }},
};

struct Fault {
  const char* name;
  FaultyFileOps::Step step;
  int error;
  int onCall;
};

const Fault kFaults[] = {
    {"create", FaultyFileOps::kOpen, EACCES, 1},     {"partial_write", FaultyFileOps::kWrite, EIO, 3},
    {"disk_full", FaultyFileOps::kWrite, ENOSPC, 2}, {"flush", FaultyFileOps::kFsync, EIO, 1},
    {"close", FaultyFileOps::kClose, EIO, 1},        {"rename", FaultyFileOps::kRename, EACCES, 1},
};

const std::string kPrevious = "previous contents\r\n";

TEST(SaveFaults, EveryStepOfEverySaveFailsCleanly) {
  for (const SaveKind& kind : kKinds) {
    for (const Fault& fault : kFaults) {
      SCOPED_TRACE(std::string(kind.name) + " / " + fault.name);
      TempDir dir;
      WriteBytes(dir / kind.file, kPrevious);
      {
        FaultyFileOps ops(fault.step, fault.error, fault.onCall);
        ops.writeLimit = 4096;  // several writes, so a later one can fail
        EXPECT_FALSE(kind.save(dir.Path()));
      }
      EXPECT_EQ(ReadBytes(dir / kind.file), kPrevious);
      EXPECT_EQ(dir.Names(), std::vector<std::string>{kind.file});
    }
  }
}

TEST(SaveFaults, VanishedDataFolderFailsAndNothingIsCreated) {
  for (const SaveKind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    TempDir dir;
    std::filesystem::create_directory(dir / "data");
    WriteBytes(dir / ("data/" + std::string(kind.file)), kPrevious);
    std::filesystem::rename(dir / "data", dir / "moved");
    EXPECT_FALSE(kind.save(dir / "data/"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"moved"});
    EXPECT_EQ(ReadBytes(dir / ("moved/" + std::string(kind.file))), kPrevious);
  }
}

TEST(SaveFaults, StaleTemporaryFilesOfDeadWritersGoWithTheNextSave) {
  TempDir dir;
  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ASSERT_GT(dead, 0);
  ::waitpid(dead, nullptr, 0);
  const std::string stale = ".f.dat." + std::to_string(dead) + "-0.tmp";
  const std::string live = ".f.dat." + std::to_string(::getppid()) + "-3.tmp";
  const std::vector<std::string> unrelated = {".f.dat.x-1.tmp", ".g.dat." + std::to_string(dead) + "-0.tmp",
                                              ".f.dat." + std::to_string(dead) + "-0.tmp~", "f.dat.bak"};
  for (const std::string& name : unrelated) WriteBytes(dir / name, "keep");
  WriteBytes(dir / stale, "half a save");
  WriteBytes(dir / live, "another instance saving now");

  {
    FaultyFileOps ops(FaultyFileOps::kRename, EIO);
    EXPECT_FALSE(WriteFileReplacing(dir / "f.dat", "new", kPrivateFileMode));
  }
  EXPECT_TRUE(std::filesystem::exists(dir / stale));  // only a save that succeeds clears up
  ASSERT_TRUE(WriteFileReplacing(dir / "f.dat", "new", kPrivateFileMode));
  EXPECT_FALSE(std::filesystem::exists(dir / stale));
  EXPECT_TRUE(std::filesystem::exists(dir / live));
  for (const std::string& name : unrelated) EXPECT_EQ(ReadBytes(dir / name), "keep") << name;
  EXPECT_EQ(ReadBytes(dir / "f.dat"), "new");
}

}  // namespace
}  // namespace morvane
