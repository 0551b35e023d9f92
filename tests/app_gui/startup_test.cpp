// Start-up, the window's layout, reopening and the virtual site list.
#include <gtkmm/adjustment.h>

#include "catalogue/site_record.h"
#include "window_test_support.h"

namespace morvane::testing {
namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, FirstRunInEmptyFolderShowsDesignedTreeAndWritesBothFiles) {
  OpenForms();
  EXPECT_EQ(W().get_title(), "Vexa アクセス解析セット - Morvane 8号");
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類"}));
  EXPECT_EQ(SelectedCategory(), "すべてのサイト");
  EXPECT_EQ(W().lvSiteList.Model().RowCount(), 0);
  EXPECT_TRUE(dialogs.errors.empty());

  // Columns as designed, in order, fixed widths at least the designed ones.
  const auto columns = W().lvSiteList.Columns();
  ASSERT_EQ(columns.size(), 8u);
  const char* captions[] = {"No", "サイト名", "URL", "カテゴリ", "登録日付", "解析URL", "LoginID", "LoginPass"};
  const int widths[] = {40, 150, 150, 100, 120, 120, 80, 80};
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(columns[i].caption, captions[i]);
    EXPECT_GE(columns[i].width, widths[i]);
  }
  EXPECT_TRUE(W().lvSiteList.FixedRowHeights());
  EXPECT_EQ(W().PageControl1.get_tab_label_text(W().tsBrowser), "ブラウザ");

  ASSERT_TRUE(CloseByButton());
  // Beside them only the browser's own profile folder.
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"VexaSiteData.dat", "browser", "morvane.ini"}));
  EXPECT_NE(ReadBytes(folder / "morvane.ini").find("SiteDataFileName=VexaSiteData.dat"), std::string::npos);
}

TEST_F(StartupTest, FirstStartOpensRoomyWithinTheScreenAndASavedSizeWins) {
  // Small screens get 90% of their work area, never less than the designed size.
  EXPECT_EQ(FirstStartSize({725, 540}, {1100, 760}, {1000, 700}).width, 900);
  EXPECT_EQ(FirstStartSize({725, 540}, {1100, 760}, {1000, 700}).height, 630);
  EXPECT_EQ(FirstStartSize({725, 540}, {1100, 760}, {640, 480}).width, 725);
  EXPECT_EQ(FirstStartSize({725, 540}, {1100, 760}, {0, 0}).height, 540);
  OpenForms();  // the test screen is 1280 x 1024
  int w = 0, h = 0;
  W().get_size(w, h);
  EXPECT_EQ(w, 1100);
  EXPECT_EQ(h, 760);
  // The list gets a share that shows rows enough, not the designed four.
  PumpFor(100);
  EXPECT_GE(W().lvSiteList.get_allocated_height(), h / 3);
}

TEST_F(StartupTest, ReopeningRestoresCatalogueWindowPlaceAndPaneSizes) {
  OpenForms();
  AddCategory("ニュース");
  AddSite("日本語のサイト", "http://jp.example/", "ニュース");
  W().Catalogue().SetMasterLogin("master", "secret");
  W().move(40, 30);
  W().resize(800, 600);
  W().Splitter2.set_position(210);
  W().Panel1.set_position(180);
  ASSERT_TRUE(PumpUntil([this] {
    int w = 0, h = 0;
    W().get_size(w, h);
    return w == 800 && h == 600;
  }));
  ASSERT_TRUE(CloseByButton());

  OpenForms();
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "ニュース"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"日本語のサイト"}));
  EXPECT_EQ(Column(3), (std::vector<std::string>{"ニュース"}));
  EXPECT_EQ(W().Catalogue().MasterID(), "master");
  EXPECT_EQ(SettingsDialog().edLoginID.get_text(), "master");
  EXPECT_EQ(SettingsDialog().edLoginPW.get_text(), "secret");
  EXPECT_EQ(W().Splitter2.get_position(), 210);
  EXPECT_EQ(W().Panel1.get_position(), 180);
  int x = 0, y = 0, w = 0, h = 0;
  W().get_position(x, y);
  W().get_size(w, h);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 30);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  // A pane stored shut (an older program let it close) opens again.
  ASSERT_TRUE(CloseByButton());
  std::string ini = ReadBytes(folder / "morvane.ini");
  for (const std::string size : {"-->210<", "-->180<"}) {
    const std::size_t at = ini.find(size);
    ASSERT_NE(at, std::string::npos) << size;
    ini.replace(at, size.size(), "-->0<");
  }
  WriteBytes(folder / "morvane.ini", ini);
  OpenForms();
  PumpFor(100);
  EXPECT_GE(W().ftSiteCategory.get_allocated_width(), 48);
  EXPECT_GE(W().lvSiteList.get_allocated_height(), 48);
  // Nor can the user drag them shut.
  W().Splitter2.set_position(0);
  W().Panel1.set_position(0);
  PumpFor(100);
  EXPECT_GE(W().ftSiteCategory.get_allocated_width(), 48);
  EXPECT_GE(W().lvSiteList.get_allocated_height(), 48);
  // The site dialog's category box offers the reopened categories.
  ChooseCategory("ニュース");
  EXPECT_EQ(SiteDialog().cbCategory.get_active_text(), "ニュース");
}

TEST_F(StartupTest, NumbersRestartAtOneForEveryEntryAndPasswordsStayHidden) {
  OpenForms();
  AddCategory("A");
  AddCategory("B");
  AddSite("one", "http://1/", "A");
  AddSite("two", "http://2/", "B");
  AddSite("three", "http://3/", "B");
  SelectCategory("すべてのサイト");
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3"}));
  SelectCategory("B");
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"two", "three"}));
  EXPECT_EQ(Column(7), (std::vector<std::string>{"*Password*", "*Password*"}));
  SelectCategory("未分類");
  EXPECT_EQ(W().lvSiteList.Model().RowCount(), 0);
}

class LargeListTest : public WindowTest {
 protected:
  void Fill(int count) {
    OpenForms();
    LineList& sites = W().Catalogue().SiteList();
    for (int i = 0; i < count; ++i) {
      SiteRecord r;
      r.SiteName = "site " + std::to_string(i);
      r.SiteURL = "http://s" + std::to_string(i) + "/";
      r.AccessURL = "http://a/" + std::to_string(i);
      sites.Add(FormatSiteLine(r));
    }
    W().ShowEntry(AllSitesEntryName());
    PumpFor(100);
  }
  int VisibleRows() {
    int first = 0, last = -1;
    W().lvSiteList.VisibleRows(first, last);
    return last - first + 1;
  }
  void ScrollTo(double fraction) {
    auto adj = W().lvSiteList.get_vadjustment();
    adj->set_value(adj->get_lower() + fraction * (adj->get_upper() - adj->get_page_size() - adj->get_lower()));
    PumpFor(100);
  }
};

TEST_F(LargeListTest, PaintingParsesOnlyTheRowsOnScreen) {
  Fill(5000);
  W().lvSiteList.Model().ResetLinesParsed();
  W().lvSiteList.Repaint();
  ASSERT_TRUE(PumpUntil([this] { return W().lvSiteList.Model().LinesParsed() > 0; }));
  PumpFor(50);
  const int visible = VisibleRows();
  ASSERT_GT(visible, 0);
  EXPECT_LE(W().lvSiteList.Model().LinesParsed(), visible + 2);
  EXPECT_GT(W().lvSiteList.Model().LinesParsed(), 0);

  W().lvSiteList.Model().ResetLinesParsed();
  ScrollTo(1.0);
  EXPECT_LE(W().lvSiteList.Model().LinesParsed(), 2 * visible + 2);
  EXPECT_EQ(W().lvSiteList.Model().Cell(4999, 1), "site 4999");
}

TEST_F(LargeListTest, RefreshAndLargeChangesKeepASelectedRowInView) {
  Fill(3000);
  W().lvSiteList.SelectRow(2);
  ScrollTo(0.5);
  int top = 0, bottom = 0;
  ASSERT_TRUE(W().lvSiteList.VisibleRows(top, bottom));
  ASSERT_GT(top, 2);
  W().lvSiteList.Refresh();
  EXPECT_EQ(W().lvSiteList.SelectedRow(), top);

  // A selection in view stays where it is.
  W().lvSiteList.SelectRow(top + 1);
  W().lvSiteList.Refresh();
  EXPECT_EQ(W().lvSiteList.SelectedRow(), top + 1);

  ScrollTo(0.0);
  W().lvSiteList.SelectRow(5);
  // Half the sites go at once (as an import of a smaller file would do).
  LineList& sites = W().Catalogue().SiteList();
  while (sites.Count() > 1500) sites.Delete(sites.Count() - 1);
  W().ShowEntry(AllSitesEntryName());
  PumpFor(50);
  EXPECT_EQ(W().lvSiteList.Model().RowCount(), 1500);
  EXPECT_EQ(W().lvSiteList.SelectedRow(), 5);
  EXPECT_EQ(W().lvSiteList.Model().Cell(1499, 1), "site 1499");
  W().ShowEntry(UncategorisedEntryName());
  W().ShowEntry(AllSitesEntryName());
  EXPECT_EQ(W().lvSiteList.Model().RowCount(), 1500);
  EXPECT_EQ(W().lvSiteList.Model().Cell(0, 0), "1");
  EXPECT_EQ(W().lvSiteList.Model().Cell(1500, 0), "");  // beyond the list: nothing, no error
  // A small change goes row by row.
  AddCategory("Few");
  EXPECT_EQ(W().lvSiteList.Model().RowCount(), 0);
}

}  // namespace
}  // namespace morvane::testing
