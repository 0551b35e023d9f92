// The site list's virtual model as a view sees it: every row reachable by
// walking, iterators that stay valid or are refused after a refresh.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/site_list_model.h"
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
  const Step steps[] = {{"add", 5, false}, {"delete", 2, false}, {"category switch", 3000, true},
                        {"small again", 1, true}, {"empty", 0, false}};
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

TEST(SiteListModel, TellsWhichRowsWentCameOrChangedAtTheirPlaces) {
  LineList lines;
  Fill(lines, 5);
  ShownSites shown(lines);
  shown.ShowAll();
  auto model = SiteListModel::create(&shown);
  std::vector<std::string> seen;
  Record(model, seen);
  using Seen = std::vector<std::string>;
  ASSERT_TRUE(model->Follow(100));
  EXPECT_EQ(seen, (Seen{"+0", "+1", "+2", "+3", "+4"}));

  struct Change {
    const char* what;
    std::function<void()> make;
    Seen told;
  };
  const Change changes[] = {
      // The rows after a deleted one move up and show other numbers.
      {"delete row 1", [&] { lines.Delete(1); }, {"-1", "~1", "~2", "~3"}},
      {"edit row 2", [&] { lines.Put(2, lines.Get(2) + "x"); }, {"~2"}},
      {"insert at the top", [&] { lines.Insert(0, "new\thttp://n/"); }, {"+0", "~1", "~2", "~3", "~4"}},
      {"add at the end", [&] { lines.Add("last\thttp://l/"); }, {"+5"}},
      {"swap two", [&] { lines.Exchange(1, 2); }, {"~1", "~2"}},
      {"nothing", [] {}, {}},
      {"two for one", [&] { lines.Delete(3); lines.Put(3, "other\thttp://o/"); }, {"~3", "-4", "~4"}},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    seen.clear();
    c.make();
    // A changed site list leaves the rows showing nothing until they are chosen again.
    if (!c.told.empty()) {
      EXPECT_EQ(model->Cell(0, 1), "");
    }
    shown.ShowAll();
    ASSERT_TRUE(model->Follow(100));
    EXPECT_EQ(seen, c.told);
    ASSERT_EQ(model->RowCount(), lines.Count());
    for (int row = 0; row < model->RowCount(); ++row)
      EXPECT_EQ(model->Cell(row, 1).raw(), SiteFromLine(lines.Get(row)).SiteName);
  }
  // Too many notices: nothing told, nothing changed, the caller starts over.
  seen.clear();
  lines.Exchange(0, 4);
  lines.Delete(2);
  shown.ShowAll();
  EXPECT_FALSE(model->Follow(3));
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(model->RowCount(), 5);
}

}  // namespace
}  // namespace morvane::testing
