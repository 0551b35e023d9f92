// The data file changed by someone else while the window runs (a sync tool,
// another PC): the change is taken in and shown, never written over, and a
// conflict copy left beside the data file is offered for taking in.
#include "catalogue/outside_change.h"
#include "catalogue/conflict_copies.h"
#include "catalogue/site_record.h"
#include "util/text_file.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

class OutsideChangeWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    SiteCatalogue first(folder.Path());
    first.SiteList().Add(Line("a"));
    first.SiteList().Add(Line("b"));
    ASSERT_TRUE(first.SaveSiteData());
    OpenForms();
  }

  static std::string Line(const std::string& name, const std::string& category = "") {
    return FormatSiteLine({name, "http://" + name + ".example/", J(category), "2026/12/09 15:30:00",
                           "http://vexa.example/" + name, "id", "pw"});
  }

  // What the other PC saves: the data file as it is now, plus its edit.
  void SaveElsewhere(const std::string& path, const std::string& site, const std::string& category = "") {
    SiteCatalogue other(folder.Path());
    ASSERT_TRUE(other.LoadSiteData().Loaded());
    if (!category.empty()) other.Tree().AddCategory(J(category));
    other.SiteList().Add(Line(site, category));
    ASSERT_TRUE(other.SaveSiteData(path));
  }

  std::vector<std::string> NamesOnDisk() {
    EXPECT_TRUE(PumpUntil([this] { return W().Autosave().Settled(); }, 5000));
    return NamesInFile();
  }
  std::vector<std::string> NamesInFile() {
    SiteCatalogue disk(folder.Path());
    disk.LoadSiteData();
    std::vector<std::string> names;
    for (const std::string& line : disk.SiteList().Lines()) names.push_back(Cp932ToUtf8(SiteFromLine(line).SiteName));
    return names;
  }

  bool StatusSaysMerged(int added) {
    return W().StatusText() ==
           J("別の場所での変更を取り込みました: 追加 " + std::to_string(added) + "、更新 0、削除 0、競合 0");
  }
};

TEST_F(OutsideChangeWindowTest, AChangeFromOutsideIsShownWithTheSelectionKept) {
  W().lvSiteList.SelectRow(1);  // "b"
  SaveElsewhere(W().Catalogue().DataFilePath(), "theirs", "旅行");

  ASSERT_TRUE(PumpUntil([this] { return StatusSaysMerged(1); }, 10000)) << Cp932ToUtf8(W().StatusText());
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "b", "theirs"}));
  EXPECT_EQ(W().lvSiteList.SelectedRow(), 1);
  const std::vector<std::string> tree = TreeNames();
  EXPECT_NE(std::find(tree.begin(), tree.end(), "旅行"), tree.end());
  const std::vector<std::string> choices = CategoryChoices();
  EXPECT_NE(std::find(choices.begin(), choices.end(), "旅行"), choices.end());

  // Our own edit after it keeps theirs.
  AddSite("mine", "http://mine.example/");
  EXPECT_EQ(NamesOnDisk(), (std::vector<std::string>{"a", "b", "theirs", "mine"}));
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(OutsideChangeWindowTest, TheCloseSaveTakesInAChangeMadeJustBefore) {
  // Replaced a moment before the close: no notice has come yet.
  SaveElsewhere(W().Catalogue().DataFilePath(), "theirs");
  ASSERT_TRUE(CloseByButton());
  EXPECT_EQ(NamesInFile(), (std::vector<std::string>{"a", "b", "theirs"}));
}

TEST_F(OutsideChangeWindowTest, AnOpenSiteDialogIsNotDisturbed) {
  forms_.steps.push_back([this](Gtk::Dialog& d) {
    d.show();
    SaveElsewhere(W().Catalogue().DataFilePath(), "theirs");
    PumpFor(1500);  // the notice comes and waits
    EXPECT_EQ(W().Catalogue().SiteList().Count(), 2);
    SiteDialog().edSiteName.set_text("mine");
    SiteDialog().edSiteURL.set_text("http://mine.example/");
    SiteDialog().edAccessURL.set_text("http://vexa.example/mine");
    d.hide();
    SiteDialog().BitBtn1Click();
  });
  W().tbAddSiteClick();
  ASSERT_TRUE(PumpUntil([this] { return StatusSaysMerged(1); }, 10000)) << Cp932ToUtf8(W().StatusText());
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "b", "mine", "theirs"}));
  EXPECT_EQ(NamesOnDisk(), (std::vector<std::string>{"a", "b", "mine", "theirs"}));
}

TEST_F(OutsideChangeWindowTest, AConflictCopyThatAppearsIsOfferedAndTakenIn) {
  const std::string copy = folder / "VexaSiteData.sync-conflict-20261209-153000-ABC1234.dat";
  dialogs.yesNoAnswers.push_back(true);
  SaveElsewhere(copy, "other-pc");
  ASSERT_TRUE(PumpUntil([this] { return StatusSaysMerged(1); }, 10000)) << Cp932ToUtf8(W().StatusText());
  EXPECT_EQ(dialogs.questions, (std::vector<std::string>{"別のPCの変更が見つかりました。取り込みますか？"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "b", "other-pc"}));
  EXPECT_EQ(NamesOnDisk(), (std::vector<std::string>{"a", "b", "other-pc"}));
  EXPECT_TRUE(FindConflictCopies(folder.Path(), "VexaSiteData.dat").empty());

  // Declined: the copy stays, and is not asked about again in this run.
  const std::string second = folder / "VexaSiteData (conflicted copy 2026-12-09 160000).dat";
  SaveElsewhere(second, "declined");
  ASSERT_TRUE(PumpUntil([this] { return dialogs.questions.size() == 2; }, 10000));
  WriteBytes(second, ReadBytes(second) + "\r\n");
  PumpFor(1000);
  EXPECT_EQ(dialogs.questions.size(), 2u);
  EXPECT_TRUE(RegularFileExists(second));
  EXPECT_EQ(W().Catalogue().SiteList().Count(), 3);
}

TEST_F(OutsideChangeWindowTest, ADamagedFileFromOutsideIsKeptAndToldOnce) {
  const std::string path = W().Catalogue().DataFilePath();
  const std::string half = ReadBytes(path).substr(0, 100);
  WriteBytes(path, half);
  ASSERT_TRUE(PumpUntil([this] { return !dialogs.errors.empty(); }, 10000));
  EXPECT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].find("読めない形"), std::string::npos) << dialogs.errors[0];
  EXPECT_EQ(NamesOnDisk(), (std::vector<std::string>{"a", "b"}));
  std::string kept;
  for (const std::string& name : folder.Names())
    if (name.ends_with(".bak")) kept = ReadBytes(folder / name);
  EXPECT_EQ(kept, half);
  PumpFor(1000);
  EXPECT_EQ(dialogs.errors.size(), 1u);
}

}  // namespace
}  // namespace morvane::testing
