#include <gtest/gtest.h>

#include "file_test_support.h"
#include "util/component_stocker.h"
#include "util/settings_file.h"

namespace morvane {
namespace {

class FakeForm : public PlacedForm {
 public:
  FakeForm(std::string name, FormBounds now) : normal(now), now_(now), name_(std::move(name)) {}
  std::string FormName() const override { return name_; }
  FormBounds NormalBounds() const override { return normal; }
  FormBounds CurrentBounds() const override { return now_; }
  void SetBounds(const FormBounds& b) override { now_ = b, ++setCalls; }
  std::vector<FormBounds> WorkAreas() const override { return areas; }
  FormBounds normal;
  std::vector<FormBounds> areas;
  int setCalls = 0;

 private:
  FormBounds now_;
  std::string name_;
};

struct Panes {
  int treeWidth = 161;
  int listHeight = 150;
  void Define(ComponentStocker& s) {
    s.DefineIntProperty(
        "ftSiteCategory", "Width", [this] { return treeWidth; }, [this](int v) { treeWidth = v; });
    s.DefineIntProperty(
        "lvSiteList", "Height", [this] { return listHeight; }, [this](int v) { listHeight = v; });
  }
};

TEST(Settings, ProgramFileHasTheDocumentedLayoutAndReadsBack) {
  TempDir dir;
  SettingsFile blank(dir / "blank.ini");
  ASSERT_TRUE(blank.SaveSettings());
  EXPECT_EQ(ReadBytes(dir / "blank.ini"), "\t#_QZDivKeyValues_#\t\t#_QZDivMultiLine_#\t\t#_QZDivComponent_#\t\r\n");

  Panes panes;
  SettingsFile ini(dir / "morvane.ini");
  panes.Define(ini.Stocker());
  EXPECT_EQ(ini.StockComponent("ftSiteCategory", "width"), 0);
  EXPECT_EQ(ini.StockComponent("lvSiteList", "height"), 1);
  FakeForm main("Form1", {10, 20, 725, 540}), site("Form2", {5, 6, 300, 200});
  main.normal = {11, 21, 700, 500};  // maximised now; the restored rectangle is stored
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
  SettingsFile again(dir / "morvane.ini");
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
  SettingsFile ini(dir / "s.ini");
  ini.WriteString("Note", "\r\nfirst\r\nsecond\r\n");
  ini.WriteString("Eq", "a=b==c");
  ini.WriteString("Note", "line one\r\nline two");  // replaces the block, not adds one
  ASSERT_TRUE(ini.SaveSettings());
  EXPECT_EQ(ReadBytes(dir / "s.ini"),
            "Eq=a=b==c\t#_QZDivKeyValues_#\t<!--Note\t_QZTags_\t-->line one\r\nline two<!--/Note\t_QZTags_\t-->"
            "\t#_QZDivMultiLine_#\t\t#_QZDivComponent_#\t\r\n");

  SettingsFile loaded(dir / "s.ini");
  ASSERT_TRUE(loaded.LoadSettings());
  EXPECT_EQ(loaded.ReadString("Note"), "line one\r\nline two");
  EXPECT_EQ(loaded.ReadString("Eq"), "a=b==c");
  EXPECT_EQ(loaded.KeyValues().Count(), 1);

  loaded.WriteString("note", "single");
  loaded.WriteString("Eq", "moved to the end");
  EXPECT_EQ(loaded.KeyValues().Lines(), (std::vector<std::string>{"note=single", "Eq=moved to the end"}));
  ASSERT_TRUE(loaded.SaveSettings());
  SettingsFile third(dir / "s.ini");
  ASSERT_TRUE(third.LoadSettings());
  EXPECT_EQ(third.ReadString("Note"), "single");
  EXPECT_EQ(third.ReadString("Missing"), "");
}

TEST(Settings, MissingUnreadableOrForeignFilesLoadAsEmptyAndFailedSavesKeepTheFile) {
  TempDir dir;
  EXPECT_FALSE(SettingsFile(dir / "none.ini").LoadSettings());

  WriteBytes(dir / "foreign.ini", "[Section]\r\nSiteDataFileName=x\r\n");
  Panes panes;
  SettingsFile foreign(dir / "foreign.ini");
  panes.Define(foreign.Stocker());
  foreign.StockComponent("ftSiteCategory", "width");
  EXPECT_TRUE(foreign.LoadSettings());
  EXPECT_EQ(foreign.ReadString("SiteDataFileName"), "");
  EXPECT_EQ(panes.treeWidth, 161);

  foreign.WriteString("K", "v");
  {
    FaultyFileOps ops(FaultyFileOps::kWrite, ENOSPC);
    EXPECT_FALSE(foreign.SaveSettings());
  }
  EXPECT_EQ(ReadBytes(dir / "foreign.ini"), "[Section]\r\nSiteDataFileName=x\r\n");

  FaultyFileOps ops(FaultyFileOps::kRead, EIO);
  EXPECT_TRUE(foreign.LoadSettings());
  EXPECT_EQ(foreign.RawText(), "#FileLoadError#");
  EXPECT_EQ(foreign.KeyValues().Count(), 0);
}

TEST(FormPosition, BadFieldsFallBackOnTheCurrentValues) {
  SettingsFile ini("/nonexistent/x.ini");
  FakeForm form("Form1", {1, 2, 300, 400});
  ini.LoadFormPos(form, false);
  EXPECT_EQ(form.setCalls, 0);  // nothing stored: left alone

  const std::pair<std::string, FormBounds> cases[] = {
      {"10\t20\tword", {10, 20, 300, 400}},
      {"-50\t\t0\t-3", {-50, 20, 300, 400}},  // no size below one pixel
      {"1\t2\t99999999999\t5", {1, 2, 300, 5}},
  };
  for (const auto& [stored, expected] : cases) {
    ini.WriteString("Form1.Pos", stored);
    ini.LoadFormPos(form, false);
    EXPECT_EQ(form.CurrentBounds(), expected) << stored;
  }
}

TEST(FormPosition, ARestoredOrStoredWindowStaysInAWorkArea) {
  // A 1400 x 1000 screen with a panel on top, a second monitor to its right.
  const std::vector<FormBounds> screens = {{0, 30, 1400, 970}, {1400, 0, 1280, 1024}};
  const std::pair<FormBounds, FormBounds> cases[] = {
      {{100, 100, 700, 500}, {100, 100, 700, 500}},                 // fits: unchanged
      {{-3000, -3000, 700, 500}, {0, 30, 700, 500}},                // far off: moved in, size kept
      {{0, 0, 5000, 4000}, {0, 30, 1400, 970}},                     // too large: shrunk to the area
      {{1300, 500, 600, 400}, {1400, 500, 600, 400}},               // mostly on the second monitor
      {{2600, 900, 300, 300}, {2380, 724, 300, 300}},               // hanging off its far corner
      {{2147483000, 2147483000, 300, 300}, {1100, 700, 300, 300}},  // no overflow at the int's end
  };
  SettingsFile ini("/nonexistent/x.ini");
  for (const auto& [stored, expected] : cases) {
    EXPECT_EQ(FitIntoWorkAreas(stored, screens), expected) << stored.left << "," << stored.top;

    FakeForm form("Form2", {0, 0, 10, 10});
    form.areas = screens;
    ini.WriteString("Form2.Pos", std::to_string(stored.left) + "\t" + std::to_string(stored.top) + "\t" +
                                     std::to_string(stored.width) + "\t" + std::to_string(stored.height));
    ini.LoadFormPos(form, false);
    EXPECT_EQ(form.CurrentBounds(), expected);

    form.normal = stored;  // never stored where it would not fit either
    ini.SaveFormPos(form);
    EXPECT_EQ(ini.ReadString("Form2.Pos"), std::to_string(expected.left) + "\t" + std::to_string(expected.top) + "\t" +
                                               std::to_string(expected.width) + "\t" + std::to_string(expected.height));
  }
  EXPECT_EQ(FitIntoWorkAreas({-3000, 5, 10, 10}, {}), (FormBounds{-3000, 5, 10, 10}));  // nothing known
}

TEST(ComponentStocker, LoadsByTagInAnyOrderAndKeepsWhatIsAbsent) {
  Panes panes;
  ComponentStocker s;
  panes.Define(s);
  s.AddRegistration("ftSiteCategory", "width", "");
  s.AddRegistration("lvSiteList", "HEIGHT", "");  // property names ignore case
  s.LoadFromText(
      "<!--lvSiteList.HEIGHT\t_Props_\t-->77<!--/lvSiteList.HEIGHT\t_Props_\t-->\r\n"
      "<!--ftSiteCategory.width\t_Props_\t-->-12<!--/ftSiteCategory.width\t_Props_\t-->\r\n");
  EXPECT_EQ(panes.treeWidth, -12);
  EXPECT_EQ(panes.listHeight, 77);

  // The tree's tag only inside another block's value: its width becomes 0;
  // the list's tag is absent: its height stays.
  s.LoadFromText("<!--other\t_Props_\t-->ftSiteCategory.width<!--/other\t_Props_\t-->");
  EXPECT_EQ(panes.treeWidth, 0);
  EXPECT_EQ(panes.listHeight, 77);
  s.LoadFromText("<!--lvSiteList.HEIGHT\t_Props_\t-->12px<!--/lvSiteList.HEIGHT\t_Props_\t-->");
  EXPECT_EQ(panes.listHeight, 0);  // not a number
}

TEST(ComponentStocker, EqualTagsBothReadTheFirstBlockAndUnknownPropertiesAreSkipped) {
  Panes panes;
  ComponentStocker s;
  panes.Define(s);
  s.AddRegistration("ftSiteCategory", "width", "pane");
  s.AddRegistration("lvSiteList", "height", "pane");
  s.AddRegistration("ftSiteCategory", "colour", "");
  EXPECT_EQ(s.SaveToText(),
            "<!--pane\t_Props_\t-->161<!--/pane\t_Props_\t-->\r\n"
            "<!--pane\t_Props_\t-->150<!--/pane\t_Props_\t-->\r\n"
            "<!--ftSiteCategory.colour\t_Props_\t--><!--/ftSiteCategory.colour\t_Props_\t-->\r\n");
  s.LoadFromText("<!--pane\t_Props_\t-->5<!--/pane\t_Props_\t--><!--pane\t_Props_\t-->9<!--/pane\t_Props_\t-->");
  EXPECT_EQ(panes.treeWidth, 5);
  EXPECT_EQ(panes.listHeight, 5);
  s.SetValue(2, "red");  // no such property, no such index: nothing happens
  s.SetValue(-1, "1");
  EXPECT_EQ(s.GetValue(7), "");
}

}  // namespace
}  // namespace morvane
