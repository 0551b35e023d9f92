#include "util/container_file.h"

#include <gtest/gtest.h>

#include <ctime>

#include "file_test_support.h"

namespace morvane {
namespace {

const std::string kId = "\t\t@__QZ_ID_CODE_BLOCK_TAG__@\t\t";
const std::string kContents = "\t\t@__QZ_CONTENTS_BLOCK_TAG__@\t\t";

std::string FileOf(const std::string& identity, const std::string& contents) {
  return "<!--" + kId + "-->" + identity + "<!--/" + kId + "-->" + "<!--" + kContents + "-->" + contents + "<!--/" +
         kContents + "-->\r\n";
}

std::chrono::system_clock::time_point LocalTime(int y, int mo, int d, int h, int mi, int s, int ms) {
  std::tm t{};
  t.tm_year = y - 1900, t.tm_mon = mo - 1, t.tm_mday = d, t.tm_hour = h, t.tm_min = mi, t.tm_sec = s;
  t.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&t)) + std::chrono::milliseconds(ms);
}

TEST(Container, WrittenBytesFollowTheLayoutAndReadBack) {
  TempDir dir;
  ASSERT_TRUE(WriteContainer(dir / "empty", "", ""));
  EXPECT_EQ(ReadBytes(dir / "empty"), FileOf("", ""));
  EXPECT_EQ(ReadBytes(dir / "empty").size(), 37u + 38u + 38u + 39u + 2u);

  ASSERT_TRUE(WriteContainer(dir / "c", "\r\nline1\nline2\r\rline3\r\n", "Who\nAmI"));
  EXPECT_EQ(ReadBytes(dir / "c"), FileOf("Who\r\nAmI", "\r\nline1\r\nline2\r\n\r\nline3\r\n"));
  ContainerText read = ReadContainer(dir / "c", "Who\r\nAmI");
  EXPECT_TRUE(read.identityMatches);
  EXPECT_TRUE(read.contentsFound);
  EXPECT_EQ(read.contents, "line1\r\nline2\r\n\r\nline3");  // breaks at the ends are not kept

  read = ReadContainer(dir / "c", "Someone else");
  EXPECT_FALSE(read.identityMatches);
  EXPECT_EQ(read.contents, "line1\r\nline2\r\n\r\nline3");
}

TEST(Container, MissingForeignOrCutShortFilesHaveNoContentsBlock) {
  TempDir dir;
  EXPECT_FALSE(ReadContainer(dir / "none", "id").identityMatches);
  EXPECT_TRUE(ReadContainer(dir / "none", "").identityMatches);  // nothing expected, nothing found

  const std::string whole = FileOf("id", "a\r\nb\r\nc");
  std::string withNul = whole;
  withNul[whole.find('b')] = '\0';
  for (const std::string& bytes : {std::string("just text\r\n"), whole.substr(0, whole.size() - 20), withNul}) {
    WriteBytes(dir / "f", bytes);
    const ContainerText read = ReadContainer(dir / "f", "id");
    EXPECT_FALSE(read.contentsFound);
    EXPECT_EQ(read.contents, "");
  }
  EXPECT_TRUE(ReadContainer(dir / "f", "id").identityMatches);  // cut short after its identity

  WriteBytes(dir / "bare", "<!--" + kContents + "-->only contents<!--/" + kContents + "-->");
  EXPECT_EQ(ReadContainer(dir / "bare", "id").contents, "only contents");
}

TEST(Container, ClosingMarkInsideContentsCutsThemOnReadingSoItIsNeverWritten) {
  TempDir dir;
  const std::string closing = "<!--/" + kContents + "-->";
  WriteBytes(dir / "hand", FileOf("id", "before" + closing + "after"));
  EXPECT_EQ(ReadContainer(dir / "hand", "id").contents, "before");

  WriteBytes(dir / "c", "old");
  EXPECT_FALSE(WriteContainer(dir / "c", "before" + closing + "after", "id"));
  EXPECT_FALSE(WriteContainer(dir / "c", "x", "id<!--/" + kId + "-->"));
  EXPECT_FALSE(WriteContainer(dir / "c", std::string("a\0b", 3), "id"));
  EXPECT_EQ(ReadBytes(dir / "c"), "old");
}

TEST(Backup, NameCarriesTheLocalTimeToTheMillisecond) {
  const auto when = LocalTime(2026, 12, 8, 4, 37, 29, 123);
  EXPECT_EQ(BackupName("/data/VexaSiteData.dat", when), "/data/20261208043729_123_VexaSiteData.bak");
  EXPECT_EQ(BackupName("/data/noext", when), "/data/20261208043729_123_noext.bak");
  EXPECT_EQ(BackupName("/d.x/a.b.c", when), "/d.x/20261208043729_123_a.b.bak");
  EXPECT_EQ(BackupName("plain.dat", LocalTime(2027, 1, 2, 23, 5, 9, 7)), "20270102230509_007_plain.bak");
}

TEST(Backup, MovesTheFileAsideAndNeverOverwrites) {
  TempDir dir;
  const auto when = LocalTime(2026, 12, 8, 4, 37, 29, 123);
  WriteBytes(dir / "VexaSiteData.dat", "first");
  std::string moved;
  ASSERT_TRUE(BackupByRename(dir / "VexaSiteData.dat", when, &moved));
  EXPECT_EQ(moved, dir / "20261208043729_123_VexaSiteData.bak");
  EXPECT_EQ(ReadBytes(moved), "first");

  // Same millisecond: the name is taken, so nothing moves.
  WriteBytes(dir / "VexaSiteData.dat", "second");
  EXPECT_FALSE(BackupByRename(dir / "VexaSiteData.dat", when));
  EXPECT_EQ(ReadBytes(dir / "VexaSiteData.dat"), "second");
  EXPECT_EQ(ReadBytes(moved), "first");

  ASSERT_TRUE(BackupByRename(dir / "VexaSiteData.dat", when + std::chrono::milliseconds(1)));
  EXPECT_EQ(ReadBytes(dir / "20261208043729_124_VexaSiteData.bak"), "second");
  EXPECT_FALSE(BackupByRename(dir / "VexaSiteData.dat"));  // nothing left to move
}

}  // namespace
}  // namespace morvane
