// What the window keeps before the data file is written over: the catalogue
// before an import replaces it (asked first), a damaged file before the
// autosave first writes, and going back to a backup through its box.
#include <ctime>

#include "app/restore_dialog.h"
#include "catalogue/data_file_backups.h"
#include "catalogue/site_record.h"
#include "real_input.h"

namespace morvane::testing {
namespace {

class BackupsWindowTest : public WindowTest {
 protected:
  static std::string Line(const std::string& name) {
    return FormatSiteLine(
        {name, "http://" + name + ".example/", "", "2026/12/09 15:30:00", "http://vexa.example/" + name, "id", "pw"});
  }
  // A catalogue of these sites (and categories) saved at path.
  void SaveCatalogue(const std::string& path, const std::vector<std::string>& sites,
                     const std::vector<std::string>& categories = {}) {
    SiteCatalogue c(folder.Path());
    for (const std::string& name : categories) c.Tree().AddCategory(J(name));
    for (const std::string& name : sites) c.SiteList().Add(Line(name));
    ASSERT_TRUE(c.SaveSiteData(path));
  }
  static std::vector<std::string> Names(const SiteCatalogue& c) {
    std::vector<std::string> names;
    for (const std::string& line : c.SiteList().Lines()) names.push_back(Cp932ToUtf8(SiteFromLine(line).SiteName));
    return names;
  }
  std::vector<std::string> NamesIn(const std::string& path) {
    SiteCatalogue c(folder.Path());
    EXPECT_TRUE(c.LoadSiteData(path).Loaded()) << path;
    return Names(c);
  }
  // Backups of one kind (".bak" for the ones kept for good), oldest first.
  std::vector<std::string> Backups(bool daily) {
    std::vector<std::string> found;
    for (const std::string& name : folder.Names())
      if (name.ends_with(".daily.bak") == daily && name.ends_with(".bak")) found.push_back(folder / name);
    return found;
  }
  void WaitForSaves() {
    ASSERT_TRUE(PumpUntil([this] { return W().Autosave().Settled(); }, 5000));
  }
};

TEST_F(BackupsWindowTest, AnImportAsksWithBothCountsAndKeepsTheCatalogueFirst) {
  OpenForms();
  AddSite("mine", "http://mine.example/");
  WaitForSaves();
  const std::string file = folder / "import.dat";
  SaveCatalogue(file, {"x", "y"}, {"旅行"});

  dialogs.fileAnswers.push_back(file);
  dialogs.yesNoAnswers.push_back(false);
  W().tbImportClick();
  ASSERT_EQ(dialogs.questions.size(), 1u);
  EXPECT_EQ(dialogs.questions[0],
            "現在のカタログを置き換えます。よろしいですか？\r\n\r\n現在: サイト 1 件、カテゴリ 0 件\r\n"
            "置き換え後: サイト 2 件、カテゴリ 1 件");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"mine"}));
  EXPECT_TRUE(Backups(false).empty());

  dialogs.fileAnswers.push_back(file);
  dialogs.yesNoAnswers.push_back(true);
  W().tbImportClick();
  EXPECT_EQ(Column(1), (std::vector<std::string>{"x", "y"}));
  const std::vector<std::string> kept = Backups(false);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(NamesIn(kept[0]), (std::vector<std::string>{"mine"}));
  WaitForSaves();
  EXPECT_EQ(NamesIn(W().Catalogue().DataFilePath()), (std::vector<std::string>{"x", "y"}));
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(BackupsWindowTest, ADamagedTreeIsKeptBeforeTheAutosaveWritesOverIt) {
  SaveCatalogue(folder / "VexaSiteData.dat", {"a"});
  std::string original = ReadBytes(folder / "VexaSiteData.dat");
  const std::string tree = "\t_CATEGORYTREE_\t-->";
  original.insert(original.find(tree) + tree.size(), J("6 7 -1 \r\nA\r\n\t\t\tToo deep\r\n"));
  WriteBytes(folder / "VexaSiteData.dat", original);
  OpenForms();
  EXPECT_EQ(dialogs.errors, (std::vector<std::string>{"I/O Error:QZLoadTreeFromStrings"}));
  AddCategory("追加");
  WaitForSaves();
  EXPECT_NE(ReadBytes(folder / "VexaSiteData.dat"), original);
  ASSERT_TRUE(CloseByButton());
  const std::vector<std::string> kept = Backups(false);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(ReadBytes(kept[0]), original);
}

// Yesterday's backup chosen in the box with the pointer: the catalogue goes
// back to it, and the edit made today is in the backup kept before.
TEST_F(BackupsWindowTest, GoingBackToYesterdaysBackupKeepsTodaysEdit) {
  const auto yesterday = std::chrono::system_clock::now() - std::chrono::hours(24);
  SaveCatalogue(folder / "VexaSiteData.dat", {"y1"});
  ASSERT_TRUE(std::filesystem::copy_file(folder / "VexaSiteData.dat",
                                         FreeBackupName(folder / "VexaSiteData.dat", yesterday, ".daily.bak")));
  const std::string damaged = FreeBackupName(folder / "VexaSiteData.dat", yesterday - std::chrono::hours(24));
  WriteBytes(damaged, ReadBytes(folder / "VexaSiteData.dat").substr(0, 120));
  SaveCatalogue(folder / "VexaSiteData.dat", {"y1", "today"});
  OpenForms();
  AddSite("edit", "http://edit.example/");
  WaitForSaves();

  std::vector<std::string> shownKinds, shownSites;
  std::optional<std::size_t> afterDamagedClick;
  forms_.steps.push_back([&](Gtk::Dialog& d) {
    auto& box = dynamic_cast<RestoreDialog&>(d);
    box.show();
    ASSERT_TRUE(PumpUntil([&box] { return box.lvBackups.get_mapped(); }));
    PumpFor(100);
    const auto model = box.lvBackups.get_model();
    for (const auto& row : model->children()) {
      Glib::ustring kind, sites;
      row.get_value(1, kind);
      row.get_value(2, sites);
      shownKinds.push_back(kind.raw());
      shownSites.push_back(sites.raw());
    }
    const auto clickRow = [&box](int row) {
      Gdk::Rectangle cell;
      box.lvBackups.get_cell_area(Gtk::TreeModel::Path(std::to_string(row)), *box.lvBackups.get_column(0), cell);
      int x = 0, y = 0;
      box.lvBackups.convert_bin_window_to_widget_coords(cell.get_x() + cell.get_width() / 2,
                                                        cell.get_y() + cell.get_height() / 2, x, y);
      ClickWithPointerAt(box.lvBackups, x, y);
    };
    clickRow(2);  // the damaged one: the newest that loads stays chosen
    afterDamagedClick = box.Chosen();
    clickRow(1);  // yesterday's
    EXPECT_EQ(box.Chosen(), std::optional<std::size_t>(1));
    ClickWithPointer(*box.btRestore);
    box.hide();
  });
  dialogs.yesNoAnswers.push_back(true);
  W().tbRestoreBackupClick();

  // Newest first: today's daily copy (made before the edit's save), then
  // yesterday's, then the damaged one, which cannot be chosen.
  EXPECT_EQ(shownKinds, (std::vector<std::string>{"毎日の控え", "毎日の控え", "控え"}));
  ASSERT_EQ(shownSites.size(), 3u);
  EXPECT_EQ(shownSites[0], "2 件");
  EXPECT_EQ(shownSites[1], "1 件");
  EXPECT_EQ(shownSites[2], "読み込めません（ファイル形式が異なります）");
  EXPECT_EQ(afterDamagedClick, std::optional<std::size_t>(0));
  ASSERT_EQ(dialogs.questions.size(), 1u);
  EXPECT_NE(dialogs.questions[0].find("現在: サイト 3 件、カテゴリ 0 件\r\n置き換え後: サイト 1 件、カテゴリ 0 件"),
            std::string::npos)
      << dialogs.questions[0];

  EXPECT_EQ(Column(1), (std::vector<std::string>{"y1"}));
  std::vector<std::string> kept = Backups(false);
  std::erase(kept, damaged);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(NamesIn(kept[0]), (std::vector<std::string>{"y1", "today", "edit"}));
  WaitForSaves();
  EXPECT_EQ(NamesIn(W().Catalogue().DataFilePath()), (std::vector<std::string>{"y1"}));
  EXPECT_TRUE(dialogs.errors.empty());
}

}  // namespace
}  // namespace morvane::testing
