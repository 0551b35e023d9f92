// Adding, deleting, dragging and dropping categories and sites.
#include "window_test_support.h"

// After the program's headers: X11 defines macros such as Button1.
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

namespace morvane::testing {
namespace {

class CategoryTest : public WindowTest {
 protected:
  void SetUp() override { OpenForms(); }
  Gtk::TreeModel::Path PathOf(std::string_view utf8Name) {
    return W().ftSiteCategory.PathOf(W().Catalogue().Tree().FindByName(J(utf8Name)));
  }
};

TEST_F(CategoryTest, AddingSelectsTheNewEntryShowsItsSitesAndOffersIt) {
  AddSite("old", "http://old/");
  // A site already carrying the name (say from an import) shows at once.
  SiteRecord r = SiteFromLine(W().Catalogue().SiteList().Get(0));
  r.Category = J("ニュース");
  StoreSite(W().Catalogue().SiteList(), r);

  AddCategory("  \tニュース　");
  EXPECT_EQ(dialogs.inputCaptions.back(), "カテゴリの追加");
  EXPECT_EQ(dialogs.prompts.back(), "カテゴリ名を入力してください");
  EXPECT_TRUE(dialogs.errors.empty());
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "ニュース"}));
  EXPECT_EQ(SelectedCategory(), "ニュース");
  EXPECT_EQ(W().ftSiteCategory.SelectedPath(), PathOf("ニュース"));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"old"}));
  EXPECT_EQ(CategoryChoices(), (std::vector<std::string>{"ニュース"}));
}

TEST_F(CategoryTest, AddingRefusesEmptyAndDuplicateNamesAndCancelAddsNothing) {
  W().tbAddCategoryClick();  // cancelled
  AddCategory(" 　 ");
  AddCategory("未分類");
  AddCategory("すべてのサイト");
  AddCategory("News");
  AddCategory("News");
  AddCategory("news");                    // letter case makes another name
  EXPECT_EQ(dialogs.prompts.size(), 7u);  // asked once per click, never again after a refusal
  EXPECT_EQ(dialogs.errors,
            (std::vector<std::string>{"カテゴリ名が入力されていません", "既に同じ名前のカテゴリが設定されています",
                                      "既に同じ名前のカテゴリが設定されています",
                                      "既に同じ名前のカテゴリが設定されています"}));
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "News", "news"}));
}

TEST_F(CategoryTest, DeletingAsksThenUncategorisesItsSitesOnly) {
  AddCategory("A");
  AddCategory("B");
  AddSite("a1", "http://a1/", "A");
  AddSite("b1", "http://b1/", "B");
  SelectCategory("A");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a1"}));

  dialogs.yesNoAnswers.push_back(false);
  W().tbDeleteCategoryClick();
  ASSERT_EQ(dialogs.questions.size(), 1u);
  EXPECT_EQ(dialogs.questions[0], "選択したカテゴリを削除しますか？\r\n\r\n [A]");
  EXPECT_EQ(TreeNames().size(), 4u);

  dialogs.yesNoAnswers.push_back(true);
  W().tbDeleteCategoryClick();
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "B"}));
  // The tree moved its selection to the next entry and the list followed it.
  EXPECT_EQ(SelectedCategory(), "B");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"b1"}));
  EXPECT_EQ(CategoryChoices(), (std::vector<std::string>{"B"}));
  SelectCategory("未分類");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a1"}));
  EXPECT_TRUE(dialogs.errors.empty());

  // The last category: the selection falls back on the one before it.
  SelectCategory("B");
  dialogs.yesNoAnswers.push_back(true);
  W().tbDeleteCategoryClick();
  EXPECT_EQ(SelectedCategory(), "未分類");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"a1", "b1"}));

  // System entries are never deleted, nor asked about.
  SelectCategory("すべてのサイト");
  W().tbDeleteCategoryClick();
  SelectCategory("未分類");
  W().tbDeleteCategoryClick();
  EXPECT_EQ(dialogs.errors, std::vector<std::string>(2, "システムカテゴリは削除できません"));
  EXPECT_EQ(dialogs.questions.size(), 3u);
  W().Catalogue().Tree().Select(nullptr);
  W().tbDeleteCategoryClick();
  EXPECT_EQ(dialogs.errors.back(), "カテゴリが選択されていません");
  EXPECT_EQ(TreeNames().size(), 2u);
}

TEST_F(CategoryTest, DragOverTakesTheSelectedEntryAndThePointedRow) {
  AddCategory("A");
  AddCategory("B");
  SelectCategory("未分類");
  EXPECT_FALSE(W().ftSiteCategoryDragOver(DragSource::CategoryTree, PathOf("A")));
  SelectCategory("A");
  EXPECT_TRUE(W().ftSiteCategoryDragOver(DragSource::CategoryTree, PathOf("B")));
  EXPECT_FALSE(W().ftSiteCategoryDragOver(DragSource::CategoryTree, PathOf("A")));  // onto itself
  EXPECT_FALSE(W().ftSiteCategoryDragOver(DragSource::SiteList, PathOf("すべてのサイト")));
  EXPECT_TRUE(W().ftSiteCategoryDragOver(DragSource::SiteList, PathOf("A")));
  Gtk::TreeModel::Path nowhere;
  nowhere.push_back(7);
  EXPECT_FALSE(W().ftSiteCategoryDragOver(DragSource::SiteList, nowhere));
}

TEST_F(CategoryTest, DroppingACategoryMovesItBesideTheTargetAndKeepsItsSites) {
  AddCategory("A");
  AddCategory("B");
  AddCategory("C");
  AddSite("c1", "http://c1/", "C");
  SelectCategory("C");
  W().ftSiteCategoryDragDrop(DragSource::CategoryTree, PathOf("未分類"));
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "C", "A", "B"}));
  EXPECT_EQ(SelectedCategory(), "C");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"c1"}));

  W().ftSiteCategoryDragDrop(DragSource::CategoryTree, PathOf("すべてのサイト"));
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "A", "B", "C"}));
  // Onto itself: no move, nothing lost.
  W().ftSiteCategoryDragDrop(DragSource::CategoryTree, PathOf("C"));
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "A", "B", "C"}));
  // A dragged system entry never moves, even when the drop arrives anyway.
  SelectCategory("未分類");
  W().ftSiteCategoryDragDrop(DragSource::CategoryTree, PathOf("C"));
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "A", "B", "C"}));
}

TEST_F(CategoryTest, DroppingASiteGivesItTheTargetsCategoryInPlace) {
  AddCategory("A");
  AddCategory("B");
  AddSite("s1", "http://s1/", "A");
  AddSite("s2", "http://s2/", "A");
  AddSite("s3", "http://s3/");
  SelectCategory("A");
  W().lvSiteList.SelectRow(1);
  W().ftSiteCategoryDragDrop(DragSource::SiteList, PathOf("B"));
  EXPECT_EQ(SelectedCategory(), "A");  // a site drop never changes the selection
  EXPECT_EQ(Column(1), (std::vector<std::string>{"s1"}));
  SelectCategory("すべてのサイト");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"s1", "s2", "s3"}));
  EXPECT_EQ(Column(3), (std::vector<std::string>{"A", "B", ""}));

  W().lvSiteList.SelectRow(0);
  W().ftSiteCategoryDragDrop(DragSource::SiteList, PathOf("未分類"));
  EXPECT_EQ(Column(3), (std::vector<std::string>{"", "B", ""}));
  // Onto "すべてのサイト" it is refused and nothing changes.
  W().lvSiteList.SelectRow(1);
  W().ftSiteCategoryDragDrop(DragSource::SiteList, PathOf("すべてのサイト"));
  EXPECT_EQ(Column(3), (std::vector<std::string>{"", "B", ""}));
  // Without a selected row the drop ends silently.
  W().lvSiteList.SelectRow(-1);
  W().ftSiteCategoryDragDrop(DragSource::SiteList, PathOf("A"));
  EXPECT_EQ(Column(3), (std::vector<std::string>{"", "B", ""}));
  EXPECT_TRUE(dialogs.errors.empty());
}

// A real drag with the pointer: press on a row, move, release on a tree entry.
class PointerDragTest : public CategoryTest {
 protected:
  void Drag(ScrolledTreeView& from, const Gtk::TreeModel::Path& source, const Gtk::TreeModel::Path& target) {
    int x0, y0, x1, y1;
    ASSERT_TRUE(from.RowCentreOnScreen(source, x0, y0));
    ASSERT_TRUE(W().ftSiteCategory.RowCentreOnScreen(target, x1, y1));
    Display* x = GDK_WINDOW_XDISPLAY(W().get_window()->gobj());
    auto step = [x](int ms) {
      XFlush(x);
      PumpFor(ms);
    };
    XTestFakeMotionEvent(x, -1, x0, y0, 0);
    step(50);
    XTestFakeButtonEvent(x, 1, True, 0);
    step(50);
    for (int i = 1; i <= 10; ++i) {
      XTestFakeMotionEvent(x, -1, x0 + (x1 - x0) * i / 10, y0 + (y1 - y0) * i / 10, 0);
      step(30);
    }
    step(100);
    XTestFakeButtonEvent(x, 1, False, 0);
    step(200);
  }
};

TEST_F(PointerDragTest, SitesAndCategoriesMoveByDragging) {
  AddCategory("A");
  AddCategory("B");
  AddSite("s1", "http://s1/");
  SelectCategory("すべてのサイト");
  Gtk::TreeModel::Path row0;
  row0.push_back(0);
  Drag(W().lvSiteList, row0, PathOf("A"));
  EXPECT_EQ(Column(3), (std::vector<std::string>{"A"}));

  Drag(W().ftSiteCategory, PathOf("B"), PathOf("未分類"));
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "B", "A"}));
  // A system entry stays where it is.
  Drag(W().ftSiteCategory, PathOf("未分類"), PathOf("A"));
  EXPECT_EQ(TreeNames(), (std::vector<std::string>{"すべてのサイト", "未分類", "B", "A"}));
}

}  // namespace
}  // namespace morvane::testing
