#include <gtest/gtest.h>

#include "file_test_support.h"
#include "util/component_stocker.h"
#include "util/ini_file.h"

namespace morvane {
namespace {

using testing::FaultyFileOps;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::string kDividers = "\t#_QZDivKeyValues_#\t\t#_QZDivMultiLine_#\t\t#_QZDivComponent_#\t";

class FakeForm : public PlacedForm {
 public:
  FakeForm(std::string name, FormBounds now) : normal_(now), name_(std::move(name)), now_(now) {}
  std::string FormName() const override { return name_; }
  FormBounds NormalBounds() const override { return normal_; }
  FormBounds CurrentBounds() const override { return now_; }
  void SetBounds(const FormBounds& b) override {
    now_ = b;
    ++setCalls;
  }
  FormBounds normal_;
  int setCalls = 0;

 private:
  std::string name_;
  FormBounds now_;
};

struct Panes {
  int treeWidth = 161;
  int listHeight = 150;
  void Define(TQZComponentStocker& s) {
    s.DefineIntProperty("ftSiteCategory", "Width", [this] { return treeWidth; }, [this](int v) { treeWidth = v; });
    s.DefineIntProperty("lvSiteList", "Height", [this] { return listHeight; }, [this](int v) { listHeight = v; });
  }
};

TEST(Settings, NothingStoredWritesTheThreeDividers) {
  TempDir dir;
  TQZIniFile ini(dir / "morvane.ini");
  ASSERT_TRUE(ini.SaveSettings());
  EXPECT_EQ(ReadBytes(dir / "morvane.ini"), kDividers + "\r\n");
  EXPECT_EQ(testing::ModeOf(dir / "morvane.ini") & 0600, 0600u);
}

TEST(Settings, ProgramFileHasTheDocumentedLayoutAndReadsBack) {
  TempDir dir;
  Panes panes;
  TQZIniFile ini(dir / "morvane.ini");
  panes.Define(ini.Stocker());
  EXPECT_EQ(ini.StockComponent("ftSiteCategory", "width"), 0);
  EXPECT_EQ(ini.StockComponent("lvSiteList", "height"), 1);
  FakeForm main("Form1", {10, 20, 725, 540}), site("Form2", {5, 6, 300, 200});
  main.normal_ = {11, 21, 700, 500};  // maximised now; the restored rectangle is stored
  ini.SaveFormPos(main);
  ini.SaveFormPos(site);
  ini.WriteString("SiteDataFileName", "VexaSiteData.dat");
  ASSERT_TRUE(ini.SaveSettings());
  EXPECT_EQ(ReadBytes(dir / "morvane.ini"),
            "Form1.Pos=11\t21\t700\t500\r\nForm2.Pos=5\t6\t300\t200\r\nSiteDataFileName=VexaSiteData.dat"
            "\t#_QZDivKeyValues_#\t\t#_QZDivMultiLine_#\t"
            "<!--ftSiteCategory.width\t_Props_\t-->161<!--/ftSiteCategory.width\t_Props_\t-->\r\n"
            "<!--lvSiteList.height\t_Props_\t-->150<!--/lvSiteList.height\t_Props_\t-->"
            "\t#_QZDivComponent_#\t\r\n");

  Panes restored{0, 0};
  TQZIniFile again(dir / "morvane.ini");
  restored.Define(again.Stocker());
  again.StockComponent("ftSiteCategory", "width");
  again.StockComponent("lvSiteList", "height");
  ASSERT_TRUE(again.LoadSettings());
  EXPECT_EQ(restored.treeWidth, 161);
  EXPECT_EQ(restored.listHeight, 150);
  EXPECT_EQ(again.ReadString("sitedatafilename"), "VexaSiteData.dat");  // any letter case
  FakeForm main2("Form1", {0, 0, 1, 1}), site2("Form2", {0, 0, 320, 240});
  again.LoadFormPos(main2, false);
  again.LoadFormPos(site2, true);
  EXPECT_EQ(main2.CurrentBounds(), (FormBounds{11, 21, 700, 500}));
  EXPECT_EQ(site2.CurrentBounds(), (FormBounds{5, 6, 320, 240}));
}

TEST(Settings, MultiLineValuesLiveInBlocksAndYieldToSingleLineWrites) {
  TempDir dir;
  TQZIniFile ini(dir / "s.ini");
  ini.WriteString("Note", "\r\nfirst\r\nsecond\r\n");
  ini.WriteString("Eq", "a=b==c");
  ini.WriteString("Note", "line one\r\nline two");  // replaces the block, not adds one
  ASSERT_TRUE(ini.SaveSettings());
  EXPECT_EQ(ReadBytes(dir / "s.ini"),
            "Eq=a=b==c\t#_QZDivKeyValues_#\t<!--Note\t_QZTags_\t-->line one\r\nline two<!--/Note\t_QZTags_\t-->"
            "\t#_QZDivMultiLine_#\t\t#_QZDivComponent_#\t\r\n");

  TQZIniFile loaded(dir / "s.ini");
  ASSERT_TRUE(loaded.LoadSettings());
  EXPECT_EQ(loaded.ReadString("Note"), "line one\r\nline two");
  EXPECT_EQ(loaded.ReadString("Eq"), "a=b==c");
  EXPECT_EQ(loaded.KeyValues().Count(), 1);

  loaded.WriteString("Note", "single");
  ASSERT_TRUE(loaded.SaveSettings());
  TQZIniFile third(dir / "s.ini");
  ASSERT_TRUE(third.LoadSettings());
  EXPECT_EQ(third.ReadString("Note"), "single");
  EXPECT_EQ(third.ReadString("Missing"), "");
}

TEST(Settings, SingleLineWriteMovesTheKeyToTheEnd) {
  TQZIniFile ini("/nonexistent/x.ini");
  ini.WriteString("A", "1");
  ini.WriteString("B", "2");
  ini.WriteString("a", "3");
  EXPECT_EQ(ini.KeyValues().Lines(), (std::vector<std::string>{"B=2", "a=3"}));
  EXPECT_EQ(ini.ReadString("A"), "3");
}

TEST(Settings, MissingUnreadableOrForeignFilesLoadAsEmpty) {
  TempDir dir;
  TQZIniFile none(dir / "none.ini");
  EXPECT_FALSE(none.LoadSettings());

  WriteBytes(dir / "foreign.ini", "[Section]\r\nSiteDataFileName=x\r\n");
  Panes panes;
  TQZIniFile foreign(dir / "foreign.ini");
  panes.Define(foreign.Stocker());
  foreign.StockComponent("ftSiteCategory", "width");
  EXPECT_TRUE(foreign.LoadSettings());
  EXPECT_EQ(foreign.ReadString("SiteDataFileName"), "");
  EXPECT_EQ(panes.treeWidth, 161);

  WriteBytes(dir / "bad.ini", "x");
  TQZIniFile unreadable(dir / "bad.ini");
  FaultyFileOps ops(FaultyFileOps::Step::Read, EIO);
  EXPECT_TRUE(unreadable.LoadSettings());
  EXPECT_EQ(unreadable.RawText(), "#FileLoadError#");
  EXPECT_EQ(unreadable.KeyValues().Count(), 0);
}

TEST(Settings, FailedSaveKeepsTheOldFile) {
  TempDir dir;
  WriteBytes(dir / "s.ini", "old");
  TQZIniFile ini(dir / "s.ini");
  ini.WriteString("K", "v");
  FaultyFileOps ops(FaultyFileOps::Step::Write, ENOSPC);
  EXPECT_FALSE(ini.SaveSettings());
  EXPECT_EQ(ReadBytes(dir / "s.ini"), "old");
}

TEST(FormPosition, BadFieldsFallBackOnTheCurrentValues) {
  TQZIniFile ini("/nonexistent/x.ini");
  FakeForm form("Form1", {1, 2, 300, 400});
  ini.LoadFormPos(form, false);
  EXPECT_EQ(form.setCalls, 0);  // nothing stored: left alone

  ini.WriteString("Form1.Pos", "10\t20\tword");
  ini.LoadFormPos(form, false);
  EXPECT_EQ(form.CurrentBounds(), (FormBounds{10, 20, 300, 400}));

  ini.WriteString("Form1.Pos", "-50\t\t0\t-3");
  ini.LoadFormPos(form, false);
  EXPECT_EQ(form.CurrentBounds(), (FormBounds{-50, 20, 300, 400}));

  ini.WriteString("Form1.Pos", "1\t2\t99999999999\t5");
  ini.LoadFormPos(form, false);
  EXPECT_EQ(form.CurrentBounds(), (FormBounds{1, 2, 300, 5}));
}

TEST(ComponentStocker, LoadsByTagWhateverTheOrder) {
  Panes panes;
  TQZComponentStocker s;
  panes.Define(s);
  s.AddRegistration("ftSiteCategory", "width", "");
  s.AddRegistration("lvSiteList", "HEIGHT", "");  // property names ignore case
  EXPECT_EQ(s.Registration(1).TagName, "lvSiteList.HEIGHT");
  s.LoadFromText(
      "<!--lvSiteList.HEIGHT\t_Props_\t-->77<!--/lvSiteList.HEIGHT\t_Props_\t-->\r\n"
      "<!--ftSiteCategory.width\t_Props_\t-->-12<!--/ftSiteCategory.width\t_Props_\t-->\r\n");
  EXPECT_EQ(panes.treeWidth, -12);
  EXPECT_EQ(panes.listHeight, 77);
  EXPECT_EQ(s.GetValue(1), "77");
}

TEST(ComponentStocker, AbsentTagKeepsTheValueAndATagWithoutBlockSetsZero) {
  Panes panes;
  TQZComponentStocker s;
  panes.Define(s);
  s.AddRegistration("ftSiteCategory", "width", "");
  s.AddRegistration("lvSiteList", "height", "");
  // Only the tree's tag, and only inside another block's value.
  s.LoadFromText("<!--other\t_Props_\t-->ftSiteCategory.width<!--/other\t_Props_\t-->");
  EXPECT_EQ(panes.treeWidth, 0);
  EXPECT_EQ(panes.listHeight, 150);

  s.LoadFromText("<!--ftSiteCategory.width\t_Props_\t-->12px<!--/ftSiteCategory.width\t_Props_\t-->");
  EXPECT_EQ(panes.treeWidth, 0);  // not a number
}

TEST(ComponentStocker, EqualTagsBothReadTheFirstBlockAndUnknownPropertiesAreSkipped) {
  Panes panes;
  TQZComponentStocker s;
  panes.Define(s);
  s.AddRegistration("ftSiteCategory", "width", "pane");
  s.AddRegistration("lvSiteList", "height", "pane");
  s.AddRegistration("ftSiteCategory", "colour", "");
  EXPECT_EQ(s.GetValue(2), "");
  EXPECT_EQ(s.GetValue(7), "");
  EXPECT_EQ(s.SaveToText(),
            "<!--pane\t_Props_\t-->161<!--/pane\t_Props_\t-->\r\n"
            "<!--pane\t_Props_\t-->150<!--/pane\t_Props_\t-->\r\n"
            "<!--ftSiteCategory.colour\t_Props_\t--><!--/ftSiteCategory.colour\t_Props_\t-->\r\n");
  s.LoadFromText("<!--pane\t_Props_\t-->5<!--/pane\t_Props_\t--><!--pane\t_Props_\t-->9<!--/pane\t_Props_\t-->");
  EXPECT_EQ(panes.treeWidth, 5);
  EXPECT_EQ(panes.listHeight, 5);
  s.SetValue(2, "red");  // no such property: nothing happens
  s.SetValue(-1, "1");
}

TEST(ParseDecimal, AcceptsWholeNumbersOnly) {
  EXPECT_EQ(ParseDecimal("42"), 42);
  EXPECT_EQ(ParseDecimal(" -7"), -7);
  EXPECT_EQ(ParseDecimal("+3"), 3);
  EXPECT_EQ(ParseDecimal(""), std::nullopt);
  EXPECT_EQ(ParseDecimal("4 "), std::nullopt);
  EXPECT_EQ(ParseDecimal("0x10"), std::nullopt);
  EXPECT_EQ(ParseDecimal("2147483648"), std::nullopt);
}

}  // namespace
}  // namespace morvane
