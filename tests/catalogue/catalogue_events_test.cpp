// Subscriptions to the catalogue's announcements: each lasts as long as its
// connection, also while the callbacks told end or make others.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_events.h"

namespace morvane::testing {
namespace {

TEST(CatalogueEvents, ASubscriptionLastsAsLongAsItsConnection) {
  auto announcement = std::make_unique<Announcement<int>>();
  std::vector<std::string> told;
  AnnouncementConnection a = announcement->Subscribe([&](int n) { told.push_back("a" + std::to_string(n)); });
  std::optional<AnnouncementConnection> b =
      announcement->Subscribe([&](int n) { told.push_back("b" + std::to_string(n)); });
  announcement->Announce(1);
  b.reset();
  announcement->Announce(2);
  // Moved, the subscription goes with the connection it was moved to.
  AnnouncementConnection moved = std::move(a);
  EXPECT_FALSE(a.Connected());
  announcement->Announce(3);
  moved.Disconnect();
  announcement->Announce(4);
  EXPECT_EQ(told, (std::vector<std::string>{"a1", "b1", "a2", "a3"}));
  EXPECT_EQ(announcement->Subscribers(), 0u);
  // A connection may outlive what it subscribed to.
  AnnouncementConnection late = announcement->Subscribe([](int) {});
  announcement.reset();
  late.Disconnect();
}

TEST(CatalogueEvents, CallbacksMayEndAndMakeSubscriptionsWhileTold) {
  Announcement<> announcement;
  std::vector<std::string> told;
  AnnouncementConnection first, second, added;
  first = announcement.Subscribe([&] {
    told.push_back("first");
    first.Disconnect();   // its own
    second.Disconnect();  // one not told yet: not told now
    added = announcement.Subscribe([&] { told.push_back("added"); });
  });
  second = announcement.Subscribe([&] { told.push_back("second"); });
  announcement.Announce();
  EXPECT_EQ(told, (std::vector<std::string>{"first"}));
  announcement.Announce();
  EXPECT_EQ(told, (std::vector<std::string>{"first", "added"}));
}

// A refused edit announces nothing; a moved category tells of the tree only,
// its sites staying shown as they were.
TEST(CatalogueEvents, EditsAnnounceOnlyWhatTheyChanged) {
  SiteCatalogue catalogue("");
  std::vector<std::string> told;
  const CatalogueEvents& events = catalogue.Events();
  AnnouncementConnection sites = events.sitesChanged.Subscribe([&](const SitesChange&) { told.push_back("sites"); });
  AnnouncementConnection tree = events.treeChanged.Subscribe([&](TreeChange) { told.push_back("tree"); });
  AnnouncementConnection shown = events.shownChanged.Subscribe([&] { told.push_back("shown"); });
  AnnouncementConnection master = events.masterLoginChanged.Subscribe([&] { told.push_back("master"); });
  EXPECT_EQ(catalogue.AddCategory(""), AddCategoryResult::Empty);
  EXPECT_EQ(catalogue.DeleteCategory(catalogue.Tree().FirstRoot()), DeleteCategoryResult::SystemEntry);
  catalogue.DeleteSite("http://none/");
  EXPECT_FALSE(catalogue.DropSite(0, catalogue.Tree().FirstRoot()));
  EXPECT_TRUE(told.empty());

  ASSERT_EQ(catalogue.AddCategory("a"), AddCategoryResult::Added);
  ASSERT_EQ(catalogue.AddCategory("b"), AddCategoryResult::Added);
  told.clear();
  EXPECT_TRUE(catalogue.MoveCategory(catalogue.Tree().FindByName("b"), catalogue.Tree().FindByName("a")));
  EXPECT_EQ(told, (std::vector<std::string>{"tree"}));
  told.clear();
  // No site named the deleted category: the site lines are as they were.
  EXPECT_EQ(catalogue.DeleteCategory(catalogue.Tree().FindByName("b")), DeleteCategoryResult::Deleted);
  EXPECT_EQ(told, (std::vector<std::string>{"tree", "shown"}));
  told.clear();
  catalogue.SetMasterLogin("id", "pw");
  EXPECT_EQ(told, (std::vector<std::string>{"master"}));
}

}  // namespace
}  // namespace morvane::testing
