#include "navi/core/link_check_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/fake_service.h"
#include "support/wake_loop.h"

namespace morvane {
namespace {

class LinkCheckSessionTest : public ::testing::Test {
 protected:
  PageLinkList ListOf(const std::vector<std::string>& hrefs) {
    std::string page;
    for (const std::string& href : hrefs) page += "<a href=\"" + href + "\">link</a>";
    return BuildPageLinkList(page, service_.URL("/"), {}, {});
  }
  void PumpUntilFinished(LinkCheckSession& session) {
    loop_.TakeWhile([&] { return !session.Finished(); }, [&] { session.Take(); });
  }
  std::function<void()> Waker() {
    return [this] { loop_.Wake(); };
  }
  testing::FakeService service_;
  testing::WakeLoop loop_;
};

TEST_F(LinkCheckSessionTest, ResultsReachTheListThroughTheMainLoop) {
  const std::string refused = testing::ClosedPortURL() + "gone";
  LinkCheckSession session(ListOf({"/modified", "/status/404", "mailto:a@b", refused}), Waker());
  EXPECT_EQ(session.Total(), 4u);
  PumpUntilFinished(session);
  EXPECT_EQ(session.Checked(), 4u);
  EXPECT_FALSE(session.Stopped());
  const PageLinkList result = session.Result();
  EXPECT_THAT(result.ListText(), ::testing::HasSubstr(service_.URL("/status/404") + "\tlink\t404\r\n"));
  EXPECT_THAT(result.ListText(), ::testing::HasSubstr(refused + "\tlink\t接続できません\r\n"));
  // Failing first, each group in the list's byte order.
  ASSERT_EQ(result.statuses.size(), 4u);
  EXPECT_EQ(result.statuses[0].health, LinkHealth::Failing);
  EXPECT_EQ(result.statuses[1].health, LinkHealth::Failing);
  EXPECT_LT(result.entries[0], result.entries[1]);
  EXPECT_EQ(result.statuses[2].text, "200");
  EXPECT_EQ(result.statuses[3].text, "未確認");
}

TEST_F(LinkCheckSessionTest, StopLeavesTheRestNotCheckedAndEnds) {
  std::vector<std::string> hrefs = {"/missing"};  // sorts before the slow ones
  for (int i = 0; i < 20; ++i) hrefs.push_back("/slow?s=30&n=" + std::to_string(i));
  LinkCheckSession session(ListOf(hrefs), Waker());
  while (session.Checked() == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    session.Take();
  }
  session.Stop();
  PumpUntilFinished(session);
  EXPECT_TRUE(session.Stopped());
  EXPECT_EQ(session.Checked(), 1u);
  const PageLinkList result = session.Result();
  EXPECT_EQ(result.statuses.front().text, "404");
  EXPECT_EQ(result.statuses.back().text, "未確認");
}

}  // namespace
}  // namespace morvane
