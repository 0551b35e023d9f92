// The site list's virtual model as a view sees it: every row reachable by
// walking, iterators that stay valid or are refused after a refresh.
#include <gtest/gtest.h>

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
  auto model = SiteListModel::create(&lines);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const Gtk::TreeModel::iterator first = model->children().begin();
    const int before = model->RowCount();
    Fill(lines, step.lines);
    if (step.detached) {
      model->SetCountDetached(step.lines);
    } else {
      model->Invalidate();
      model->Resize(step.lines);
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

}  // namespace
}  // namespace morvane::testing
