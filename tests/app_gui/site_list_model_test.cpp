// The site list's virtual model as a view sees it: every row reachable by
// walking, iterators that stay valid or are refused after a refresh, and the
// rows it tells of as the catalogue announces its edits.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/site_list_model.h"
#include "catalogue/catalogue.h"
#include "catalogue/site_exchange.h"
#include "catalogue/site_record.h"

namespace morvane::testing {
namespace {

void Fill(LineList& lines, int count) {
  lines.Clear();
  for (int i = 0; i < count; ++i) {
    SiteRecord r;
    r.SiteName = "site " + std::to_string(i);
    r.SiteURL = "http://s" + std::to_string(i) + "/";
    lines.Add(FormatSiteLine(r));
  }
}

// Walks the model as a view does and checks each row against its line.
void ExpectWalk(const Glib::RefPtr<SiteListModel>& model, int count) {
  int row = 0;
  for (const Gtk::TreeModel::Row& r : model->children()) {
    ASSERT_LT(row, count);
    EXPECT_EQ(model->get_path(r)[0], row);
    Glib::ustring name;
    r.get_value(1, name);
    EXPECT_EQ(name, "site " + std::to_string(row));
    EXPECT_FALSE(r.parent());
    EXPECT_TRUE(r.children().empty());
    ++row;
  }
  EXPECT_EQ(row, count);
  EXPECT_EQ(model->children().size(), static_cast<std::size_t>(count));
}

TEST(SiteListModel, RowsWalkAndStaleIteratorsAreRefusedAfterEveryKindOfRefresh) {
  struct Step {
    const char* what;
    int lines;
    bool detached;  // a large change: the view lets go of the model meanwhile
  };
  const Step steps[] = {{"add", 5, false},
                        {"delete", 2, false},
                        {"category switch", 3000, true},
                        {"small again", 1, true},
                        {"empty", 0, false}};
  LineList lines;
  ShownSites shown(lines);
  auto model = SiteListModel::create(&shown);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const Gtk::TreeModel::iterator first = model->children().begin();
    const int before = model->RowCount();
    Fill(lines, step.lines);
    shown.ShowAll();
    if (step.detached) {
      model->SetCountDetached(step.lines);
    } else {
      EXPECT_TRUE(model->Follow(step.lines + before));
    }
    EXPECT_EQ(model->RowCount(), step.lines);
    ExpectWalk(model, step.lines);
    if (before > 0 && (step.detached || step.lines == 0)) {
      // An iterator from before the refresh no longer names a row.
      EXPECT_TRUE(model->get_path(first).empty());
      Glib::ustring cell = "unset";
      first->get_value(1, cell);
      EXPECT_EQ(cell, "");
    }
  }
  Gtk::TreeModel::Path outside;
  outside.push_back(0);
  EXPECT_FALSE(model->get_iter(outside));
  outside.push_back(1);
  EXPECT_FALSE(model->get_iter(outside));
}

// What the view is told: "+row" inserted, "-row" deleted, "~row" changed.
void Record(const Glib::RefPtr<SiteListModel>& model, std::vector<std::string>& seen) {
  model->signal_row_inserted().connect(
      [&seen](const Gtk::TreeModel::Path& p, const Gtk::TreeModel::iterator&) { seen.push_back("+" + p.to_string()); });
  model->signal_row_deleted().connect([&seen](const Gtk::TreeModel::Path& p) { seen.push_back("-" + p.to_string()); });
  model->signal_row_changed().connect(
      [&seen](const Gtk::TreeModel::Path& p, const Gtk::TreeModel::iterator&) { seen.push_back("~" + p.to_string()); });
}

SiteRecord Site(int i, std::string_view category = "") {
  SiteRecord r;
  r.SiteName = "site " + std::to_string(i);
  r.SiteURL = "http://s" + std::to_string(i) + "/";
  r.Category = std::string(category);
  return r;
}

// The catalogue's own edits, as the window makes them: the model learns from
// their announcements which rows went, came or changed.
TEST(SiteListModel, TellsWhichRowsWentCameOrChangedAtTheirPlaces) {
  SiteCatalogue catalogue("");
  ASSERT_EQ(catalogue.AddCategory("c"), AddCategoryResult::Added);
  for (int i = 0; i < 5; ++i) catalogue.StoreSite(Site(i, i == 2 ? "c" : ""));
  catalogue.Tree().Select(catalogue.Tree().FirstRoot());
  catalogue.ShowSelectedEntry();
  auto model = SiteListModel::create(&catalogue.ShownList(), &catalogue.Events());
  std::vector<std::string> seen;
  Record(model, seen);
  using Seen = std::vector<std::string>;
  ASSERT_TRUE(model->Follow(100));
  EXPECT_EQ(seen, (Seen{"+0", "+1", "+2", "+3", "+4"}));

  const auto merge = [&](std::vector<SiteRecord> sites) {
    std::vector<std::string> lines;
    for (const SiteRecord& r : sites) lines.push_back(FormatSiteLine(r));
    catalogue.ApplyMerge(PrepareMerge(catalogue.SiteList(), std::move(lines), true));
  };
  SiteRecord renamed = Site(3);
  renamed.SiteName = "site 3x";
  SiteRecord merged = Site(5);
  merged.SiteName = "site 5m";
  struct Change {
    const char* what;
    std::function<void()> make;
    Seen told;
  };
  const Change changes[] = {
      // The rows after a deleted one move up and show other numbers.
      {"delete row 1", [&] { catalogue.DeleteSite("http://s1/"); }, {"-1", "~1", "~2", "~3"}},
      {"edit row 2", [&] { catalogue.StoreSite(renamed); }, {"~2"}},
      {"add at the end", [&] { catalogue.StoreSite(Site(5)); }, {"+4"}},
      {"shown again, nothing changed", [&] { catalogue.ShowSelectedEntry(); }, {}},
      {"merge: the last updated, one added",
       [&] {
         merge({merged, Site(6)});
       },
       {"~4", "+5"}},
      // Sites anywhere may have lost their category.
      {"category deleted",
       [&] { catalogue.DeleteCategory(catalogue.Tree().FindByName("c")); },
       {"~0", "~1", "~2", "~3", "~4", "~5"}},
      {"changed past the announcements",
       [&] {
         catalogue.SiteList().Put(4, FormatSiteLine(Site(9)));
         catalogue.ShowSelectedEntry();
       },
       {"~0", "~1", "~2", "~3", "~4", "~5"}},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    seen.clear();
    c.make();
    ASSERT_TRUE(model->Follow(100));
    EXPECT_EQ(seen, c.told);
    ASSERT_EQ(model->RowCount(), catalogue.SiteList().Count());
    for (int row = 0; row < model->RowCount(); ++row)
      EXPECT_EQ(model->Cell(row, 1).raw(), SiteFromLine(catalogue.SiteList().Get(row)).SiteName);
  }
  // Too many notices: nothing told, nothing changed, the caller starts over.
  seen.clear();
  catalogue.DeleteSite("http://s0/");
  EXPECT_FALSE(model->Follow(3));
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(model->RowCount(), 6);
}

}  // namespace
}  // namespace morvane::testing
